// The machine root's own files beside its drives: the logs and the ODR directory. Other local
// users must not be able to redirect them, so they are reached only through this service.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lntc {

class MachineFiles {
  public:
    virtual ~MachineFiles() = default;
    // Where a file of the root lies, as messages name it ("log/error.log" -> the host path).
    virtual std::string hostPath(std::string_view name) const = 0;
    // Appends text to the file in one write, so that what concurrent processes append stays
    // whole. A missing folder and file are made with modes that let only the installation
    // read them. 0 or a platform error.
    virtual uint32_t append(std::string_view name, std::string_view text) = 0;
    // Reads a whole regular file of at most maxSize bytes (223 when larger); 2 when it is
    // missing.
    virtual uint32_t read(std::string_view name, std::string& contents, uint64_t maxSize) const = 0;
};

} // namespace lntc
