// Running processes as the system's process snapshot shows them.
#pragma once
#include "platform/processes.h"

namespace lntc {

class Win32Processes : public Processes {
  public:
    uint32_t list(std::vector<ProcessEntry>& out) const override;
    // Ends the process outright, without giving it a chance to clean up.
    bool terminate(uint32_t pid) override;
};

} // namespace lntc
