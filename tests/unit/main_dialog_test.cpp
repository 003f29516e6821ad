// The configuration run's main dialog through the headless host, over a fake ODR directory.
#include "configure/configure.h"
#include "connectivity/hosts_file.h"
#include "library/lifecycle.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/ui_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;
namespace mc = mainctl;

// Alpha answers and assigns two queues to this server ("testhost"), and two whose names the
// registry cannot hold; Beta is silent and only reachable at its address; Gamma answers with
// other system defaults.
const char* const kDirectory = R"({"default": "Alpha:Quendal", "odrs": [
  {"domain": "Alpha", "organization": "Quendal", "address": "10.0.0.7", "systemDefaults": {"release":
   "3.1.0", "charset": 2}, "queues": [{"name": "LASER_1", "printServer": "testhost"},
   {"name": "EVIL\\SUB", "printServer": "testhost"}, {"name": "BEL\u0007", "printServer": "testhost"},
   {"name": "LASER_2", "printServer": "testhost"}, {"name": "ELSEWHERE", "printServer": "other"}]},
  {"domain": "Beta", "organization": "Quendal", "answers": false, "address": "10.0.0.9",
   "systemDefaults": {"release": "2.5.0", "charset": 11}, "queues": [{"name": "BQ", "printServer":
   "testhost"}]}, {"domain": "Gamma", "organization": "Quendal", "systemDefaults": {"release":
   "2.5.0", "charset": 11}, "queues": [{"name": "GQ", "printServer": "testhost"}]}]})";

const char* const kModules = "C:\\qdsw\\lnt\\bin\\";

Check selectedIs(std::string model) {
    return [=](const ModelWindow& w) {
        const ModelControl& c = w.at(mainctl::Model);
        EXPECT_EQ(c.curSel >= 0 ? c.itemTexts().at(static_cast<size_t>(c.curSel)) : "", model);
    };
}

// A machine with the model modules and the fonts a finished configuration leaves (so that
// Cancel asks nothing), initialised when the main dialog first runs.
struct World : HeadlessLibrary {
    uint32_t initResult = 0;

    explicit World(const char* directory = kDirectory) : HeadlessLibrary(false) {
        t.lib().setDefaultMedia(std::make_unique<DefaultMedia[]>(kModelCount));
        t.product.setDirectoryJson(directory);
        for (const char* m : {"LJA", "LJB", "GNX"})
            machine.files.addFile(std::string(kModules) + m + ".dll", "");
        WriteStringValue(lib().registryRoot(), kFontsKey, "Font1", "Courier");
        WriteStringValue(lib().registryRoot(), kFontsKey, "DefaultFont", "Courier");
        WriteCharsetById(lib().registryRoot(), 4100, 11);
    }
    const ServerConfig& shared() { return *lib().records().config(); }
    void init() {
        if (!lib().records().attached()) initResult = InitialiseSharedConfig(lib());
    }
    void configured(const char* name, int model) {
        init();
        QueueRecord q{};
        InitNewQueueRecord(model, name, "", q);
        ASSERT_TRUE(lib().records().SaveQueueRecord(q, true).ok());
    }
    // The main dialog's script; run() then runs the configuration, 1 when it ended with OK.
    DialogScript& main() {
        init();
        return host.script(dlg::Main);
    }
    uint32_t run() { return RunConfiguration(lib().services(), nullptr, initResult); }
    // The address dialog shows `proposed`, then takes `typed` (nullptr: Cancel).
    void addressDialog(std::string proposed, const char* typed) {
        DialogScript& s = host.script(dlg::OdrAddress).then([=](const ModelWindow& w) {
            EXPECT_EQ(w.at(odrctl::Address).address->text(), proposed);
        });
        typed ? s.type(odrctl::Address, typed).ok() : s.cancel();
    }
    int opened(uint16_t templateId) const {
        std::string event =
            (templateId == dlg::Wait ? "create " : "open ") + std::to_string(templateId);
        return static_cast<int>(std::count(host.trace.begin(), host.trace.end(), event));
    }
    std::string slots() {
        std::string out;
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
            if (const QueueRecord& q = lib().records().slots()[i]; q.Name[0])
                out += std::string(q.Name) + ":" + q.Printer + " ";
        return out;
    }
};

