// The localised resource modules and the help file as built: real files loaded through the
// POSIX backend.
#include "library/lifecycle.h"
#include "platform/posix/posix_modules.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/module_table.h"
#include "resources/strings.h"
#include "resources/templates.h"
#include "support/demo_files.h"
#include "support/temp_root.h"
#include "support/test_library.h"
#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace lntc;
using namespace lntc::test;

namespace {

const std::string kLibDir = LNTC_LIB_DIR;
const std::string kTestModules = LNTC_TEST_MODULE_DIR;

FakeEnvironment libraryEnvironment(const std::string& folder, const std::string& language) {
    FakeEnvironment env;
    env.module = folder + "/liblntc.so";
    env.language = language;
    return env;
}

} // namespace

TEST(ResourceModuleFiles, TheGermanModuleLoadsAndItsTemplateCanStandIn) {
    FakeEnvironment env = libraryEnvironment(kLibDir, "DEU");
    PosixModules modules(env);
    EXPECT_EQ(modules.systemFolder(), kLibDir);
    uint32_t error = 99;
    auto module = loadResourceModule(modules, kLibDir + "/LNT20DEU.so", error);
    ASSERT_TRUE(module && error == 0) << error;
    EXPECT_EQ(module->findString(str::ErrorCaption), "Konfigurationsfehler");
    EXPECT_FALSE(module->findString(str::LogRlkLink).has_value());
    const DialogTemplate* newQueue = module->findTemplate(dlg::NewQueue);
    ASSERT_NE(newQueue, nullptr);
    EXPECT_STREQ(newQueue->title, "Neue Quendal-Warteschlange");
    EXPECT_TRUE(templateCompatible(*newQueue, *builtinTemplate(dlg::NewQueue)));
    EXPECT_EQ(module->findTemplate(dlg::Main), nullptr);
}

TEST(ResourceModuleFiles, FilesThatAreNoModulesAreReportedAsSuch) {
    TempRoot root;
    std::ofstream(root.path() + "/LNT20LOC.so") << "not a shared object";
    FakeEnvironment env = libraryEnvironment(root.path(), "DEU");
    PosixModules modules(env);
    for (const auto& [path, expected] :
         {std::pair{root.path() + "/LNT20XYZ.so", err::FileNotFound},
          {root.path() + "/LNT20LOC.so", err::BadExeFormat},
          {root.path(), err::BadExeFormat},
          {kTestModules + "/test_module_noentry.so", err::ProcNotFound},
          {kTestModules + "/test_module_badversion.so", err::InvalidData}}) {
        uint32_t error = 0;
        EXPECT_EQ(loadResourceModule(modules, path, error), nullptr) << path;
        EXPECT_EQ(error, expected) << path;
    }
}

// Built, the modules lie beside the library; installed, in a folder of their own beside it, and
// the library's file name carries its version.
TEST(ModuleFolder, BesideTheLibraryOrInItsOwnFolder) {
    struct Case {
        const char* file;
        const char* companion; // what lies at <folder>/lntc-2: "dir", "file" or nothing
        const char* folder;    // where the modules are, below the root
        const char* help;
    } cases[] = {
        {"liblntc.so", "", "", "/liblntc.HLP"},
        {"liblntc.so.2.0.0.37", "", "", "/liblntc.HLP"},
        {"liblntc.so.2.0.0.37", "dir", "/lntc-2", "/lntc-2/liblntc.HLP"},
        {"liblntc.so", "file", "", "/liblntc.HLP"},
    };
    for (const Case& c : cases) {
        TempRoot root;
        const std::string companion = root.path() + "/lntc-2";
        if (std::string(c.companion) == "dir") std::filesystem::create_directory(companion);
        if (std::string(c.companion) == "file") std::ofstream(companion) << "x";
        FakeEnvironment env = libraryEnvironment(root.path(), "ENU");
        env.module = root.path() + "/" + c.file;
        PosixModules modules(env);
        EXPECT_EQ(modules.systemFolder() + " " + HelpFileOf(env.module, &modules),
                  root.path() + c.folder + " " + root.path() + c.help)
            << c.file << " " << c.companion;
    }
}

TEST(HelpFileAsBuilt, LiesBesideTheLibraryWithATopicForEveryDialogAndMainField) {
    FakeMachine machine;
    TestLibrary process(machine, false);
    process.env.module = kLibDir + "/liblntc.so";
    machine.modules.folder = kLibDir;
    ASSERT_EQ(LoadLibrary(process.lib()), 0u);
    const std::string& path = process.lib().helpFilePath;
    EXPECT_EQ(path, kLibDir + "/liblntc.HLP");
    const std::string contents = readTextFile(path);

    std::set<uint32_t> known = {ctl::Ok, ctl::Cancel, ctl::Help};
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_TRUE(findHelpTopic(contents, t->id).has_value()) << "dialog " << t->id;
        known.insert(t->id);
        for (const ControlTemplate& c : t->controls) {
            if (c.id != ctl::Static) known.insert(c.id);
            // F1 on any control that can take the focus answers with a topic.
            if (c.id != ctl::Static && takesFocus(c.kind) && !(c.style & cs::Hidden)) {
                EXPECT_TRUE(findHelpTopic(contents, c.id).has_value()) << t->id << ": " << c.id;
            }
        }
    }
    // A topic for an id no dialog has any more would never be shown.
    std::set<uint32_t> seen;
    for (const HelpTopic& topic : parseHelpFile(contents)) {
        EXPECT_TRUE(known.count(topic.context)) << "topic " << topic.context << " names nothing";
        EXPECT_TRUE(seen.insert(topic.context).second) << "topic " << topic.context << " twice";
        EXPECT_FALSE(topic.title.empty() || topic.text.empty()) << topic.context;
    }
}
