// Locks, the machine's own files and their security, across processes: the test binary runs
// itself as the second process.
#include "platform/win32/win32_locks.h"
#include "platform/win32/win32_machine_files.h"
#include "platform/win32/win32_sections.h"
#include "platform/win32/win32_security.h"
#include <aclapi.h>
#include <gtest/gtest.h>
#include <thread>

using namespace lntc;
using namespace std::chrono_literals;

namespace {

const std::string kRoot = "C:\\lntc-machine-test";
Win32FileLocks locks(kRoot);
Win32MachineFiles files(kRoot);
const std::string kPrefix = win32::objectPrefix(kRoot);
HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, win32::objectName(kPrefix, "ready").c_str());
HANDLE release = CreateEventW(nullptr, TRUE, FALSE, win32::objectName(kPrefix, "go").c_str());
constexpr int kLines = 400;

// Runs this program as "hold" (takes the lock and dies holding it) or "append" and waits until
// it has started.
HANDLE spawn(std::wstring role) {
    ResetEvent(ready), ResetEvent(release);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + role;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), 0, 0, 0, 0, 0, 0, &si, &pi) ||
        WaitForSingleObject(ready, 20000) != WAIT_OBJECT_0)
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

std::string line(char who, int i) {
    return std::string(1, who) + std::to_string(i) + std::string(120, who) + "\n";
}

void appendLines(char who) {
    for (int i = 0; i < kLines; ++i)
        files.append("log/test.log", line(who, i));
}

TEST(Win32FileLocks, AHolderElsewhereBlocksUntilItDies) {
    std::unique_ptr<FileLocks::Held> held, again;
    EXPECT_EQ(locks.acquire("Hosts", 0ms, held), 123u) << "names are the Linux build's";
    ASSERT_EQ(locks.acquire("hosts", 0ms, held), 0u);
    EXPECT_EQ(locks.acquire("hosts", 20ms, again), 33u) << "not taken again by its own thread";
    held.reset();
    HANDLE holder = spawn(L"hold");
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(locks.acquire("hosts", 100ms, held), 33u);
    SetEvent(release);
    EXPECT_EQ(locks.acquire("hosts", 20s, held), 0u) << "abandoned by the dead holder";
    WaitForSingleObject(holder, 20000);
    CloseHandle(holder);
}

TEST(Win32MachineFiles, AppendsOfTwoProcessesStayWholeLines) {
    DeleteFileW(L"C:\\lntc-machine-test\\log\\test.log");
    std::string text;
    EXPECT_EQ(files.read("log/test.log", text, 100), 2u);
    EXPECT_EQ(files.hostPath("log/test.log"), "C:\\lntc-machine-test\\log\\test.log");
    HANDLE other = spawn(L"append");
    ASSERT_NE(other, nullptr);
    appendLines('p');
    WaitForSingleObject(other, 60000);
    CloseHandle(other);
    const size_t size = 99780; // two times 400 lines of 122 bytes and 1090 digits
    ASSERT_EQ(files.read("log/test.log", text, size), 0u);
    EXPECT_EQ(files.read("log/test.log", text, size - 1), 223u);
    int seen[2] = {0, 0};
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string got = text.substr(at, end + 1 - at);
        const int who = got[0] == 'c';
        EXPECT_EQ(got, line(got[0], std::stoi(got.substr(1)))) << "a line broken up";
        ++seen[who];
    }
    EXPECT_EQ(seen[0], kLines);
    EXPECT_EQ(seen[1], kLines);
}

// The rights of Administrators and of other users in a list of entries.
std::pair<DWORD, DWORD> rights(PACL dacl) {
    BYTE admins[SECURITY_MAX_SID_SIZE], users[SECURITY_MAX_SID_SIZE];
    DWORD n = sizeof admins, m = sizeof users;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, 0, admins, &n);
    CreateWellKnownSid(WinAuthenticatedUserSid, 0, users, &m);
    std::pair<DWORD, DWORD> out{0, 0};
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(dacl, i, reinterpret_cast<void**>(&ace));
        if (EqualSid(&ace->SidStart, admins)) out.first |= ace->Mask;
        if (EqualSid(&ace->SidStart, users)) out.second |= ace->Mask;
    }
    return out;
}

std::pair<DWORD, DWORD> rights(HANDLE object) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, 0, 0, &dacl, 0, &sd) !=
        0)
        return {0, 0};
    auto out = rights(dacl);
    LocalFree(sd);
    CloseHandle(object);
    return out;
}

std::pair<DWORD, DWORD> rights(win32::ObjectKind kind, win32::Reach reach) {
    win32::SecurityAttributes sa(kind, reach);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!sa.get() ||
        !GetSecurityDescriptorDacl(sa.get()->lpSecurityDescriptor, &present, &dacl, &defaulted))
        return {0, 0};
    return rights(dacl);
}

// Wine keeps a file's security only as its host mode (a folder made here is drwxr-x---): files
// are checked in the descriptor they are made with, the system's objects as read back.
TEST(Win32Security, AdministratorsWriteOtherUsersOnlyRead) {
    std::unique_ptr<FileLocks::Held> held;
    ASSERT_EQ(locks.acquire("hosts", 0ms, held), 0u);
    Win32Sections sections(kRoot);
    std::unique_ptr<Section> unit;
    bool created = false;
    ASSERT_EQ(sections.openUnit({{"lntc.sd", 64}}, unit, created), 0u);
    using K = win32::ObjectKind;
    using R = win32::Reach;
    const struct {
        const char* what;
        std::pair<DWORD, DWORD> got, expected;
    } rows[] = {
        {"lock",
         rights(OpenMutexW(READ_CONTROL, 0, win32::objectName(kPrefix, "lock.hosts").c_str())),
         {0x1F0001, 0x120001}},
        {"section",
         rights(OpenFileMappingW(READ_CONTROL, 0, sections.objectName("lntc.sd").c_str())),
         {0xF001F, 0x20005}},
        {"folder", rights(K::Folder, R::Machine), {0x1F01FF, 0x1200A9}},
        {"file", rights(K::File, R::Machine), {0x1F01FF, 0x1200A9}},
        {"private file", rights(K::File, R::Private), {0x1F01FF, 0}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.expected) << row.what;
}

} // namespace

int main(int argc, char** argv) {
    const std::string role = argc == 2 ? argv[1] : "";
    if (role == "hold") {
        std::unique_ptr<FileLocks::Held> held;
        if (locks.acquire("hosts", 5s, held) != 0) return 2;
        SetEvent(ready);
        WaitForSingleObject(release, 20000);
        ExitProcess(0); // the mutex is abandoned
    }
    if (role == "append") {
        SetEvent(ready);
        appendLines('c');
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