class MainDialog : public ::testing::Test, public World {};

TEST(MainDialogStartUp, Cases) {
    const char* none = R"({"odrs": []})";
    const char* noPrinters = R"({"odrs": [{"domain": "Alpha", "organization": "Quendal"}]})";
    const Texts both{"LASER_1", "LASER_2"};
    // clang-format off
    // The focus and the default button (OK with the focus in the name box).
    struct Case { const char* what; const char* directory; bool combined, readOnly, initFails; int focus, button; Texts boxes, toConfigure; };
    const Case cases[] = {
        {"standalone", kDirectory, false, false, false, mc::Current, mc::Configure, {}, both},
        {"combined", kDirectory, true, false, false, mc::Current, mc::Configure, {}, both},
        {"no name, standalone", none, false, false, false, mc::OdrName, ctl::Ok, {}, {}},
        {"no name, combined", none, true, false, false, mc::ToConfigure, mc::Configure, {"The ODR software is also installed on th"}, {}},
        {"no printers, combined", noPrinters, true, false, false, mc::ToConfigure, mc::Configure, {"No printers are configured on the ODR fo"}, {}},
        {"initialiser failed", kDirectory, false, false, true, mc::OdrName, ctl::Ok, {"Invalid ODR name, or Quendal software no"}, {}},
        {"read-only", kDirectory, false, true, false, mc::Current, ctl::Cancel, {}, both},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w(c.directory);
        if (c.combined) w.machine.registry.setString(kOdrRootPath, "ProductType", "ODRServer");
        w.init();
        if (c.readOnly) w.t.makeRegistryReadOnly();
        DialogScript& s = w.host.script(dlg::Main).then([&](const ModelWindow& m) {
            const std::string& note = m.at(mc::Note).text;
            EXPECT_EQ(std::tuple(m.focus, m.at(mc::ToConfigure).itemTexts(),
                                 m.at(mc::OdrName).enabled,
                                 note.find(c.combined ? "combined" : "standalone") != note.npos,
                                 m.at(ctl::Ok).enabled, m.defaultButton,
                                 m.at(mc::Configure).enabled || m.at(mc::Delete).enabled),
                      std::tuple(c.focus, c.toConfigure, !c.combined && !c.readOnly, true,
                                 !c.readOnly, c.button, false));
        });
        s.closeBox();
        EXPECT_EQ(RunConfiguration(w.lib().services(), nullptr, c.initFails ? 1 : w.initResult),
                  0u);
        EXPECT_EQ(w.takeBoxes(40), c.boxes);
    }
}

// A new name is completed and checked once although its boxes and dialogs move the focus; a
// silent ODR is found through a typed address that then goes into the hosts file. OK keeps the
// name and system defaults of the last accepted ODR. The address proposed first is the hosts
// file's.
TEST_F(MainDialog, SilentNameServerTypedAddressAndTheNewNameSurvivesOk) {
    machine.files.addFile(HostsFilePath(lib().services()), "10.1.1.1 beta-quendal-rlk-server\n");
    addressDialog("10.1.1.1", "10.0.0.8");
    addressDialog("10.0.0.8", "10.0.0.9");
    host.answerWhen("still configure 1", id::Yes);
    DialogScript& s = main();
    s.type(mc::OdrName, "Beta").focus(mc::Description).then(listIs(mc::ToConfigure, {"BQ"}));
    s.then(textIs(mc::OdrName, "Beta:Quendal"));
    s.type(mc::OdrName, "Gamma:Quendal").focus(mc::ToConfigure).ok();
    EXPECT_EQ(run(), 1u);
    // Waits: start-up, three tries for Beta, one for Gamma.
    EXPECT_EQ(std::pair(opened(dlg::OdrAddress), opened(dlg::Wait)), std::pair(2, 5));
    std::string address;
    EXPECT_TRUE(LookupHostsName(lib().services(), "beta-quendal-rlk-server", address));
    EXPECT_EQ(formatMessage("%s %s:%s %u %u %s", address.c_str(), shared().Domain,
                            shared().Organization, shared().OdrRelease, shared().SystemCharset,
                            getString(machine.registry, kOdrRootPath, "RLKDomain")->c_str()),
              "10.0.0.9 Gamma:Quendal 250 11 Gamma:Quendal");
}

