// The machine root's own files on Windows: a native folder ("C:\ProgramData\Lintora").
#pragma once
#include "platform/machine_files.h"

#include <string>

namespace lntc {

// Folders and files are made with the machine objects' security (win32_security.h): only
// Administrators and SYSTEM change them, other users read them. No reparse point below the root
// is passed through, and a file with another name (a hard link) is refused (5).
class Win32MachineFiles : public MachineFiles {
  public:
    explicit Win32MachineFiles(const std::string& root);

    // "log/error.log" -> "<root>\log\error.log".
    std::string hostPath(std::string_view name) const override;
    uint32_t append(std::string_view name, std::string_view text) override;
    uint32_t read(std::string_view name, std::string& contents, uint64_t maxSize) const override;

  private:
    std::string root_;
    std::string prefix_; // of the mutexes by which appends take turns
};

} // namespace lntc
