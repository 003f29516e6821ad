// Print Manager and Other/Parallel port connectivity over the fake spooler.
#include "connectivity/connectivity_dialogs.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Strings = std::vector<std::string>;

std::string repeat(const std::string& s, size_t n) {
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

class SpoolerDialogs : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    QueueRecord q{};

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
        setField(q.Name, "LASER");
        q.Connectivity = 1;
        machine.spooler.printerList = {{"Office", "Second floor"}, {"Bare", ""}};
    }
    Strings boxTexts() const {
        Strings out;
        for (const auto& b : host.boxes)
            out.push_back(b.text);
        return out;
    }
    int runPrintManager() {
        PrintManagerDialog d(t.lib(), nullptr, q);
        return d.doModal();
    }
    int runOtherPort() {
        OtherPortDialog d(t.lib(), nullptr, q);
        return d.doModal();
    }
};

const char* const kOffice = "Office,   \"Second floor\"";
const char* const kBare = "Bare,   <no description text>";

std::string notInPrintManager(const std::string& name) {
    return "The " + name + " printer does not exist in Print Manager.";
}

TEST_F(SpoolerDialogs, PrintManagerListsEntriesAndOkStoresTheCheckedName) {
    struct Case {
        const char* what;
        bool select; // select the entry, else type the text
        std::string text;
        const char* stored; // nullptr: refused with the box
        std::string box;
        const char* gone = ""; // listed, but the spooler cannot open it any more
    } cases[] = {
        {"an entry with a comment", true, kOffice, "Office", ""},
        {"an entry without one", true, kBare, "Bare", ""},
        {"a typed name and more", false, "Bare,   whatever", "Bare", ""},
        {"a name with a comma", true, "A,B,   <no description text>", "A,B", ""},
        {"the bare stored name", true, "LASER", nullptr, notInPrintManager("LASER")},
        {"an empty box", false, "", nullptr, notInPrintManager("")},
        {"a leading comma", false, ",Office", nullptr, notInPrintManager("")},
        {"a printer deleted meanwhile", true, kOffice, nullptr, notInPrintManager("Office"),
         "Office"},
        {"too long a text", false, "Bare," + std::string(252, ' '), nullptr,
         "Please enter no more than 256 characters."},
    };
    machine.spooler.printerList.push_back({"A,B", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.boxes.clear();
        setField(q.DeviceName, "before");
        machine.spooler.gone = {c.gone};
        auto& s = host.script(dlg::PrintManager);
        s.then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(pmctl::Printer).itemTexts(),
                      (Strings{"A,B,   <no description text>", kBare, "LASER", kOffice}));
            EXPECT_EQ(w.at(pmctl::Printer).text, "LASER");
            EXPECT_EQ(w.focus, pmctl::Printer);
            EXPECT_EQ(w.defaultButton, ctl::Ok);
        });
        c.select ? s.select(pmctl::Printer, c.text) : s.type(pmctl::Printer, c.text);
        s.ok();
        if (!c.stored) s.cancel();
        EXPECT_EQ(runPrintManager(), c.stored ? id::Ok : id::Cancel);
        EXPECT_STREQ(q.DeviceName, c.stored ? c.stored : "before");
        if (c.stored) continue;
        ASSERT_EQ(boxTexts(), Strings{c.box});
        if (c.box.find("Print Manager") == std::string::npos) continue;
        EXPECT_EQ(host.boxes[0].caption, "Print Manager Connectivity");
        EXPECT_EQ(host.boxes[0].style, 0x10030u);
    }
}

TEST_F(SpoolerDialogs, RefreshShowsNewPrintersAndSelectsTheOpeningTextAgain) {
    q.Connectivity = 0;
    setField(q.DeviceName, "Office");
    t.lib().readOnlyRegistry = true;
    host.script(dlg::PrintManager)
        .select(pmctl::Printer, kBare)
        .then([&](const ModelWindow&) {
            machine.spooler.printerList.push_back({"New", "Added"});
        })
        .click(pmctl::Refresh)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(pmctl::Printer).itemTexts(),
                      (Strings{kBare, "New,   \"Added\"", kOffice}));
            EXPECT_EQ(w.at(pmctl::Printer).text, kOffice);
            EXPECT_FALSE(w.at(ctl::Ok).enabled);
            EXPECT_EQ(w.defaultButton, ctl::Cancel);
        })
        .cancel();
    EXPECT_EQ(runPrintManager(), id::Cancel);
}

TEST_F(SpoolerDialogs, LongNamesAndCommentsAreCutAtCharacterBoundaries) {
    const std::string longName = repeat("\xC3\xBC", 125); // 250 bytes
    machine.spooler.printerList = {{"Wide", repeat("\xC3\xA9", 200)}, {longName, "x"}};
    const std::string wide = "Wide,   \"" + repeat("\xC3\xA9", 62) + "\"";
    const std::string cut = longName + ",   \"";
    ASSERT_EQ(cut.size(), 255u);
    host.script(dlg::PrintManager)
        .then([&](const ModelWindow& w) {
            EXPECT_EQ(w.at(pmctl::Printer).itemTexts(), (Strings{"LASER", wide, cut}));
        })
        .select(pmctl::Printer, cut)
        .ok();
    EXPECT_EQ(runPrintManager(), id::Ok);
    EXPECT_EQ(fieldText(q.DeviceName), longName);
}

