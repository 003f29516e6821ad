// The configuration run's main dialog through the headless host, over a fake ODR directory.
#include "configure/configure.h"
#include "connectivity/hosts_file.h"
#include "library/lifecycle.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/save.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;

// Alpha answers and assigns two queues to this server ("testhost"); Beta is silent and only
// reachable at its address; Gamma answers with other system defaults.
const char* const kDirectory = R"({"default": "Alpha:Quendal", "odrs": [
  {"domain": "Alpha", "organization": "Quendal", "address": "10.0.0.7",
   "systemDefaults": {"release": "3.1.0", "charset": 2},
   "queues": [{"name": "LASER_1", "printServer": "testhost"},
              {"name": "LASER_2", "printServer": "testhost"},
              {"name": "ELSEWHERE", "printServer": "other"}]},
  {"domain": "Beta", "organization": "Quendal", "answers": false, "address": "10.0.0.9",
   "systemDefaults": {"release": "2.5.0", "charset": 11},
   "queues": [{"name": "BQ", "printServer": "testhost"}]},
  {"domain": "Gamma", "organization": "Quendal",
   "systemDefaults": {"release": "2.5.0", "charset": 11},
   "queues": [{"name": "GQ", "printServer": "testhost"}]}]})";

const char* const kModules = "C:\\qdsw\\lnt\\bin\\";

class MainDialog : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    uint32_t initResult = 0;

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
        t.lib().defaultMedia.reset(new DefaultMedia[kModelCount]());
        t.product.setDirectoryJson(kDirectory);
        for (const char* m : {"LJA", "LJB", "GNX"})
            machine.files.addFile(std::string(kModules) + m + ".dll", "");
        // Fonts as a finished configuration leaves them, so that Cancel asks nothing.
        WriteStringValue(lib(), kFontsKey, "Font1", "Courier");
        WriteStringValue(lib(), kFontsKey, "DefaultFont", "Courier");
        WriteCharsetById(lib(), 4100, 11);
    }
    Library& lib() { return t.lib(); }
    const ServerConfig& shared() { return *lib().store.config.get(); }
    void init() {
        if (!lib().store.sections) initResult = InitialiseSharedConfig(lib());
    }
    void configured(const char* name, int model) {
        init();
        QueueRecord q{};
        InitNewQueueRecord(model, name, "", q);
        ASSERT_EQ(SaveQueueRecord(lib(), q, true), 0);
    }
    // Runs the main dialog with the script; 1 when it ended with OK.
    uint32_t run(const std::function<void(DialogScript&)>& steps) {
        init();
        steps(host.script(dlg::Main));
        return RunConfiguration(lib(), nullptr, initResult);
    }
    Texts boxes() const {
        Texts out;
        for (const auto& b : host.boxes)
            out.push_back(b.text.substr(0, 40));
        return out;
    }
    int opened(uint16_t templateId) const {
        std::string event =
            (templateId == dlg::Wait ? "create " : "open ") + std::to_string(templateId);
        return static_cast<int>(std::count(host.trace.begin(), host.trace.end(), event));
    }
    std::string slots() {
        std::string out;
        for (int i = 0; i < LNTC_MAX_QUEUES; ++i)
            if (lib().store.queues.get()[i].Name[0])
                out += std::string(lib().store.queues.get()[i].Name) + ":" +
                       lib().store.queues.get()[i].Printer + " ";
        return out;
    }
};

Texts items(const ModelWindow& w, int id) {
    return w.at(id).itemTexts();
}
std::string selected(const ModelWindow& w, int id) {
    const ModelControl& c = w.at(id);
    return c.curSel >= 0 ? c.itemTexts().at(static_cast<size_t>(c.curSel)) : std::string();
}

