#include "platform/errors.h"
#include "platform/posix/posix_filesystem.h"
#include "support/temp_root.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using lntc::PosixFileSystem;
namespace fileattr = lntc::fileattr;
namespace err = lntc::err;

namespace {

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(c_ + "/work/sub"); }
    void TearDown() override { fs::current_path(savedCwd_); }

    std::string read(const std::string& host) {
        std::ifstream in(host, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& host, const std::string& data) {
        std::ofstream(host, std::ios::binary) << data;
    }

    lntc::test::TempRoot root_;
    std::string c_ = root_.path() + "/drive_c";
    PosixFileSystem files_{root_.path()};
    fs::path savedCwd_ = fs::current_path();
};

TEST_F(PosixFileSystemTest, ProductPathsMapToHostPathsAndBack) {
    // With the current directory on drive C, then outside it.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"C:\\work\\sub\\x.cfg", c_ + "/work/sub/x.cfg", c_ + "/work/sub/x.cfg"},
        {"c:\\work\\sub", c_ + "/work/sub", c_ + "/work/sub"},
        {"C:\\", c_, c_},
        {"C:/work/./sub/../sub//x", c_ + "/work/sub/x", c_ + "/work/sub/x"},
        {"C:\\..\\..\\work", c_ + "/work", c_ + "/work"}, // never above the drive
        {"Z:\\etc\\hosts", "/etc/hosts", "/etc/hosts"},
        {"z:\\", "/", "/"},
        {"D:\\data", "", ""},
        {"\\\\server\\share\\x", "", ""},
        {"sub\\x.cfg", c_ + "/work/sub/x.cfg", "/sub/x.cfg"},
        {"..\\other", c_ + "/other", "/other"},
        {"\\top.cfg", c_ + "/top.cfg", "/top.cfg"},
        {"C:sub", c_ + "/work/sub", c_ + "/sub"}, // another drive's starts at its root
    };
    std::string cwd;
    fs::current_path(c_ + "/work");
    ASSERT_EQ(files_.currentDirectory(cwd), 0u);
    EXPECT_EQ(cwd, "C:\\work");
    for (const auto& [product, host, fromRoot] : cases)
        EXPECT_EQ(files_.hostPath(product), host) << product;
    EXPECT_EQ(files_.productPath("sub/x"), "C:\\work\\sub\\x");
    fs::current_path("/");
    ASSERT_EQ(files_.currentDirectory(cwd), 0u);
    EXPECT_EQ(cwd, "Z:\\");
    for (const auto& [product, host, fromRoot] : cases)
        EXPECT_EQ(files_.hostPath(product), fromRoot) << product;

    const std::pair<std::string, std::string> back[] = {
        {c_ + "/work/sub/x.cfg", "C:\\work\\sub\\x.cfg"},
        {c_, "C:\\"},
        {c_ + "/work/../work/", "C:\\work"},
        {"/etc/hosts", "Z:\\etc\\hosts"},
        {"/", "Z:\\"},
    };
    for (const auto& [host, product] : back)
        EXPECT_EQ(files_.productPath(host), product) << host;
    std::string beside = "Z:" + c_ + "_other/x";
    std::replace(beside.begin(), beside.end(), '/', '\\');
    EXPECT_EQ(files_.productPath(c_ + "_other/x"), beside) << "a name prefix is not a folder";
}

TEST_F(PosixFileSystemTest, MissingComponentsAreFoundIgnoringCase) {
    write(c_ + "/work/sub/ldpx.cfg", "lower");
    EXPECT_EQ(files_.hostPath("C:\\WORK\\Sub\\LDPX.CFG"), c_ + "/work/sub/ldpx.cfg");
    std::string data;
    ASSERT_EQ(files_.readFile("C:\\Work\\SUB\\LDPX.cfg", data), 0u);
    EXPECT_EQ(data, "lower");

    // Writing under another spelling replaces the one file instead of adding a second.
    ASSERT_EQ(files_.writeFile("C:\\work\\sub\\LDPX.CFG", "upper"), 0u);
    EXPECT_EQ(read(c_ + "/work/sub/ldpx.cfg"), "upper");
    EXPECT_FALSE(fs::exists(c_ + "/work/sub/LDPX.CFG"));

    // The exact spelling wins when both exist; a new name keeps the caller's spelling.
    write(c_ + "/work/sub/LDPX.CFG", "exact");
    ASSERT_EQ(files_.readFile("C:\\work\\sub\\LDPX.CFG", data), 0u);
    EXPECT_EQ(data, "exact");
    EXPECT_EQ(files_.hostPath("C:\\WORK\\New\\File.Txt"), c_ + "/work/New/File.Txt");
}

