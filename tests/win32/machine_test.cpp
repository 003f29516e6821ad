// Locks, the machine's own files and their security, across processes: the test binary runs
// itself as the second process.
#include "platform/win32/win32_locks.h"
#include "platform/win32/win32_machine_files.h"
#include "platform/win32/win32_sections.h"
#include "platform/win32/win32_security.h"
#include "second_process.h"
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

using namespace lntc;
using namespace std::chrono_literals;

namespace {

const std::string kRoot = "C:\\lntc-machine-test";
Win32FileLocks locks(kRoot);
Win32MachineFiles files(kRoot);
const std::string kPrefix = win32::objectPrefix(kRoot);
HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, win32::objectName(kPrefix, "ready").c_str());
HANDLE release = CreateEventW(nullptr, TRUE, FALSE, win32::objectName(kPrefix, "go").c_str());

std::string line(char who, int i) {
    return std::string(1, who) + std::to_string(i) + std::string(120, who) + "\n";
}

void appendLines(char who) {
    for (int i = 0; i < 400; ++i)
        files.append("log/test.log", line(who, i));
}

TEST(Win32FileLocks, AHolderElsewhereBlocksUntilItDies) {
    std::unique_ptr<FileLocks::Held> held, again;
    EXPECT_EQ(locks.acquire("Hosts", 0ms, held), 123u) << "names are the Linux build's";
    ASSERT_EQ(locks.acquire("hosts", 0ms, held), 0u);
    EXPECT_EQ(locks.acquire("hosts", 20ms, again), 33u) << "not taken again by its own thread";
    held.reset();
    HANDLE holder = test::startSelf(L"hold", ready, release); // dies holding it
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
    HANDLE other = test::startSelf(L"append", ready, release);
    ASSERT_NE(other, nullptr);
    appendLines('p');
    WaitForSingleObject(other, 60000);
    CloseHandle(other);
    const size_t size = 99780; // two times 400 lines of 122 bytes and 1090 digits: none lost
    ASSERT_EQ(files.read("log/test.log", text, size), 0u);
    EXPECT_EQ(files.read("log/test.log", text, size - 1), 223u);
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string got = text.substr(at, end + 1 - at);
        EXPECT_EQ(got, line(got[0], std::stoi(got.substr(1)))) << "a line broken up";
    }
}

// A descriptor's entries as the system spells them; an object's as it reads them back.
std::string sddl(PSECURITY_DESCRIPTOR sd, HANDLE object = nullptr) {
    wchar_t* text = nullptr;
    if (object) // the descriptor is left to the process's end
        GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, 0, 0, 0, 0, &sd);
    if (!sd || !ConvertSecurityDescriptorToStringSecurityDescriptorW(
                   sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return {};
    std::wstring w(text);
    LocalFree(text);
    return std::string(w.begin(), w.end());
}

// Wine keeps a file's security only as its host mode (a folder made here is drwxr-x---): files
// are checked in the descriptor they are made with, the system's objects as read back.
TEST(Win32Security, AdministratorsWriteOtherUsersOnlyRead) {
    std::unique_ptr<FileLocks::Held> held;
    ASSERT_EQ(locks.acquire("hosts", 0ms, held), 0u);
    const std::wstring kLock = win32::objectName(kPrefix, "");
    Win32Sections sections(kRoot);
    std::unique_ptr<Section> unit;
    bool created = false;
    ASSERT_EQ(sections.openUnit({{"lntc.sd", 64}}, unit, created), 0u);
    using K = win32::ObjectKind;
    using R = win32::Reach;
    win32::SecurityAttributes folder(K::Folder, R::Machine), file(K::File, R::Machine),
        own(K::File, R::Private);
    ASSERT_TRUE(folder.get() && file.get() && own.get());
    const struct {
        const char* what;
        std::string got, expected;
    } rows[] = {
        {"lock", sddl(0, OpenMutexW(READ_CONTROL, 0, (kLock + L"lock.hosts").c_str())),
         "D:P(A;;0x1f0001;;;BA)(A;;0x1f0001;;;SY)(A;;0x120001;;;AU)"},
        {"section", sddl(0, OpenFileMappingW(READ_CONTROL, 0, (kLock + L"lntc.sd").c_str())),
         "D:P(A;;CCDCLCSWRPSDRCWDWO;;;BA)(A;;CCDCLCSWRPSDRCWDWO;;;SY)(A;;CCLCRC;;;AU)"},
        {"folder", sddl(folder.get()->lpSecurityDescriptor),
         "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;AU)"},
        {"file", sddl(file.get()->lpSecurityDescriptor),
         "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;AU)"},
        {"private file (Wine's user)", sddl(own.get()->lpSecurityDescriptor),
         "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FA;;;S-1-5-21-0-0-0-1000)"},
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
