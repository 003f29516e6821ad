#include "connectivity/connectivity_rules.h"

#include "library/services.h"
#include "platform/errors.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"

namespace lntc {

bool DuplexAllowed(uint32_t classFlags, uint32_t duplexAvailable) {
    return takesPostScript(classFlags) && duplexAvailable != 0;
}

bool PortNameGiven(std::string_view name) {
    return name.find_first_not_of(" \t") != std::string_view::npos;
}

uint32_t OpenPrintManagerPrinter(const Services& svc, const std::string& name) {
    Spooler* spooler = svc.platform.spooler;
    return name.empty() || spooler == nullptr ? err::FileNotFound : spooler->openPrinter(name);
}

bool TcpIpPresent(const Services& svc) {
    bool present = false;
    SystemServices* services = svc.platform.services;
    if (services == nullptr || services->queryTcpip(present) != 0) {
        svc.product.ztrLogError(1, 0, 0, 0, svc.ui.strings().load(str::LogServiceManager));
        return false;
    }
    return present;
}

std::string CheckConnectivity(const Services& svc, const QueueRecord& q) {
    const StringLookup& strings = svc.ui.strings();
    const std::string device(fieldText(q.DeviceName));
    switch (q.Connectivity) {
    case connectivity::TcpDirect: {
        if (!TcpIpPresent(svc)) return strings.load(str::TcpIpMissing);
        if (!PortNameGiven(device)) return strings.load(str::EnterPortName);
        if (device.size() > static_cast<size_t>(kPortNameMax))
            return MaxCharsMessage(strings, kPortNameMax);
        const bool laserJet = ModelClassFlags(ModelIndexOfQueue(q)) == modelclass::HpLaserJet;
        const ValueRange sockets =
            laserJet ? ValueRange{kLaserJetSocket, kLaserJetSocket} : kSocketRange;
        if (!sockets.holds(q.TCP_SocketNumber)) return IntegerRangeMessage(strings, sockets);
        if (!EncodingAllowed(q.Connectivity, q.DataEncode))
            return strings.load(str::RawBinaryWithTcp);
        return {};
    }
    case connectivity::OtherPort:
        if (device.size() > static_cast<size_t>(kPortNameMax))
            return MaxCharsMessage(strings, kPortNameMax);
        return {};
    case connectivity::PrintManager:
        if (OpenPrintManagerPrinter(svc, device) != 0)
            return formatMessage(strings.load(str::PrinterNotInPrintManager).c_str(),
                                 device.c_str());
        return {};
    default:
        return strings.load(str::ConfigureConnectivity);
    }
}

} // namespace lntc
