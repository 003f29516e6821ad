// Running processes as /proc shows them.
#pragma once
#include "platform/processes.h"

namespace lntc {

class PosixProcesses : public Processes {
  public:
    uint32_t list(std::vector<ProcessEntry>& out) const override;
    // Kills outright, without giving the process a chance to clean up.
    bool terminate(uint32_t pid) override;
};

} // namespace lntc