// Without a hosts line the resolver proposes the address; a cancelled address gives the name up.
TEST_F(MainDialog, TheResolverProposesTheAddressAndCancelGivesUp) {
    machine.services.resolver["beta-quendal-rlk-server"] = "10.2.2.2";
    addressDialog("10.2.2.2", nullptr);
    DialogScript& s = main();
    s.type(mc::OdrName, "Beta:Quendal").focus(mc::ToConfigure).then(listIs(mc::Current, {}));
    s.closeBox();
    run();
    EXPECT_EQ(opened(dlg::OdrAddress), 1);
}

TEST_F(MainDialog, OkAndCancelQuestionsAndRefusedNames) {
    // Enter in the name box checks the name and moves on; OK asks about the queues left.
    host.answerWhen("still configure 2", id::No);
    DialogScript& s = main();
    s.focus(mc::OdrName).enter().then(focusIs(mc::ToConfigure));
    s.ok().then(focusIs(mc::ToConfigure)).escape();
    EXPECT_EQ(run(), 0u);
    EXPECT_EQ(takeBoxes(40), Texts{"You must still configure 2 Quendal queue"});

    // Names with parts the record cannot hold are refused before any fetch.
    for (const char* name :
         {"DomainNameOfTwentyCh:Quendal", "Alpha:OrganizationOfTwenty", ":Quendal"}) {
        host.trace.clear();
        DialogScript& s = main();
        s.type(mc::OdrName, name).focus(mc::Current).then(focusIs(mc::OdrName));
        s.then(listIs(mc::ToConfigure, {})).closeBox();
        run();
        EXPECT_EQ(
            takeBoxes(40),
            Texts{("The ODR name '" + std::string(name) + "' cannot be used. ").substr(0, 40)});
        EXPECT_EQ(opened(dlg::Wait), 1) << name; // the start-up's only
        EXPECT_STREQ(shared().Domain, "Alpha") << name;
    }

    // While the administrator runs, changes are refused.
    configured("LASER_1", 1);
    machine.windows.add("Lintora Administrator", "AdminClass");
    DialogScript& a = main();
    a.select(mc::Current, "LASER_1").click(mc::Delete);
    a.select(mc::ToConfigure, "LASER_2").select(mc::Model, "HP LaserJet 4M").click(mc::Configure);
    a.type(mc::OdrName, "Beta").focus(mc::Current).then(textIs(mc::OdrName, "Alpha:Quendal"));
    a.closeBox();
    run();
    EXPECT_EQ(takeBoxes(40), (Texts{"You cannot delete any queues while the L",
                                    "You cannot configure any new queues whil",
                                    "You cannot change the ODR name while the"}));
    EXPECT_EQ(slots(), "LASER_1:HP_LASERJET_4M ");

    // Cancel without font values asks once per missing value; a No keeps the dialog.
    const std::tuple<const char*, const char*, size_t> cases[] = {
        {"", "Courier", 1}, {"Courier", "", 1}, {"", "", 2}};
    for (const auto& [font1, defaultFont, asked] : cases) {
        WriteStringValue(lib().registryRoot(), kFontsKey, "Font1", font1);
        WriteStringValue(lib().registryRoot(), kFontsKey, "DefaultFont", defaultFont);
        host.answer(id::No);
        for (size_t i = 0; i < asked; ++i)
            host.answer(id::Yes);
        // The dialog's move into the name box clears the queue selection as the user's does.
        DialogScript& again = main().select(mc::Current, "LASER_1").cancel();
        again.then(focusIs(mc::OdrName)).then([](const ModelWindow& w) {
            EXPECT_EQ(
                std::tuple(w.defaultButton, w.at(mc::Current).curSel, w.at(mc::Delete).enabled),
                std::tuple(ctl::Ok, -1, false));
        });
        again.cancel();
        EXPECT_EQ(run(), 0u);
        EXPECT_EQ(takeBoxes(40), Texts(asked + 1, "The configuration is not yet initialized"))
            << font1 << "|" << defaultFont;
    }
}

