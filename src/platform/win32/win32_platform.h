// The Windows backends of one machine root, for the composition root and the tests.
#pragma once
#include "platform/platform.h"

#include <memory>
#include <string>

namespace lntc {

// Owns the Windows backends of one machine root: a native folder that holds the logs, the ODR
// directory, the history and the run files. The registry is the system's own (HKLM), the same
// for every root of the machine.
class Win32Platform {
  public:
    // Creates the root folder when missing. Throws std::runtime_error when the registry cannot
    // be opened at all.
    explicit Win32Platform(const std::string& root);
    ~Win32Platform();
    Platform& platform() { return platform_; }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
    OwnedBackends owned_;
    Platform platform_;
};

// LNT_ROOT when set and not empty, else the machine's folder for programs' data (ProgramData)
// with "\Lintora", else "C:\ProgramData\Lintora".
std::string chooseWin32MachineRoot(const char* lntRoot, const std::string& programData);

// The modules of the library's folder, as the library finds them, for a caller without a
// machine root.
std::unique_ptr<Modules> Win32SystemModules(Environment& env);

} // namespace lntc
