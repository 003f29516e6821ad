// The POSIX environment, clock, machine root and process list.
#include "platform/platform.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_processes.h"
#include "product/posix_product.h"
#include "support/temp_root.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lntc {
namespace {

// Puts the whole environment back at the end of the scope.
class EnvSaver {
  public:
    EnvSaver() {
        for (char** e = environ; *e; ++e)
            saved_.emplace_back(*e);
    }
    ~EnvSaver() {
        clearenv();
        for (const std::string& e : saved_)
            setenv(e.substr(0, e.find('=')).c_str(), e.substr(e.find('=') + 1).c_str(), 1);
    }

  private:
    std::vector<std::string> saved_;
};

TEST(LanguageAbbreviation, UsesCountryVariantOrTheLanguageDefault) {
    // The country's variant, else the language's default; encoding and modifier do not matter.
    const std::pair<const char*, const char*> cases[] = {{"de_DE.UTF-8", "DEU"},
                                                         {"de", "DEU"},
                                                         {"de_AT", "DEA"},
                                                         {"de_CH.UTF-8@euro", "DES"},
                                                         {"en", "ENU"},
                                                         {"en_GB", "ENG"},
                                                         {"fr_CA", "FRC"},
                                                         {"nb_NO", "NOR"},
                                                         {"no_NO", "NOR"},
                                                         {"C", ""},
                                                         {"C.UTF-8", ""},
                                                         {"POSIX", ""},
                                                         {"", ""},
                                                         {"xx_YY", ""}};
    for (const auto& [locale, abbreviation] : cases)
        EXPECT_EQ(languageAbbreviation(locale), abbreviation) << locale;
}

TEST(PosixEnvironment, VariablesLanguageModuleHostClockAndTheMachineRoot) {
    EnvSaver saved;
    PosixEnvironment e;
    // The language comes from the first locale variable set.
    setenv("LC_ALL", "fr_CA.UTF-8", 1);
    setenv("LC_MESSAGES", "de_DE", 1);
    setenv("LANG", "en_GB", 1);
    EXPECT_EQ(e.userLanguage(), "FRC");
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(e.userLanguage(), "DEU");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(e.userLanguage(), "ENG");
    setenv("LANG", "C", 1);
    EXPECT_EQ(e.userLanguage(), "");

    unsetenv("LNTC_TEST_VAR");
    EXPECT_EQ(e.get("LNTC_TEST_VAR"), std::nullopt);
    e.set("LNTC_TEST_VAR", "a:b");
    EXPECT_STREQ(std::getenv("LNTC_TEST_VAR"), "a:b");
    EXPECT_EQ(e.pathListSeparator(), ':');
    // The code is linked into this test program, so that is the module.
    EXPECT_EQ(e.modulePath(), std::filesystem::canonical("/proc/self/exe").string());
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(e.hostName(), host);
    int64_t before = std::time(nullptr);
    int64_t now = PosixClock().now();
    EXPECT_TRUE(before <= now && now <= std::time(nullptr));

    // The print server is named by its variable when set and not empty, else by the host.
    EXPECT_EQ(choosePrintServerName(nullptr, "host"), "host");
    EXPECT_EQ(choosePrintServerName("", "host"), "host");
    setenv("LNT_PRINT_SERVER", "spooler7", 1);
    EXPECT_EQ(printServerNameFromEnv("host"), "spooler7");

    // The machine root: the root variable, else per-user folders.
    setenv("LNT_ROOT", "/srv/lnt", 1);
    EXPECT_EQ(defaultMachineRoot(), "/srv/lnt");
    setenv("LNT_ROOT", "", 1);
    setenv("XDG_DATA_HOME", "/data/u", 1);
    setenv("HOME", "/home/u", 1);
    if (geteuid() == 0) {
        EXPECT_EQ(defaultMachineRoot(), "/var/lib/lintora");
    } else {
        EXPECT_EQ(defaultMachineRoot(), "/data/u/lintora");
        unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(defaultMachineRoot(), "/home/u/.local/share/lintora");
    }
}

TEST(PosixPlatform, CreatesTheMachineRootAndWiresEveryService) {
    test::TempRoot temp;
    std::string root = temp.path() + "/machine";
    PosixPlatform p(root);
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
    // Service ports in host byte order, from the services database.
    ASSERT_NE(pf.services, nullptr);
    EXPECT_EQ(pf.services->servicePort("no-such-lintora-service"), std::nullopt);
    if (std::filesystem::exists("/etc/services")) {
        EXPECT_EQ(pf.services->servicePort("ftp"), std::optional<uint16_t>(21));
    }
}

TEST(PosixProcesses, ListsChildrenByImageNameAndTerminateKillsThem) {
    test::TempRoot temp;
    // A copy with an extension shows how the name is cut.
    const std::string tool = temp.path() + "/lntc-sleeper.exe";
    std::filesystem::copy_file("/bin/sleep", tool);
    std::vector<pid_t> sleepers;
    for (const std::string& program : {std::string("/bin/sleep"), tool}) {
        pid_t pid = fork();
        if (pid == 0) {
            execl(program.c_str(), program.c_str(), "1000", static_cast<char*>(nullptr));
            _exit(127);
        }
        sleepers.push_back(pid);
        // The child has exec'd once /proc shows it as the new image, not as this program.
        const auto image = std::filesystem::canonical(program);
        std::error_code ec;
        while (std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) !=
               image) {
            ASSERT_NE(waitpid(pid, nullptr, WNOHANG), pid) << "child ended before exec";
            usleep(1000);
        }
    }
    PosixProcesses processes;
    std::vector<ProcessEntry> list;
    auto names = [&] {
        EXPECT_EQ(processes.list(list), 0u);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                                   [](const auto& a, const auto& b) { return a.pid < b.pid; }));
        std::string out;
        for (pid_t pid : {getpid(), sleepers[0], sleepers[1]})
            for (const auto& e : list)
                if (e.pid == static_cast<uint32_t>(pid)) out += e.imageName + " ";
        return out;
    };
    EXPECT_EQ(names(), "unit_tests sleep lntc-sleeper ");
    for (pid_t pid : sleepers) {
        EXPECT_TRUE(processes.terminate(static_cast<uint32_t>(pid)));
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    EXPECT_EQ(names(), "unit_tests ");
    for (uint32_t gone : {0u, 0x7ffffff0u, 0xfffffff0u})
        EXPECT_FALSE(processes.terminate(gone)) << gone;
}

} // namespace
} // namespace lntc
