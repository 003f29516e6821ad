// The connectivity dialogs through the headless host: the printer dialogs and queue options, Print
// Manager and Other/Parallel ports over the fake spooler, and TCP Direct with the hosts file's
// matching rules.
#include "configure/configure.h"
#include "connectivity/connectivity_dialogs.h"
#include "connectivity/hosts_file.h"
#include "media/media_dialogs.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "support/test_library.h"
#include "support/ui_support.h"
#include "ui/address_edit.h"
#include "ui/headless_host.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;
using Strings = std::vector<std::string>;

namespace {

constexpr const char* kHosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";

// A queue LASER with the port name PRN1 over a library whose host is the headless host (without
// the test templates, whose ids the product's dialogs use), and the hosts file if given.
struct Queue : HeadlessLibrary {
    QueueRecord q{};
    explicit Queue(const char* hosts = nullptr, const char* key = "GENERIC_POSTSCRIPT")
        : HeadlessLibrary(false) {
        setField(q.Name, "LASER");
        model(key);
        setField(q.DeviceName, "PRN1");
        q.Connectivity = 1;
        q.TCP_SocketNumber = 515;
        t.lib().setDefaultMedia(
            std::make_unique<DefaultMedia[]>(kModelCount)); // no media table needed
        if (hosts) machine.files.addFile(kHosts, hosts);
    }
    int model(const char* key) {
        setField(q.Printer, key);
        return ModelIndexOfKey(key);
    }
    // The boxes shown since the last call as "caption: text", cut to `n` characters.
    Strings boxes(size_t n = std::string::npos) { return takeBoxes(n, true); }
    std::string file(const char* path = kHosts) {
        std::string s;
        machine.files.readFile(path, s);
        return s;
    }
};
struct QueueDialogs : ::testing::Test, Queue {
    QueueDialogs() : Queue(nullptr, "HP_LASERJET_4M") {}
};
using PrinterDialogs = QueueDialogs;

TEST_F(PrinterDialogs, OpeningShowsTheRecordAndTheTcpIpServiceTheLargeDocumentOneItsMedia) {
    std::tie(q.WaitTimeout, q.CenterImage) = std::tuple(300, 5);
    PrinterConfigDialog d(t.lib().services(), nullptr, model("GENERIC_POSTSCRIPT"), q);
    auto& s = host.script(dlg::PrinterConfig)
                  .then(titleIs("Generic PostScript Level 2 Printer Configuration"));
    s.then(textIs(printerctl::QueueName, "LASER")).then(textIs(printerctl::WaitTimeout, "300"));
    s.then(checkedIs(printerctl::TcpDirect)).then(enabledIs(printerctl::RawBinary, false));
    s.then(checkedIs(printerctl::CenterImage)).cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);

    // Without TCP/IP, or with a service manager that cannot be asked (that is logged):
    // Other/Parallel is selected, TCP Direct disabled, and OK is refused until another connectivity
    // is configured.
    for (uint32_t managerError : {0u, 5u}) {
        machine.services.tcpip = managerError != 0;
        machine.services.managerError = managerError;
        PrinterConfigDialog without(t.lib().services(), nullptr, model("HP_LASERJET_4M"), q);
        auto& noTcp = host.script(dlg::PrinterConfig).then(checkedIs(printerctl::OtherPort));
        noTcp.then(enabledIs(printerctl::TcpDirect, false)).ok().cancel();
        EXPECT_EQ(without.doModal(), id::Cancel);
        EXPECT_EQ(boxes(40), (Strings{"Configuration Error: Printer Connectivit",
                                      "Configuration Error: You must configure "}));
    }
    EXPECT_TRUE(t.logged("LNTC: Error opening the Service Control Manager"));

