// The printer dialogs and queue options through the headless host.
#include "connectivity/connectivity_dialogs.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "store/models.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"
#include "ui/headless_host.h"
#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Check = std::function<void(const ModelWindow&)>;

class PrinterDialogs : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    QueueRecord q{};

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
        setField(q.Name, "LASER");
        model("HP_LASERJET_4M");
        t.lib().defaultMedia.reset(new DefaultMedia[kModelCount]()); // no media table needed
    }
    int model(const char* key) {
        setField(q.Printer, key);
        return ModelIndexOfKey(key);
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : host.boxes)
            out.push_back(b.text.substr(0, 24));
        return out;
    }
};

Check text(int id, std::string expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).text, expected) << id; };
}
Check checked(int id, int state = 1) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).check, state) << id; };
}
Check enabled(int id, bool on) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).enabled, on) << id; };
}

TEST_F(PrinterDialogs, OpeningShowsTheRecordAndTheTcpIpService) {
    q.Connectivity = 1;
    q.DataEncode = 0;
    q.WaitTimeout = 300;
    q.CenterImage = 5;
    PrinterConfigDialog d(t.lib(), nullptr, model("GENERIC_POSTSCRIPT"), q);
    host.script(dlg::PrinterConfig)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.title, "Generic PostScript Level 2 Printer Configuration");
            EXPECT_EQ(w.at(printerctl::QueueName).text, "LASER");
        })
        .then(checked(printerctl::TcpDirect))
        .then(enabled(printerctl::RawBinary, false))
        .then(text(printerctl::WaitTimeout, "300"))
        .then(checked(printerctl::CenterImage))
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);

    // Without TCP/IP: Other/Parallel is selected, TCP Direct disabled, and OK is refused
    // until another connectivity is configured.
    machine.services.tcpip = false;
    PrinterConfigDialog without(t.lib(), nullptr, model("HP_LASERJET_4M"), q);
    host.script(dlg::PrinterConfig)
        .then(checked(printerctl::OtherPort))
        .then(enabled(printerctl::TcpDirect, false))
        .ok()
        .cancel();
    EXPECT_EQ(without.doModal(), id::Cancel);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Printer Connectivity is ", "You must configure the s"}));
    // A service manager that cannot be asked is logged and counts as no TCP/IP.
    machine.services.managerError = 5;
    PrinterConfigDialog logged(t.lib(), nullptr, model("HP_LASERJET_4M"), q);
    host.script(dlg::PrinterConfig).cancel();
    logged.doModal();
    EXPECT_TRUE(t.logged("LNTC: Error opening the Service Control Manager"));
}

TEST_F(PrinterDialogs, ConfiguringTcpDirectForbidsRawBinaryAndTurnsCancelIntoClose) {
    q.Connectivity = 0;
    q.DataEncode = 0;
    q.WaitTimeout = 10;
    PrinterConfigDialog d(t.lib(), nullptr, model("HP_LASERJET_4M"), q);
    host.script(dlg::PrinterConfig)
        .click(printerctl::TcpDirect)
        .click(printerctl::Configure)
        .then(checked(printerctl::Ascii85))
        .then(enabled(printerctl::RawBinary, false))
        .then(text(ctl::Cancel, "Close"))
        .type(printerctl::WaitTimeout, "20")
        .cancel()  // the question: No stays
        .cancel(); // Yes leaves with the committed changes only
    host.script(dlg::TcpDirect).ok();
    host.script(dlg::NewTcpPort).ok();
    host.answerWhen("still wish to exit", id::No);
    host.answerWhen("still wish to exit", id::Yes);
    EXPECT_EQ(d.doModal(), kClosedWithChanges);
    EXPECT_EQ(q.Connectivity, 1u);
    EXPECT_EQ(q.DataEncode, 2u);  // at once, before any OK
    EXPECT_EQ(q.WaitTimeout, 10); // not this dialog's own field
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Successfully configured ", "Raw Binary data encoding",
                                        "All successful Printer C", "All successful Printer C"}));
}

TEST_F(PrinterDialogs, OkChecksConnectivityRawBinaryAndTheTimeout) {
    q.Connectivity = 2;
    q.DataEncode = 0;
    // Generic PostScript with Raw Binary: Yes goes back to the encodings, No keeps it.
    PrinterConfigDialog d(t.lib(), nullptr, model("GENERIC_POSTSCRIPT"), q);
    host.script(dlg::PrinterConfig)
        .click(printerctl::PrintManager)
        .ok() // 32833: not configured
        .click(printerctl::OtherPort)
        .ok() // question, Yes
        .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, printerctl::Ascii85); })
        .type(printerctl::WaitTimeout, "1801")
        .ok() // question, No, then the range
        .type(printerctl::WaitTimeout, "1799")
        .scroll(printerctl::WaitTimeoutSpin, Scroll::LineUp)
        .then(text(printerctl::WaitTimeout, "1800"))
        .scroll(printerctl::WaitTimeoutSpin, Scroll::LineUp)
        .then(text(printerctl::WaitTimeout, "1800"))
        .click(printerctl::CenterImage)
        .ok(); // question, No
    for (int answer : {id::Yes, id::No, id::No})
        host.answerWhen("change your selection", answer);
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(q.DataEncode, 0u);
    EXPECT_EQ(q.WaitTimeout, 1800);
    EXPECT_EQ(q.CenterImage, 1u);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"You must configure the s", "You selected Raw Binary ",
                                        "You selected Raw Binary ", "Please enter an integer ",
                                        "You selected Raw Binary "}));
}

