// The library's composition on Windows, linked in: its machine root, its help file, the German
// module, the documents it reads and the files it writes.
#include "library/admin/output_file.h"
#include "library/admin/yaml_text.h"
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

TEST(Win32Library, TheMachineRootIsLntRootElseTheProgramDataFolder) {
    const struct {
        const char* lntRoot;
        std::string programData, root;
    } cases[] = {{"D:\\Print", "C:\\ProgramData", "D:\\Print"},
                 {"", "E:\\Data", "E:\\Data\\Lintora"},
                 {nullptr, "", "C:\\ProgramData\\Lintora"}};
    for (const auto& c : cases)
        EXPECT_EQ(chooseWin32MachineRoot(c.lntRoot, c.programData), c.root) << c.programData;
    SetEnvironmentVariableW(L"LNT_ROOT", nullptr);
    EXPECT_EQ(defaultMachineRoot(), "C:\\ProgramData\\Lintora") << "Wine's ProgramData";
}

TEST(Win32Library, TheHelpFileIsTheLibrarysNameWithHlpInItsFolder) {
    EXPECT_EQ(HelpFileOf("C:\\Program Files\\Lintora\\lntc.dll", nullptr),
              "C:\\Program Files\\Lintora\\lntc.HLP");
    EXPECT_EQ(HelpFileOf("C:\\v2.0\\lntc.dll", nullptr), "C:\\v2.0\\lntc.HLP");
}

TEST(Win32Library, DocumentsAreReadAsJsonOnly) {
    admin::Document doc;
    std::string why;
    EXPECT_TRUE(admin::ParseDocumentText(" {\"General\": {\"LogonRetries\": 3}}", doc, why));
    EXPECT_EQ(doc["General"]["LogonRetries"], 3);
    EXPECT_FALSE(admin::ParseDocumentText("General:\n  LogonRetries: 3\n", doc, why));
    EXPECT_EQ(why, "this build reads documents in JSON form only (a text that begins with '{')");
}

TEST(Win32Library, AFileWrittenWholeReplacesTheOldOne) {
    const std::filesystem::path dir = "C:\\lntc-output-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    const std::string path = (dir / "export.reg").string();
    std::string why;
    for (const char* text : {"first\r\n", "second"}) {
        ASSERT_TRUE(WriteWholeFile(path, text, 0600, OutputFile::Devices::Replace, why)) << why;
        std::stringstream read;
        read << std::ifstream(path, std::ios::binary).rdbuf();
        EXPECT_EQ(read.str(), text);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary left";
}

// The user's language comes from the locale Wine is started in (de_DE): LNT20DEU.dll beside the
// program serves its texts, the built-in ones stand for the rest.
TEST(Win32Library, TheGermanModuleServesItsTexts) {
    ProductionLibrary production("C:\\lntc-library-test");
    Library& lib = production.library();
    ASSERT_EQ(LoadLibrary(lib), 0u);
    EXPECT_EQ(lib.strings().load(str::ModelOther), "Andere");
    EXPECT_EQ(lib.strings().load(str::CancelCaption), "Abbrechen");
    UnloadLibrary(lib);
}
