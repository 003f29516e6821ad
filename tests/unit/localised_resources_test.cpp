#include "library/lifecycle.h"
#include "resources/ids.h"
#include "resources/module_abi.h"
#include "resources/strings.h"
#include "store/initialise.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

// A module's table as a test writes it down.
struct Table {
    std::vector<LntcStringResource> strings;
    std::vector<LntcDialogResource> dialogs;
    LntcResourceTable table{};

    Table(std::vector<LntcStringResource> s, std::vector<LntcDialogResource> d = {})
        : strings(std::move(s)), dialogs(std::move(d)) {
        table = {LNTC_RESOURCE_ABI_VERSION, static_cast<uint32_t>(strings.size()), strings.data(),
                 static_cast<uint32_t>(dialogs.size()), dialogs.data()};
    }
};

// The wait window in another language: same control, other size.
const LntcControlResource kWaitControls[] = {
    {waitctl::Message, static_cast<uint8_t>(ControlKind::Static), 0, 4, 4, 152, 52,
     cs::Center | cs::NoPrefix, nullptr},
};
const LntcDialogResource kWait = {dlg::Wait, 8,       160, 60,           ds::Popup,
                                  nullptr,   nullptr, 1,   kWaitControls};
// A main dialog that lost all its controls: the dialog logic could not work with it.
const LntcDialogResource kEmptyMain = {dlg::Main, 8,       306, 256,    ds::Modal,
                                       "Leer",    nullptr, 0,   nullptr};

const std::string kLib = "/fake/lib/";

} // namespace

class LocalisedResources : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> process;

    void start(const std::string& language) {
        process = std::make_unique<TestLibrary>(machine, false);
        process->env.language = language;
        process->loadStatus = LoadLibrary(process->lib());
    }
    std::string text(uint32_t id) { return process->lib().strings().load(id); }
};

TEST_F(LocalisedResources, TheFirstModuleThatExistsForTheLanguageWins) {
    Table loc({{str::ErrorCaption, "LOC"}});
    Table deu({{str::ErrorCaption, "DEU"}});
    Table de({{str::ErrorCaption, "DE"}});
    const std::map<std::string, const LntcResourceTable*> all = {
        {"LOC", &loc.table}, {"DEU", &deu.table}, {"DE", &de.table}};
    const struct {
        const char* language;
        std::vector<std::string> present, asked;
        const char* text;
    } cases[] = {
        {"deu", {}, {"LOC", "DEU", "DE"}, "Configuration Error"},
        {"", {"LOC"}, {}, "Configuration Error"}, // no language, no module looked for
        {"DEU", {"DEU", "DE"}, {"LOC", "DEU"}, "DEU"},
        {"DEU", {"LOC", "DEU", "DE"}, {"LOC"}, "LOC"},
        {"DEU", {"DE"}, {"LOC", "DEU", "DE"}, "DE"},
    };
    for (const auto& c : cases) {
        machine.modules.tables.clear();
        machine.modules.asked.clear();
        for (const std::string& name : c.present)
            machine.modules.tables[kLib + "LNT20" + name + ".so"] = all.at(name);
        start(c.language);
        EXPECT_EQ(process->loadStatus, 0u);
        std::vector<std::string> asked;
        for (const std::string& name : c.asked)
            asked.push_back(kLib + "LNT20" + name + ".so");
        EXPECT_EQ(machine.modules.asked, asked) << c.language;
        EXPECT_EQ(text(str::ErrorCaption), c.text) << c.language;
        EXPECT_TRUE(process->loggedTexts().empty());
    }
    EXPECT_EQ(process->lib().templates().find(dlg::Wait), builtinTemplate(dlg::Wait));
}

TEST_F(LocalisedResources, AModuleIsConsultedFirstAndTheBuiltInsFillItsGaps) {
    Table deu({{str::ErrorCaption, "Konfigurationsfehler"}, {str::TooManyQueues, "Mehr als %d."}},
              {kWait});
    machine.modules.tables[kLib + "LNT20DEU.so"] = &deu.table;
    start("DEU");
    EXPECT_EQ(text(str::ErrorCaption), "Konfigurationsfehler");
    EXPECT_EQ(text(str::TooManyQueues), "Mehr als %d.");
    EXPECT_EQ(text(str::WarningCaption), "Configuration Warning");
    EXPECT_FALSE(process->lib().strings().find(str::ErrorCaption + 10000).has_value());

    const DialogTemplate* wait = process->lib().templates().find(dlg::Wait);
    ASSERT_NE(wait, nullptr);
    EXPECT_NE(wait, builtinTemplate(dlg::Wait));
    EXPECT_EQ(wait->cx, 160);
    EXPECT_STREQ(wait->fontName, "MS Sans Serif"); // the module named none
    EXPECT_EQ(process->lib().templates().find(dlg::Main), builtinTemplate(dlg::Main));
    EXPECT_EQ(process->lib().templates().find(4711), nullptr);

    // Unloading gives the built-ins back and lets the module go.
    process->unload();
    EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
    EXPECT_EQ(process->lib().templates().find(dlg::Wait), builtinTemplate(dlg::Wait));
    EXPECT_EQ(process->lib().resourceModule, nullptr);
}

