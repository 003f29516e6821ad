// Running processes by image name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lntc {

struct ProcessEntry {
    uint32_t pid;
    std::string imageName; // without directory and extension
};

class Processes {
  public:
    virtual ~Processes() = default;
    // Snapshot of running processes in a stable order (ascending id).
    virtual uint32_t list(std::vector<ProcessEntry>& out) const = 0;
    // Terminates the process; true on success.
    virtual bool terminate(uint32_t pid) = 0;
};

} // namespace lntc
