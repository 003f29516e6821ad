// The spooler of the system: its local printers and ports through the print-spooler API.
#pragma once
#include "platform/spooler.h"

#include <chrono>
#include <functional>

namespace lntc {

// How long one request may wait for the spooler. Its calls cannot time out themselves, and a
// spooler that hangs would otherwise hold the dialog for as long as it hangs.
inline constexpr std::chrono::milliseconds kWin32SpoolerPatience{5000};

namespace win32 {

// Runs work on a thread of its own and waits for it at most patience: its result, or 258 when
// it has not answered by then. A late answer is dropped; the thread keeps this module loaded
// until it ends, and no more than a few such threads are left waiting at once (258 at once
// beyond them).
uint32_t callWithin(std::function<uint32_t()> work, std::chrono::milliseconds patience);

} // namespace win32

class Win32Spooler : public Spooler {
  public:
    explicit Win32Spooler(std::chrono::milliseconds patience = kWin32SpoolerPatience)
        : patience_(patience) {}
    uint32_t printersSize(size_t& bytes) override;
    uint32_t printers(std::vector<SpoolerPrinter>& out) override;
    uint32_t portsSize(size_t& bytes) override;
    uint32_t ports(std::vector<std::string>& out) override;
    uint32_t openPrinter(const std::string& printer) override;

  private:
    std::chrono::milliseconds patience_;
};

} // namespace lntc
