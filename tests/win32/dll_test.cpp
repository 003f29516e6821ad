// lntc.dll as a program of the product uses it: linked through its import library, on the
// machine's own registry (the test runs in a Wine prefix of its own). The program runs itself
// again as a second process that reads the records the first one filled and holds.
#include "library/admin/lntc_admin.h"
#include "lntc/lntc.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <windows.h>

namespace {

const std::string kRoot = "C:\\lntc-dll-test";
// The name service's status of the fill: the ODR directory cannot be read through the machine
// files' stand-in.
const uint32_t kFillStatus = 0;

// What the reader (the second process) found, as its exit code.
int readRecords() {
    const ServerConfig* config = nullptr;
    const QueueRecord* queue = nullptr;
    int32_t held = 0;
    // Not the filler: no status of the name service's.
    if (LNTC_GetConfig(&config, LNTC_CONFIG_VERSION) != 0) return 2;
    if (config->QueueCount != 4) return 5;
    if (LNTC_GetQueue("ACCOUNTS_LJ", &queue, LNTC_QUEUE_VERSION) != 0) return 3;
    if (LNTC_AdminHeldElsewhere(LNTC_ADMIN_VERSION, &held) != 0 || held != 1) return 4;
    return static_cast<int>(queue->PrintDest); // 3: the retained files the first one set
}

DWORD runReader() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" read";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), 0, 0, 0, 0, 0, 0, &si, &pi)) return 99;
    DWORD code = 98;
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
    return code;
}

TEST(LntcDll, ExportsEveryFunctionOfItsHeadersByName) {
    HMODULE dll = GetModuleHandleW(L"lntc.dll");
    ASSERT_NE(dll, nullptr);
    std::istringstream names(
        "GetConfig GetQueueName GetQueue RetainFiles IsPostScriptPrinter NeedKanjiDiskFonts "
        "FindProcess KillProcess EndLogo ConfigDialog GetDefaultMedia GetPaperOrientation "
        "AdminFreeText AdminPrintable AdminStatusText AdminModelMedia AdminFindPaperSize "
        "AdminReadLdpx AdminImportRegistry AdminExportRegistry AdminRegistryWritable "
        "AdminDemoSetup AdminStart AdminMachineRoot AdminModelKey AdminHeldElsewhere "
        "AdminConfigure AdminWriteGallery AdminWriteTextGallery AdminDocument AdminChange "
        "AdminHistory AdminRestore AdminWriteText AdminLogError");
    for (std::string name; names >> name;)
        EXPECT_NE(GetProcAddress(dll, ("LNTC_" + name).c_str()), nullptr) << name;
}

// Attaching the DLL starts nothing: the first call starts the library, on the LNT_ROOT that main
// set after the attach. Its registry then serves the records to this process and, held, to
// another.
TEST(LntcDll, StartsAtTheFirstCallAndSharesItsRecordsWithAnotherProcess) {
    LNTC_AdminText text{}, why{};
    ASSERT_EQ(LNTC_AdminMachineRoot(LNTC_ADMIN_VERSION, &text), 0u);
    EXPECT_EQ(std::string(text.data, text.size), kRoot);
    EXPECT_TRUE(std::filesystem::is_directory(kRoot));
    LNTC_AdminFreeText(&text);
    ASSERT_EQ(LNTC_AdminDemoSetup(LNTC_ADMIN_VERSION, LNTC_SHARE_DIR, 0, &why), 0u)
        << std::string(why.data ? why.data : "");
    LNTC_AdminFreeText(&why);

    const ServerConfig* config = nullptr;
    ASSERT_EQ(LNTC_GetConfig(&config, LNTC_CONFIG_VERSION + 1), LNTC_E_VERSION);
    ASSERT_EQ(LNTC_GetConfig(&config, LNTC_CONFIG_VERSION), kFillStatus);
    EXPECT_EQ(config->Magic, LNTC_MAGIC);
    EXPECT_EQ(config->LogonRetries, 10);
    EXPECT_STREQ(config->ConfigDir, "c:\\qdsw_local\\sd");
    std::set<std::string> names;
    for (int32_t i = 0; i < 4; ++i) {
        const char* name = nullptr;
        ASSERT_EQ(LNTC_GetQueueName(i, &name), 0u) << i;
        names.insert(name);
    }
    const char* past = nullptr;
    EXPECT_EQ(LNTC_GetQueueName(4, &past), LNTC_E_NO_QUEUE);
    EXPECT_EQ(names,
              (std::set<std::string>{"ACCOUNTS_LJ", "PLANS_E", "POSTSCRIPT_GEN", "RICOH_MAIL"}));
    int32_t held = 1;
    EXPECT_EQ(LNTC_AdminHeldElsewhere(LNTC_ADMIN_VERSION, &held), 0u);
    EXPECT_EQ(held, 0);
    // Only in the shared records: a reader that filled them afresh would see 1.
    ASSERT_EQ(LNTC_RetainFiles("ACCOUNTS_LJ", 1), 0u);
    EXPECT_EQ(runReader(), 3u);
}

} // namespace

int main(int argc, char** argv) {
    // The reader inherits LNT_ROOT.
    if (argc == 2 && std::string(argv[1]) == "read") return readRecords();
    // A fresh machine: no root, no configuration in the registry.
    std::filesystem::remove_all(kRoot);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quendal");
    SetEnvironmentVariableW(L"LNT_ROOT", std::wstring(kRoot.begin(), kRoot.end()).c_str());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
