// The spooler over CUPS: the destinations of the server that the process's CUPS client
// configuration names (CUPS_SERVER, client.conf), and the port device nodes of the machine.
#pragma once
#include "platform/spooler.h"

#include <string>

namespace lntc {

class CupsSpooler : public Spooler {
  public:
    // devices: where the device nodes are looked for ("/dev" but in tests).
    explicit CupsSpooler(std::string devices = "/dev") : devices_(std::move(devices)) {}
    uint32_t printersSize(size_t& bytes) override;
    uint32_t printers(std::vector<SpoolerPrinter>& out) override;
    uint32_t portsSize(size_t& bytes) override;
    uint32_t ports(std::vector<std::string>& out) override;
    bool canOpen(const std::string& printer) override;

  private:
    std::string devices_;
};

} // namespace lntc
