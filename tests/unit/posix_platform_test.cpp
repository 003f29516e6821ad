// The POSIX backends: environment, clock, machine root, process list and the file system with
// its drive mapping.
#include "library/admin/output_file.h"
#include "platform/display.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_filesystem.h"
#include "platform/posix/posix_machine_files.h"
#include "platform/posix/posix_processes.h"
#include "platform/posix/posix_services.h"
#include "product/posix_product.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/failing_steps.h"
#include "support/file_calls.h"
#include "support/temp_root.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace lntc {
namespace {

// The language is the country's variant, else the language's default (encoding and modifier do not
// matter), of the first locale variable set and not empty. What every run uses is seen by the
// integration tests; here the fallbacks.
TEST(PosixEnvironment, LanguageOfTheLocaleServerNameAndMachineRootFallBack) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "DEU"}, {"de", "DEU"}, {"de_AT", "DEA"}, {"de_CH.UTF-8@euro", "DES"},
        {"en", "ENU"}, {"en_GB", "ENG"}, {"fr_CA", "FRC"}, {"nb_NO", "NOR"}, {"no_NO", "NOR"},
        {"C", ""}, {"C.UTF-8", ""}, {"POSIX", ""}, {"", ""}, {"xx_YY", ""}};
    // clang-format on
    for (const auto& [locale, abbreviation] : cases)
        EXPECT_EQ(languageAbbreviation(locale), abbreviation) << locale;
    // The variables change in a forked child, which ends with _exit: its failures must be written
    // out before.
    test::ForkedChild child([](test::ForkedChild&) {
        PosixEnvironment e;
        setenv("LC_ALL", "", 1);
        setenv("LC_MESSAGES", "de_DE", 1);
        setenv("LANG", "en_GB", 1);
        EXPECT_EQ(e.userLanguage(), "DEU");
        unsetenv("LC_MESSAGES");
        EXPECT_EQ(e.userLanguage(), "ENG");
        EXPECT_EQ(choosePrintServerName("", "host"), "host");

        // Without the root variable, per-user folders.
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
        std::fflush(stdout);
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_TRUE(test::exitedWith(child.join(), 0)) << "see the child's failures above";
}

// LNT_ROOT first; the system root for root and for a member of its group who may enter it (a
// member must not silently get an empty root of their own); else the user's own.
TEST(PosixPlatform, MachineRootChoice) {
    const struct {
        MachineRootFacts facts;
        const char* root;
    } cases[] = {
        {{"/r", true, true, "/x", "/h"}, "/r"},
        {{"", true, false, "/x", "/h"}, "/var/lib/lintora"},
        {{nullptr, false, true, "/x", "/h"}, "/var/lib/lintora"},
        {{nullptr, false, false, "/x", "/h"}, "/x/lintora"},
        {{nullptr, false, false, "x", "/h"}, "/h/.local/share/lintora"},
        {{nullptr, false, false, nullptr, nullptr}, "/tmp/.local/share/lintora"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseMachineRoot(c.facts), c.root);
}

// Finding and killing children by image name runs in the tool's tests; here the list's order,
// what cannot be killed and the services database.
TEST(PosixProcesses, ListsThisProgramInPidOrderAndRefusesBogusPidsAndServicesHaveHostOrder) {
    PosixProcesses processes;
    std::vector<ProcessEntry> list;
    ASSERT_EQ(processes.list(list), 0u);
    EXPECT_TRUE(std::ranges::is_sorted(list, {}, &ProcessEntry::pid));
    auto self = std::ranges::find(list, static_cast<uint32_t>(getpid()), &ProcessEntry::pid);
    ASSERT_NE(self, list.end());
    EXPECT_EQ(self->imageName, "unit_tests");
    EXPECT_FALSE(processes.terminate(0) || processes.terminate(0x7ffffff0u) ||
                 processes.terminate(0xfffffff0u));
    EXPECT_EQ(PosixServices().servicePort("no-such-lintora-service"), std::nullopt);
    EXPECT_TRUE(!fs::exists("/etc/services") || PosixServices().servicePort("ftp") == 21);
}

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(c_ + "/work/sub"); }
    void TearDown() override { fs::current_path(savedCwd_); }

    // Everything on drive C below work, sorted: folders as "path/", files as "path=contents".
    std::string tree() {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(c_ + "/work"))
            out.insert(e.path().string().substr(c_.size() + 6) +
                       (e.is_directory() ? "/" : "=" + test::readTextFile(e.path())));
        std::string joined;
        for (const std::string& e : out)
            joined += e + " ";
        return joined;
    }
    using Codes = std::vector<uint32_t>;

    test::TempRoot root_;
    std::string c_ = root_.path() + "/drive_c";
    PosixFileSystem files_{root_.path()};
    fs::path savedCwd_ = fs::current_path();
};

