// The spooler over CUPS: the destinations of the server that the process's CUPS client
// configuration names (CUPS_SERVER, client.conf), and the port device nodes of the machine.
#pragma once
#include "platform/spooler.h"

#include <chrono>
#include <string>

namespace lntc {

// How long one request may wait for the server: to connect, and then for each part of its
// answer. A server that accepts and never answers would otherwise hold the dialog a minute.
inline constexpr std::chrono::milliseconds kSpoolerPatience{5000};

class CupsSpooler : public Spooler {
  public:
    // devices: where the device nodes are looked for ("/dev" but in tests).
    explicit CupsSpooler(std::string devices = "/dev",
                         std::chrono::milliseconds patience = kSpoolerPatience)
        : devices_(std::move(devices)), patience_(patience) {}
    uint32_t printersSize(size_t& bytes) override;
    uint32_t printers(std::vector<SpoolerPrinter>& out) override;
    uint32_t portsSize(size_t& bytes) override;
    uint32_t ports(std::vector<std::string>& out) override;
    uint32_t openPrinter(const std::string& printer) override;

  private:
    std::string devices_;
    std::chrono::milliseconds patience_;
};

} // namespace lntc