TEST_F(PosixFileSystemTest, AttributesAndErrorsOfMissingAndRefusedPaths) {
    write(c_ + "/work/a.cfg", "x");
    write(c_ + "/work/ro.cfg", "keep");
    chmod((c_ + "/work/ro.cfg").c_str(), 0444);
    chmod((c_ + "/work/sub").c_str(), 0555);
    const std::tuple<const char*, uint32_t, uint32_t> attributes[] = {
        {"C:\\work", fileattr::Directory, 0},
        {"C:\\work\\a.cfg", fileattr::Normal, 0},
        {"C:\\work\\ro.cfg", fileattr::ReadOnly, 0},
        {"C:\\work\\sub", fileattr::Directory | fileattr::ReadOnly, 0},
        {"C:\\work\\missing.cfg", fileattr::Invalid, err::FileNotFound},
        {"C:\\nowhere\\missing.cfg", fileattr::Invalid, err::PathNotFound},
        {"C:\\work\\a.cfg\\below", fileattr::Invalid, err::PathNotFound},
        {"Q:\\x", fileattr::Invalid, err::PathNotFound},
    };
    for (const auto& [path, attrs, error] : attributes) {
        uint32_t e = 12345;
        EXPECT_EQ(files_.attributes(path, e), attrs) << path;
        EXPECT_EQ(e, error) << path;
    }
    chmod((c_ + "/work/sub").c_str(), 0755);

    std::string data = "unchanged";
    EXPECT_EQ(files_.readFile("C:\\work\\none.cfg", data), err::FileNotFound);
    EXPECT_EQ(files_.readFile("C:\\none\\none.cfg", data), err::PathNotFound);
    EXPECT_EQ(data, "unchanged");
    EXPECT_EQ(files_.readFile("C:\\work", data), err::AccessDenied);
    EXPECT_EQ(files_.deleteFile("C:\\work\\none.cfg"), err::FileNotFound);
    EXPECT_EQ(files_.renameFile("C:\\work\\none.cfg", "C:\\work\\b"), err::FileNotFound);
    EXPECT_EQ(files_.copyFile("C:\\none\\a", "C:\\work\\b"), err::PathNotFound);
    EXPECT_EQ(files_.writeFile("C:\\work\\ro.cfg", "new"), err::AccessDenied);
    EXPECT_EQ(files_.deleteFile("C:\\work\\ro.cfg"), err::AccessDenied);
    EXPECT_EQ(read(c_ + "/work/ro.cfg"), "keep");
    EXPECT_EQ(files_.writeFile("C:\\work\\sub", "x"), err::AccessDenied);
    EXPECT_EQ(files_.writeFile("C:\\nowhere\\x.cfg", "x"), err::PathNotFound);
    EXPECT_EQ(files_.writeFile("Q:\\x.cfg", "x"), err::PathNotFound);

    // Folders are made one level at a time.
    EXPECT_EQ(files_.createDirectory("C:\\work\\new"), 0u);
    EXPECT_TRUE(fs::is_directory(c_ + "/work/new"));
    EXPECT_EQ(files_.createDirectory("C:\\WORK\\NEW"), err::AlreadyExists);
    EXPECT_EQ(files_.createDirectory("C:\\a\\b"), err::PathNotFound);
    EXPECT_FALSE(fs::exists(c_ + "/a"));
    // With an explicit mode, whatever the process's mask; never through a symbolic link.
    const mode_t mask = umask(0);
    EXPECT_EQ(files_.createDirectory("C:\\work\\open"), 0u);
    umask(mask);
    EXPECT_EQ(fs::status(c_ + "/work/open").permissions(), fs::perms(0755));
    fs::create_directory(c_ + "/elsewhere");
    fs::create_directory_symlink(c_ + "/elsewhere", c_ + "/work/link");
    EXPECT_EQ(files_.createDirectory("C:\\work\\link\\new"), err::AccessDenied);
    EXPECT_EQ(files_.createDirectory("C:\\work\\link"), err::AccessDenied);
    EXPECT_TRUE(fs::is_empty(c_ + "/elsewhere"));
}

TEST_F(PosixFileSystemTest, WriteReplacesWholeRenameReplacesAndCopyDuplicates) {
    ASSERT_EQ(files_.writeFile("C:\\work\\out.cfg", "first version"), 0u);
    chmod((c_ + "/work/out.cfg").c_str(), 0640);
    ASSERT_EQ(files_.writeFile("C:\\work\\out.cfg", "2nd"), 0u);
    EXPECT_EQ(read(c_ + "/work/out.cfg"), "2nd");
    struct stat st {};
    ASSERT_EQ(stat((c_ + "/work/out.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "replacing keeps the file's permissions";
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(c_ + "/work"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out.cfg", "sub"})) << "no temporary files left";

    write(c_ + "/work/b.cfg", "B");
    ASSERT_EQ(files_.renameFile("C:\\work\\out.cfg", "C:\\work\\b.cfg"), 0u);
    EXPECT_FALSE(fs::exists(c_ + "/work/out.cfg"));
    EXPECT_EQ(read(c_ + "/work/b.cfg"), "2nd");
    ASSERT_EQ(files_.copyFile("C:\\work\\b.cfg", "C:\\work\\sub\\c.cfg"), 0u);
    EXPECT_EQ(read(c_ + "/work/sub/c.cfg"), "2nd");
    EXPECT_EQ(read(c_ + "/work/b.cfg"), "2nd");
    EXPECT_EQ(files_.copyFile("C:\\work\\b.cfg", "C:\\none\\c.cfg"), err::PathNotFound);
    // A rename that only changes case gives the file the new spelling.
    ASSERT_EQ(files_.renameFile("C:\\work\\b.cfg", "C:\\work\\B.CFG"), 0u);
    EXPECT_TRUE(fs::exists(c_ + "/work/B.CFG"));
    EXPECT_FALSE(fs::exists(c_ + "/work/b.cfg"));
    ASSERT_EQ(files_.deleteFile("c:\\WORK\\b.cfg"), 0u);
    EXPECT_FALSE(fs::exists(c_ + "/work/B.CFG"));
}

} // namespace