TEST_F(PosixFileSystemTest, ProductPathsMapToHostPathsAndBack) {
    // With the current directory on drive C, then outside it.
    // clang-format off
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"C:\\work\\sub\\x.cfg", c_ + "/work/sub/x.cfg", c_ + "/work/sub/x.cfg"},
        {"c:\\work\\sub", c_ + "/work/sub", c_ + "/work/sub"}, {"C:\\", c_, c_},
        {"C:/work/./sub/../sub//x", c_ + "/work/sub/x", c_ + "/work/sub/x"},
        {"C:\\..\\..\\work", c_ + "/work", c_ + "/work"}, // never above the drive
        {"Z:\\etc\\hosts", "/etc/hosts", "/etc/hosts"}, {"z:\\", "/", "/"}, {"D:\\data", "", ""},
        {"\\\\server\\share\\x", "", ""}, {"sub\\x.cfg", c_ + "/work/sub/x.cfg", "/sub/x.cfg"},
        {"..\\other", c_ + "/other", "/other"}, {"\\top.cfg", c_ + "/top.cfg", "/top.cfg"},
        {"C:sub", c_ + "/work/sub", c_ + "/sub"}, // another drive's starts at its root
        {"C:\\WORK\\New\\X", c_ + "/work/New/X", c_ + "/work/New/X"}}; // found ignoring case
    // clang-format on
    std::string cwd;
    for (bool onC : {true, false}) {
        fs::current_path(onC ? c_ + "/work" : "/");
        ASSERT_EQ(files_.currentDirectory(cwd), 0u);
        EXPECT_EQ(cwd, onC ? "C:\\work" : "Z:\\");
        for (const auto& [product, host, fromRoot] : cases)
            EXPECT_EQ(files_.hostPath(product), onC ? host : fromRoot) << product;
    }

    // clang-format off
    const std::pair<std::string, std::string> back[] = {
        {c_ + "/work/sub/x.cfg", "C:\\work\\sub\\x.cfg"}, {c_, "C:\\"}, {c_ + "/work/../work/", "C:\\work"},
        {"/etc/hosts", "Z:\\etc\\hosts"}, {"/", "Z:\\"}, {"sub/x", "Z:\\sub\\x"}};
    // clang-format on
    for (const auto& [host, product] : back)
        EXPECT_EQ(files_.productPath(host), product) << host;
    EXPECT_EQ(files_.productPath(c_ + "_other/x").substr(0, 3), "Z:\\") << "a prefix is no folder";
}

TEST_F(PosixFileSystemTest, AttributesAndErrorsOfMissingAndRefusedPaths) {
    std::ofstream(c_ + "/work/a.cfg") << "x";
    std::ofstream(c_ + "/work/ro.cfg") << "keep";
    chmod((c_ + "/work/ro.cfg").c_str(), 0444);
    chmod((c_ + "/work/sub").c_str(), 0555);
    // clang-format off
    const std::tuple<const char*, uint32_t, uint32_t> attributes[] = {
        {"C:\\work", fileattr::Directory, 0}, {"C:\\work\\a.cfg", fileattr::Normal, 0},
        {"C:\\work\\ro.cfg", fileattr::ReadOnly, 0},
        {"C:\\work\\sub", fileattr::Directory | fileattr::ReadOnly, 0},
        {"C:\\work\\missing.cfg", fileattr::Invalid, err::FileNotFound},
        {"C:\\nowhere\\missing.cfg", fileattr::Invalid, err::PathNotFound},
        {"C:\\work\\a.cfg\\below", fileattr::Invalid, err::PathNotFound},
        {"Q:\\x", fileattr::Invalid, err::PathNotFound}};
    // clang-format on
    for (const auto& [path, attrs, error] : attributes) {
        uint32_t e = 12345;
        EXPECT_EQ((std::pair{files_.attributes(path, e), e}), std::pair(attrs, error)) << path;
    }
    chmod((c_ + "/work/sub").c_str(), 0755);

    std::string data = "unchanged";
    EXPECT_EQ(
        Codes({files_.readFile("C:\\work\\none.cfg", data),
               files_.readFile("C:\\none\\none.cfg", data), files_.readFile("C:\\work", data),
               files_.deleteFile("C:\\work\\none.cfg"),
               files_.renameFile("C:\\work\\none.cfg", "C:\\work\\b"),
               files_.copyFile("C:\\none\\a", "C:\\work\\b"),
               files_.writeFile("C:\\work\\ro.cfg", "new"), files_.deleteFile("C:\\work\\ro.cfg"),
               files_.writeFile("C:\\work\\sub", "x"), files_.writeFile("C:\\nowhere\\x.cfg", "x"),
               files_.writeFile("Q:\\x.cfg", "x")}),
        Codes({err::FileNotFound, err::PathNotFound, err::AccessDenied, err::FileNotFound,
               err::FileNotFound, err::PathNotFound, err::AccessDenied, err::AccessDenied,
               err::AccessDenied, err::PathNotFound, err::PathNotFound}));
    EXPECT_EQ(data, "unchanged");

    // Folders are made one level at a time (never through a link, nor onto one: below).
    EXPECT_EQ(Codes({files_.createDirectory("C:\\work\\new"),
                     files_.createDirectory("C:\\WORK\\NEW"), files_.createDirectory("C:\\a\\b")}),
              Codes({0, err::AlreadyExists, err::PathNotFound}));
    EXPECT_EQ(tree(), "a.cfg=x new/ ro.cfg=keep sub/ ");
    EXPECT_FALSE(fs::exists(c_ + "/a"));
}