TEST_F(MainDialog, StartUpCases) {
    struct Case {
        const char* what;
        const char* directory; // nullptr: kDirectory
        bool combined, readOnly, initFails;
        int focus;
        Texts boxes, toConfigure;
    };
    const char* none = R"({"odrs": []})";
    // clang-format off
    const Case cases[] = {
        {"standalone", nullptr, false, false, false, mainctl::Current, {}, {"LASER_1", "LASER_2"}},
        {"combined", nullptr, true, false, false, mainctl::Current, {}, {"LASER_1", "LASER_2"}},
        {"no name, standalone", none, false, false, false, mainctl::OdrName, {}, {}},
        {"no name, combined", none, true, false, false, mainctl::ToConfigure,
         {"The ODR software is also installed on th"}, {}},
        {"initialiser failed", nullptr, false, false, true, mainctl::OdrName,
         {"Invalid ODR name, or Quendal software no"}, {}},
        {"read-only", nullptr, false, true, false, mainctl::Current, {}, {"LASER_1", "LASER_2"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine m;
        TestLibrary t2{m};
        HeadlessHost h;
        t2.lib().setHost(h);
        t2.product.setDirectoryJson(c.directory ? c.directory : kDirectory);
        RegKey odr = kNoKey;
        if (c.combined) {
            m.registry.createKey(kLocalMachine, kOdrRootPath, RegAccess::Write, odr);
            m.registry.setValue(odr, "ProductType", regtype::Sz, "ODRServer", 10);
            m.registry.closeKey(odr);
        }
        uint32_t status = InitialiseSharedConfig(t2.lib());
        t2.lib().readOnlyRegistry = c.readOnly;
        h.script(dlg::Main)
            .then([&](const ModelWindow& w) {
                EXPECT_EQ(w.focus, c.focus);
                EXPECT_EQ(items(w, mainctl::ToConfigure), c.toConfigure);
                EXPECT_EQ(w.at(mainctl::OdrName).enabled, !c.combined && !c.readOnly);
                EXPECT_EQ(w.at(mainctl::Note).text.find(c.combined ? "combined" : "standalone") !=
                              std::string::npos,
                          true);
                EXPECT_EQ(w.at(ctl::Ok).enabled, !c.readOnly);
                EXPECT_EQ(w.defaultButton, c.readOnly ? ctl::Cancel : mainctl::Configure);
                EXPECT_FALSE(w.at(mainctl::Configure).enabled || w.at(mainctl::Delete).enabled);
                EXPECT_EQ(items(w, mainctl::Model), Texts{"Other"});
            })
            .closeBox();
        h.answerWhen("still wish to exit", id::Yes);
        h.answerWhen("still wish to exit", id::Yes);
        EXPECT_EQ(RunConfiguration(t2.lib(), nullptr, c.initFails ? 1 : status), 0u);
        Texts shown;
        for (const auto& b : h.boxes)
            if (b.text.find("still wish to exit") == std::string::npos)
                shown.push_back(b.text.substr(0, 40));
        EXPECT_EQ(shown, c.boxes);
        EXPECT_EQ(h.scriptErrors, Texts{});
    }
}

// A new name is completed and checked once although its boxes and dialogs move the focus; a
// silent ODR is found through a typed address that then goes into the hosts file. OK keeps the
// name and system defaults of the last accepted ODR.
TEST_F(MainDialog, SilentNameServerTypedAddressAndTheNewNameSurvivesOk) {
    host.script(dlg::OdrAddress)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(odrctl::Address).address->text(), "0.0.0.0");
        })
        .type(odrctl::Address, "10.0.0.8")
        .ok();
    host.script(dlg::OdrAddress)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(odrctl::Address).address->text(), "10.0.0.8");
        })
        .type(odrctl::Address, "10.0.0.9")
        .ok();
    host.answerWhen("still configure 1", id::Yes);
    EXPECT_EQ(run([](DialogScript& s) {
                  s.type(mainctl::OdrName, "Beta")
                      .focus(mainctl::Description)
                      .then([](const ModelWindow& w) {
                          EXPECT_EQ(w.at(mainctl::OdrName).text, "Beta:Quendal");
                          EXPECT_EQ(items(w, mainctl::ToConfigure), Texts{"BQ"});
                      })
                      .type(mainctl::OdrName, "Gamma:Quendal")
                      .focus(mainctl::ToConfigure)
                      .ok();
              }),
              1u);
    EXPECT_EQ(opened(dlg::OdrAddress), 2);
    EXPECT_EQ(opened(dlg::Wait), 5); // start-up, three tries for Beta, one for Gamma
    std::string address;
    EXPECT_TRUE(LookupHostsName(lib(), "beta-quendal-rlk-server", address));
    EXPECT_EQ(address, "10.0.0.9");
    EXPECT_EQ(std::string(shared().Domain) + ":" + shared().Organization, "Gamma:Quendal");
    EXPECT_EQ(shared().OdrRelease, 250);
    EXPECT_EQ(shared().SystemCharset, 11);
    EXPECT_EQ(getString(machine.registry, kOdrRootPath, "RLKDomain"), "Gamma:Quendal");
}

