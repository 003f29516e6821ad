// The machine's top-level window registry between real processes. Steps are ordered with
// pipes; nothing waits on a clock.
#include "platform/posix/posix_windows.h"
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

using namespace lntc;

namespace {

// Which of the titles and classes the registry finds, and how many entry files it keeps.
std::string found(const PosixTopWindows& windows, const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names)
        out += std::string(windows.existsWithTitle(name) ? "T" : "-") +
               (windows.existsWithClass(name) ? "C " : "- ");
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(windows.directory(), ec))
        out += e.path().extension() == ".win" ? "#" : "";
    return out;
}

TEST(PosixTopWindows, RegisteredWindowsAreFoundByTitleOrClassUntilUnregistered) {
    test::TempRoot root;
    PosixTopWindows windows(root.path()), other(root.path());
    TopWindows::Handle logo = 0, admin = 0, odd = 0;
    ASSERT_EQ(windows.registerWindow("Lintora Logo", "lnt_logo", logo), 0u);
    ASSERT_EQ(windows.registerWindow("Lintora Administrator", "Qt Window", admin), 0u);
    // Another instance in the same process sees them too; names compare ignoring case.
    const std::vector<std::string> names = {"LNT_LOGO", "lintora administrator", "Lintora",
                                            "Lintora Logo", "qt window"};
    EXPECT_EQ(found(other, names), "-C T- -- T- -C ##");
    windows.unregister(logo);
    windows.unregister(logo);
    EXPECT_EQ(found(other, names), "-- T- -- -- -C #");

    // Titles and classes with any characters round-trip.
    const std::string title = "two\nlines 3 4 5\n";
    ASSERT_EQ(windows.registerWindow(title, "", odd), 0u);
    EXPECT_EQ(found(windows, {title, "", "two"}), "T- -C -- ##");

    // Another process's window is seen while it lives; killed, with no chance to unregister,
    // its entry counts as gone anyway, and its file goes.
    test::ForkedChild killed([&](test::ForkedChild& c) {
        PosixTopWindows mine(root.path());
        TopWindows::Handle h = 0;
        c.tell(mine.registerWindow("Gone", "QcQpClass", h) == 0 ? 'r' : 'x');
        return c.await(); // until killed
    });
    ASSERT_EQ(killed.await(), 'r');
    EXPECT_EQ(found(windows, {"QcQpClass", "Gone"}), "-C T- ###");
    killed.kill();
    EXPECT_TRUE(WIFSIGNALED(killed.join()));
    EXPECT_EQ(found(windows, {"QcQpClass", "Gone"}), "-- -- ##");
}

} // namespace