    // Each printer dialog prepares the media: merged with the model's (no paper at all here),
    // an empty tray is none; the unreadable ldpx.cfg is reported before the dialog shows.
    for (const char* key : {"HP_LASERJET_4M", "RICOH_LP-M20"}) {
        setField(q.Tray3_Third, "");
        if (model(key) == 1)
            PrinterConfigDialog(t.lib().services(), nullptr, 1, q);
        else
            LargeDocConfigDialog(t.lib().services(), nullptr, model(key), q);
        EXPECT_STREQ(q.Tray3_Third, "NONE") << key;
    }
    LargeDocConfigDialog large(t.lib().services(), nullptr, model("XEROX_8840C"), q);
    EXPECT_STREQ(q.BestAvailPaperSizes, "LETTER,B,C");
    ASSERT_EQ(host.boxes.size(), 1u);
    auto& l = host.script(dlg::LargeDocConfig)
                  .then(titleIs("Xerox 8840C  (C-size) Printer Configuration"));
    l.type(largedocctl::InitTimeout, "3600").click(largedocctl::Options);
    l.then(textIs(ctl::Cancel, "Close")).ok();
    host.script(dlg::QueueOptions).ok();
    EXPECT_EQ(large.doModal(), id::Ok);
    EXPECT_EQ(q.PrinterInitTimeout, 3600);
}

// Every spin bar, typed to each end of its range and one past it: "typed^shown" steps up,
// "typed_shown" down. The whole numbers of the printer dialogs and the page count step on from
// outside their range; the point size, the page limit and the overscan come back into it.
TEST_F(PrinterDialogs, EverySpinBarStopsAtTheEndsOfItsRange) {
    // clang-format off
    const std::tuple<uint16_t, int, int, const char*> spins[] = {
        {dlg::PrinterConfig, printerctl::WaitTimeout, printerctl::WaitTimeoutSpin,
         "1799^1800 1800^1800 1801^1801 1801_1800 1_0 0_0 x^1 -3_-3"},
        {dlg::LargeDocConfig, largedocctl::InitTimeout, largedocctl::InitTimeoutSpin,
         "3599^3600 3600^3600 1_0 0_0 5000_4999"},
        {dlg::QueueOptions, qoptctl::Timeout, qoptctl::TimeoutSpin, "59^60 60^60 1_0 0_0 99_98"},
        {dlg::Fonts, fontctl::PointSize, fontctl::PointSizeSpin,
         "29^30 30^30 31_30 40_30 6_5 5_5 4^5 -7^5 4294967295^5"},
        {dlg::GeneralOptions, genctl::QueueDepth, genctl::QueueDepthSpin,
         "19^20 20^20 21_20 25_20 2_1 1_1 0^1 -3^1"},
        {dlg::EjectMedia, ejectctl::Pages, ejectctl::PagesSpin,
         "999^1000 1000^1000 1001_1000 2_1 1_1 0^1"},
        {dlg::EjectMedia, ejectctl::Overscan, ejectctl::OverscanSpin,
         "9.9^10.0 9.95^9.95 10^10 15_10.0 0.1_0.0 0.05_0.05 0_0 -3^0.0 3.14159^3.2 x^0.1"},
    };
    // clang-format on
    q.EjectTraySwitch = 1;
    ServerConfig cfg{};
    std::tie(cfg.InstalledKanji, cfg.FormerCharset) = std::tuple(1, 30);
    setField(cfg.DefaultFont, "Mincho16");
    for (const auto& [dialog, field, spin, steps] : spins) {
        DialogScript& s = host.script(dialog);
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const size_t at = step.find_first_of("^_", 1);
            s.type(field, step.substr(0, at));
            s.scroll(spin, step[at] == '^' ? Scroll::LineUp : Scroll::LineDown);
            s.then(textIs(field, step.substr(at + 1)));
        }
        s.cancel();
        DefaultMedia media{};
        SCOPED_TRACE(dialog);
        EXPECT_EQ(dialog == dlg::PrinterConfig
                      ? PrinterConfigDialog(t.lib().services(), nullptr, 1, q).doModal()
                  : dialog == dlg::LargeDocConfig
                      ? LargeDocConfigDialog(t.lib().services(), nullptr, model("RICOH_LP-M20"), q)
                            .doModal()
                  : dialog == dlg::QueueOptions
                      ? QueueOptionsDialog(t.lib().services(), nullptr, q).doModal()
                  : dialog == dlg::Fonts ? RunFontsDialog(t.lib().services(), nullptr, cfg)
                  : dialog == dlg::GeneralOptions
                      ? RunGeneralOptionsDialog(t.lib().services(), nullptr, cfg)
                      : EjectMediaDialog(t.lib().services(), nullptr, q, media).doModal(),
                  id::Cancel);
    }
}

