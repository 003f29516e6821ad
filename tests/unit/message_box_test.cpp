// Message boxes: their texts, captions and styles, and where they go when a process gets no
// windows (decided from the environment, once).
#include "support/test_library.h"
#include "ui/display_host.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

using namespace lntc;
using namespace lntc::test;

namespace {

TEST(MessageBoxes, CaptionsStylesAndFormatting) {
    FakeMachine m;
    TestLibrary t(m);
    Library& lib = t.lib();
    int owner = 0;
    t.host.script({id::Yes});
    EXPECT_EQ(WarnId(lib, &owner, 32794, "50%"), id::Yes);
    EXPECT_EQ(ErrorId(lib, &owner, 32820, 16), id::Ok);
    EXPECT_EQ(ErrorIdNoOwner(lib, 32863, 5L), id::Ok);
    EXPECT_EQ(MessageBoxId(lib, &owner, 32852, mb::RetryQuestion, 32894), id::Cancel);
    EXPECT_EQ(MessageBoxF(lib, nullptr, "Default ODR Name", mb::RetryQuestion, "%s:%d", "a", 7),
              id::Cancel);
    EXPECT_EQ(ShowLastSystemError(lib, &owner, err::AccessDenied), id::Ok);
    std::vector<std::string> shown;
    for (const ShownBox& s : t.host.shown)
        shown.push_back(s.text + "|" + s.caption + "|" + std::to_string(s.style) +
                        (s.owner == &owner ? "|owned" : ""));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Error locating the 50% queue information.|Configuration Warning|36|owned",
                         "Maximum number of queues (16) exceeded.|Configuration Error|65584|owned",
                         "Error 5 getting title strings.|Configuration Error|65584",
                         "|Path Status|65589|owned", // a number the table lacks gives an empty text
                         "a:7|Default ODR Name|65589",
                         "Access is denied.|Configuration Error|65584|owned"}));
    std::string cut = formatMessage("Path '%s' is read only.", std::string(700, 'x').c_str());
    EXPECT_EQ(cut.size(), 511u); // the buffer's size
}

DisplayVerdict verdict(const std::string& vars) { // "NAME=value NAME=value"
    std::map<std::string, std::string> env;
    std::istringstream words(vars);
    for (std::string w; words >> w;)
        env[w.substr(0, w.find('='))] = w.substr(w.find('=') + 1);
    return CheckDisplay([&](std::string_view name) -> std::optional<std::string> {
        auto it = env.find(std::string(name));
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    });
}

TEST(DisplayCheck, TheEnvironmentDecides) {
    using V = DisplayVerdict;
    // A display that is named but does not answer would make Qt abort the process.
    const std::pair<const char*, V> cases[] = {
        {"", V::NoDisplay},
        {"DISPLAY=", V::NoDisplay},
        {"QT_QPA_PLATFORM=offscreen", V::Usable},
        {"QT_QPA_PLATFORM=vnc:size=800x600", V::Usable},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=1", V::Disabled},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=0", V::Usable},
        {"DISPLAY=:977", V::Unreachable},
        {"DISPLAY=garbage", V::Unreachable},
        {"QT_QPA_PLATFORM=xcb", V::Unreachable},
        {"QT_QPA_PLATFORM=xcb DISPLAY=:977", V::Unreachable},
        {"WAYLAND_DISPLAY=wayland-77 XDG_RUNTIME_DIR=/nonexistent", V::Unreachable}};
    for (const auto& [vars, expected] : cases)
        EXPECT_EQ(verdict(vars), expected) << vars;
}

// No display or the switch is no failure; a dead display or a missing Qt module is said once.
TEST(DisplayHostWithoutWindows, StaysAConsoleHostThatLogsBoxesAndGivesTheSafeAnswer) {
    const std::pair<std::map<std::string, std::string>, std::vector<std::string>> cases[] = {
        {{}, {}},
        {{{"DISPLAY", ":977"}}, {}},
        {{{"QT_QPA_PLATFORM", "offscreen"}, {"LNTC_NO_GUI", "1"}}, {}},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {"/nonexistent/liblntc-qt.so"}}};
    for (const auto& [vars, asked] : cases) {
        SCOPED_TRACE(vars.size());
        FakeEnvironment env;
        env.vars.insert(vars.begin(), vars.end());
        FakeProductLibs product;
        FakeTopWindows windows;
        std::FILE* sink = std::tmpfile();
        FakeModules modules;
        DisplayHost host(env, modules, product, &windows, {"/nonexistent", sink});
        EXPECT_TRUE(!host.hasDisplay() && host.decided() && !host.windows() && !host.logoView() &&
                    !host.windowClasses());
        EXPECT_EQ(host.messageBox(nullptr, "Retry?", "Configuration Error", mb::RetryQuestion),
                  id::Cancel);
        EXPECT_EQ(host.messageBox(nullptr, "Delete?", "", mb::Question), id::No);
        EXPECT_EQ(modules.asked, asked);
        std::vector<std::string> logged;
        for (const auto& e : product.errors)
            logged.push_back(e.text);
        const bool dead = vars.count("DISPLAY") || !asked.empty();
        EXPECT_EQ(logged.size(), dead ? 3u : 2u);
        EXPECT_EQ(logged.back(), "Delete?");
        std::rewind(sink);
        char text[512] = {};
        text[std::fread(text, 1, sizeof text - 1, sink)] = '\0';
        EXPECT_NE(std::string(text).find("Configuration Error: Retry?\nDelete?\n"),
                  std::string::npos);
        std::fclose(sink);
    }
}

} // namespace
