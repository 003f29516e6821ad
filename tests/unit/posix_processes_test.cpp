#include "platform/posix/posix_processes.h"
#include "support/temp_root.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts a program that sleeps until killed.
pid_t startSleeper(const std::string& program) {
    pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), "1000", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

const lntc::ProcessEntry* find(const std::vector<lntc::ProcessEntry>& list, pid_t pid) {
    auto it = std::find_if(list.begin(), list.end(), [pid](const lntc::ProcessEntry& e) {
        return e.pid == static_cast<uint32_t>(pid);
    });
    return it == list.end() ? nullptr : &*it;
}

// The child has exec'd once /proc shows it as the new image, not as this test program.
void waitForExec(pid_t pid, const std::string& program) {
    std::error_code ec;
    auto target = std::filesystem::canonical(program);
    std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    while (std::filesystem::read_symlink(exe, ec) != target) {
        ASSERT_NE(waitpid(pid, nullptr, WNOHANG), pid) << "child ended before exec";
        usleep(1000);
    }
}

TEST(PosixProcesses, ListsChildByImageNameAndTerminateKillsIt) {
    lntc::test::TempRoot temp;
    // A copy with an extension shows how the name is cut.
    std::string tool = temp.path() + "/lntc-sleeper.exe";
    std::filesystem::copy_file("/bin/sleep", tool);
    pid_t plain = startSleeper("/bin/sleep");
    pid_t dotted = startSleeper(tool);
    ASSERT_GT(plain, 0);
    ASSERT_GT(dotted, 0);
    waitForExec(plain, "/bin/sleep");
    waitForExec(dotted, tool);

    lntc::PosixProcesses processes;
    std::vector<lntc::ProcessEntry> list;
    ASSERT_EQ(processes.list(list), 0u);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const auto& a, const auto& b) { return a.pid < b.pid; }));
    const auto* self = find(list, getpid());
    const auto* a = find(list, plain);
    const auto* b = find(list, dotted);
    ASSERT_NE(self, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->imageName, "sleep");
    EXPECT_EQ(b->imageName, "lntc-sleeper");
    EXPECT_EQ(self->imageName, "unit_tests");

    EXPECT_TRUE(processes.terminate(static_cast<uint32_t>(plain)));
    EXPECT_TRUE(processes.terminate(static_cast<uint32_t>(dotted)));
    for (pid_t pid : {plain, dotted}) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
    }
    ASSERT_EQ(processes.list(list), 0u);
    EXPECT_EQ(find(list, plain), nullptr);
}

TEST(PosixProcesses, TerminateFailsForProcessesThatDoNotExist) {
    lntc::PosixProcesses processes;
    EXPECT_FALSE(processes.terminate(0));
    EXPECT_FALSE(processes.terminate(0x7ffffff0u));
    EXPECT_FALSE(processes.terminate(0xfffffff0u));
}

} // namespace
