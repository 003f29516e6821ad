// In-memory spooler and system services, for unit tests of the connectivity dialogs.
#pragma once
#include "platform/errors.h"
#include "platform/services.h"
#include "platform/spooler.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lntc::test {

class FakeSpooler : public Spooler {
  public:
    std::vector<SpoolerPrinter> printerList;
    std::vector<std::string> portList = {"LPT1:", "COM1:", "FILE:"};
    // What the size queries answer instead of the lists' own sizes (allocation failures).
    std::optional<size_t> printerBytes, portBytes;

    uint32_t printersSize(size_t& bytes) override {
        bytes = printerBytes.value_or(printerList.size() * 64);
        return 0;
    }
    uint32_t printers(std::vector<SpoolerPrinter>& out) override {
        out = printerList;
        return 0;
    }
    uint32_t portsSize(size_t& bytes) override {
        bytes = portBytes.value_or(portList.size() * 16);
        return 0;
    }
    uint32_t ports(std::vector<std::string>& out) override {
        out = portList;
        return 0;
    }
    uint32_t openPrinter(const std::string& printer) override {
        return std::any_of(printerList.begin(), printerList.end(),
                           [&](const SpoolerPrinter& p) { return p.name == printer; })
                   ? 0
                   : err::FileNotFound;
    }
};

class FakeServices : public SystemServices {
  public:
    uint32_t managerError = 0; // the service manager cannot be opened
    bool tcpip = true;
    uint32_t queryTcpip(bool& present) override {
        present = managerError == 0 && tcpip;
        return managerError;
    }
    // What the system resolver knows, by host name.
    std::map<std::string, std::string> resolver;
    uint32_t resolveHost(const std::string& name, std::string& address) override {
        auto it = resolver.find(name);
        if (it == resolver.end()) return err::HostNotFound;
        address = it->second;
        return 0;
    }
    std::map<std::string, uint16_t> ports; // the services database
    std::optional<uint16_t> servicePort(const std::string& name) override {
        auto it = ports.find(name);
        return it == ports.end() ? std::nullopt : std::optional<uint16_t>(it->second);
    }
};

} // namespace lntc::test
