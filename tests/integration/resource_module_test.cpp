// The localised resource modules and the help file as built: real files loaded through the
// POSIX backend.
#include "library/lifecycle.h"
#include "platform/posix/posix_modules.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/module_table.h"
#include "resources/templates.h"
#include "support/demo_files.h"
#include "support/temp_root.h"
#include "support/test_library.h"
#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lntc;
using namespace lntc::test;

namespace {

const std::string kLibDir = LNTC_LIB_DIR;
const std::string kTestModules = LNTC_TEST_MODULE_DIR;

} // namespace

// The German module serves its texts and a template that can stand in for the built-in one;
// files that are no modules of ours are reported as such.
TEST(ResourceModuleFiles, TheGermanModuleLoadsAndOtherFilesAreReported) {
    FakeEnvironment env;
    PosixModules modules(env);
    uint32_t error = 99;
    auto module = loadResourceModule(modules, kLibDir + "/LNT20DEU.so", error);
    ASSERT_TRUE(module && error == 0) << error;
    EXPECT_EQ(module->findString(str::ErrorCaption), "Konfigurationsfehler");
    const DialogTemplate* newQueue = module->findTemplate(dlg::NewQueue);
    ASSERT_NE(newQueue, nullptr);
    EXPECT_STREQ(newQueue->title, "Neue Quendal-Warteschlange");
    EXPECT_TRUE(templateCompatible(*newQueue, *builtinTemplate(dlg::NewQueue)));
    EXPECT_EQ(module->findTemplate(dlg::Main), nullptr);

    TempRoot root;
    std::ofstream(root.path() + "/LNT20LOC.so") << "not a shared object";
    for (const auto& [path, expected] :
         {std::pair{root.path() + "/LNT20XYZ.so", err::FileNotFound},
          {root.path() + "/LNT20LOC.so", err::BadExeFormat},
          {root.path(), err::BadExeFormat},
          {kTestModules + "/test_module_noentry.so", err::ProcNotFound},
          {kTestModules + "/test_module_badversion.so", err::InvalidData}}) {
        EXPECT_EQ(loadResourceModule(modules, path, error), nullptr) << path;
        EXPECT_EQ(error, expected) << path;
    }
}

// Built, the modules lie beside the library; installed, in a folder of their own beside it, and
// the library's file name carries its version. The help file as built, found by the loaded library,
// has a topic for every dialog and field.
TEST(ModuleFolder, BesideTheLibraryOrInItsOwnFolderAndTheBuiltHelpFileHasEveryTopic) {
    // The library's file; what lies at <folder>/lntc-2; where the modules and the help file are.
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"liblntc.so", "", ""},
        {"liblntc.so.2.0.0.37", "", ""},
        {"liblntc.so.2.0.0.37", "dir", "/lntc-2"},
        {"liblntc.so", "file", ""}};
    for (const auto& [file, companion, folder] : cases) {
        TempRoot root;
        if (companion == "dir") std::filesystem::create_directory(root.path() + "/lntc-2");
        if (companion == "file") std::ofstream(root.path() + "/lntc-2") << "x";
        FakeEnvironment env;
        env.module = root.path() + "/" + file;
        PosixModules modules(env);
        const std::string at = root.path() + folder;
        EXPECT_EQ(modules.systemFolder() + " " + HelpFileOf(env.module, &modules),
                  at + " " + at + "/liblntc.HLP")
            << file << " " << companion;
    }
    FakeMachine machine;
    TestLibrary process(machine, false);
    process.env.module = kLibDir + "/liblntc.so";
    machine.modules.folder = kLibDir;
    ASSERT_EQ(LoadLibrary(process.lib()), 0u);
    const std::string contents = readTextFile(process.lib().helpFile());
    // A topic with its title and text, for every dialog and every control F1 can be pressed on.
    auto shown = [&](uint32_t id) {
        const auto topic = findHelpTopic(contents, id);
        return topic && !topic->title.empty() && !topic->text.empty();
    };
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_TRUE(shown(t->id)) << "dialog " << t->id;
        for (const ControlTemplate& c : t->controls)
            if (c.id != ctl::Static && takesFocus(c.kind) && !(c.style & cs::Hidden)) {
                EXPECT_TRUE(shown(c.id)) << t->id << ": " << c.id;
            }
    }
}