// A queue name with a backslash (a key below another) or a control character is neither offered
// nor taken as configured, and logged once per run. The slot that such a name made ("EVIL" from
// the key EVIL\SUB) is not offered for deletion: its configuration stays in the registry.
TEST_F(MainDialog, CreateImportModelChangeAndDelete) {
    const std::string q39(39, 'Q'), evil = std::string(kProductRootPath) + "\\Queues\\EVIL\\SUB";
    EXPECT_EQ(std::vector<bool>({QueueNameUsable(q39), QueueNameUsable(q39 + "Q"),
                                 QueueNameUsable(""), QueueNameUsable("TAB\tX"),
                                 QueueNameUsable("\x7f"), QueueNameUsable("A b-1.\xE9/:*")}),
              std::vector<bool>({true, false, false, false, false, true}));
    machine.registry.setString(evil, "Printer", "HP_LASERJET_4M");
    host.script(dlg::PrinterConfig).ok(); // LASER_1, the first of its model
    host.script(dlg::NewQueue).click(newqueuectl::Import);
    host.script(dlg::ImportQueue).ok();
    host.script(dlg::PrinterConfig).ok(); // LASER_1 again, now a 4MV
    for (const char* question :
         {"Import configuration", "new printer model", "Delete queue", "still wish to exit"})
        host.answerWhen(question, id::Yes);
    DialogScript& s = main();
    s.select(mc::ToConfigure, "LASER_1").select(mc::Model, "HP LaserJet 4M");
    s.click(mc::Configure).then(listIs(mc::Current, {"LASER_1"}));
    s.then(textIs(ctl::Cancel, "Close")).then([](auto& w) {
        EXPECT_TRUE(w.at(mc::Delete).enabled);
    });
    s.select(mc::ToConfigure, "LASER_2").select(mc::Model, "HP LaserJet 4M");
    s.click(mc::Configure).select(mc::Current, "LASER_1").then(selectedIs("HP LaserJet 4M"));
    s.select(mc::Model, "HP LaserJet 4MV").click(mc::Configure);
    s.select(mc::Current, "LASER_2").click(mc::Delete).then(listIs(mc::ToConfigure, {"LASER_2"}));
    s.then([](const ModelWindow& w) { EXPECT_EQ(w.at(mc::Current).curSel, 0); }).closeBox();
    run();
    EXPECT_EQ(std::to_string(opened(dlg::PrinterConfig)) + " " + slots(),
              "2 EVIL: LASER_1:HP_LASERJET_4MV ");
    EXPECT_EQ(takeBoxes(40),
              (Texts{"Successfully configured the queue LASER_",
                     "Import configuration from queue LASER_1 ",
                     "Successfully imported into the queue LAS",
                     "You selected a new printer model for the",
                     "Successfully configured the queue LASER_", "Delete queue LASER_2?",
                     "All successful queue configurations/dele"}));
    const std::string cannot = "' of the ODR 'Alpha:Quendal' cannot be configured: its name is "
                               "empty, holds a backslash or a control character, or is longer "
                               "than 39 characters";
    EXPECT_EQ(t.loggedTexts(),
              (Texts{"LNTC: The queue 'EVIL\\SUB" + cannot, "LNTC: The queue 'BEL\\x07" + cannot}));
    EXPECT_EQ(getString(machine.registry, evil, "Printer").value_or(""), "HP_LASERJET_4M");
}

