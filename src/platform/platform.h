// The operating-system services the product logic uses, gathered in one place.
#pragma once
#include "platform/environment.h"
#include "platform/errors.h"
#include "platform/filesystem.h"
#include "platform/locks.h"
#include "platform/modules.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/sections.h"
#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/windows.h"

#include <memory>
#include <string>

namespace lntc {

struct Platform {
    Registry* registry = nullptr;
    Sections* sections = nullptr;
    FileSystem* files = nullptr;
    Environment* env = nullptr;
    Clock* clock = nullptr;
    Processes* processes = nullptr;
    TopWindows* windows = nullptr;
    Modules* modules = nullptr; // none: no localised resources are looked for
    Spooler* spooler = nullptr;
    SystemServices* services = nullptr;
    FileLocks* locks = nullptr; // none: nothing else on the machine to take turns with
};

// Owns the POSIX backends of one machine root.
class PosixPlatform {
  public:
    // root: the machine root folder. A root made here gets drive C with the system folders a
    // Windows machine has (C:\WINDOWS\system32\drivers\etc). Throws std::runtime_error when
    // the registry database cannot be opened at all.
    explicit PosixPlatform(const std::string& root);
    ~PosixPlatform();
    Platform& platform() { return platform_; }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<Sections> sections_;
    std::unique_ptr<FileSystem> files_;
    std::unique_ptr<Environment> env_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Processes> processes_;
    std::unique_ptr<TopWindows> windows_;
    std::unique_ptr<Modules> modules_;
    std::unique_ptr<Spooler> spooler_;
    std::unique_ptr<SystemServices> services_;
    std::unique_ptr<FileLocks> locks_;
    Platform platform_;
};

// LNT_ROOT when set, else $XDG_DATA_HOME/lintora (~/.local/share/lintora), or
// /var/lib/lintora for root.
std::string defaultMachineRoot();

} // namespace lntc