TEST_F(MainDialog, TheProposedAddressComesFromTheHostsFileThenTheResolver) {
    const std::string hostsFile = HostsFilePath(lib());
    struct Case {
        const char* hostsLine;
        const char* resolved;
        const char* proposed;
    };
    const Case cases[] = {{"10.1.1.1 beta-quendal-rlk-server\n", "10.2.2.2", "10.1.1.1"},
                          {"10.1.1.1 other-host\n", "10.2.2.2", "10.2.2.2"},
                          {"", nullptr, "0.0.0.0"}};
    for (const Case& c : cases) {
        machine.files.addFile(hostsFile, c.hostsLine);
        machine.services.resolver.clear();
        if (c.resolved) machine.services.resolver["beta-quendal-rlk-server"] = c.resolved;
        host.script(dlg::OdrAddress)
            .then([&](const ModelWindow& w) {
                EXPECT_EQ(w.at(odrctl::Address).address->text(), c.proposed);
            })
            .cancel();
        run([](DialogScript& s) {
            s.type(mainctl::OdrName, "Beta:Quendal")
                .focus(mainctl::ToConfigure)
                .then([](const ModelWindow& w) { EXPECT_EQ(items(w, mainctl::Current), Texts{}); })
                .closeBox();
        });
    }
}

TEST_F(MainDialog, NameWithPartsTheRecordCannotHoldIsRefusedBeforeAnyFetch) {
    const char* names[] = {"ADomainNameOfTwentyCh:Quendal", "Alpha:AnOrganizationOfTwentyX",
                           ":Quendal", "Alpha:"};
    for (const char* name : names) {
        host.boxes.clear();
        host.trace.clear();
        run([&](DialogScript& s) {
            s.type(mainctl::OdrName, name)
                .focus(mainctl::Current)
                .then([](const ModelWindow& w) {
                    EXPECT_EQ(w.focus, mainctl::OdrName);
                    EXPECT_EQ(items(w, mainctl::ToConfigure), Texts{});
                })
                .closeBox();
        });
        ASSERT_EQ(host.boxes.size(), 1u) << name;
        EXPECT_EQ(host.boxes[0].text.rfind(std::string("The ODR name '") + name + "' cannot", 0),
                  0u);
        EXPECT_EQ(opened(dlg::Wait), 1) << name; // the start-up's only
        EXPECT_EQ(std::string(shared().Domain), "Alpha") << name;
    }
}

TEST_F(MainDialog, OkAndCancelQuestions) {
    // Enter in the name box checks the name and moves on; OK asks about the queues left.
    host.answerWhen("still configure 2", id::No);
    EXPECT_EQ(run([](DialogScript& s) {
                  s.focus(mainctl::OdrName)
                      .enter()
                      .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, mainctl::ToConfigure); })
                      .ok()
                      .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, mainctl::ToConfigure); })
                      .escape();
              }),
              0u);
    EXPECT_EQ(boxes(), Texts{"You must still configure 2 Quendal queue"});

    // Cancel without font values asks twice; a No keeps the dialog.
    struct Case {
        const char* font1;
        const char* defaultFont;
        Texts asked;
    };
    const Case cases[] = {
        {"", "Courier", {"The configuration is not yet initialized"}},
        {"Courier", "", {"The configuration is not yet initialized"}},
        {"",
         "",
         {"The configuration is not yet initialized", "The configuration is not yet initialized"}}};
    for (const Case& c : cases) {
        WriteStringValue(lib(), kFontsKey, "Font1", c.font1);
        WriteStringValue(lib(), kFontsKey, "DefaultFont", c.defaultFont);
        host.boxes.clear();
        host.answer(id::No);
        for (size_t i = 0; i < c.asked.size(); ++i)
            host.answer(id::Yes);
        EXPECT_EQ(run([](DialogScript& s) {
                      s.cancel()
                          .then([](const ModelWindow& w) {
                              EXPECT_EQ(w.focus, mainctl::OdrName);
                              EXPECT_EQ(w.defaultButton, ctl::Ok);
                          })
                          .cancel();
                  }),
                  0u);
        Texts expected{c.asked.front()};
        expected.insert(expected.end(), c.asked.begin(), c.asked.end());
        EXPECT_EQ(boxes(), expected) << c.font1 << "|" << c.defaultFont;
    }
}

TEST_F(MainDialog, ReconciliationAsksAboutQueuesTheOdrDoesNotAssign) {
    configured("laser_1", 1);
    configured("GONE", 1);
    configured("KEPT", 1);
    host.answerWhen("'GONE'", id::Yes);
    host.answerWhen("'KEPT'", id::No);
    run([](DialogScript& s) {
        s.then([](const ModelWindow& w) {
             EXPECT_EQ(items(w, mainctl::Current), Texts{"laser_1"});
             EXPECT_EQ(items(w, mainctl::ToConfigure), Texts{"LASER_2"});
         }).closeBox();
    });
    EXPECT_EQ(slots(), "laser_1:HP_LASERJET_4M KEPT:HP_LASERJET_4M ");
}