TEST_F(PrinterDialogs, QueueOptionsDuplexRuleBindingAndAdvanced) {
    using Four = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>;
    // PrintDest, DuplexAvailable, DuplexPrint and DuplexBinding before and after OK; whether the
    // duplex box, "always" and Advanced are enabled (the binding is never shown).
    // clang-format off
    const std::tuple<const char*, Four, std::vector<bool>, Four> cases[] = {
        {"RICOH_LP-M20", {0, 1, 1, 2}, {false, false, true}, {1, 1, 0, 2}},
        {"HP_LASERJET_4M", {3, 1, 1, 0}, {true, true, false}, {3, 1, 1, 0}},
        {"GENERIC_POSTSCRIPT", {2, 0, 1, 1}, {true, false, false}, {2, 0, 0, 1}}};
    // clang-format on
    auto fields = std::tie(q.PrintDest, q.DuplexAvailable, q.DuplexPrint, q.DuplexBinding);
    for (const auto& [key, before, on, after] : cases) {
        model(key);
        fields = before;
        SCOPED_TRACE(key);
        QueueOptionsDialog d(t.lib().services(), nullptr, q);
        auto& s = host.script(dlg::QueueOptions).then(enabledIs(qoptctl::DuplexAvailable, on[0]));
        s.then(enabledIs(qoptctl::AlwaysDuplex, on[1])).then(enabledIs(qoptctl::Advanced, on[2]));
        s.then([](const ModelWindow& w) { EXPECT_FALSE(w.at(qoptctl::SameBinding).visible); });
        const int duplex = qoptctl::DuplexAvailable, always = qoptctl::AlwaysDuplex;
        if (!std::get<1>(before)) // checking duplex enables "always", unchecked
            s.click(duplex).then(enabledIs(always, true)).then(checkedIs(always, 0)).click(duplex);
        s.ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        EXPECT_EQ(Four(fields), after);
    }
    // It opens with the stored timeout; after the advanced dialog committed, leaving asks first.
    model("RICOH_LP-M20");
    q.PrinterStatusTimeout = 59;
    QueueOptionsDialog d(t.lib().services(), nullptr, q);
    host.script(dlg::QueueOptions)
        .then(textIs(qoptctl::Timeout, "59"))
        .click(qoptctl::Advanced)
        .cancel()
        .cancel();
    host.script(dlg::AdvancedQueueOptions).click(advctl::Rotate180).ok();
    host.answerWhen("still wish to exit", id::No);
    host.answerWhen("still wish to exit", id::Yes);
    EXPECT_EQ(d.doModal(), kClosedWithChanges);
    EXPECT_EQ(q.Rotate180, 1u);
}

const std::string kOffice = "Office,   \"Second floor\"", kBare = "Bare,   <no description text>";

std::string notInPrintManager(const std::string& name) {
    return "Print Manager Connectivity: The " + name + " printer does not exist in Print Manager.";
}

struct SpoolerDialogs : QueueDialogs {
    SpoolerDialogs() { machine.spooler.printerList = {{"Office", "Second floor"}, {"Bare", ""}}; }
    // Runs the dialog: the final state of its box, and the message boxes shown.
    template <class D> std::pair<const ModelControl*, Strings> run(int box, int end = id::Cancel) {
        D dialog(t.lib().services(), nullptr, q);
        EXPECT_EQ(dialog.doModal(), end);
        return {&host.closedWindows.back()->at(box), boxes()};
    }
};

