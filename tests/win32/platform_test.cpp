// The small Windows backends: environment, C-locale scope and text conversion.
#include "platform/c_locale.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_environment.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace lntc;

namespace {

std::string formatted(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

TEST(Win32Platform, TextKeepsEveryByteThroughUtf16) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::wstring wide = win32::wideFromText(all);
    EXPECT_EQ(wide.substr(0x7E, 3), std::wstring(L"\x7F\x20AC\x81"));
    EXPECT_EQ(wide[0xE9 - 1], L'\xE9');
    EXPECT_EQ(win32::textFromWide(wide), all);
    EXPECT_EQ(win32::textFromWide(L"\x3A9\x20AC"), "?\x80");
}

TEST(Win32Platform, EnvironmentTellsUnsetFromEmptyAndKeepsText) {
    Win32Environment env;
    env.set("LNTC_TEST_VAR", "caf\xE9 \x80");
    EXPECT_EQ(env.get("lntc_test_var"), "caf\xE9 \x80") << "names ignore case";
    env.set("LNTC_TEST_VAR", "");
    EXPECT_EQ(env.get("LNTC_TEST_VAR"), "");
    EXPECT_EQ(env.get("LNTC_TEST_UNSET"), std::nullopt);
    const std::string longText(1000, 'x');
    env.set("LNTC_TEST_VAR", longText);
    EXPECT_EQ(env.get("LNTC_TEST_VAR"), longText);
    EXPECT_EQ(env.pathListSeparator(), ';');
    EXPECT_EQ(env.userLanguage(), "DEA") << "Austrian German, as the test is started";
    const std::string self = env.modulePath();
    EXPECT_TRUE(self.size() > 3 && self[1] == ':' && self.ends_with("\\win32_platform_tests.exe"))
        << self;
}

// The program's locale has a decimal comma; within the scope its thread formats and parses in
// C, nested scopes too, and the program's locale is as it was afterwards.
TEST(Win32Platform, CLocaleScopeFormatsInCAndPutsTheLocaleBack) {
    if (!std::setlocale(LC_ALL, "German_Germany.1252") || formatted(7.5) != "7,5")
        GTEST_SKIP() << "no German locale";
    std::string inside, nested, after;
    double parsed = 0;
    {
        CLocaleScope scope;
        {
            CLocaleScope again;
            nested = formatted(0.5);
        }
        inside = formatted(7.5);
        parsed = std::strtod("7.25", nullptr);
    }
    after = formatted(7.5) + " " + std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(inside + " " + nested, "7.5 0.5");
    EXPECT_EQ(parsed, 7.25);
    EXPECT_EQ(after, "7,5 German_Germany.1252");
}

} // namespace
