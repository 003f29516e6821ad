// The rules the dialogs hold records to, checked on records that did not come through them, and
// the Create of a new queue, over the shipped demo media and ldpx.cfg.
#include "configure/queue_rules.h"
#include "library/accessors.h"
#include "resources/formats.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

struct QueueRules : ::testing::Test {
    FakeMachine machine;
    TestLibrary t{machine};
    QueueRules() {
        const std::string demo = std::string(LNTC_SOURCE_DIR) + "/share/demo/";
        importRegText(machine.registry, readTextFile(demo + "default-media.reg"));
        machine.files.addFile("C:\\qdsw_local\\sd\\ldpx.cfg", readTextFile(demo + "ldpx.cfg"));
        for (const char* dir : {"C:\\qdsw_local", "C:\\qdsw_local\\tmp", "C:\\qdsw_local\\fonts"})
            machine.files.addFolder(dir);
        machine.spooler.printerList = {{.name = "Office", .comment = ""}};
        const ServerConfig* c = nullptr;
        EXPECT_EQ(GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    }
    QueueRecord created(int model) {
        QueueRecord q;
        CreateQueueRecord(t.lib().services(), model, "Q" + std::to_string(model), "d", q);
        return q;
    }
};

TEST_F(QueueRules, CreateGivesTheModelDefaultsAndItsMergedMediaWithoutABox) {
    // HP LaserJet 4M, Ricoh LP-M20, Xerox 8840C (large-document), Generic PostScript.
    const std::pair<int, const char*> cases[] = {
        {1, "HP_LASERJET_4M/ LPT1: 300 0|LETTER, 1|LEGAL, 2|NONE|qd 0 ej 1 ps 0||||0"},
        {5, "RICOH_LP-M20/ \\\\.\\QSCRIPT0 0 0|LETTER, 1|LEGAL, 2|B, 3|qd 0 ej 2 ps 0||||0"},
        {7, "XEROX_8840C/ \\\\.\\QSCRIPT0 0 0||||qd -1 ej -1 ps -1|C|B|LETTER,B,C|3"},
        {14, "OTHER/GENERIC_POSTSCRIPT LPT1: 300 2|LETTER, 1|LEGAL, 2|A4, 3|qd 0 ej 1 ps 0||||0"}};
    for (const auto& [model, expected] : cases) {
        const QueueRecord q = created(model);
        EXPECT_EQ(formatMessage("%s/%s %s %u %u|%s|%s|%s|qd %d ej %d ps %d|%s|%s|%s|%u", q.Printer,
                                q.PrinterAlias, q.DeviceName, q.WaitTimeout, q.DataEncode,
                                q.Tray1_Top, q.Tray2_Bottom, q.Tray3_Third, q.QDDefaultTray,
                                q.EjectTray, q.PSDefaultTray, q.QDDefaultPaperSize,
                                q.PSDefaultPaperSize, q.BestAvailPaperSizes,
                                q.BestAvailPaperSizesCnt),
                  expected);
        EXPECT_EQ(CheckQueueRecord(t.lib().services(), q), "") << model;
    }
    EXPECT_TRUE(t.host.shown.empty());
}

TEST_F(QueueRules, EachRuleAtItsLimitAndOnePastWithTheDialogsMessage) {
    using Change = std::function<void(QueueRecord&)>;
    const std::string tcp = "LASER_A";
    const std::string forty(40, 'P');
    // clang-format off
    const std::tuple<int, Change, const char*> cases[] = {
        {1, [](QueueRecord& q) { q.WaitTimeout = 1800; }, ""},
        {1, [](QueueRecord& q) { q.WaitTimeout = 1801; }, "Please enter an integer between 0 and 1800."},
        {5, [](QueueRecord& q) { q.WaitTimeout = 1801; }, ""}, // a Ricoh queue does not save it
        {5, [](QueueRecord& q) { q.PrinterInitTimeout = 3600; }, ""},
        {7, [](QueueRecord& q) { q.PrinterInitTimeout = 3601; }, "Please enter an integer between 0 and 3600."},
        {1, [](QueueRecord& q) { q.PrinterInitTimeout = 3601; }, ""},
        {14, [](QueueRecord& q) { q.PrinterStatusTimeout = 60; }, ""},
        {14, [](QueueRecord& q) { q.PrinterStatusTimeout = 61; }, "Please enter an integer between 0 and 60."},
        {5, [](QueueRecord& q) { q.EjectTrayPages = 1; }, ""},
        {5, [](QueueRecord& q) { q.EjectTrayPages = 0; }, "Please enter an integer between 1 and 1000."},
        {6, [](QueueRecord& q) { q.EjectTrayPages = 1001; }, "Please enter an integer between 1 and 1000."},
        {1, [](QueueRecord& q) { q.OverscanAmt = 10.0; }, ""},
        {7, [](QueueRecord& q) { q.OverscanAmt = 10.1; }, "Please enter a number between 0 and 10."},
        // TCP Direct: raw binary, the socket, the port name.
        {1, [&](QueueRecord& q) { q.Connectivity = 1; setField(q.DeviceName, tcp); }, "Raw Binary data encoding is not allowed with TCP Direct Port Connectivity.  Lintora Configuration will set ASCII 85 instead."},
        {14, [&](QueueRecord& q) { q.Connectivity = 1; setField(q.DeviceName, forty); q.TCP_SocketNumber = 65535; }, ""},
        {14, [&](QueueRecord& q) { q.Connectivity = 1; setField(q.DeviceName, forty + "P"); }, "Please enter no more than 40 characters."},
        {14, [&](QueueRecord& q) { q.Connectivity = 1; setField(q.DeviceName, tcp); q.TCP_SocketNumber = 0; }, "Please enter an integer between 1 and 65535."},
        {14, [](QueueRecord& q) { q.Connectivity = 1; setField(q.DeviceName, " \t"); }, "Please enter the TCP Direct Port Name."},
        {1, [](QueueRecord& q) { q.Connectivity = 0; setField(q.DeviceName, "Office"); }, ""},
        {1, [](QueueRecord& q) { q.Connectivity = 0; setField(q.DeviceName, "Lab"); }, "The Lab printer does not exist in Print Manager."},
        // Trays, duplex, the name and the model.
        {1, [](QueueRecord& q) { setField(q.Tray2_Bottom, "LEGAL, 1"); }, "Each available tray needs a priority of its own, from 1 up to the number of available trays."},
        {1, [](QueueRecord& q) { setField(q.Tray1_Top, "TABLOID, 1"); }, "The paper size TABLOID is not one of the printer's paper sizes."},
        {1, [](QueueRecord& q) { q.QDDefaultTray = 1; setField(q.Tray2_Bottom, "NONE"); }, "The specified Quendal Job Default Tray is not available."},
        {5, [](QueueRecord& q) { q.EjectTray = 7; }, "The printer has no tray number 7."},
        {1, [](QueueRecord& q) { q.DuplexAvailable = q.DuplexPrint = 1; }, ""},
        {5, [](QueueRecord& q) { q.DuplexAvailable = q.DuplexPrint = 1; }, "A queue prints always duplex only when duplex printing is available, which only printers that take PostScript offer."},
        {1, [](QueueRecord& q) { setField(q.Name, "A\\B"); }, "A queue name must be 1 to 39 characters long, without a backslash or a control character."},
        {1, [](QueueRecord& q) { setField(q.Printer, "OTHER"); setField(q.PrinterAlias, "HP_LASERJET_4M"); }, "Please select a printer model."},
    };
    // clang-format on
    for (const auto& [model, change, expected] : cases) {
        QueueRecord q = created(model);
        change(q);
        EXPECT_EQ(CheckQueueRecord(t.lib().services(), q), expected) << model << " " << expected;
    }
    EXPECT_TRUE(t.host.shown.empty());
}

TEST_F(QueueRules, TheGeneralRecordKeepsTheOptionsAndFontsRules) {
    using Change = std::function<void(ServerConfig&)>;
    // clang-format off
    const std::pair<Change, const char*> cases[] = {
        {[](ServerConfig&) {}, ""},
        {[](ServerConfig& c) { c.QueueDepth = 20; }, ""},
        {[](ServerConfig& c) { c.QueueDepth = 21; }, "Please enter an integer between 1 and 20."},
        {[](ServerConfig& c) { c.QueueDepth = 0; }, "Please enter an integer between 1 and 20."},
        {[](ServerConfig& c) { setField(c.TempFilesDir, "c:\\nope"); }, "Path 'c:\\nope' doesn't exist."},
        {[](ServerConfig& c) { setField(c.FontDir, "c:\\qdsw_local\\sd\\ldpx.cfg"); }, "The path specifies an existing file.  Please enter a directory name instead."},
        {[](ServerConfig& c) { c.InstalledKanji = 1; c.FormerCharset = 30; setField(c.DefaultFont, "Mincho30"); }, ""},
        {[](ServerConfig& c) { c.InstalledKanji = 1; c.FormerCharset = 30; setField(c.DefaultFont, "Mincho31"); }, "Please enter an integer between 5 and 30."},
        {[](ServerConfig& c) { c.InstalledKanji = 1; c.FormerCharset = 11; setField(c.DefaultFont, "Mincho16"); }, "The default font Mincho16 is not offered for the default character set and the installed fonts."},
        {[](ServerConfig& c) { c.FormerCharset = 30; }, "The character set Shift_JIS is not available on this print server."},
    };
    // clang-format on
    for (const auto& [change, expected] : cases) {
        ServerConfig c = *t.lib().records().config();
        change(c);
        EXPECT_EQ(CheckServerConfig(t.lib().services(), c), expected) << expected;
    }
    EXPECT_TRUE(t.host.shown.empty());
}

} // namespace