TEST_F(MainDialog, CreateImportModelChangeAndDelete) {
    host.script(dlg::PrinterConfig).ok(); // LASER_1, the first of its model
    host.script(dlg::NewQueue).click(newqueuectl::Import);
    host.script(dlg::ImportQueue).ok();
    host.script(dlg::PrinterConfig).ok(); // LASER_1 again, now a 4MV
    for (const char* question :
         {"Import configuration", "new printer model", "Delete queue", "still wish to exit"})
        host.answerWhen(question, id::Yes);
    run([](DialogScript& s) {
        s.select(mainctl::ToConfigure, "LASER_1")
            .select(mainctl::Model, "HP LaserJet 4M")
            .click(mainctl::Configure)
            .then([](const ModelWindow& w) {
                EXPECT_EQ(items(w, mainctl::Current), Texts{"LASER_1"});
                EXPECT_EQ(w.at(ctl::Cancel).text, "Close");
                EXPECT_TRUE(w.at(mainctl::Delete).enabled);
            })
            .select(mainctl::ToConfigure, "LASER_2")
            .select(mainctl::Model, "HP LaserJet 4M")
            .click(mainctl::Configure)
            .select(mainctl::Current, "LASER_1")
            .then([](const ModelWindow& w) {
                EXPECT_EQ(selected(w, mainctl::Model), "HP LaserJet 4M");
            })
            .select(mainctl::Model, "HP LaserJet 4MV")
            .click(mainctl::Configure)
            .select(mainctl::Current, "LASER_2")
            .click(mainctl::Delete)
            .then([](const ModelWindow& w) {
                EXPECT_EQ(items(w, mainctl::ToConfigure), Texts{"LASER_2"});
                EXPECT_EQ(w.at(mainctl::Current).curSel, 0);
            })
            .closeBox();
    });
    EXPECT_EQ(opened(dlg::PrinterConfig), 2);
    EXPECT_EQ(slots(), "LASER_1:HP_LASERJET_4MV ");
    Texts expected{
        "Successfully configured the queue LASER_", "Import configuration from queue LASER_1 ",
        "Successfully imported into the queue LAS", "You selected a new printer model for the",
        "Successfully configured the queue LASER_", "Delete queue LASER_2?",
        "All successful queue configurations/dele"};
    Texts shown = boxes();
    shown.erase(std::remove(shown.begin(), shown.end(), expected[1]), shown.end());
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(shown, expected);
}

TEST_F(MainDialog, AdministratorBlocksChanges) {
    configured("LASER_1", 1);
    machine.windows.add("Lintora Administrator", "AdminClass");
    run([](DialogScript& s) {
        s.select(mainctl::Current, "LASER_1")
            .click(mainctl::Delete)
            .select(mainctl::ToConfigure, "LASER_2")
            .select(mainctl::Model, "HP LaserJet 4M")
            .click(mainctl::Configure)
            .type(mainctl::OdrName, "Beta")
            .focus(mainctl::Current)
            .then([](const ModelWindow& w) {
                EXPECT_EQ(w.at(mainctl::OdrName).text, "Alpha:Quendal");
            })
            .closeBox();
    });
    EXPECT_EQ(boxes(), (Texts{"You cannot delete any queues while the L",
                              "You cannot configure any new queues whil",
                              "You cannot change the ODR name while the"}));
    EXPECT_EQ(slots(), "LASER_1:HP_LASERJET_4M ");
}

TEST_F(MainDialog, ModelListAndThePrefixRule) {
    configured("LASER_1", 1);  // HP LaserJet 4M, whose module is missing below
    configured("LASER_2", 14); // generic PostScript
    machine.files = FakeFileSystem();
    machine.files.addFile(std::string(kModules) + "LJB.dll", "");
    machine.files.addFile(std::string(kModules) + "GNX.dll", "");
    run([](DialogScript& s) {
        s.then([](const ModelWindow& w) {
             EXPECT_EQ(items(w, mainctl::Model), (Texts{"HP LaserJet 4MV", "Other"}));
         })
            .select(mainctl::Current, "LASER_1")
            .then([](const ModelWindow& w) {
                EXPECT_EQ(selected(w, mainctl::Model), "HP LaserJet 4MV");
            })
            .select(mainctl::Current, "LASER_2")
            .then([](const ModelWindow& w) {
                EXPECT_EQ(items(w, mainctl::Model),
                          (Texts{"HP LaserJet 4MV", "Other - Generic PostScript Level 2"}));
                EXPECT_EQ(w.at(mainctl::Model).curSel, 1);
            })
            .closeBox();
    });
    EXPECT_EQ(boxes(), Texts{});
}

} // namespace
