// The Windows file system on real files under Wine.
#include "platform/win32/win32_filesystem.h"
#include <functional>
#include <gtest/gtest.h>

using namespace lntc;

namespace {

const std::string kDir = "C:\\lntc-fs-test";

void put(std::wstring name, const std::string& data, DWORD attrs = FILE_ATTRIBUTE_NORMAL) {
    name = L"C:\\lntc-fs-test\\" + name;
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD n = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, 0);
    CloseHandle(h);
    SetFileAttributesW(name.c_str(), attrs);
}

class Win32FileSystemTest : public testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryW(L"C:\\lntc-fs-test", nullptr);
        CreateDirectoryW(L"C:\\lntc-fs-test\\dir", nullptr);
        put(L"dir\\inner", "in");
        put(L"plain", "0123456789");
        put(L"ro", "old", FILE_ATTRIBUTE_READONLY);
        // Wine makes no link itself (this does nothing) but shows a host's symbolic link to a
        // folder as one: CTest's fixture makes it.
        CreateSymbolicLinkW(L"C:\\lntc-fs-test\\link", L"dir", SYMBOLIC_LINK_FLAG_DIRECTORY);
    }
    Win32FileSystem fs;
};

TEST_F(Win32FileSystemTest, ErrorsAndAttributesAsTheLinuxBuildGivesThem) {
    std::string data;
    uint32_t error = 0;
    auto attr = [&](const char* p) {
        uint32_t a = fs.attributes(kDir + p, error);
        return a == fileattr::Invalid ? error : a << 16;
    };
    const struct {
        const char* what;
        std::function<uint32_t()> call;
        uint32_t expected;
    } rows[] = {
        {"plain file", [&] { return attr("\\plain"); }, fileattr::Normal << 16},
        {"read-only file, forward slashes", [&] { return attr("/ro"); }, fileattr::ReadOnly << 16},
        {"folder", [&] { return attr("\\dir\\"); }, fileattr::Directory << 16},
        {"missing file", [&] { return attr("\\missing"); }, 2},
        {"missing folder", [&] { return attr("\\missing\\x"); }, 3},
        {"read at the limit", [&] { return fs.readFile(kDir + "\\plain", data, 10, nullptr); }, 0},
        {"read one past", [&] { return fs.readFile(kDir + "\\plain", data, 9, nullptr); }, 223},
        {"read a folder", [&] { return fs.readFile(kDir + "\\dir", data); }, 5},
        {"read a device", [&] { return fs.readFile(kDir + "\\NUL", data); }, 5},
        {"write a read-only file", [&] { return fs.writeFile(kDir + "\\ro", "x"); }, 5},
        {"write over a folder", [&] { return fs.writeFile(kDir + "\\dir", "x"); }, 5},
        {"write into a missing folder", [&] { return fs.writeFile(kDir + "\\no\\x", "x"); }, 3},
        {"delete a read-only file", [&] { return fs.deleteFile(kDir + "\\ro"); }, 5},
        {"delete a folder", [&] { return fs.deleteFile(kDir + "\\dir"); }, 5},
        {"delete a missing file", [&] { return fs.deleteFile(kDir + "\\missing"); }, 2},
        {"make an existing folder", [&] { return fs.createDirectory(kDir + "\\dir"); }, 183},
        {"rename onto a read-only file",
         [&] { return fs.renameFile(kDir + "\\plain", kDir + "\\ro"); }, 5},
        {"a link", [&] { return attr("\\link"); }, 5},
        {"write through a link", [&] { return fs.writeFile(kDir + "\\link\\x", "x"); }, 5},
        {"read through a link", [&] { return fs.readFile(kDir + "\\link\\inner", data); }, 5},
        {"scratch over a folder", [&] { return fs.writeScratchFile(kDir + "\\dir", "x", {}); }, 5},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.call(), row.expected) << row.what;
    EXPECT_EQ(data, "0123456789") << "the read at the limit is whole";
    EXPECT_EQ(fs.hostPath("c:/lntc-fs-test/dir/../plain"), "c:\\lntc-fs-test\\plain");
}

TEST_F(Win32FileSystemTest, AWriteIsCompleteOrLeavesTheOldFile) {
    const std::string target = kDir + "\\plain";
    ASSERT_EQ(fs.writeFile(target, "new"), 0u);
    std::string data;
    EXPECT_TRUE(fs.readFile(target, data) == 0 && data == "new");
    // Another holder that does not share deletion makes the replacement fail.
    HANDLE held = CreateFileW(L"C:\\lntc-fs-test\\plain", GENERIC_READ, FILE_SHARE_READ, 0,
                              OPEN_EXISTING, 0, 0);
    EXPECT_EQ(fs.writeFile(target, "newer"), 5u);
    CloseHandle(held);
    EXPECT_TRUE(fs.readFile(target, data) == 0 && data == "new");
    WIN32_FIND_DATAW found;
    HANDLE tmp = FindFirstFileW(L"C:\\lntc-fs-test\\*.tmp", &found);
    EXPECT_EQ(tmp, INVALID_HANDLE_VALUE) << "no temporary file is left behind";
    FindClose(tmp);
    FileKeep keep;
    ASSERT_EQ(fs.copyFile(kDir + "\\ro", kDir + "\\copy"), 0u);
    EXPECT_EQ(fs.attributes(kDir + "\\copy", keep.mode), fileattr::ReadOnly);
    EXPECT_EQ(fs.writeScratchFile(kDir + "\\copy", "s", keep), 0u) << "a stale one is replaced";
    EXPECT_TRUE(fs.readFile(kDir + "\\copy", data, 1, &keep) == 0 && data == "s" && !keep.readOnly);
}

} // namespace