TEST_F(PosixFileSystemTest, WriteReplacesWholeRenameReplacesAndCopyDuplicates) {
    ASSERT_EQ(files_.writeFile("C:\\work\\out.cfg", "first version"), 0u);
    chmod((c_ + "/work/out.cfg").c_str(), 0640);
    ASSERT_EQ(files_.writeFile("C:\\work\\out.cfg", "2nd"), 0u);
    EXPECT_EQ(fs::status(c_ + "/work/out.cfg").permissions(), fs::perms(0640))
        << "replacing keeps the file's permissions";
    EXPECT_EQ(tree(), "out.cfg=2nd sub/ ") << "no temporary files left";
    std::ofstream(c_ + "/work/b.cfg") << "B";
    EXPECT_EQ(Codes({files_.renameFile("C:\\work\\out.cfg", "C:\\work\\b.cfg"),
                     files_.copyFile("C:\\work\\b.cfg", "C:\\work\\sub\\c.cfg"),
                     files_.copyFile("C:\\work\\b.cfg", "C:\\none\\c.cfg")}),
              Codes({0, 0, err::PathNotFound}));
    EXPECT_EQ(tree(), "b.cfg=2nd sub/ sub/c.cfg=2nd ");
    // A rename that only changes case gives the file the new spelling; a write under another
    // spelling replaces that one file, unless the exact spelling exists too.
    ASSERT_EQ(files_.renameFile("C:\\work\\b.cfg", "C:\\work\\B.CFG"), 0u);
    ASSERT_EQ(files_.writeFile("c:\\WORK\\b.CFG", "3rd"), 0u);
    std::ofstream(c_ + "/work/sub/C.CFG") << "exact";
    std::string data;
    ASSERT_EQ(files_.readFile("C:\\work\\sub\\C.CFG", data), 0u);
    EXPECT_EQ(data + " " + tree(), "exact B.CFG=3rd sub/ sub/C.CFG=exact sub/c.cfg=2nd ");
    ASSERT_EQ(files_.deleteFile("c:\\WORK\\b.cfg"), 0u);
    EXPECT_EQ(tree(), "sub/ sub/C.CFG=exact sub/c.cfg=2nd ");
}

// A replaced file reaches the disk before the rename that makes it the file, and the folder
// after it; a failure at any step before that leaves the old file and nothing else, and is
// reported. A scratch file is made afresh: a failure leaves none. (The folder's flush comes
// after the file was replaced.)
TEST_F(PosixFileSystemTest, AReplacementIsFlushedBeforeItsRenameAndAFailedStepLeavesTheOldFile) {
    const std::string replaced =
        "open tmp,write tmp,fsync tmp,close tmp,rename tmp out.cfg,fsync folder,";
    const std::string old = "b.cfg=new out.cfg=old sub/ ";
    const std::tuple<const char*, std::function<uint32_t()>, std::string> cases[] = {
        {"write", [&] { return files_.writeFile("C:\\work\\out.cfg", "new"); }, replaced},
        {"copy", [&] { return files_.copyFile("C:\\work\\b.cfg", "C:\\work\\out.cfg"); }, replaced},
        {"rename", [&] { return files_.renameFile("C:\\work\\b.cfg", "C:\\work\\out.cfg"); },
         "rename b.cfg out.cfg,fsync folder,"},
        {"scratch", [&] { return files_.writeScratchFile("C:\\work\\out.cfg", "new", FileKeep{}); },
         "unlink out.cfg,open out.cfg,write out.cfg,fsync out.cfg,close out.cfg,"}};
    for (const auto& [what, change, expected] : cases) {
        SCOPED_TRACE(what);
        const bool scratch = std::string(what) == "scratch";
        test::EachStepFailing<test::RecordingFileCalls>(
            [&] {
                std::ofstream(c_ + "/work/out.cfg") << "old";
                std::ofstream(c_ + "/work/b.cfg") << "new";
            },
            change, expected, scratch ? 0 : 1, // the folder's flush
            [&](size_t failing, const std::string&, uint32_t status) {
                EXPECT_EQ(status, failing ? err::DiskFull : 0u);
                if (failing) EXPECT_EQ(tree(), !scratch || failing == 1 ? old : "b.cfg=new sub/ ");
            });
    }
}

