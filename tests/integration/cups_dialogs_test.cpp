// The spooler and the Print Manager dialog over the real POSIX platform and a private cupsd,
// with printers added and deleted by lpadmin while the dialog is open; the ports of a device
// folder.
#include "connectivity/connectivity_dialogs.h"
#include "library/library.h"
#include "platform/posix/cups_spooler.h"
#include "platform/posix/posix_platform.h"
#include "product/posix_product.h"
#include "resources/ids.h"
#include "store/records.h"
#include "support/child_process.h"
#include "support/cups_server.h"
#include "support/temp_root.h"
#include "support/ui_support.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <cups/cups.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>

using namespace lntc;
using namespace lntc::test;

namespace {

using Strings = std::vector<std::string>;

TEST(CupsDialogs, PrintManagerListsRefreshesAndChecksAgainstTheServer) {
    CupsServer server;
    if (!server.running()) GTEST_SKIP() << server.reason();
    CupsSpooler spooler;
    std::vector<SpoolerPrinter> none{{"stale", ""}};
    EXPECT_EQ(spooler.printers(none), 0u);
    EXPECT_TRUE(none.empty());
    ASSERT_TRUE(server.addPrinter("Office", "Second floor") && server.addPrinter("Bare", ""));
    size_t bytes = 0;
    EXPECT_EQ(spooler.printersSize(bytes), 0u);
    EXPECT_GT(bytes, std::string("OfficeSecond floorBare").size());
    TempRoot root;
    PosixPlatform posix(root.path());
    PosixProductLibs product(*posix.platform().machineFiles, *posix.platform().sections, "test");
    HeadlessHost host;
    host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
    Library lib(posix.platform(), product, host);
    QueueRecord q{};
    setField(q.Name, "LASER");
    q.Connectivity = 1; // TCP Direct so far: the queue name is offered

    const std::string bare = "Bare,   <no description text>", office = "Office,   \"Second floor\"",
                      late = "Late,   \"Added meanwhile\"";
    auto& s = host.script(dlg::PrintManager).then([&](const ModelWindow& w) {
        EXPECT_EQ(w.at(pmctl::Printer).itemTexts(), (Strings{bare, "LASER", office}));
        EXPECT_EQ(w.at(pmctl::Printer).text, "LASER");
        EXPECT_TRUE(server.addPrinter("Late", "Added meanwhile"));
    });
    s.click(pmctl::Refresh).then([&](const ModelWindow& w) {
        EXPECT_EQ(w.at(pmctl::Printer).itemTexts(), (Strings{bare, "LASER", late, office}));
        EXPECT_TRUE(server.deletePrinter("Office"));
    });
    // Deleted meanwhile: the server is asked again, not a list kept from before.
    s.select(pmctl::Printer, office).ok().select(pmctl::Printer, late).ok();
    PrintManagerDialog dialog(lib.services(), nullptr, q);
    EXPECT_EQ(dialog.doModal(), id::Ok);
    EXPECT_EQ(host.boxes.size() == 1 ? host.boxes[0].text : "",
              "The Office printer does not exist in Print Manager.");
    EXPECT_STREQ(q.DeviceName, "Late");
}

// A spooler that accepts and never answers fails each request once the patience is over (the
// library's own wait, a minute, would meet the alarm): OK refuses the printer, and the error log
// says why for the list and for OK.
TEST(CupsDialogs, ASilentSpoolerFailsItsRequestsRatherThanHoldingTheDialog) {
    alarm(30);
    uint16_t port = 0;
    const int silent = LoopbackListener(port);
    cupsSetServer(("127.0.0.1:" + std::to_string(port)).c_str());
    CupsSpooler spooler("/dev", std::chrono::milliseconds(300));
    HeadlessLibrary h(false);
    h.lib().platform().spooler = &spooler;
    QueueRecord q{};
    setField(q.Name, "LASER");
    q.Connectivity = 1;
    h.host.script(dlg::PrintManager).ok().cancel();
    EXPECT_EQ(PrintManagerDialog(h.lib().services(), nullptr, q).doModal(), id::Cancel);
    cupsSetServer(nullptr);
    close(silent);
    alarm(0);
    EXPECT_EQ(h.takeBoxes(), Strings{"The LASER printer does not exist in Print Manager."});
    EXPECT_EQ(h.t.loggedTexts(), Strings(2, "LNTC: The print spooler could not be asked: The "
                                            "wait operation timed out."));
}

TEST(CupsSpooler, PortsAreTheDeviceNodesThatExistInAStableOrder) {
    if (geteuid() != 0) GTEST_SKIP() << "device nodes can only be made as root";
    TempRoot dev;
    mkdir((dev.path() + "/usb").c_str(), 0755);
    for (const char* node : {"lp1", "lp0", "usb/lp0", "ttyS10", "ttyS2", "ttyUSB0", "ttyS1x"})
        ASSERT_EQ(mknod((dev.path() + "/" + node).c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    CupsSpooler spooler(dev.path());
    Strings ports;
    EXPECT_EQ(spooler.ports(ports), 0u);
    EXPECT_EQ(ports, (Strings{"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "FILE:"}));
}

} // namespace
