// The library's Windows parts, linked in: root, help file, German module, files.
#include "library/admin/output_file.h"
#include "library/library.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "platform/win32/win32_platform.h"
#include "resources/ids.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <windows.h>
#undef LoadLibrary // the system's name, not the library's

using namespace lntc;

TEST(Win32Library, RootAndHelpFileAreWindowsOwn) {
    EXPECT_EQ(chooseWin32MachineRoot("D:\\Print", "C:\\ProgramData"), "D:\\Print");
    EXPECT_EQ(chooseWin32MachineRoot("", "E:\\Data"), "E:\\Data\\Lintora");
    EXPECT_EQ(chooseWin32MachineRoot(nullptr, ""), "C:\\ProgramData\\Lintora");
    SetEnvironmentVariableW(L"LNT_ROOT", nullptr);
    EXPECT_EQ(defaultMachineRoot(), "C:\\ProgramData\\Lintora") << "Wine's ProgramData";
    EXPECT_EQ(HelpFileOf("C:\\v2.0\\lntc.dll", nullptr), "C:\\v2.0\\lntc.HLP");
}

TEST(Win32Library, AFileWrittenWholeReplacesTheOldOne) {
    const std::filesystem::path dir = "C:\\lntc-output-test", path = dir / "export.reg";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    std::string why;
    for (const char* text : {"first\r\n", "second"}) {
        ASSERT_TRUE(WriteWholeFile(path.string(), text, 0600, OutputFile::Devices::Replace, why))
            << why;
        std::stringstream read;
        read << std::ifstream(path, std::ios::binary).rdbuf();
        EXPECT_EQ(read.str(), text);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary left";
}

// The user's language comes from the locale Wine is started in (de_DE): LNT20DEU.dll beside the
// program serves its texts.
TEST(Win32Library, TheGermanModuleServesItsTexts) {
    ProductionLibrary production("C:\\lntc-library-test");
    ASSERT_EQ(LoadLibrary(production.library()), 0u);
    EXPECT_EQ(production.library().strings().load(str::CancelCaption), "Abbrechen");
    UnloadLibrary(production.library());
}
