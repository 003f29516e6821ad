// The spooler over a real, private cupsd, and the ports of a device folder.
#include "platform/posix/cups_spooler.h"
#include "support/cups_server.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace lntc;
using namespace lntc::test;

namespace {

std::vector<std::string> listed(Spooler& spooler) {
    std::vector<SpoolerPrinter> printers;
    EXPECT_EQ(spooler.printers(printers), 0u);
    std::vector<std::string> out;
    for (const auto& p : printers)
        out.push_back(p.name + "|" + p.comment);
    return out;
}

TEST(CupsSpooler, PrintersComeWithTheirCommentsAndFollowTheServer) {
    CupsServer server;
    if (!server.running()) GTEST_SKIP() << server.reason();
    CupsSpooler spooler;
    EXPECT_TRUE(listed(spooler).empty());
    ASSERT_TRUE(server.addPrinter("Office", "Second floor"));
    ASSERT_TRUE(server.addPrinter("Bare", ""));
    EXPECT_EQ(listed(spooler), (std::vector<std::string>{"Bare|", "Office|Second floor"}));
    size_t bytes = 0;
    EXPECT_EQ(spooler.printersSize(bytes), 0u);
    EXPECT_GT(bytes, std::string("OfficeSecond floorBare").size());
    EXPECT_TRUE(spooler.canOpen("Office"));
    EXPECT_FALSE(spooler.canOpen("Nowhere"));
    // Deleted meanwhile: the server is asked again, not a list kept from before.
    ASSERT_TRUE(server.deletePrinter("Office"));
    EXPECT_FALSE(spooler.canOpen("Office"));
    EXPECT_EQ(listed(spooler), std::vector<std::string>{"Bare|"});
}

TEST(CupsSpooler, PortsAreTheDeviceNodesThatExistInAStableOrder) {
    if (geteuid() != 0) GTEST_SKIP() << "device nodes can only be made as root";
    TempRoot dev;
    mkdir((dev.path() + "/usb").c_str(), 0755);
    for (const char* node : {"lp1", "lp0", "usb/lp0", "ttyS10", "ttyS2", "ttyUSB0", "ttyS1x"})
        ASSERT_EQ(mknod((dev.path() + "/" + node).c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    CupsSpooler spooler(dev.path());
    std::vector<std::string> ports;
    EXPECT_EQ(spooler.ports(ports), 0u);
    EXPECT_EQ(ports, (std::vector<std::string>{
                         "LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "FILE:"}));
}

} // namespace
