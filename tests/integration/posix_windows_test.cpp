// The machine's top-level window registry between real processes. Steps are ordered with
// pipes; nothing waits on a clock.
#include "platform/posix/posix_windows.h"
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <sys/wait.h>

using lntc::PosixTopWindows;
using lntc::TopWindows;

namespace {

size_t entryFiles(const std::string& dir) {
    size_t n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).ends_with(".win")) ++n;
        closedir(d);
    }
    return n;
}

TEST(PosixTopWindows, RegisteredWindowsAreFoundByTitleOrClassUntilUnregistered) {
    lntc::test::TempRoot root;
    PosixTopWindows windows(root.path());
    EXPECT_FALSE(windows.existsWithClass("lnt_logo"));
    TopWindows::Handle logo = 0, admin = 0;
    ASSERT_EQ(windows.registerWindow("Lintora Logo", "lnt_logo", logo), 0u);
    ASSERT_EQ(windows.registerWindow("Lintora Administrator", "Qt Window", admin), 0u);
    EXPECT_NE(logo, admin);
    EXPECT_TRUE(windows.existsWithClass("LNT_LOGO"));
    EXPECT_TRUE(windows.existsWithTitle("lintora administrator"));
    EXPECT_FALSE(windows.existsWithTitle("Lintora"));
    EXPECT_FALSE(windows.existsWithClass("Lintora Logo")); // a title is not a class

    // Another instance in the same process sees them too.
    PosixTopWindows other(root.path());
    EXPECT_TRUE(other.existsWithTitle("Lintora Logo"));

    windows.unregister(logo);
    windows.unregister(logo);
    EXPECT_FALSE(other.existsWithClass("lnt_logo"));
    EXPECT_TRUE(other.existsWithClass("qt window"));
    EXPECT_EQ(entryFiles(windows.directory()), 1u);

    // Titles and classes with any characters round-trip.
    TopWindows::Handle h = 0;
    const std::string title = "two\nlines 3 4 5\n";
    ASSERT_EQ(windows.registerWindow(title, "", h), 0u);
    EXPECT_TRUE(windows.existsWithTitle(title));
    EXPECT_TRUE(windows.existsWithClass(""));
    EXPECT_FALSE(windows.existsWithTitle("two"));
}

TEST(PosixTopWindows, AnotherProcessesWindowIsSeenWhileItLivesAndClearedAfter) {
    lntc::test::TempRoot root;
    lntc::test::ForkedChild other([&](lntc::test::ForkedChild& c) {
        PosixTopWindows mine(root.path());
        TopWindows::Handle h = 0;
        c.tell(mine.registerWindow("Lintora Administrator", "MSVCSRC20", h) == 0 ? 'r' : 'x');
        c.await(); // hold the window until killed
        return 0;
    });
    ASSERT_EQ(other.await(), 'r');
    PosixTopWindows windows(root.path());
    EXPECT_TRUE(windows.existsWithClass("MSVCSRC20"));
    EXPECT_TRUE(windows.existsWithTitle("Lintora Administrator"));
    EXPECT_EQ(entryFiles(windows.directory()), 1u);

    // Killed: no chance to unregister. The entry must count as gone anyway.
    other.kill();
    EXPECT_TRUE(WIFSIGNALED(other.join()));
    EXPECT_FALSE(windows.existsWithClass("MSVCSRC20"));
    EXPECT_FALSE(windows.existsWithTitle("Lintora Administrator"));
    EXPECT_EQ(entryFiles(windows.directory()), 0u); // and its file is cleaned up
}

TEST(PosixTopWindows, ALeftoverFileWithoutItsProcessIsIgnored) {
    lntc::test::TempRoot root;
    PosixTopWindows windows(root.path());
    TopWindows::Handle h = 0;
    ASSERT_EQ(windows.registerWindow("Mine", "mine", h), 0u);
    // A record written by a process that is long gone (no one holds its lock).
    std::ofstream(windows.directory() + "/99999-1.win") << "99999 9 5\nQcQpClassStale";
    EXPECT_FALSE(windows.existsWithClass("QcQpClass"));
    EXPECT_TRUE(windows.existsWithClass("mine"));
    EXPECT_EQ(entryFiles(windows.directory()), 1u);
}

} // namespace