TEST_F(SpoolerDialogs, ListsTooLargeToHoldAreReportedWithTheirSize) {
    std::vector<size_t> sizes = {SIZE_MAX};
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's allocator aborts instead of failing
    sizes.push_back(size_t{1} << 62);
#endif
    for (size_t bytes : sizes) {
        SCOPED_TRACE(bytes);
        host.boxes.clear();
        machine.spooler.printerBytes = machine.spooler.portBytes = bytes;
        host.script(dlg::PrintManager)
            .then([](const ModelWindow& w) {
                EXPECT_EQ(w.at(pmctl::Printer).itemTexts(), Strings{"LASER"});
            })
            .cancel();
        runPrintManager();
        host.script(dlg::OtherPort)
            .then([](const ModelWindow& w) {
                EXPECT_TRUE(w.at(portctl::Port).itemTexts().empty());
                EXPECT_EQ(w.at(portctl::Port).text, "");
            })
            .cancel();
        runOtherPort();
        const std::string n = std::to_string(bytes);
        EXPECT_EQ(
            boxTexts(),
            (Strings{"Error allocating memory for the list of Print Manager printer names.  " + n +
                         " bytes are required.",
                     "Error allocating memory for the list of printer ports.  " + n +
                         " bytes are required."}));
    }
}

TEST_F(SpoolerDialogs, OtherPortSelectionRules) {
    struct Case {
        const char* what;
        Strings ports;
        uint32_t connectivity;
        const char* stored;
        Strings items;
        const char* selected;
    } cases[] = {
        {"LPT1: preferred",
         {"LPT2:", "COM1:", "LPT1:"},
         2,
         "",
         {"COM1:", "LPT1:", "LPT2:"},
         "LPT1:"},
        {"else the first sorted", {"COM2:", "COM1:"}, 2, "", {"COM1:", "COM2:"}, "COM1:"},
        {"only LPT and COM listed", {"FILE:", "lpt3:", "LPT1:"}, 2, "", {"LPT1:"}, "LPT1:"},
        {"a stored FILE: kept", {"LPT1:", "FILE:"}, 2, "FILE:", {"FILE:", "LPT1:"}, "FILE:"},
        {"a stored listed port", {"LPT1:", "COM1:"}, 2, "COM1:", {"COM1:", "LPT1:"}, "COM1:"},
        {"another connectivity's name", {"LPT1:"}, 1, "myhost", {"LPT1:"}, "LPT1:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machine.spooler.portList = c.ports;
        q.Connectivity = c.connectivity;
        setField(q.DeviceName, c.stored);
        host.script(dlg::OtherPort)
            .then([&](const ModelWindow& w) {
                EXPECT_EQ(w.at(portctl::Port).itemTexts(), c.items);
                EXPECT_EQ(w.at(portctl::Port).text, c.selected);
            })
            .ok();
        EXPECT_EQ(runOtherPort(), id::Ok);
        EXPECT_STREQ(q.DeviceName, c.selected);
    }
}

TEST_F(SpoolerDialogs, OtherPortRefusesNamesLongerThanFortyCharacters) {
    setField(q.DeviceName, "before");
    const std::string name40(40, 'P');
    host.script(dlg::OtherPort)
        .type(portctl::Port, name40 + "Q")
        .ok()
        .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, portctl::Port); })
        .cancel();
    EXPECT_EQ(runOtherPort(), id::Cancel);
    EXPECT_STREQ(q.DeviceName, "before");
    EXPECT_EQ(boxTexts(), Strings{"Please enter no more than 40 characters."});
    host.script(dlg::OtherPort).type(portctl::Port, name40).ok();
    EXPECT_EQ(runOtherPort(), id::Ok);
    EXPECT_EQ(fieldText(q.DeviceName), name40);
}

TEST(SpoolerDialogsHelp, EveryControlThatTakesTheFocusHasATopic) {
    const std::string help =
        readTextFile(std::string(LNTC_SOURCE_DIR) + "/src/resources/help/liblntc.hlp.txt");
    for (uint16_t id : {dlg::PrintManager, dlg::OtherPort}) {
        EXPECT_TRUE(findHelpTopic(help, id).has_value()) << id;
        for (const ControlTemplate& c : builtinTemplate(id)->controls) {
            if (c.id == ctl::Static || !takesFocus(c.kind)) continue;
            EXPECT_TRUE(findHelpTopic(help, static_cast<uint32_t>(c.id)).has_value())
                << "dialog " << id << ", control " << c.id;
        }
    }
}

} // namespace
