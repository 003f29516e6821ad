// The TCP Direct dialog and the hosts file's matching rules, through the headless host.
#include "connectivity/connectivity_dialogs.h"
#include "connectivity/hosts_file.h"
#include "resources/ids.h"
#include "store/records.h"
#include "support/ui_support.h"
#include "ui/address_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

constexpr const char* kHosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
const std::string kLong = "10.0.0.9 " + std::string(246, 'a') + "10.1.2.3 PRN1";

struct Queue : HeadlessLibrary {
    QueueRecord q{};
    explicit Queue(const char* hosts, const char* model = "GENERIC_POSTSCRIPT") {
        setField(q.Name, "LASER");
        setField(q.Printer, model);
        setField(q.DeviceName, "PRN1");
        q.Connectivity = 1;
        q.TCP_SocketNumber = 515;
        if (hosts) machine.files.addFile(kHosts, hosts);
    }
    std::string file(const char* path = kHosts) {
        std::string s;
        machine.files.readFile(path, s);
        return s;
    }
    std::string box(size_t i) const { return i < host.boxes.size() ? host.boxes[i].text : ""; }
};

std::string address(const ModelWindow& w) {
    return w.at(tcpctl::Address).address->text();
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& i : items)
        out += (out.empty() ? "" : "|") + i;
    return out;
}

// The queue's port name is PRN1. The user picks an entry ("=NAME") or types a name and
// presses Enter ("+NAME") or just OK (""), always types 10.9.9.9 for the address, and says Yes
// when asked.
struct MatchCase {
    std::string before; // empty: no hosts file
    const char* act;
    const char* shown;  // the address shown for PRN1 or the picked entry
    std::string listed; // entries, joined by "|"
    bool asked;
    std::string after;
};

TEST(TcpDirect, HostsLinesMatchOnlyTheWholeNamesPart) {
    const MatchCase cases[] = {
        {"10.1.2.3 PRN1\n", "", "10.1.2.3", "PRN1", false, "10.9.9.9\tPRN1\n"},
        {"10.1.2.3 PRN1 X\n", "", "0.0.0.0", "PRN1|PRN1 X", true,
         "10.1.2.3 PRN1 X\n10.9.9.9\tPRN1\n"},
        {"#10.1.2.3 PRN1\n", "", "0.0.0.0", "PRN1", true, "10.9.9.9\tPRN1\n"},
        {"10.1.2.3 PRN1\tAL\n", "=PRN1 AL", "10.1.2.3", "PRN1|PRN1 AL", false,
         "10.1.2.3 PRN1\tAL\n10.9.9.9\tPRN1 AL\n"},
        {"10.1.2.3 PRN1\r\n# x\r\n10.1.2.4\tPRN1\r\n", "", "10.1.2.3", "PRN1", false,
         "10.9.9.9\tPRN1\r\n# x\r\n10.9.9.9\tPRN1\r\n"},
        {"127.0.0.1 localhost", "", "0.0.0.0", "localhost|PRN1", true,
         "127.0.0.1 localhost\n10.9.9.9\tPRN1\n"}, // no line end after the last line
        {kLong + "\n", "", "0.0.0.0", kLong.substr(9) + "|PRN1", true,
         kLong + "\n10.9.9.9\tPRN1\n"},
        {"", "", "0.0.0.0", "PRN1", true, "10.9.9.9\tPRN1\n"},
        // The entry spelled as the name is chosen, not one that differs in case.
        {"10.1.2.3 PRN1\n1.1.1.1 prn1\n", "", "10.1.2.3", "prn1|PRN1", false,
         "10.9.9.9\tPRN1\n1.1.1.1 prn1\n"},
        // Enter in the box looks the name up before it asks.
        {"10.1.2.3 PRN1\n", "+PRN2", "10.1.2.3", "PRN1", true, "10.1.2.3 PRN1\n10.9.9.9\tPRN2\n"},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.before);
        Queue t(c.before.empty() ? nullptr : c.before.c_str());
        TcpDirectDialog d(t.lib(), nullptr, t.q);
        const std::string name = c.act[0] ? c.act + 1 : "PRN1";
        DialogScript& s = t.host.script(dlg::TcpDirect);
        s.then([&](const ModelWindow& w) {
            EXPECT_EQ(joined(w.at(tcpctl::PortName).itemTexts()), c.listed);
        });
        if (c.act[0] == '=') s.select(tcpctl::PortName, name);
        s.then([&](const ModelWindow& w) { EXPECT_EQ(address(w), c.shown); });
        s.type(tcpctl::Address, "10.9.9.9");
        if (c.act[0] == '+')
            s.type(tcpctl::PortName, name).enter();
        else
            s.ok();
        if (c.asked)
            t.host.script(dlg::NewTcpPort)
                .then([&](const ModelWindow& w) {
                    EXPECT_EQ(w.at(newportctl::PortName).text, name);
                    EXPECT_EQ(w.at(newportctl::Address).text, "10.9.9.9");
                })
                .ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        EXPECT_EQ(t.host.closed(dlg::NewTcpPort) != nullptr, c.asked);
        EXPECT_EQ(t.file(), c.after);
        EXPECT_EQ(t.file("C:\\WINDOWS\\system32\\drivers\\etc\\hosts.lnt"), c.before);
        EXPECT_EQ(fieldText(t.q.DeviceName), name);
    }
}