// What the store refuses, the main dialog tells: no free slot for a new queue, then a registry
// that takes nothing (a deletion, a configured queue's save). Nothing changes.
TEST_F(MainDialog, SavesAndDeletionsTheStoreRefusesAreToldAndChangeNothing) {
    std::string queues, names;
    for (int i = 0; i < 16; ++i) {
        const std::string name = i ? "K" + std::to_string(i) : "LASER_1";
        queues += R"({"name": ")" + name + R"(", "printServer": "testhost"}, )";
        configured(name.c_str(), 1);
        names += name + ":HP_LASERJET_4M ";
    }
    t.product.setDirectoryJson(R"({"default": "Alpha:Quendal", "odrs": [{"domain": "Alpha",
      "organization": "Quendal", "queues": [)" +
                               queues + R"({"name": "LASER_2", "printServer": "testhost"}]}]})");
    for (const char* question : {"Delete queue", "still wish to exit"})
        host.answerWhen(question, id::Yes);
    host.script(dlg::NewQueue).ok();
    host.script(dlg::PrinterConfig).ok(); // LASER_2
    host.script(dlg::PrinterConfig).ok(); // LASER_1
    DialogScript& s = main();
    s.select(mc::ToConfigure, "LASER_2").select(mc::Model, "HP LaserJet 4M").click(mc::Configure);
    s.then([this](const ModelWindow&) { machine.registry.setReadOnly(true); });
    s.select(mc::Current, "LASER_1").click(mc::Delete);
    s.select(mc::Current, "LASER_1").click(mc::Configure);
    s.then([this](const ModelWindow&) { machine.registry.setReadOnly(false); }).closeBox();
    run();
    EXPECT_EQ(
        takeBoxes(40),
        (Texts{"Maximum number of queues (16) exceeded.", "The LASER_2 queue was not configured.",
               "Delete queue LASER_1?", "Access is denied.", "The LASER_1 queue was not deleted.",
               "Access is denied.", "The LASER_1 queue was not configured.",
               "All successful queue configurations/dele"}));
    EXPECT_EQ(slots(), names);
    EXPECT_EQ(opened(dlg::PrinterConfig), 2);
}

// Queues are matched to the ODR's ignoring case; one it does not assign is asked about. A
// queue's model without its module shows as the first model listed of the same name prefix.
TEST_F(MainDialog, ReconciliationModelListAndThePrefixRule) {
    for (const char* name : {"laser_1", "GONE", "KEPT"})
        configured(name, 1);   // HP LaserJet 4M, whose module is missing below
    configured("LASER_2", 14); // generic PostScript
    host.answerWhen("'GONE'", id::Yes);
    host.answerWhen("'KEPT'", id::No);
    machine.files = FakeFileSystem();
    for (const char* m : {"LJB", "GNX"})
        machine.files.addFile(std::string(kModules) + m + ".dll", "");
    DialogScript& s = main();
    s.then(listIs(mc::Current, {"laser_1", "LASER_2"})).then(listIs(mc::ToConfigure, {}));
    s.then(listIs(mc::Model, {"HP LaserJet 4MV", "Other"}));
    s.select(mc::Current, "laser_1").then(selectedIs("HP LaserJet 4MV"));
    s.select(mc::Current, "LASER_2").then(selectedIs("Other - Generic PostScript Level 2"));
    s.then(listIs(mc::Model, {"HP LaserJet 4MV", "Other - Generic PostScript Level 2"}));
    s.closeBox();
    run();
    EXPECT_EQ(slots(), "laser_1:HP_LASERJET_4M KEPT:HP_LASERJET_4M LASER_2:OTHER ");
    EXPECT_EQ(takeBoxes(40), (Texts{"The 'GONE' queue is configured on this p",
                                    "The 'KEPT' queue is configured on this p"}));
}

} // namespace