TEST_F(PrinterDialogs, LargeDocumentDialogPreparesMediaAndSpinsItsTimeout) {
    // The unreadable ldpx.cfg is reported before the dialog shows.
    LargeDocConfigDialog d(t.lib(), nullptr, model("XEROX_8840C"), q);
    EXPECT_STREQ(q.BestAvailPaperSizes, "LETTER,B,C");
    ASSERT_EQ(host.boxes.size(), 1u);
    host.script(dlg::LargeDocConfig)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.title, "Xerox 8840C  (C-size) Printer Configuration");
        })
        .type(largedocctl::InitTimeout, "3599")
        .scroll(largedocctl::InitTimeoutSpin, Scroll::LineUp)
        .scroll(largedocctl::InitTimeoutSpin, Scroll::LineUp)
        .then(text(largedocctl::InitTimeout, "3600"))
        .type(largedocctl::InitTimeout, "0")
        .scroll(largedocctl::InitTimeoutSpin, Scroll::LineDown)
        .then(text(largedocctl::InitTimeout, "0"))
        .click(largedocctl::Options)
        .then(text(ctl::Cancel, "Close"))
        .ok();
    host.script(dlg::QueueOptions).ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(q.PrinterInitTimeout, 0);
}

TEST_F(PrinterDialogs, QueueOptionsDuplexRuleBindingAndAdvanced) {
    struct Case {
        const char* key;
        uint32_t printDest, duplexAvailable, duplexPrint, binding;
        bool duplexEnabled, advancedEnabled;
        uint32_t savedDest, savedPrint;
    } cases[] = {
        {"RICOH_LP-M20", 0, 1, 1, 2, false, true, 1, 0},
        {"HP_LASERJET_4M", 3, 1, 1, 0, true, false, 3, 1},
        {"GENERIC_POSTSCRIPT", 2, 0, 1, 1, true, false, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        model(c.key);
        q.PrintDest = c.printDest;
        q.DuplexAvailable = c.duplexAvailable;
        q.DuplexPrint = c.duplexPrint;
        q.DuplexBinding = c.binding;
        QueueOptionsDialog d(t.lib(), nullptr, q);
        host.script(dlg::QueueOptions)
            .then(enabled(qoptctl::DuplexAvailable, c.duplexEnabled))
            .then(enabled(qoptctl::AlwaysDuplex, c.duplexEnabled && c.duplexAvailable))
            .then(enabled(qoptctl::Advanced, c.advancedEnabled))
            .then([](const ModelWindow& w) { EXPECT_FALSE(w.at(qoptctl::SameBinding).visible); })
            .ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        EXPECT_EQ(q.PrintDest, c.savedDest);
        EXPECT_EQ(q.DuplexAvailable, c.duplexAvailable);
        EXPECT_EQ(q.DuplexPrint, c.savedPrint);
        EXPECT_EQ(q.DuplexBinding, c.binding);
    }
    // Checking duplex enables "always", unchecked; the spin bar keeps 0 to 60; after the
    // advanced dialog committed, leaving asks first.
    model("RICOH_LP-M20");
    q.PrinterStatusTimeout = 60;
    QueueOptionsDialog d(t.lib(), nullptr, q);
    host.script(dlg::QueueOptions)
        .scroll(qoptctl::TimeoutSpin, Scroll::LineUp)
        .then(text(qoptctl::Timeout, "60"))
        .click(qoptctl::Advanced)
        .cancel()
        .cancel();
    host.script(dlg::AdvancedQueueOptions).click(advctl::Rotate180).ok();
    host.answerWhen("still wish to exit", id::No);
    host.answerWhen("still wish to exit", id::Yes);
    EXPECT_EQ(d.doModal(), kClosedWithChanges);
    EXPECT_EQ(q.Rotate180, 1u);
    model("HP_LASERJET_4M");
    q.DuplexAvailable = 0;
    QueueOptionsDialog hp(t.lib(), nullptr, q);
    host.script(dlg::QueueOptions)
        .click(qoptctl::DuplexAvailable)
        .then(enabled(qoptctl::AlwaysDuplex, true))
        .then(checked(qoptctl::AlwaysDuplex, 0))
        .cancel();
    EXPECT_EQ(hp.doModal(), id::Cancel);
}

} // namespace
