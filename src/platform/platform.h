// The operating-system services the product logic uses, gathered in one place.
#pragma once
#include "platform/environment.h"
#include "platform/errors.h"
#include "platform/filesystem.h"
#include "platform/locks.h"
#include "platform/machine_files.h"
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
    MachineFiles* machineFiles = nullptr;
};

// The backends a platform's object owns, in the order they are made (and go in reverse), and
// the view of them that the layers above are given.
struct OwnedBackends {
    std::unique_ptr<Registry> registry;
    std::unique_ptr<Sections> sections;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<Environment> env;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Processes> processes;
    std::unique_ptr<TopWindows> windows;
    std::unique_ptr<Modules> modules;
    std::unique_ptr<Spooler> spooler;
    std::unique_ptr<SystemServices> services;
    std::unique_ptr<FileLocks> locks;
    std::unique_ptr<MachineFiles> machineFiles;

    Platform view() const {
        return Platform{registry.get(), sections.get(),  files.get(),   env.get(),
                        clock.get(),    processes.get(), windows.get(), modules.get(),
                        spooler.get(),  services.get(),  locks.get(),   machineFiles.get()};
    }
};

// The machine root of this process, as the backend places it. POSIX: LNT_ROOT when set, else
// /var/lib/lintora for root and for a member of the group lintora who may enter it, else
// $XDG_DATA_HOME/lintora (~/.local/share/lintora).
std::string defaultMachineRoot();

// What the POSIX choice depends on, and the choice.
struct MachineRootFacts {
    const char* lntRoot = nullptr;
    bool superuser = false;
    bool systemRootShared = false; // a member of its group, and it may be entered
    const char* xdgDataHome = nullptr;
    const char* home = nullptr;
};
inline constexpr const char* kSystemMachineRoot = "/var/lib/lintora";
inline constexpr const char* kSystemGroup = "lintora";
std::string chooseMachineRoot(const MachineRootFacts& facts);

} // namespace lntc
