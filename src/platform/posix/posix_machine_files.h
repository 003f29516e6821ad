// The machine root's own files, opened through trusted_files: no link followed, and only what
// this installation could have made accepted.
#pragma once
#include "platform/machine_files.h"

#include <string>

namespace lntc {

class PosixMachineFiles : public MachineFiles {
  public:
    explicit PosixMachineFiles(std::string root) : root_(std::move(root)) {}

    std::string hostPath(std::string_view name) const override;
    // Folders are made 0750 and files 0640, whatever the umask.
    uint32_t append(std::string_view name, std::string_view text) override;
    uint32_t read(std::string_view name, std::string& contents, uint64_t maxSize) const override;

  private:
    std::string root_;
};

} // namespace lntc