// A display over TCP (display N is port 6000 + N) counts only when it takes a connection within
// the patience, its name looked up first; 65535 lies above the ports the system hands out.
TEST(PosixDisplay, ATcpDisplayCountsOnlyWhenItAnswersInTime) {
    uint16_t port = 0;
    const int listener = test::LoopbackListener(port);
    const std::string up = std::to_string(port - 6000);
    using V = DisplayVerdict;
    std::string display;
    auto env = [&](std::string_view v) {
        return v == "DISPLAY" ? std::optional(display) : std::nullopt;
    };
    // clang-format off
    const std::pair<std::string, V> cases[] = {{"127.0.0.1:" + up, V::Usable},
        {"localhost:" + up + ".0", V::Usable}, {"localhost:59535", V::Unreachable},
        {"nothing.invalid:0", V::Unreachable}, {"192.0.2.1:0", V::Unreachable}}; // nobody there
    // clang-format on
    for (const auto& [name, verdict] : cases)
        EXPECT_EQ(CheckDisplay((display = name, env), std::chrono::milliseconds(300)), verdict);
    close(listener);
}

// Below the machine root no link is followed, whether openat2() or the walk a folder at a time
// resolves the path, and drive C spelled through Z: is still drive C; elsewhere on Z: links are
// followed for reading. Only regular files are read (a pipe never blocks: the alarm would end
// the tests), up to the size asked.
TEST_F(PosixFileSystemTest, NoLinkBelowTheRootIsFollowedAndOnlyRegularFilesOfTheirSizeAreRead) {
    alarm(20);
    const std::string out = root_.path() + "/outside", z = "Z:" + out;
    fs::create_directories(out + "/dir");
    std::ofstream(out + "/dir/x") << "secret";
    fs::create_symlink(out + "/dir/x", c_ + "/work/lfile");
    fs::create_directory_symlink(out + "/dir", c_ + "/work/ldir");
    fs::create_symlink("/dev/zero", out + "/zero");
    ASSERT_EQ(mkfifo((c_ + "/work/fifo").c_str(), 0600), 0);
    std::ofstream(c_ + "/work/ten") << "0123456789";
    fs::create_directory_symlink(".", c_ + "/work/inner"); // even one that stays below
    for (bool openat2 : {true, false}) {
        SCOPED_TRACE(openat2 ? "openat2" : "walk");
        PosixFileSystem files(root_.path(), openat2);
        auto read = [&](const std::string& path, uint64_t max) {
            std::string data;
            return std::to_string(files.readFile(path, data, max, nullptr)) + ":" + data;
        };
        EXPECT_EQ(std::vector<std::string>(
                      {read("C:\\work\\lfile", 99), read("C:\\work\\LDIR\\x", 99),
                       read("C:\\work\\inner\\ten", 99), read("Z:" + c_ + "\\work\\lfile", 99),
                       read("C:\\work\\fifo", 99), read("C:\\work\\TEN", 10),
                       read("C:\\work\\ten", 9), read(z + "/dir/x", 99), read(z + "/zero", 99)}),
                  std::vector<std::string>(
                      {"5:", "5:", "5:", "5:", "5:", "0:0123456789", "223:", "0:secret", "5:"}));
        uint32_t link = 0, fifo = 0;
        EXPECT_EQ(Codes({files.attributes("C:\\work\\lfile", link), link,
                         files.attributes("C:\\work\\fifo", fifo), fifo,
                         files.writeFile("C:\\work\\lfile", "x"),
                         files.writeFile("C:\\work\\ldir\\new", "x"),
                         files.writeScratchFile("C:\\work\\ldir\\x", "x", FileKeep{}),
                         files.copyFile("C:\\work\\ten", "C:\\work\\ldir\\x"),
                         files.renameFile("C:\\work\\ten", "C:\\work\\ldir\\x"),
                         files.deleteFile("C:\\work\\ldir\\x"),
                         files.createDirectory("C:\\work\\ldir\\new"),
                         files.createDirectory("C:\\work\\ldir")}),
                  Codes({fileattr::Invalid, err::AccessDenied, fileattr::Device, 0, 5, 5, 5, 5, 5,
                         5, 5, 5}));
    }
    EXPECT_EQ(test::readTextFile(out + "/dir/x"), "secret");
    EXPECT_EQ(std::distance(fs::directory_iterator(out + "/dir"), {}), 1);
    alarm(0);
}

