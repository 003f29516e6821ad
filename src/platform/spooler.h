// The operating system's print spooler: its local printers and ports.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lntc {

struct SpoolerPrinter {
    std::string name;
    std::string comment; // empty when the printer has none
};

// Lists are fetched in two steps, as the product's logic asks for them: first the number of
// bytes the list takes, then the list itself. A spooler that does not answer in time fails the
// request with 258.
class Spooler {
  public:
    virtual ~Spooler() = default;
    // Bytes the list of local printers takes; 0 and an error when it cannot be had.
    virtual uint32_t printersSize(size_t& bytes) = 0;
    virtual uint32_t printers(std::vector<SpoolerPrinter>& out) = 0;
    // Bytes the list of ports takes, and the port names ("LPT1:", "COM1:", "FILE:", ...).
    virtual uint32_t portsSize(size_t& bytes) = 0;
    virtual uint32_t ports(std::vector<std::string>& out) = 0;
    // 0 when the spooler knows a printer of this name and answers for it; 2 when it does not
    // know it; another code when the spooler could not be asked (258 when it did not answer
    // in time).
    virtual uint32_t openPrinter(const std::string& printer) = 0;
};

} // namespace lntc
