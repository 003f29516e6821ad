// lntc-config on a real pseudo-terminal (tmux, 80x24): an administrator's whole configuration
// of a queue by keys only, checked in the registry; the terminal as it was afterwards; and the
// text screens of dialogs against golden files.
#ifdef LNTC_HAVE_TUI
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

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
        std::ofstream(script) << "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM\n"
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

} // namespace
#endif
