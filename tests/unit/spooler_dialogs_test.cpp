// Print Manager and Other/Parallel port connectivity over the fake spooler.
#include "connectivity/connectivity_dialogs.h"
#include "resources/help_file.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

using Strings = std::vector<std::string>;
const std::string kOffice = "Office,   \"Second floor\"", kBare = "Bare,   <no description text>";

std::string notInPrintManager(const std::string& name) {
    return "Print Manager Connectivity: The " + name + " printer does not exist in Print Manager.";
}

struct SpoolerDialogs : ::testing::Test {
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    QueueRecord q{};
    void SetUp() override {
        t.lib().setHost(host);
        setField(q.Name, "LASER");
        q.Connectivity = 1;
        machine.spooler.printerList = {{"Office", "Second floor"}, {"Bare", ""}};
    }
    // Runs the dialog: the final state of its box, and the message boxes shown (caption: text).
    template <class D> std::pair<const ModelControl*, Strings> run(int box, int end = id::Cancel) {
        host.boxes.clear();
        D dialog(t.lib(), nullptr, q);
        EXPECT_EQ(dialog.doModal(), end);
        Strings shown;
        for (const auto& b : host.boxes)
            shown.push_back(b.caption + ": " + b.text);
        return {&host.closedWindows.back()->at(box), shown};
    }
};

TEST_F(SpoolerDialogs, PrintManagerEntriesAndWhatOkStores) {
    const std::string wide(250, 'W'), e124(124, 'e');
    machine.spooler.printerList.push_back({"A,B", e124 + "\xC3\xA9"}); // cut before the "é"
    machine.spooler.printerList.push_back({wide, "x"});
    const std::string ab = "A,B,   \"" + e124 + "\"", wideEntry = wide + ",   \"";
    struct Case {
        std::string typed, select; // typed text, else the entry selected
        std::string stored, box;   // DeviceName afterwards; the box shown, if any
    } cases[] = {
        {"", kOffice, "Office", ""},
        {"", ab, "A,B", ""}, // an entry names its printer, commas and all
        {"", wideEntry, wide, ""},
        {"Bare,   anything", "", "Bare", ""},
        {"", "LASER", "before", notInPrintManager("LASER")},
        {"", "", "before", notInPrintManager("")},
        {",Office", "", "before", notInPrintManager("")},
        {"Bare," + std::string(252, ' '), "", "before",
         "Lintora Configuration: Please enter no more than 256 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + c.select);
        setField(q.DeviceName, "before");
        auto& s = host.script(dlg::PrintManager);
        c.select.empty() ? s.type(pmctl::Printer, c.typed) : s.select(pmctl::Printer, c.select);
        s.ok();
        if (!c.box.empty()) s.cancel();
        auto [box, shown] =
            run<PrintManagerDialog>(pmctl::Printer, c.box.empty() ? id::Ok : id::Cancel);
        EXPECT_EQ(box->itemTexts(), (Strings{ab, kBare, "LASER", kOffice, wideEntry}));
        EXPECT_EQ(fieldText(q.DeviceName), c.stored);
        EXPECT_EQ(shown, c.box.empty() ? Strings{} : Strings{c.box});
    }
}

TEST_F(SpoolerDialogs, RefreshListsAnewAndSelectsTheOpeningTextAgain) {
    q.Connectivity = 0;
    setField(q.DeviceName, "Office");
    t.lib().readOnlyRegistry = true; // Cancel stays the default after a Refresh
    host.script(dlg::PrintManager)
        .select(pmctl::Printer, kBare)
        .then([&](const ModelWindow&) {
            machine.spooler.printerList.push_back({"New", "Added"});
        })
        .click(pmctl::Refresh)
        .then([](const ModelWindow& w) { EXPECT_EQ(w.defaultButton, ctl::Cancel); })
        .cancel();
    auto [box, shown] = run<PrintManagerDialog>(pmctl::Printer);
    EXPECT_EQ(box->itemTexts(), (Strings{kBare, "New,   \"Added\"", kOffice}));
    EXPECT_EQ(box->text, kOffice);
}

TEST_F(SpoolerDialogs, ListsTooLargeToHoldAreReportedWithTheirSize) {
    std::vector<size_t> sizes = {SIZE_MAX};
#ifndef __SANITIZE_ADDRESS__ // its allocator aborts instead of failing
    sizes.push_back(size_t{1} << 62);
#endif
    for (size_t bytes : sizes) {
        const std::string n = std::to_string(bytes) + " bytes are required.",
                          error = "Configuration Error: Error allocating memory for the list of ";
        machine.spooler.printerBytes = machine.spooler.portBytes = bytes;
        host.script(dlg::PrintManager).cancel();
        auto [printers, pmShown] = run<PrintManagerDialog>(pmctl::Printer);
        EXPECT_EQ(printers->itemTexts(), Strings{"LASER"});
        EXPECT_EQ(pmShown, Strings{error + "Print Manager printer names.  " + n});
        host.script(dlg::OtherPort).cancel();
        auto [ports, portShown] = run<OtherPortDialog>(portctl::Port);
        EXPECT_EQ(ports->itemTexts(), Strings{});
        EXPECT_EQ(portShown, Strings{error + "printer ports.  " + n});
    }
}

TEST_F(SpoolerDialogs, OtherPortSelectionAndOk) {
    const std::string p40(40, 'P'),
        tooLong = "Lintora Configuration: Please enter no more than 40 characters.";
    struct Case {
        Strings ports;
        uint32_t connectivity;
        std::string stored, typed;
        Strings items;
        std::string result; // DeviceName afterwards, or the box that refused the name
        bool refused = false;
    } cases[] = {
        {{"LPT2:", "COM1:", "LPT1:"}, 2, "", "", {"COM1:", "LPT1:", "LPT2:"}, "LPT1:"},
        {{"COM2:", "COM1:"}, 2, "", "", {"COM1:", "COM2:"}, "COM1:"},
        {{"FILE:", "lpt3:", "LPT1:"}, 2, "", "", {"LPT1:"}, "LPT1:"},
        {{"LPT1:", "FILE:"}, 2, "FILE:", "", {"FILE:", "LPT1:"}, "FILE:"},
        {{"LPT1:"}, 1, "myhost", "", {"LPT1:"}, "LPT1:"}, // another connectivity's name
        {{"LPT1:"}, 2, "", p40, {"LPT1:"}, p40},
        {{"LPT1:"}, 2, "", p40 + "Q", {"LPT1:"}, tooLong, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        machine.spooler.portList = c.ports;
        q.Connectivity = c.connectivity;
        setField(q.DeviceName, c.stored);
        auto& s = host.script(dlg::OtherPort);
        if (!c.typed.empty()) s.type(portctl::Port, c.typed);
        s.ok();
        if (c.refused) s.cancel();
        auto [box, shown] = run<OtherPortDialog>(portctl::Port, c.refused ? id::Cancel : id::Ok);
        EXPECT_EQ(box->itemTexts(), c.items);
        EXPECT_EQ(fieldText(q.DeviceName), c.refused ? c.stored : c.result);
        EXPECT_EQ(shown, c.refused ? Strings{c.result} : Strings{});
    }
}

} // namespace
