// Whether a process gets windows: decided from the environment, once, with the console host
// as the answer whenever no display can be used.
#include "support/fake_platform.h"
#include "support/fake_product.h"
#include "ui/display_host.h"

#include <gtest/gtest.h>

#include <map>

using namespace lntc;
using namespace lntc::test;

namespace {

DisplayVerdict verdict(std::map<std::string, std::string> vars) {
    return CheckDisplay([&](std::string_view name) -> std::optional<std::string> {
        auto it = vars.find(std::string(name));
        if (it == vars.end()) return std::nullopt;
        return it->second;
    });
}

TEST(DisplayCheck, TheEnvironmentDecides) {
    EXPECT_EQ(verdict({}), DisplayVerdict::NoDisplay);
    EXPECT_EQ(verdict({{"DISPLAY", ""}}), DisplayVerdict::NoDisplay);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "offscreen"}}), DisplayVerdict::Usable);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "vnc:size=800x600"}}), DisplayVerdict::Usable);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "offscreen"}, {"LNTC_NO_GUI", "1"}}),
              DisplayVerdict::Disabled);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "offscreen"}, {"LNTC_NO_GUI", "0"}}),
              DisplayVerdict::Usable);
    // A display that is named but does not answer would make Qt abort the process.
    EXPECT_EQ(verdict({{"DISPLAY", ":977"}}), DisplayVerdict::Unreachable);
    EXPECT_EQ(verdict({{"DISPLAY", "garbage"}}), DisplayVerdict::Unreachable);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "xcb"}}), DisplayVerdict::Unreachable);
    EXPECT_EQ(verdict({{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":977"}}),
              DisplayVerdict::Unreachable);
    EXPECT_EQ(verdict({{"WAYLAND_DISPLAY", "wayland-77"}, {"XDG_RUNTIME_DIR", "/nonexistent"}}),
              DisplayVerdict::Unreachable);
}

TEST(DisplayHostWithoutDisplay, StaysAConsoleHostAndReportsADeadDisplayOnce) {
    struct Case {
        std::map<std::string, std::string> vars;
        size_t logged;
    };
    const Case cases[] = {{{}, 2},
                          {{{"DISPLAY", ":977"}}, 3},
                          {{{"QT_QPA_PLATFORM", "offscreen"}, {"LNTC_NO_GUI", "1"}}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        FakeEnvironment env;
        env.vars.insert(c.vars.begin(), c.vars.end());
        FakeProductLibs product;
        FakeTopWindows windows;
        std::FILE* sink = std::tmpfile();
        FakeModules modules;
        DisplayHost host(env, modules, product, &windows, {"/nonexistent", sink});
        EXPECT_FALSE(host.hasDisplay());
        EXPECT_TRUE(host.decided());
        EXPECT_EQ(host.windows(), nullptr);
        EXPECT_EQ(host.logoView(), nullptr);
        EXPECT_EQ(host.windowClasses(), nullptr);
        EXPECT_EQ(host.messageBox(nullptr, "Retry?", "Configuration Error", mb::RetryQuestion),
                  id::Cancel);
        host.messageBox(nullptr, "two", "", mb::Ok);
        // No display or the switch is no failure; a dead one is said once; Qt is never loaded.
        EXPECT_EQ(product.errors.size(), c.logged);
        EXPECT_TRUE(modules.asked.empty());
        std::rewind(sink);
        char text[512] = {};
        text[std::fread(text, 1, sizeof text - 1, sink)] = '\0';
        EXPECT_NE(std::string(text).find("Configuration Error: Retry?\n"), std::string::npos);
        std::fclose(sink);
    }
}

} // namespace
