// Product logic on real files under a machine root: the hosts file rewrite, where a failure
// between its steps, or the end of the process in the middle of it, leaves the old file or the
// new one, whole; the folders the options dialogs make.
#include "configure/directories.h"
#include "connectivity/hosts_file.h"
#include "platform/platform.h"
#include "platform/posix/posix_filesystem.h"
#include "product/posix_product.h"
#include "store/library.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/recording_host.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace lntc;
using namespace lntc::test;

namespace {

// The real file system; before each change (write, copy, rename) `before` gets its number and
// may answer an error in its place.
struct SteppedFiles : PosixFileSystem {
    using PosixFileSystem::PosixFileSystem;
    std::function<uint32_t(int)> before = [](int) { return 0u; };
    int count = 0;
    uint32_t error = 0;
    bool fails() { return (error = before(++count)) != 0; }
    uint32_t writeFile(std::string_view p, std::string_view c) override {
        return fails() ? error : PosixFileSystem::writeFile(p, c);
    }
    uint32_t copyFile(std::string_view f, std::string_view t) override {
        return fails() ? error : PosixFileSystem::copyFile(f, t);
    }
    uint32_t renameFile(std::string_view f, std::string_view t) override {
        return fails() ? error : PosixFileSystem::renameFile(f, t);
    }
};

struct Machine {
    TempRoot root;
    PosixPlatform posix{root.path()};
    SteppedFiles files{root.path()};
    PosixProductLibs product{root.path(), *posix.platform().sections, "server"};
    RecordingHost host;
    std::unique_ptr<Library> lib;
    const std::string etc = root.path() + "/drive_c/WINDOWS/system32/drivers/etc/";

    Machine() {
        Platform p = posix.platform();
        p.files = &files;
        lib = std::make_unique<Library>(p, product, host);
        std::filesystem::create_directories(etc);
    }
    uint32_t update(const std::string& address) {
        return UpdateHostsFile(*lib, nullptr, address, "PRN1");
    }
    std::string read(const char* name) const {
        return std::filesystem::exists(etc + name) ? readTextFile(etc + name) : "<none>";
    }
};

// A line longer than a 255-byte reader would take: its second piece would look like PRN1's.
const std::string kLong = "10.0.0.9 " + std::string(246, 'a') + "10.1.2.3 PRN1";
const std::string kOld = "# hosts\r\n" + kLong + "\n10.1.2.3 PRN1\n";
std::string withAddress(const std::string& address) {
    return "# hosts\r\n" + kLong + "\n" + address + "\tPRN1\n";
}

TEST(HostsFile, AFailureOrAKillBeforeAnyStepLeavesTheOldFileWhole) {
    // Before change n of the four that make a rewrite: an error, or the process killed. n = 5:
    // no error, or rewriting over and over and killed at any moment.
    for (int n = 1; n <= 5; ++n) {
        for (bool kill : {false, true}) {
            SCOPED_TRACE(std::to_string(n) + (kill ? " killed" : " failed"));
            Machine m;
            std::ofstream(m.etc + "hosts") << kOld;
            std::filesystem::permissions(m.etc + "hosts", std::filesystem::perms(0604));
            if (kill) {
                ForkedChild child([&](ForkedChild& c) -> int {
                    m.files.before = [&](int i) {
                        if (i == n) c.tell('s');
                        if (i == n && n < 5) c.await(); // until killed
                        return 0u;
                    };
                    for (int i = 0;; ++i)
                        m.update("10.0.0." + std::to_string(i % 200));
                });
                ASSERT_EQ(child.await(), 's');
                child.kill();
                EXPECT_TRUE(WIFSIGNALED(child.join()));
            } else {
                m.files.before = [&](int i) { return i == n ? err::DiskFull : 0u; };
                EXPECT_EQ(m.update("10.9.9.9"), n < 5 ? err::DiskFull : 0u);
                ASSERT_EQ(m.host.shown.size(), n < 5 ? 2u : 0u);
                if (n < 5) {
                    EXPECT_EQ(m.host.shown[1].text,
                              "Error accessing the file:  C:\\WINDOWS\\system32\\drivers\\etc\\"
                              "hosts.\nThe TCP Direct Port Name and Address did not get updated.");
                }
            }
            const std::string now = m.read("hosts");
            const size_t last = now.rfind('\n', now.size() - 2) + 1;
            EXPECT_EQ(now,
                      n < 5 ? kOld : withAddress(now.substr(last, now.find('\t', last) - last)));
            // The next rewrite is not hindered by what was left, and keeps the permissions.
            m.files.before = [](int) { return 0u; };
            EXPECT_EQ(m.update("10.9.9.9"), 0u);
            EXPECT_EQ(m.read("hosts") + "|" + m.read("hosts.lnt") + "|" + m.read("hosts___.lnt"),
                      withAddress("10.9.9.9") + "|" + now + "|<none>");
            EXPECT_EQ(std::filesystem::status(m.etc + "hosts").permissions(),
                      std::filesystem::perms(0604));
        }
    }
}

// (That no folder is made through a link, and what is read-only, the file system's tests show;
// the dialog's answers, the options dialogs' tests.)
TEST(Directories, MissingFoldersAreMadeWithTheirModeWhateverTheUmask) {
    Machine m;
    m.host.script({id::Yes});
    const mode_t mask = ::umask(0);
    EXPECT_TRUE(ValidateDirectory(*m.lib, nullptr, "C:", "\\qdsw_local\\cache\\spool", 6));
    ::umask(mask);
    const std::string c = m.root.path() + "/drive_c/qdsw_local";
    for (const char* made : {"", "/cache", "/cache/spool"})
        EXPECT_EQ(std::filesystem::status(c + made).permissions(), std::filesystem::perms(0755))
            << made;
}

} // namespace