TEST_F(LocalisedResources, TranslationsThatWouldMisreadTheirArgumentsAreNotUsed) {
    Table deu({{str::TooManyQueues, "Mehr als %s."},                // %d expected
               {str::ImportQueue, "Von %s nach %s importieren?"},   // matches
               {str::QueueNotFound, "Warteschlange %s, %s fehlt."}, // one too many
               {str::ErrorCaption, "100 % Fehler"},                 // conversion where none is
               {str::LogConfigMapping, "LNTC: Fehler %-6ld beim Anlegen"}, // other flags, fine
               {40000, "Kein eingebauter Text %d"}, // nothing to compare with
               {40001, "Kein eingebauter Text"}},
              {kEmptyMain});
    machine.modules.tables[kLib + "LNT20DEU.so"] = &deu.table;
    start("DEU");
    EXPECT_EQ(text(str::TooManyQueues), builtinString(str::TooManyQueues));
    EXPECT_EQ(text(str::ImportQueue), "Von %s nach %s importieren?");
    EXPECT_EQ(text(str::QueueNotFound), builtinString(str::QueueNotFound));
    EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
    EXPECT_EQ(text(str::LogConfigMapping), "LNTC: Fehler %-6ld beim Anlegen");
    EXPECT_FALSE(process->lib().strings().find(40000).has_value());
    EXPECT_EQ(text(40001), "Kein eingebauter Text");
    EXPECT_EQ(process->lib().templates().find(dlg::Main), builtinTemplate(dlg::Main));
}

TEST_F(LocalisedResources, AModuleThatCannotBeLoadedIsLoggedAndTheBuiltInsServe) {
    Table deu({{str::ErrorCaption, "DEU"}});
    machine.modules.broken[kLib + "LNT20LOC.so"] = err::BadExeFormat;
    machine.modules.tables[kLib + "LNT20DEU.so"] = &deu.table;
    start("DEU");
    EXPECT_EQ(process->loadStatus, 0u);
    // The first module that exists is the one meant; the next ones are not tried.
    EXPECT_EQ(machine.modules.asked, std::vector<std::string>{kLib + "LNT20LOC.so"});
    EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
    ASSERT_EQ(process->product.errors.size(), 1u);
    EXPECT_EQ(process->product.errors[0].code, err::BadExeFormat);
    EXPECT_EQ(process->product.errors[0].text,
              "LNTC: Error loading the resource module /fake/lib/LNT20LOC.so");
}

TEST_F(LocalisedResources, AMalformedTableCountsAsABrokenModule) {
    Table old({{str::ErrorCaption, "alt"}});
    old.table.abiVersion = LNTC_RESOURCE_ABI_VERSION + 1;
    LntcStringResource missingText[] = {{str::ErrorCaption, nullptr}};
    LntcResourceTable holes = {LNTC_RESOURCE_ABI_VERSION, 1, missingText, 0, nullptr};
    LntcControlResource badKind[] = {{waitctl::Message, 200, 0, 0, 0, 10, 10, 0, nullptr}};
    LntcDialogResource badDialog = {dlg::Wait, 8, 140, 60, 0, nullptr, nullptr, 1, badKind};
    LntcResourceTable kinds = {LNTC_RESOURCE_ABI_VERSION, 0, nullptr, 1, &badDialog};
    LntcResourceTable noArray = {LNTC_RESOURCE_ABI_VERSION, 3, nullptr, 0, nullptr};

    for (const LntcResourceTable* table : {&old.table, &holes, &kinds, &noArray}) {
        machine.modules.tables[kLib + "LNT20DEU.so"] = table;
        start("DEU");
        EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
        ASSERT_EQ(process->product.errors.size(), 1u);
        EXPECT_EQ(process->product.errors[0].code, err::InvalidData);
    }
}
