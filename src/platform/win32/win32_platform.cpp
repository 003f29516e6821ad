#include "platform/win32/win32_platform.h"

#include "platform/win32/text.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_locks.h"
#include "platform/win32/win32_machine_files.h"
#include "platform/win32/win32_modules.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_sections.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_spooler.h"
#include "platform/win32/win32_windows.h"

#include <filesystem>
#include <shlobj.h>
#include <stdexcept>
#include <system_error>
#include <windows.h>

namespace lntc {

Win32Platform::Win32Platform(const std::string& root) : root_(root) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(win32::wideFromText(root_)), ec);
    if (ec) throw std::runtime_error("cannot create " + root_ + ": " + ec.message());
    owned_.registry = std::make_unique<Win32Registry>();
    owned_.sections = std::make_unique<Win32Sections>(root_);
    owned_.files = std::make_unique<Win32FileSystem>();
    owned_.env = std::make_unique<Win32Environment>();
    owned_.clock = std::make_unique<Win32Clock>();
    owned_.processes = std::make_unique<Win32Processes>();
    owned_.windows = std::make_unique<Win32TopWindows>(root_);
    owned_.modules = std::make_unique<Win32Modules>(*owned_.env);
    owned_.spooler = std::make_unique<Win32Spooler>();
    owned_.services = std::make_unique<Win32Services>();
    owned_.locks = std::make_unique<Win32FileLocks>(root_);
    owned_.machineFiles = std::make_unique<Win32MachineFiles>(root_);
    platform_ = owned_.view();
}

Win32Platform::~Win32Platform() = default;

std::string chooseWin32MachineRoot(const char* lntRoot, const std::string& programData) {
    if (lntRoot != nullptr && *lntRoot != '\0') return lntRoot;
    return (programData.empty() ? std::string("C:\\ProgramData") : programData) + "\\Lintora";
}

std::string defaultMachineRoot() {
    const std::optional<std::string> lntRoot = Win32Environment().get("LNT_ROOT");
    std::string programData;
    PWSTR folder = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK)
        programData = win32::textFromWide(folder);
    CoTaskMemFree(folder);
    return chooseWin32MachineRoot(lntRoot ? lntRoot->c_str() : nullptr, programData);
}

std::unique_ptr<Modules> Win32SystemModules(Environment& env) {
    return std::make_unique<Win32Modules>(env);
}

} // namespace lntc
