#include "platform/posix/posix_processes.h"
#include "support/temp_root.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(PosixProcesses, ListsChildrenByImageNameAndTerminateKillsThem) {
    lntc::test::TempRoot temp;
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
    lntc::PosixProcesses processes;
    std::vector<lntc::ProcessEntry> list;
    auto nameOf = [&](pid_t pid) {
        for (const auto& e : list)
            if (e.pid == static_cast<uint32_t>(pid)) return e.imageName;
        return std::string("<none>");
    };
    ASSERT_EQ(processes.list(list), 0u);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const auto& a, const auto& b) { return a.pid < b.pid; }));
    EXPECT_EQ(nameOf(getpid()), "unit_tests");
    EXPECT_EQ(nameOf(sleepers[0]), "sleep");
    EXPECT_EQ(nameOf(sleepers[1]), "lntc-sleeper");
    for (pid_t pid : sleepers) {
        EXPECT_TRUE(processes.terminate(static_cast<uint32_t>(pid)));
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    ASSERT_EQ(processes.list(list), 0u);
    EXPECT_EQ(nameOf(sleepers[0]), "<none>");
    for (uint32_t gone : {0u, 0x7ffffff0u, 0xfffffff0u})
        EXPECT_FALSE(processes.terminate(gone)) << gone;
}

} // namespace