TEST_F(SpoolerDialogs, PrintManagerEntriesWhatOkStoresAndRefresh) {
    const std::string wide(250, 'W'), e124(124, 'e');
    machine.spooler.printerList.push_back({"A,B", e124 + "\xC3\xA9"}); // cut before the "é"
    machine.spooler.printerList.push_back({wide, "x"});
    const std::string ab = "A,B,   \"" + e124 + "\"", wideEntry = wide + ",   \"";
    // The typed text, else the entry selected; DeviceName afterwards; the box shown, if any.
    // clang-format off
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"", kOffice, "Office", ""},
        {"", ab, "A,B", ""}, // an entry names its printer, commas and all
        {"", wideEntry, wide, ""}, {"Bare,   anything", "", "Bare", ""},
        {"", "LASER", "before", notInPrintManager("LASER")},
        {"", "", "before", notInPrintManager("")}, {",Office", "", "before", notInPrintManager("")},
        {"Bare," + std::string(251, ' '), "", "Bare", ""},
        {"Bare," + std::string(252, ' '), "", "before", "Lintora Configuration: Please enter no more than 256 characters."}};
    // clang-format on
    for (const auto& [typed, select, stored, box] : cases) {
        setField(q.DeviceName, "before");
        auto& s = host.script(dlg::PrintManager);
        select.empty() ? s.type(pmctl::Printer, typed) : s.select(pmctl::Printer, select);
        box.empty() ? s.ok() : s.ok().cancel();
        auto [list, shown] =
            run<PrintManagerDialog>(pmctl::Printer, box.empty() ? id::Ok : id::Cancel);
        EXPECT_EQ(list->itemTexts(), (Strings{ab, kBare, "LASER", kOffice, wideEntry}));
        EXPECT_EQ(fieldText(q.DeviceName), stored) << typed << select;
        EXPECT_EQ(shown, box.empty() ? Strings{} : Strings{box}) << typed << select;
    }

    // Refresh lists anew and selects the opening text again.
    q.Connectivity = 0;
    setField(q.DeviceName, "Office");
    t.makeRegistryReadOnly(); // Cancel stays the default after a Refresh
    auto& s = host.script(dlg::PrintManager).select(pmctl::Printer, kBare);
    s.then([&](const ModelWindow&) { machine.spooler.printerList.push_back({"New", "Added"}); });
    s.click(pmctl::Refresh).then([](auto& w) { EXPECT_EQ(w.defaultButton, ctl::Cancel); }).cancel();
    auto [box, shown] = run<PrintManagerDialog>(pmctl::Printer);
    EXPECT_EQ(box->itemTexts(), (Strings{ab, kBare, "New,   \"Added\"", kOffice, wideEntry}));
    EXPECT_EQ(box->text, kOffice);
}

TEST_F(SpoolerDialogs, OtherPortSelectionAndOkAndListsTooLargeToHold) {
    const std::string p40(40, 'P'),
        tooLong = "Lintora Configuration: Please enter no more than 40 characters.";
    // The spooler's ports, the queue's connectivity and DeviceName, the name typed; the list shown,
    // and DeviceName afterwards or the box that refused the name.
    // clang-format off
    struct Case { Strings ports; uint32_t connectivity; std::string stored, typed; Strings items; std::string result; bool refused = false; };
    const Case cases[] = {
        {{"LPT2:", "COM1:", "LPT1:"}, 2, "", "", {"COM1:", "LPT1:", "LPT2:"}, "LPT1:"},
        {{"COM2:", "COM1:"}, 2, "", "", {"COM1:", "COM2:"}, "COM1:"},
        {{"FILE:", "lpt3:", "LPT1:"}, 2, "", "", {"LPT1:"}, "LPT1:"},
        {{"LPT1:", "FILE:"}, 2, "FILE:", "", {"FILE:", "LPT1:"}, "FILE:"},
        {{"LPT1:"}, 1, "myhost", "", {"LPT1:"}, "LPT1:"}, // another connectivity's name
        {{"LPT1:"}, 2, "", p40, {"LPT1:"}, p40},
        {{"LPT1:"}, 2, "", p40 + "Q", {"LPT1:"}, tooLong, true}};
    // clang-format on
    for (const Case& c : cases) {
        machine.spooler.portList = c.ports;
        q.Connectivity = c.connectivity;
        setField(q.DeviceName, c.stored);
        auto& s = host.script(dlg::OtherPort);
        if (!c.typed.empty()) s.type(portctl::Port, c.typed);
        c.refused ? s.ok().cancel() : s.ok();
        auto [box, shown] = run<OtherPortDialog>(portctl::Port, c.refused ? id::Cancel : id::Ok);
        EXPECT_EQ(box->itemTexts(), c.items) << c.result;
        EXPECT_EQ(fieldText(q.DeviceName), c.refused ? c.stored : c.result);
        EXPECT_EQ(shown, c.refused ? Strings{c.result} : Strings{}) << c.result;
    }

    // Lists too large to hold are reported with their size.
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
        EXPECT_EQ(
            std::pair(printers->itemTexts(), pmShown),
            std::pair(Strings{"LASER"}, Strings{error + "Print Manager printer names.  " + n}));
        host.script(dlg::OtherPort).cancel();
        auto [ports, portShown] = run<OtherPortDialog>(portctl::Port);
        EXPECT_EQ(std::pair(ports->itemTexts(), portShown),
                  std::pair(Strings{}, Strings{error + "printer ports.  " + n}));
    }
}

