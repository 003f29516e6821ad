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

namespace {

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(c_ + "/work/sub");
        savedCwd_ = fs::current_path();
    }
    void TearDown() override { fs::current_path(savedCwd_); }

    std::string read(const std::string& host) {
        std::ifstream in(host, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& host, const std::string& data) {
        std::ofstream(host, std::ios::binary) << data;
    }
    uint32_t attrs(const std::string& product, uint32_t& error) {
        error = 12345;
        return files_.attributes(product, error);
    }

    lntc::test::TempRoot root_;
    std::string c_ = root_.path() + "/drive_c";
    PosixFileSystem files_{root_.path()};
    fs::path savedCwd_;
};

TEST_F(PosixFileSystemTest, DrivesMapToTheirHostFolders) {
    EXPECT_EQ(files_.hostPath("C:\\work\\sub\\x.cfg"), c_ + "/work/sub/x.cfg");
    EXPECT_EQ(files_.hostPath("c:\\work\\sub"), c_ + "/work/sub");
    EXPECT_EQ(files_.hostPath("C:\\"), c_);
    EXPECT_EQ(files_.hostPath("C:/work/./sub/../sub//x"), c_ + "/work/sub/x");
    EXPECT_EQ(files_.hostPath("C:\\..\\..\\work"), c_ + "/work"); // never above the drive
    EXPECT_EQ(files_.hostPath("Z:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(files_.hostPath("z:\\"), "/");
    EXPECT_EQ(files_.hostPath("D:\\data"), "");
    EXPECT_EQ(files_.hostPath("\\\\server\\share\\x"), "");
}

TEST_F(PosixFileSystemTest, PathsWithoutDriveOrRootFollowTheCurrentDirectory) {
    fs::current_path(c_ + "/work");
    std::string cwd;
    ASSERT_EQ(files_.currentDirectory(cwd), 0u);
    EXPECT_EQ(cwd, "C:\\work");
    EXPECT_EQ(files_.hostPath("sub\\x.cfg"), c_ + "/work/sub/x.cfg");
    EXPECT_EQ(files_.hostPath("..\\other"), c_ + "/other");
    EXPECT_EQ(files_.hostPath("\\top.cfg"), c_ + "/top.cfg");
    EXPECT_EQ(files_.hostPath("C:sub"), c_ + "/work/sub");

    fs::current_path("/");
    ASSERT_EQ(files_.currentDirectory(cwd), 0u);
    EXPECT_EQ(cwd, "Z:\\");
    EXPECT_EQ(files_.hostPath("\\etc"), "/etc");
    EXPECT_EQ(files_.hostPath("etc\\hosts"), "/etc/hosts");
    // Another drive's relative path starts at that drive's root.
    EXPECT_EQ(files_.hostPath("C:work"), c_ + "/work");
}

TEST_F(PosixFileSystemTest, HostPathsMapBackToProductPaths) {
    EXPECT_EQ(files_.productPath(c_ + "/work/sub/x.cfg"), "C:\\work\\sub\\x.cfg");
    EXPECT_EQ(files_.productPath(c_), "C:\\");
    EXPECT_EQ(files_.productPath(c_ + "/work/../work/"), "C:\\work");
    std::string beside = "Z:" + c_ + "_other/x";
    std::replace(beside.begin(), beside.end(), '/', '\\');
    EXPECT_EQ(files_.productPath(c_ + "_other/x"), beside) << "a name prefix is not a folder";
    EXPECT_EQ(files_.productPath("/etc/hosts"), "Z:\\etc\\hosts");
    EXPECT_EQ(files_.productPath("/"), "Z:\\");
    fs::current_path(c_ + "/work");
    EXPECT_EQ(files_.productPath("sub/x"), "C:\\work\\sub\\x");
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

TEST_F(PosixFileSystemTest, AttributesTellFoldersReadOnlyAndMissing) {
    uint32_t error = 0;
    EXPECT_EQ(attrs("C:\\work", error), fileattr::Directory);
    EXPECT_EQ(error, 0u);
    write(c_ + "/work/a.cfg", "x");
    EXPECT_EQ(attrs("C:\\work\\a.cfg", error), fileattr::Normal);
    chmod((c_ + "/work/a.cfg").c_str(), 0444);
    EXPECT_EQ(attrs("C:\\work\\a.cfg", error), fileattr::ReadOnly);
    chmod((c_ + "/work/sub").c_str(), 0555);
    EXPECT_EQ(attrs("C:\\work\\sub", error), fileattr::Directory | fileattr::ReadOnly);
    chmod((c_ + "/work/sub").c_str(), 0755);

    EXPECT_EQ(attrs("C:\\work\\missing.cfg", error), fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::FileNotFound);
    EXPECT_EQ(attrs("C:\\nowhere\\missing.cfg", error), fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::PathNotFound);
    EXPECT_EQ(attrs("C:\\work\\a.cfg\\below", error), fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::PathNotFound);
    EXPECT_EQ(attrs("Q:\\x", error), fileattr::Invalid);
    EXPECT_EQ(error, lntc::err::PathNotFound);
}

TEST_F(PosixFileSystemTest, WriteFileReplacesWholeAndLeavesNoTemporaryFiles) {
    ASSERT_EQ(files_.writeFile("C:\\work\\out.cfg", "first version"), 0u);
    EXPECT_EQ(read(c_ + "/work/out.cfg"), "first version");
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
    EXPECT_EQ(names, (std::vector<std::string>{"out.cfg", "sub"}));
}

TEST_F(PosixFileSystemTest, RefusedWritesLeaveTheTargetUntouched) {
    write(c_ + "/work/ro.cfg", "keep");
    chmod((c_ + "/work/ro.cfg").c_str(), 0444);
    EXPECT_EQ(files_.writeFile("C:\\work\\ro.cfg", "new"), lntc::err::AccessDenied);
    EXPECT_EQ(read(c_ + "/work/ro.cfg"), "keep");
    EXPECT_EQ(files_.deleteFile("C:\\work\\ro.cfg"), lntc::err::AccessDenied);
    EXPECT_TRUE(fs::exists(c_ + "/work/ro.cfg"));
    EXPECT_EQ(files_.writeFile("C:\\work\\sub", "x"), lntc::err::AccessDenied);
    EXPECT_EQ(files_.writeFile("C:\\nowhere\\x.cfg", "x"), lntc::err::PathNotFound);
    EXPECT_EQ(files_.writeFile("Q:\\x.cfg", "x"), lntc::err::PathNotFound);
}

TEST_F(PosixFileSystemTest, DirectoriesAreCreatedOneLevelAtATime) {
    EXPECT_EQ(files_.createDirectory("C:\\work\\new"), 0u);
    EXPECT_TRUE(fs::is_directory(c_ + "/work/new"));
    EXPECT_EQ(files_.createDirectory("C:\\work\\new"), lntc::err::AlreadyExists);
    EXPECT_EQ(files_.createDirectory("C:\\WORK\\NEW"), lntc::err::AlreadyExists);
    EXPECT_EQ(files_.createDirectory("C:\\a\\b"), lntc::err::PathNotFound);
    EXPECT_FALSE(fs::exists(c_ + "/a"));
}

TEST_F(PosixFileSystemTest, ReadDeleteRenameAndCopyReportMissingPaths) {
    std::string data = "unchanged";
    EXPECT_EQ(files_.readFile("C:\\work\\none.cfg", data), lntc::err::FileNotFound);
    EXPECT_EQ(files_.readFile("C:\\none\\none.cfg", data), lntc::err::PathNotFound);
    EXPECT_EQ(data, "unchanged");
    EXPECT_EQ(files_.readFile("C:\\work", data), lntc::err::AccessDenied);
    EXPECT_EQ(files_.deleteFile("C:\\work\\none.cfg"), lntc::err::FileNotFound);
    EXPECT_EQ(files_.renameFile("C:\\work\\none.cfg", "C:\\work\\b"), lntc::err::FileNotFound);
    EXPECT_EQ(files_.copyFile("C:\\none\\a", "C:\\work\\b"), lntc::err::PathNotFound);
}

TEST_F(PosixFileSystemTest, RenameReplacesAndCopyDuplicates) {
    write(c_ + "/work/a.cfg", "A");
    write(c_ + "/work/b.cfg", "B");
    ASSERT_EQ(files_.renameFile("C:\\work\\a.cfg", "C:\\work\\b.cfg"), 0u);
    EXPECT_FALSE(fs::exists(c_ + "/work/a.cfg"));
    EXPECT_EQ(read(c_ + "/work/b.cfg"), "A");

    ASSERT_EQ(files_.copyFile("C:\\work\\b.cfg", "C:\\work\\sub\\c.cfg"), 0u);
    EXPECT_EQ(read(c_ + "/work/sub/c.cfg"), "A");
    EXPECT_EQ(read(c_ + "/work/b.cfg"), "A");
    EXPECT_EQ(files_.copyFile("C:\\work\\b.cfg", "C:\\none\\c.cfg"), lntc::err::PathNotFound);

    // A rename that only changes case gives the file the new spelling.
    ASSERT_EQ(files_.renameFile("C:\\work\\b.cfg", "C:\\work\\B.CFG"), 0u);
    EXPECT_TRUE(fs::exists(c_ + "/work/B.CFG"));
    EXPECT_FALSE(fs::exists(c_ + "/work/b.cfg"));

    ASSERT_EQ(files_.deleteFile("c:\\WORK\\b.cfg"), 0u);
    EXPECT_FALSE(fs::exists(c_ + "/work/B.CFG"));
}

} // namespace
