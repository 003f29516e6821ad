// The localised resource modules and the help file as built: real files loaded through the
// POSIX backend.
#include "library/lifecycle.h"
#include "platform/posix/posix_modules.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/module_table.h"
#include "resources/strings.h"
#include "resources/templates.h"
#include "support/temp_root.h"
#include "support/test_library.h"
#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

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

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

TEST(ResourceModuleFiles, TheGermanModuleLoadsAndItsTemplateCanStandIn) {
    FakeEnvironment env = libraryEnvironment(kLibDir, "DEU");
    PosixModules modules(env);
    EXPECT_EQ(modules.systemFolder(), kLibDir);
    uint32_t error = 99;
    auto module = loadResourceModule(modules, kLibDir + "/LNT20DEU.so", error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(error, 0u);
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
    const std::string garbage = root.path() + "/LNT20LOC.so";
    std::ofstream(garbage) << "not a shared object";
    FakeEnvironment env = libraryEnvironment(root.path(), "DEU");
    PosixModules modules(env);
    struct Case {
        std::string path;
        uint32_t error;
    };
    for (const Case& c : {Case{root.path() + "/LNT20XYZ.so", err::FileNotFound},
                          Case{garbage, err::BadExeFormat}, Case{root.path(), err::BadExeFormat},
                          Case{kTestModules + "/test_module_noentry.so", err::ProcNotFound},
                          Case{kTestModules + "/test_module_badversion.so", err::InvalidData}}) {
        uint32_t error = 0;
        EXPECT_EQ(loadResourceModule(modules, c.path, error), nullptr) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
}

TEST(HelpFileAsBuilt, LiesBesideTheLibraryWithATopicForEveryDialogAndMainField) {
    FakeMachine machine;
    TestLibrary process(machine, false);
    process.env.module = kLibDir + "/liblntc.so";
    ASSERT_EQ(LoadLibrary(process.lib()), 0u);
    const std::string& path = process.lib().helpFilePath;
    EXPECT_EQ(path, kLibDir + "/liblntc.HLP");
    const std::string contents = readFile(path);
    ASSERT_FALSE(contents.empty()) << path;

    std::set<uint32_t> known = {ctl::Ok, ctl::Cancel, ctl::Help};
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_TRUE(findHelpTopic(contents, t->id).has_value()) << "dialog " << t->id;
        known.insert(t->id);
        for (const ControlTemplate& c : t->controls)
            if (c.id != ctl::Static) known.insert(c.id);
    }
    // F1 on any control that can take the focus in a dialog with logic answers with a topic.
    for (uint16_t id :
         {dlg::Main, dlg::TrayMedia, dlg::EjectMedia, dlg::BestAvailMedia, dlg::TcpDirect,
          dlg::NewTcpPort, dlg::PrintManager, dlg::OtherPort, dlg::PrinterConfig, dlg::QueueOptions,
          dlg::AdvancedQueueOptions, dlg::LargeDocConfig, dlg::NewQueue, dlg::ImportQueue,
          dlg::OtherModel, dlg::OdrAddress, dlg::Fonts, dlg::GeneralOptions}) {
        for (const ControlTemplate& c : builtinTemplate(id)->controls) {
            if (c.id == ctl::Static || !takesFocus(c.kind) || (c.style & cs::Hidden)) continue;
            EXPECT_TRUE(findHelpTopic(contents, c.id).has_value()) << id << ": " << c.id;
        }
    }
    // A topic for an id no dialog has any more would never be shown.
    std::set<uint32_t> seen;
    for (const HelpTopic& topic : parseHelpFile(contents)) {
        EXPECT_TRUE(known.count(topic.context)) << "topic " << topic.context << " names nothing";
        EXPECT_TRUE(seen.insert(topic.context).second) << "topic " << topic.context << " twice";
        EXPECT_FALSE(topic.title.empty()) << topic.context;
        EXPECT_FALSE(topic.text.empty()) << topic.context;
    }
}
