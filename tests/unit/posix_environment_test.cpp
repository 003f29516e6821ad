#include "platform/platform.h"
#include "platform/posix/posix_environment.h"
#include "support/temp_root.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using lntc::languageAbbreviation;

namespace {

// Sets or clears environment variables for one test and puts the old values back.
class EnvSaver {
  public:
    void set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvSaver() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(LanguageAbbreviation, UsesCountryVariantOrTheLanguageDefault) {
    // The country's variant, else the language's default; encoding and modifier do not matter.
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "DEU"}, {"de", "DEU"},    {"de_AT", "DEA"}, {"de_CH.UTF-8@euro", "DES"},
        {"en", "ENU"},          {"en_GB", "ENG"}, {"fr_CA", "FRC"}, {"pt_BR", "PTB"},
        {"nb_NO", "NOR"},       {"no_NO", "NOR"}};
    for (const auto& [locale, abbreviation] : cases)
        EXPECT_EQ(languageAbbreviation(locale), abbreviation) << locale;
    for (const char* neutralOrUnknown : {"C", "C.UTF-8", "POSIX", "", "xx_YY"})
        EXPECT_EQ(languageAbbreviation(neutralOrUnknown), "") << neutralOrUnknown;
}

TEST(PosixEnvironment, LanguageComesFromTheFirstLocaleVariableSet) {
    EnvSaver env;
    lntc::PosixEnvironment e;
    env.set("LC_ALL", "fr_CA.UTF-8");
    env.set("LC_MESSAGES", "de_DE");
    env.set("LANG", "en_GB");
    EXPECT_EQ(e.userLanguage(), "FRC");
    env.set("LC_ALL", "");
    EXPECT_EQ(e.userLanguage(), "DEU");
    env.set("LC_MESSAGES", nullptr);
    EXPECT_EQ(e.userLanguage(), "ENG");
    env.set("LANG", "C");
    EXPECT_EQ(e.userLanguage(), "");
}

TEST(PosixEnvironment, VariablesModuleHostAndClockDescribeThisProcess) {
    EnvSaver env;
    env.set("LNTC_TEST_VAR", nullptr);
    lntc::PosixEnvironment e;
    EXPECT_EQ(e.get("LNTC_TEST_VAR"), std::nullopt);
    e.set("LNTC_TEST_VAR", "a:b");
    EXPECT_STREQ(std::getenv("LNTC_TEST_VAR"), "a:b");
    EXPECT_EQ(e.pathListSeparator(), ':');
    // The code is linked into this test program, so that is the module.
    EXPECT_EQ(e.modulePath(), std::filesystem::canonical("/proc/self/exe").string());
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(e.hostName(), host);
    lntc::PosixClock clock;
    int64_t before = std::time(nullptr);
    int64_t now = clock.now();
    EXPECT_GE(now, before);
    EXPECT_LE(now, std::time(nullptr));
}

TEST(DefaultMachineRoot, RootVariableWinsThenPerUserFolders) {
    EnvSaver env;
    env.set("LNT_ROOT", "/srv/lnt");
    EXPECT_EQ(lntc::defaultMachineRoot(), "/srv/lnt");
    env.set("LNT_ROOT", "");
    env.set("XDG_DATA_HOME", "/data/u");
    env.set("HOME", "/home/u");
    if (geteuid() == 0) {
        EXPECT_EQ(lntc::defaultMachineRoot(), "/var/lib/lintora");
    } else {
        EXPECT_EQ(lntc::defaultMachineRoot(), "/data/u/lintora");
        env.set("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(lntc::defaultMachineRoot(), "/home/u/.local/share/lintora");
    }
}

TEST(PosixPlatform, CreatesTheMachineRootAndWiresEveryService) {
    lntc::test::TempRoot temp;
    std::string root = temp.path() + "/machine";
    lntc::PosixPlatform p(root);
    struct stat st {};
    ASSERT_EQ(stat(root.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    EXPECT_TRUE(std::filesystem::is_directory(root + "/drive_c"));
    EXPECT_EQ(p.root(), root);
    auto& pf = p.platform();
    for (const void* service : {(const void*)pf.sections, (const void*)pf.env,
                                (const void*)pf.clock, (const void*)pf.processes})
        EXPECT_NE(service, nullptr);
    ASSERT_NE(pf.files, nullptr);
    EXPECT_EQ(pf.files->hostPath("C:\\x"), root + "/drive_c/x");
}

} // namespace
