#include "connectivity/connectivity_dialogs.h"
#include "connectivity/connectivity_rules.h"
#include "connectivity/hosts_file.h"
#include "library/services.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "ui/address_edit.h"
#include "ui/message_box.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lntc {

namespace {

constexpr size_t kPortNameRead = 127; // what a focus change takes of the box's text
constexpr size_t kAddressRead = 19;

} // namespace

TcpDirectDialog::TcpDirectDialog(const Services& svc, Dialog* parent, QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::TcpDirect, parent), svc_(svc), queue_(queue),
      portName_(queue.Connectivity == connectivity::TcpDirect ? fieldText(queue.DeviceName)
                                                              : fieldText(queue.Name)),
      socket_(queue.TCP_SocketNumber) {
    if (!RegisterAddressEditClass(svc.ui))
        MessageBoxId(svc.ui, parent != nullptr ? parent->window() : nullptr, fwstr::AppName, mb::Ok,
                     str::AddressClassFailed);
}

void TcpDirectDialog::doDataExchange(DataExchange& dx) {
    ddxUInt(dx, tcpctl::Socket, socket_);
    ddvRange(dx, socket_, kSocketRange);
    ddxCBString(dx, tcpctl::PortName, portName_);
    ddvMaxChars(dx, portName_, kPortNameMax);
    ddxText(dx, tcpctl::Address, address_);
}

void TcpDirectDialog::lookUp(const std::string& name) {
    std::string address;
    isNewName_ = !LookupHostsName(svc_, name, address);
    lookedUp_ = name;
    setWindowText(tcpctl::Address, address);
}

bool TcpDirectDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    // One entry a line, as the hosts file has them, and the queue's own name unless a line
    // gives it; that one goes first, so that a list cut at its limit still holds it.
    std::vector<std::string> names = FillHostsNames(svc_);
    if (auto own = std::find(names.begin(), names.end(), portName_); own != names.end())
        std::rotate(names.begin(), own, own + 1);
    else
        names.insert(names.begin(), portName_);
    const size_t total = names.size();
    const int added = addStrings(tcpctl::PortName, std::move(names));
    if (added >= 0 && static_cast<size_t>(added) < total) {
        const std::string format = svc_.ui.strings().load(str::LogPortNamesCut);
        svc_.ui.logError(0, 0, formatMessage(format.c_str(), static_cast<int>(total - added)));
    }
    // The entry spelled as the name: one that differs in case would put another name in the
    // box than the one looked up.
    for (int i = 0, n = getCount(tcpctl::PortName); i < n; ++i)
        if (getText(tcpctl::PortName, i) == portName_) setCurSel(tcpctl::PortName, i);
    lookUp(portName_);

    const bool laserJet =
        ModelClassFlags(ModelIndexOfQueue(queue_)) == modelclass::HpLaserJet; // exactly
    if (laserJet) setDlgItemInt(tcpctl::Socket, kLaserJetSocket);
    enable(tcpctl::SocketLabel, !laserJet);
    enable(tcpctl::Socket, !laserJet);
    applyReadOnlyRegistry();
    return true;
}

void TcpDirectDialog::onCommand(int id, Notify code) {
    if (id != tcpctl::PortName || code != Notify::SelChange) return;
    int index = getCurSel(tcpctl::PortName);
    if (index < 0) return;
    std::string name = getText(tcpctl::PortName, index);
    if (name != lookedUp_) lookUp(name);
}

void TcpDirectDialog::onKillFocus(int id) {
    if (id != tcpctl::PortName) return;
    const int to = focusedControl();
    if (to == ctl::Cancel || to == ctl::Help) return;
    std::string name = windowText(tcpctl::PortName).substr(0, kPortNameRead);
    if (name != lookedUp_) lookUp(name);
}

void TcpDirectDialog::onOK() {
    if (!updateData(true)) return;
    if (!PortNameGiven(portName_)) {
        ErrorId(svc_.ui, window(), str::EnterPortName);
        setFocus(tcpctl::PortName);
        return;
    }
    // Enter in the box leaves it without a focus change: the name is looked up here, and its
    // address is shown as a choice from the list shows it. When that changes the address
    // shown, nothing is written yet: the next OK writes what the administrator has seen.
    if (portName_ != lookedUp_) {
        lookUp(portName_);
        const std::string shown = windowText(tcpctl::Address);
        if (shown != address_) {
            setFocus(tcpctl::Address);
            return;
        }
    }
    const std::string address = address_.substr(0, kAddressRead);
    if (isNewName_ && NewTcpPortDialog(svc_, this, portName_, address).doModal() != id::Ok) return;
    // A failure has been shown; the record is written all the same.
    UpdateHostsFile(svc_, window(), address, portName_);
    setField(queue_.DeviceName, portName_);
    queue_.TCP_SocketNumber = static_cast<uint16_t>(socket_);
    endDialog(id::Ok);
}

NewTcpPortDialog::NewTcpPortDialog(const Services& svc, Dialog* parent, std::string name,
                                   std::string address)
    : HelpDialog(svc.ui, dlg::NewTcpPort, parent), name_(std::move(name)),
      address_(std::move(address)) {}

bool NewTcpPortDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    setWindowText(newportctl::PortName, name_);
    setWindowText(newportctl::Address, address_);
    applyReadOnlyRegistry();
    return true;
}

} // namespace lntc