const std::string kLong = "10.0.0.9 " + std::string(246, 'a') + "10.1.2.3 PRN1";
// An address of 20 characters and names of 80 make an entry; one more, none.
const std::string kA20(20, '1'), kN80(80, 'n'),
    kLimits = "1" + kA20 + " PRN1\n" + kA20 + " PRN2\n10.1.1.1 " + kN80 + "\n1.1.1.1 " + kN80 +
              "x\n";

std::string address(const ModelWindow& w) {
    return w.at(tcpctl::Address).address->text();
}

// The queue's port name is PRN1. The user picks an entry ("=NAME") or not (""), types 10.9.9.9
// for the address and presses OK; or types a name and presses Enter, then OK ("+NAME") or not
// ("!NAME"). Yes answers the new-port dialog. Then the hosts file (its old text is backed up),
// the queue's port name and what the new-port dialog showed.
TEST(TcpDirect, HostsLinesMatchOnlyTheWholeNamesPart) {
    // The hosts file before (empty: none), the action, the address shown for PRN1 or the picked
    // entry (">" after Enter), the entries joined by "|", the address asked about, the file after.
    // clang-format off
    const std::tuple<std::string, const char*, const char*, std::string, const char*, std::string> cases[] = {
        {"10.1.2.3 PRN1\n", "", "10.1.2.3", "PRN1", nullptr, "10.9.9.9\tPRN1\n"},
        {"10.1.2.3 PRN1 X\n", "", "0.0.0.0", "PRN1|PRN1 X", "10.9.9.9", "10.1.2.3 PRN1 X\n10.9.9.9\tPRN1\n"},
        {"#10.1.2.3 PRN1\n", "", "0.0.0.0", "PRN1", "10.9.9.9", "10.9.9.9\tPRN1\n"},
        {"10.1.2.3 PRN1\tAL\n", "=PRN1 AL", "10.1.2.3", "PRN1|PRN1 AL", nullptr, "10.1.2.3 PRN1\tAL\n10.9.9.9\tPRN1 AL\n"},
        {"10.1.2.3 PRN1\r\n# x\r\n10.1.2.4\tPRN1\r\n", "", "10.1.2.3", "PRN1|PRN1", nullptr, "10.9.9.9\tPRN1\r\n# x\r\n10.9.9.9\tPRN1\r\n"},
        {"127.0.0.1 localhost", "", "0.0.0.0", "localhost|PRN1", "10.9.9.9", "127.0.0.1 localhost\n10.9.9.9\tPRN1\n"}, // no last line end
        // Names longer than their 80 characters make no entry, and the line stays whole.
        {kLong + "\n", "", "0.0.0.0", "PRN1", "10.9.9.9", kLong + "\n10.9.9.9\tPRN1\n"},
        {kLimits, "", "0.0.0.0", kN80 + "|PRN1|PRN2", "10.9.9.9", kLimits + "10.9.9.9\tPRN1\n"},
        {"", "", "0.0.0.0", "PRN1", "10.9.9.9", "10.9.9.9\tPRN1\n"},
        // The entry spelled as the name is chosen, not one that differs in case.
        {"10.1.2.3 PRN1\n1.1.1.1 prn1\n", "", "10.1.2.3", "prn1|PRN1", nullptr, "10.9.9.9\tPRN1\n1.1.1.1 prn1\n"},
        // Enter shows the address it looked up; only one that was shown before writes at once.
        {"10.1.2.3 PRN1\n", "+PRN2", "10.1.2.3>0.0.0.0", "PRN1", "0.0.0.0", "10.1.2.3 PRN1\n0.0.0.0\tPRN2\n"},
        {"10.20.0.15 psprinter\n", "+psprinter", "0.0.0.0>10.20.0.15", "PRN1|psprinter", nullptr, "10.20.0.15\tpsprinter\n"},
        {"10.1.2.3 PRN1\n10.1.2.3 PRN3\n", "!PRN3", "10.1.2.3", "PRN1|PRN3", nullptr, "10.1.2.3 PRN1\n10.1.2.3\tPRN3\n"}};
    // clang-format on
    for (const auto& [before, act, shown, listed, asked, after] : cases) {
        Queue t(before.empty() ? nullptr : before.c_str());
        TcpDirectDialog d(t.lib().services(), nullptr, t.q);
        const std::string name = act[0] ? act + 1 : "PRN1";
        std::string got;
        DialogScript& s = t.host.script(dlg::TcpDirect);
        s.then([&](const ModelWindow& w) {
            for (const std::string& item : w.at(tcpctl::PortName).itemTexts())
                got += item + "|";
        });
        if (act[0] == '=') s.select(tcpctl::PortName, name);
        s.then([&](const ModelWindow& w) { got += address(w); });
        act[0] == '+' || act[0] == '!' ? s.type(tcpctl::PortName, name).enter()
                                       : s.type(tcpctl::Address, "10.9.9.9");
        if (act[0] == '+') // the address shown, and focused
            s.then([&](auto& w) {
                got += ">" + address(w) + (w.focus == tcpctl::Address ? "" : "?");
            });
        if (act[0] != '!') s.ok();
        if (asked) t.host.script(dlg::NewTcpPort).ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        if (const ModelWindow* w = t.host.closed(dlg::NewTcpPort))
            got += "|" + w->at(newportctl::PortName).text + "|" + w->at(newportctl::Address).text;
        EXPECT_EQ(got, listed + "|" + shown + (asked ? "|" + name + "|" + asked : "")) << before;
        EXPECT_EQ(t.file() + "|" + t.file((kHosts + std::string(".lnt")).c_str()) + "|" +
                      std::string(fieldText(t.q.DeviceName)),
                  after + "|" + before + "|" + name);
    }
}