// The administration's writer, its system calls watched: the new file is on the disk before it
// takes the old one's name, with exactly its mode; a failure at any step leaves the old file and
// no new one.
struct WatchedCalls {
    static inline std::string log, failing;
    static bool fails(const char* call) {
        log += std::string(call) + " ";
        if (failing != call) return false;
        errno = EIO;
        return true;
    }
};
const OutputCalls kWatchedCalls{
    [](char* p, int f) { return WatchedCalls::fails("temporary") ? -1 : ::mkostemp(p, f); },
    [](int fd, mode_t m) { return WatchedCalls::fails("mode") ? -1 : ::fchmod(fd, m); },
    [](int fd, const void* d, size_t n) -> ssize_t {
        return WatchedCalls::fails("write") ? -1 : ::write(fd, d, n);
    },
    [](int fd) { return WatchedCalls::fails("flush") ? -1 : ::fsync(fd); },
    [](int fd) { return ::close(fd) != 0 || WatchedCalls::fails("close") ? -1 : 0; },
    [](const char* a, const char* b) {
        return WatchedCalls::fails("rename") ? -1 : ::rename(a, b);
    },
};

TEST(OutputFile, IsFlushedBeforeItReplacesTheOldFileAndAFailedStepLeavesTheOldOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "temporary mode write flush close rename |new 604|"},
        {"temporary", "temporary |old 640|Input/output error"},
        {"mode", "temporary mode close |old 640|Input/output error"},
        {"write", "temporary mode write close |old 640|Input/output error"},
        {"flush", "temporary mode write flush close |old 640|Input/output error"},
        {"close", "temporary mode write flush close |old 640|Input/output error"},
        {"rename", "temporary mode write flush close rename |old 640|Input/output error"},
    };
    for (const auto& [failing, expected] : cases) {
        test::TempRoot dir;
        const std::string path = dir.path() + "/out.json";
        std::ofstream(path) << "old";
        ::chmod(path.c_str(), 0640);
        WatchedCalls::log.clear();
        WatchedCalls::failing = failing;
        std::string why;
        {
            OutputFile out(kWatchedCalls);
            if (out.open(path, 0604, OutputFile::Devices::Replace, why)) out.write("new", why);
        }
        char mode[8];
        std::snprintf(mode, sizeof mode, "%o",
                      static_cast<unsigned>(fs::status(path).permissions()));
        EXPECT_EQ(WatchedCalls::log + "|" + test::readTextFile(path) + " " + mode + "|" + why,
                  expected);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
            << failing;
    }
}

// The root's own files (the ODR directory) are read alike: no link, pipe or folder, nothing
// past the size asked.
TEST(PosixMachineFiles, OnlyRegularFilesOfTheirSizeAreRead) {
    alarm(20);
    test::TempRoot root;
    const std::string odr = root.path() + "/odr/";
    fs::create_directories(odr + "folder");
    std::ofstream(odr + "ten") << "0123456789";
    fs::create_symlink(odr + "ten", odr + "link");
    ASSERT_EQ(mkfifo((odr + "fifo").c_str(), 0600), 0);
    PosixMachineFiles files(root.path());
    auto read = [&](const char* name, uint64_t max) {
        std::string data;
        return std::to_string(files.read(name, data, max)) + ":" + data;
    };
    EXPECT_EQ(
        std::vector<std::string>({read("odr/ten", 10), read("odr/ten", 9), read("odr/link", 99),
                                  read("odr/fifo", 99), read("odr/folder", 99),
                                  read("odr/none", 99), read("none/x", 99)}),
        std::vector<std::string>({"0:0123456789", "223:", "5:", "5:", "5:", "2:", "2:"}));
    alarm(0);
}

} // namespace
} // namespace lntc
