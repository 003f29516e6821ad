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

TEST(DisplayHostWithoutDisplay, StaysAConsoleHostAndLogsItsBoxes) {
    FakeEnvironment env; // no display variables at all
    FakeProductLibs product;
    FakeTopWindows windows;
    std::FILE* sink = std::tmpfile();
    FakeModules modules;
    DisplayHost host(env, modules, product, &windows, {"/nonexistent", sink});
    EXPECT_FALSE(host.hasDisplay());
    EXPECT_TRUE(host.decided());
    EXPECT_EQ(host.logoView(), nullptr);
    EXPECT_EQ(host.windowClasses(), nullptr);
    EXPECT_EQ(host.messageBox(nullptr, "Retry?", "Configuration Error", mb::RetryQuestion),
              id::Cancel);
    ASSERT_EQ(product.errors.size(), 1u); // the box only: no display is no failure
    std::rewind(sink);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, sink), nullptr);
    EXPECT_STREQ(line, "Configuration Error: Retry?\n");
    std::fclose(sink);
}

TEST(DisplayHostWithoutDisplay, ADeadDisplayIsReportedOnceAndNeverLoadsQt) {
    FakeEnvironment env;
    env.vars["DISPLAY"] = ":977";
    FakeProductLibs product;
    std::FILE* sink = std::tmpfile();
    FakeModules modules;
    DisplayHost host(env, modules, product, nullptr, {"/nonexistent", sink});
    EXPECT_FALSE(host.hasDisplay());
    host.messageBox(nullptr, "one", "", mb::Ok);
    host.messageBox(nullptr, "two", "", mb::Ok);
    EXPECT_EQ(product.errors.size(), 3u); // one report, two boxes
    std::fclose(sink);
}

} // namespace