TEST(TcpDirect, SocketNumberRules) {
    for (const char* model : {"HP_LASERJET_4M", "GENERIC_POSTSCRIPT"}) {
        const bool laserJet = model[0] == 'H';
        Queue t("10.1.2.3 PRN1\n", model);
        t.q.TCP_SocketNumber = 0;
        TcpDirectDialog d(t.lib(), nullptr, t.q);
        DialogScript& s = t.host.script(dlg::TcpDirect);
        s.then([&](const ModelWindow& w) {
            EXPECT_EQ(w.at(tcpctl::Socket).text, laserJet ? "9100" : "0");
            EXPECT_EQ(w.at(tcpctl::Socket).enabled, !laserJet);
            EXPECT_EQ(w.at(tcpctl::SocketLabel).enabled, !laserJet);
        });
        if (!laserJet) s.ok().type(tcpctl::Socket, "9100"); // 0 must be changed first
        s.ok();
        EXPECT_EQ(d.doModal(), id::Ok) << model;
        EXPECT_EQ(t.q.TCP_SocketNumber, 9100) << model;
        EXPECT_EQ(t.box(0), laserJet ? "" : "Please enter an integer between 1 and 65535.");
    }
}

TEST(TcpDirect, NoEmptyNameAndFocusRulesChangeNothing) {
    Queue t("10.1.2.3 PRN1\n");
    const QueueRecord before = t.q;
    TcpDirectDialog d(t.lib(), nullptr, t.q);
    auto shows = [](const char* a) {
        return [=](const ModelWindow& w) { EXPECT_EQ(address(w), a); };
    };
    t.host.script(dlg::TcpDirect)
        .type(tcpctl::PortName, "PRN9")
        .help() // leaving the box for Help looks nothing up
        .then(shows("10.1.2.3"))
        .focus(tcpctl::PortName)
        .tab() // anywhere else does
        .then(shows("0.0.0.0"))
        .ok() // asks, and No stays
        .type(tcpctl::PortName, " ")
        .ok()
        .type(tcpctl::PortName, "PRN1")
        .cancel(); // Cancel looks nothing up either
    t.host.script(dlg::NewTcpPort).cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(address(*t.host.closed(dlg::TcpDirect)), "0.0.0.0");
    EXPECT_EQ(t.box(0), "Please enter the TCP Direct Port Name.");
    EXPECT_EQ(t.file(), "10.1.2.3 PRN1\n");
    EXPECT_EQ(std::memcmp(&t.q, &before, sizeof before), 0);
}

TEST(TcpDirect, AFailedRewriteIsShownAndTheRecordStillWritten) {
    Queue t("10.1.2.3 PRN1\n");
    t.machine.files.writeError = 5;
    // A window class of that name that is not the address control's.
    t.host.classes.registerClass(kAddressEditClass, &t);
    setField(t.q.DeviceName, "OLD");
    t.q.Connectivity = 2; // the queue's name is the port name
    setField(t.q.Name, "PRN1");
    TcpDirectDialog d(t.lib(), nullptr, t.q);
    t.host.script(dlg::TcpDirect).ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(t.box(0), "Failed to register WNDCLASS for parsed control");
    EXPECT_EQ(t.box(1), "Access is denied.");
    EXPECT_EQ(t.box(2), std::string("Error accessing the file:  ") + kHosts +
                            ".\nThe TCP Direct Port Name and Address did not get updated.");
    EXPECT_STREQ(t.q.DeviceName, "PRN1");
    EXPECT_EQ(t.file(), "10.1.2.3 PRN1\n");
}

TEST(TcpDirect, HostsFileFollowsSystemRootOnlyOnDriveC) {
    FakeEnvironment env;
    EXPECT_EQ(HostsFilePath(env), kHosts);
    for (const char* other : {"D:\\WINNT", "Z:\\etc", "WINNT", ""}) {
        env.vars["SystemRoot"] = other;
        EXPECT_EQ(HostsFilePath(env), kHosts) << other;
    }
    env.vars["SystemRoot"] = "c:\\WINNT\\";
    EXPECT_EQ(HostsFilePath(env), "c:\\WINNT\\system32\\drivers\\etc\\hosts");
}

} // namespace