// The list holds 65,535 port names, the queue's own among them; hosts names past them are logged.
TEST(TcpDirect, ThePortNameListHolds65535NamesAndLogsTheRest) {
    std::string hosts;
    for (int i = 0; i < 65534; ++i)
        hosts += "10.0.0.1 H" + std::to_string(i) + "\n";
    for (std::string last : {"", "10.0.0.1 H65534\n"}) {
        Queue t((hosts + last).c_str());
        t.host.script(dlg::TcpDirect).cancel();
        TcpDirectDialog(t.lib().services(), nullptr, t.q).doModal();
        const ModelControl& c = t.host.closed(dlg::TcpDirect)->at(tcpctl::PortName);
        EXPECT_EQ(std::pair(c.items.size(), c.curSel >= 0), std::pair(size_t{65535}, true));
        EXPECT_EQ(t.t.loggedTexts(),
                  Strings(last.empty() ? 0 : 1, "LNTC: Names of the hosts file left out of the "
                                                "port-name list, which holds at most 65535: 1"));
    }
}

// A LaserJet's socket is 9100 and fixed.
TEST(TcpDirect, NoEmptyNameFocusRulesChangeNothingAFailedRewriteIsShown) {
    Queue t("10.1.2.3 PRN1\n", "HP_LASERJET_4M");
    const QueueRecord before = t.q;
    TcpDirectDialog d(t.lib().services(), nullptr, t.q);
    auto shows = [](const char* a) {
        return [=](const ModelWindow& w) { EXPECT_EQ(address(w), a); };
    };
    auto& s = t.host.script(dlg::TcpDirect).then(textIs(tcpctl::Socket, "9100"));
    s.then(enabledIs(tcpctl::Socket, false)).then(enabledIs(tcpctl::SocketLabel, false));
    s.type(tcpctl::PortName, "PRN9");
    s.help().then(shows("10.1.2.3")); // leaving the box for Help looks nothing up
    s.focus(tcpctl::PortName).tab().then(shows("0.0.0.0")); // anywhere else does
    s.ok();                                                 // asks, and No stays
    s.type(tcpctl::PortName, " ").ok();
    s.type(tcpctl::PortName, "PRN1").cancel(); // Cancel looks nothing up either
    t.host.script(dlg::NewTcpPort).cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(address(*t.host.closed(dlg::TcpDirect)), "0.0.0.0");
    EXPECT_EQ(t.boxes(), Strings{"Configuration Error: Please enter the TCP Direct Port Name."});
    EXPECT_EQ(t.file(), "10.1.2.3 PRN1\n");
    EXPECT_EQ(std::memcmp(&t.q, &before, sizeof before), 0);

    // A failed rewrite is shown and the record still written.
    Queue u("10.1.2.3 PRN1\n");
    u.machine.files.writeError = 5;
    // A window class of that name that is not the address control's.
    u.host.classes.registerClass(kAddressEditClass, &u);
    setField(u.q.DeviceName, "OLD");
    u.q.Connectivity = 2; // the queue's name is the port name
    setField(u.q.Name, "PRN1");
    u.q.TCP_SocketNumber = 0; // to be changed before OK
    TcpDirectDialog failing(u.lib().services(), nullptr, u.q);
    u.host.script(dlg::TcpDirect)
        .ok()
        .type(tcpctl::Socket, "65536")
        .ok()
        .type(tcpctl::Socket, "65535")
        .ok();
    EXPECT_EQ(failing.doModal(), id::Ok);
    EXPECT_EQ(u.boxes(),
              (Strings{"Lintora Configuration: Failed to register WNDCLASS for parsed control",
                       "Lintora Configuration: Please enter an integer between 1 and 65535.",
                       "Lintora Configuration: Please enter an integer between 1 and 65535.",
                       "Configuration Error: Access is denied.",
                       std::string("Configuration Error: Error accessing the file:  ") + kHosts +
                           ".\nThe TCP Direct Port Name and Address did not get updated."}));

    // Fields the readers would take back otherwise (an address over 20 characters, names over
    // 80) are refused; one at the limits waits for the hosts lock, which another process holds.
    u.machine.locks.held.insert("hosts");
    EXPECT_EQ(std::vector<uint32_t>(
                  {UpdateHostsFile(u.lib().services(), nullptr, "1" + kA20, "PRN1"),
                   UpdateHostsFile(u.lib().services(), nullptr, kA20, kN80),
                   UpdateHostsFile(u.lib().services(), nullptr, "1.1.1.1", kN80 + "x")}),
              std::vector<uint32_t>({87, 33, 87}));
    EXPECT_EQ(u.boxes().size(), 6u);
    EXPECT_TRUE(u.t.logged("LNTC: The hosts file " + std::string(kHosts) +
                           " did not get updated: The process cannot access the file because "
                           "another process has locked a portion of the file."));
    EXPECT_EQ(u.file() + u.q.DeviceName + std::to_string(u.q.TCP_SocketNumber),
              "10.1.2.3 PRN1\nPRN165535");
}

TEST(TcpDirect, HostsFileFollowsSystemRootOnlyOnDriveC) {
    FakeEnvironment env;
    EXPECT_EQ(HostsFilePath(env), kHosts);
    for (const char* other : {"D:\\WINNT", "Z:\\etc", "WINNT", "", "c:\\WINNT\\"}) {
        env.vars["SystemRoot"] = other;
        EXPECT_EQ(HostsFilePath(env),
                  other[0] == 'c' ? "c:\\WINNT\\system32\\drivers\\etc\\hosts" : kHosts)
            << other;
    }
}

} // namespace
