// lntc.dll as a product's program uses it: through its import library, on the machine's own
// registry (in a Wine prefix of the test's own), and again as a second process that reads the
// records the first one filled and holds.
#include "library/admin/lntc_admin.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <windows.h>

namespace {

const std::string kRoot = "C:\\lntc-dll-test";

// The reader's exit code: the queue's PrintDest, or what it found wrong (a filler of its own
// would have a status of the name service's).
int readRecords() {
    const ServerConfig* config = nullptr;
    const QueueRecord* queue = nullptr;
    int32_t held = 0;
    if (LNTC_GetConfig(&config, LNTC_CONFIG_VERSION) != 0 || config->QueueCount != 4) return 2;
    if (LNTC_GetQueue("ACCOUNTS_LJ", &queue, LNTC_QUEUE_VERSION) != 0) return 4;
    LNTC_AdminHeldElsewhere(LNTC_ADMIN_VERSION, &held);
    return held == 1 ? static_cast<int>(queue->PrintDest) : 5;
}

TEST(LntcDll, ExportsEveryFunctionOfItsHeadersByName) {
    std::istringstream names(
        "GetConfig GetQueueName GetQueue RetainFiles IsPostScriptPrinter NeedKanjiDiskFonts "
        "FindProcess KillProcess EndLogo ConfigDialog GetDefaultMedia GetPaperOrientation "
        "AdminFreeText AdminPrintable AdminStatusText AdminModelMedia AdminFindPaperSize "
        "AdminReadLdpx AdminImportRegistry AdminExportRegistry AdminRegistryWritable "
        "AdminDemoSetup AdminStart AdminMachineRoot AdminModelKey AdminHeldElsewhere "
        "AdminConfigure AdminWriteGallery AdminWriteTextGallery AdminDocument AdminChange "
        "AdminHistory AdminRestore AdminWriteText AdminLogError");
    for (std::string name; names >> name;)
        EXPECT_NE(GetProcAddress(GetModuleHandleW(L"lntc.dll"), ("LNTC_" + name).c_str()), nullptr)
            << name;
}

// Attaching the DLL starts nothing: the first call starts the library, on the LNT_ROOT that main
// set after the attach.
TEST(LntcDll, StartsAtTheFirstCallAndSharesItsRecordsWithAnotherProcess) {
    LNTC_AdminText text{};
    ASSERT_EQ(LNTC_AdminMachineRoot(LNTC_ADMIN_VERSION, &text), 0u);
    EXPECT_EQ(std::string(text.data, text.size), kRoot);
    EXPECT_TRUE(std::filesystem::is_directory(kRoot));
    ASSERT_EQ(LNTC_AdminDemoSetup(LNTC_ADMIN_VERSION, LNTC_SHARE_DIR, 0, &text), 0u) << text.data;
    const ServerConfig* config = nullptr;
    ASSERT_EQ(LNTC_GetConfig(&config, LNTC_CONFIG_VERSION + 1), LNTC_E_VERSION);
    ASSERT_EQ(LNTC_GetConfig(&config, LNTC_CONFIG_VERSION), 0u);
    EXPECT_EQ(config->LogonRetries, 10);
    EXPECT_STREQ(config->ConfigDir, "c:\\qdsw_local\\sd");
    std::string names;
    int32_t i = 0;
    for (const char* name = nullptr; LNTC_GetQueueName(i, &name) == 0; ++i)
        names += std::string(name) + " ";
    EXPECT_EQ(i, 4) << "no fifth";
    EXPECT_EQ(names, "ACCOUNTS_LJ PLANS_E POSTSCRIPT_GEN RICOH_MAIL ");
    int32_t held = 1;
    EXPECT_TRUE(LNTC_AdminHeldElsewhere(LNTC_ADMIN_VERSION, &held) == 0 && held == 0);
    // Only in the shared records: a reader that filled them afresh would see 1.
    ASSERT_EQ(LNTC_RetainFiles("ACCOUNTS_LJ", 1), 0u);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" read";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    DWORD code = 99;
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), 0, 0, 0, 0, 0, 0, &si, &pi));
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 3u);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "read") return readRecords(); // LNT_ROOT inherited
    // A fresh machine: no root, no configuration in the registry.
    std::filesystem::remove_all(kRoot);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quendal");
    SetEnvironmentVariableW(L"LNT_ROOT", L"C:\\lntc-dll-test");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
