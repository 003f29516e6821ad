// lntc-config on a real pseudo-terminal (tmux, 80x24): an administrator's whole configuration
// of a queue by keys only, checked in the registry; the terminal as it was afterwards; and the
// text screens of dialogs against golden files.
#ifdef LNTC_HAVE_TUI
#include "platform/posix/posix_windows.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace lntc::test;

namespace {

const std::string kBin = LNTC_BIN_DIR;

std::string tmuxProgram() {
    RunResult r = runProgram("/bin/sh", {"-c", "command -v tmux"}, {});
    return r.exitCode == 0 ? r.out.substr(0, r.out.find('\n')) : std::string();
}

class TerminalRun : public ::testing::Test {
  protected:
    TempRoot root;
    std::string tmux = tmuxProgram();
    std::string socket = "lntc-test-" + std::to_string(::getpid());
    std::map<std::string, std::string> env() const {
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"LNTC_SHARE", std::string(LNTC_SOURCE_DIR) + "/share"},
                {"LC_ALL", "C.UTF-8"}};
    }
    void SetUp() override {
        if (tmux.empty()) GTEST_SKIP() << "tmux is not installed (scripts/setup-deps installs it)";
        ASSERT_EQ(runProgram(kBin + "/lntc", {"demo-setup"}, env()).exitCode, 0);
    }
    void TearDown() override {
        if (!tmux.empty()) runProgram(tmux, {"-L", socket, "kill-server"}, {});
    }
    RunResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"-L", socket});
        return runProgram(tmux, args, env());
    }
    // lntc-config in a shell of an 80x24 pane that notes the terminal's settings around it.
    void start(const std::string& options) {
        const std::string script = root.path() + "/run.sh";
        std::ofstream(script) << "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; trap : INT\n"
                              << "cd " << root.path() << " && stty -g >before\n"
                              << kBin << "/lntc-config " << options << "\n"
                              << "echo \"exit $?\" >code; stty -g >after; echo RUN-ENDED\n"
                              << "exec sleep 600\n";
        ASSERT_EQ(run({"-f", "/dev/null", "new-session", "-d", "-s", "t", "-x", "80", "-y", "24",
                       "TERM=screen sh " + script})
                      .exitCode,
                  0);
    }
    std::string screen() { return run({"capture-pane", "-p", "-t", "t"}).out; }
    // Polls the pane until the text shows; a generous bound only a hung run reaches.
    bool waitFor(const std::string& text) {
        for (int i = 0; i < 600; ++i) {
            if (screen().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "never shown: " << text << "\n" << screen();
        return false;
    }
    void keys(std::initializer_list<std::string> names) {
        for (const std::string& k : names)
            ASSERT_EQ(run({"send-keys", "-t", "t", k}).exitCode, 0) << k;
    }
    void text(const std::string& s) {
        ASSERT_EQ(run({"send-keys", "-t", "t", "-l", s}).exitCode, 0);
    }
};

// A new queue of the demo installation, set up as the demo script does it, by keys only: the
// list, the model's drop-down, the description, the TCP Direct dialog with the address typed
// into the address control, the new port's question and the boxes, then OK.
TEST_F(TerminalRun, AWholeQueueConfigurationByKeysReachesTheRegistry) {
    start("");
    ASSERT_TRUE(waitFor("MARKETING_COLOR"));
    // Other programs find the run's main dialog by its title, as they would find a window.
    lntc::PosixTopWindows records(root.path());
    EXPECT_TRUE(records.existsWithTitle("Lintora Configuration"));
    keys({"M-q", "Down", "M-m", "F4"});
    ASSERT_TRUE(waitFor("CalComp DrawingMaster"));
    keys({"H", "Down", "Down", "Enter"}); // Enter closes the list only
    ASSERT_TRUE(waitFor("[HP LaserJet 4MV "));
    keys({"M-e"});
    text("Legal department");
    keys({"Enter"});
    ASSERT_TRUE(waitFor("HP LaserJet 4MV Printer Configuration"));
    keys({"M-t", "Escape", "o"}); // Escape then a letter: the mnemonic without Alt
    ASSERT_TRUE(waitFor("TCP Direct Connectivity"));
    keys({"M-n"});
    text("legal_lj");
    keys({"Tab"});
    text("10.1.2.30");
    ASSERT_TRUE(waitFor("[10 .1  .2  .30 ]"));
    keys({"Enter"});
    ASSERT_TRUE(waitFor("wish to add it to the etc\\hosts file?"));
    keys({"Enter"});
    ASSERT_TRUE(waitFor("Successfully configured Printer Connectivity."));
    keys({"Enter"});
    ASSERT_TRUE(waitFor("will set ASCII"));
    keys({"Enter", "M-w", "Enter"}); // from a field, Enter is the dialog's OK
    ASSERT_TRUE(waitFor("Successfully configured the queue LEGAL_DEPT."));
    keys({"Enter", "M-o", "Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
    ASSERT_TRUE(waitFor("Do you still"));
    keys({"y"});
    ASSERT_TRUE(waitFor("RUN-ENDED"));
    EXPECT_EQ(readTextFile(root.path() + "/code"), "exit 0\n");
    EXPECT_FALSE(records.existsWithTitle("Lintora Configuration"));
    // The terminal's settings as the run found them.
    EXPECT_EQ(readTextFile(root.path() + "/after"), readTextFile(root.path() + "/before"));
    const nlohmann::json queue = nlohmann::json::parse(
        runProgram(kBin + "/lntc", {"show", "--json"}, env()).out)["Queues"]["LEGAL_DEPT"];
    EXPECT_EQ(queue["Printer"].dump() + queue["Description"].dump() + queue["DeviceName"].dump() +
                  queue["DataEncode"].dump() + queue["Connectivity"].dump(),
              R"("HP_LASERJET_4MV""Legal department""legal_lj""ASCII_85""TCP_DIRECT")");
    EXPECT_NE(readTextFile(root.path() + "/drive_c/WINDOWS/system32/drivers/etc/hosts")
                  .find("10.1.2.30\tlegal_lj"),
              std::string::npos);
}

// Interrupted in a dialog, the run leaves the terminal as it found it.
TEST_F(TerminalRun, AnInterruptedRunRestoresTheTerminal) {
    start("--tui");
    ASSERT_TRUE(waitFor("MARKETING_COLOR"));
    keys({"C-c"});
    ASSERT_TRUE(waitFor("RUN-ENDED"));
    EXPECT_EQ(readTextFile(root.path() + "/code"), "exit 130\n");
    EXPECT_EQ(readTextFile(root.path() + "/after"), readTextFile(root.path() + "/before"));
}

// The screens of three dialogs as the text gallery writes them, against the reviewed ones.
TEST_F(TerminalRun, TextScreensOfDialogsMatchTheGoldenFiles) {
    const std::string dir = root.path() + "/gallery";
    RunResult r = runProgram(kBin + "/lntc-config", {"--gallery", dir, "--text"}, {});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* name : {"203-Lintora_Configuration.txt", "401-TCP_Direct_Connectivity.txt",
                             "405-Paper_Media.txt"})
        EXPECT_EQ(readTextFile(dir + "/" + name),
                  readTextFile(std::string(LNTC_SOURCE_DIR) + "/tests/golden/tui/" + name))
            << name;
}

} // namespace
#endif
