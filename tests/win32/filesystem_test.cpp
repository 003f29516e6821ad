// The Windows file system on real files under Wine.
#include "platform/win32/win32_filesystem.h"
#include "support/failing_steps.h"
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

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
        // What a failed run of these tests left behind.
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW(L"C:\\lntc-fs-test\\*.tmp", &found);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
            DeleteFileW((std::wstring(L"C:\\lntc-fs-test\\") + found.cFileName).c_str());
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
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

// The file calls recorded by the file's name ("tmp" for a temporary): "create NAME", "write NAME",
// "flush NAME", "close NAME", "move FROM TO", "delete NAME". The call recorded as `fail`
// answers ERROR_DISK_FULL instead of being made, once.
struct RecordingFileCalls {
    RecordingFileCalls() {
        current = this;
        win32::fileCalls = {
            [](LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how,
               DWORD flags, HANDLE tmpl) -> HANDLE {
                if (!current->record("create " + shortName(name))) return INVALID_HANDLE_VALUE;
                HANDLE h = current->saved.create(name, access, share, sa, how, flags, tmpl);
                if (h != INVALID_HANDLE_VALUE) current->names[h] = shortName(name);
                return h;
            },
            [](HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED o) -> BOOL {
                return current->record("write " + current->names[h]) &&
                       current->saved.write(h, data, size, written, o);
            },
            [](HANDLE h) -> BOOL {
                return current->record("flush " + current->names[h]) && current->saved.flush(h);
            },
            [](HANDLE h) -> BOOL {
                const std::string name = current->names[h];
                current->names.erase(h);
                const bool ok = current->record("close " + name);
                return current->saved.close(h) && ok; // the handle is gone either way
            },
            [](LPCWSTR from, LPCWSTR to, DWORD flags) -> BOOL {
                return (flags & MOVEFILE_WRITE_THROUGH) != 0 &&
                       current->record("move " + shortName(from) + " " + shortName(to)) &&
                       current->saved.move(from, to, flags);
            },
            [](LPCWSTR name) -> BOOL {
                return current->record("delete " + shortName(name)) && current->saved.remove(name);
            }};
    }
    ~RecordingFileCalls() {
        win32::fileCalls = saved;
        current = nullptr;
    }
    static std::string shortName(LPCWSTR path) {
        std::wstring name(path);
        name = name.substr(name.rfind(L'\\') + 1);
        if (name.starts_with(L".") && name.ends_with(L".tmp")) return "tmp";
        return std::string(name.begin(), name.end());
    }
    BOOL record(const std::string& call) {
        calls.push_back(call);
        if (call != fail) return TRUE;
        fail.clear();
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }

    static inline RecordingFileCalls* current = nullptr;
    win32::FileCalls saved = win32::fileCalls;
    std::vector<std::string> calls;
    std::string fail;
    std::map<HANDLE, std::string> names;
};

// A replaced file reaches the disk before the write-through move that makes it the file; a
// failure at any step before the move leaves the old file and no temporary, and is reported. A
// failing close after the flush loses nothing. A scratch file is made afresh: a failure leaves
// none.
TEST_F(Win32FileSystemTest, AReplacementIsFlushedBeforeItsMoveAndAFailedStepLeavesTheOldFile) {
    const std::string replaced = "create tmp,write tmp,flush tmp,close tmp,move tmp plain,";
    const std::string target = kDir + "\\plain";
    const std::tuple<const char*, std::function<uint32_t()>, std::string> cases[] = {
        {"write", [&] { return fs.writeFile(target, "new"); }, replaced},
        {"copy", [&] { return fs.copyFile(kDir + "\\new", target); }, replaced},
        {"rename", [&] { return fs.renameFile(kDir + "\\new", target); }, "move new plain,"},
        {"scratch", [&] { return fs.writeScratchFile(target, "new", FileKeep{}); },
         "delete plain,create plain,write plain,flush plain,close plain,"}};
    // What the folder holds: the target's text, or "-", and the temporaries.
    auto state = [&] {
        std::string data;
        std::string out = fs.readFile(target, data) == 0 ? data : "-";
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW(L"C:\\lntc-fs-test\\*.tmp", &found);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
            out += " tmp";
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        return out;
    };
    for (const auto& [what, change, expected] : cases) {
        SCOPED_TRACE(what);
        const bool scratch = std::string(what) == "scratch";
        test::EachStepFailing<RecordingFileCalls>(
            [] {
                put(L"plain", "old");
                put(L"new", "new");
            },
            change, expected, 0,
            [&](size_t failing, const std::string& step, uint32_t status) {
                EXPECT_EQ(std::to_string(status) + " " + state(),
                          failing == 0 || step.starts_with("close") ? "0 new"
                          : !scratch || failing == 1                ? "112 old"
                                                                    : "112 -");
            });
    }
}

// While a file is written, the folders on its way are held: none can be renamed away and
// replaced by a link meanwhile, as another user could do between a look and the use. Released
// after.
TEST_F(Win32FileSystemTest, TheFoldersOnTheWayAreHeldWhileAFileIsWritten) {
    static DWORD moved = 99;
    const win32::FileCalls saved = win32::fileCalls;
    win32::fileCalls.create = [](LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                 DWORD how, DWORD flags, HANDLE tmpl) -> HANDLE {
        moved = MoveFileExW(L"C:\\lntc-fs-test\\dir", L"C:\\lntc-fs-test\\away", 0)
                    ? 0
                    : GetLastError();
        return CreateFileW(name, access, share, sa, how, flags, tmpl);
    };
    const uint32_t written = fs.writeFile(kDir + "\\dir\\x", "x");
    win32::fileCalls = saved;
    if (moved == 0) MoveFileExW(L"C:\\lntc-fs-test\\away", L"C:\\lntc-fs-test\\dir", 0);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(moved, DWORD(ERROR_SHARING_VIOLATION));
    ASSERT_TRUE(MoveFileExW(L"C:\\lntc-fs-test\\dir", L"C:\\lntc-fs-test\\away", 0));
    MoveFileExW(L"C:\\lntc-fs-test\\away", L"C:\\lntc-fs-test\\dir", 0);
}

} // namespace
