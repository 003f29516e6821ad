#include "platform/win32/win32_platform.h"

#include "platform/win32/text.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_pending.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_sections.h"

#include <filesystem>
#include <shlobj.h>
#include <stdexcept>
#include <system_error>
#include <windows.h>

namespace lntc {

namespace {

class PendingModule : public LoadedModule {
  public:
    PendingModule(HMODULE module, bool stay) : module_(module), stay_(stay) {}
    ~PendingModule() override {
        if (!stay_) FreeLibrary(module_);
    }
    void* symbol(const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }

  private:
    HMODULE module_;
    bool stay_;
};

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

} // namespace

std::unique_ptr<LoadedModule> PendingModules::load(const std::string& path, bool stay,
                                                   uint32_t& error, std::string* why) {
    // Only the module named: no search of the program's folder or the PATH for its name.
    const std::wstring wide = win32::wideFromText(path);
    HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        error = GetLastError();
        // The loader says 126 (module not found) for a missing file as for a missing module
        // the file needs; only the first is "no such file".
        if (error == ERROR_MOD_NOT_FOUND &&
            GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
            error = GetLastError() == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND
                                                           : ERROR_FILE_NOT_FOUND;
        if (why != nullptr) why->clear();
        return nullptr;
    }
    error = 0;
    return std::make_unique<PendingModule>(module, stay);
}

bool PendingModules::isLoaded(const std::string& fileName) const {
    return GetModuleHandleW(win32::wideFromText(fileName).c_str()) != nullptr;
}

std::string PendingModules::systemFolder() const {
    return folderOf(env_.modulePath());
}

Win32Platform::Win32Platform(const std::string& root) : root_(root) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(win32::wideFromText(root_)), ec);
    if (ec) throw std::runtime_error("cannot create " + root_ + ": " + ec.message());
    registry_ = std::make_unique<Win32Registry>();
    sections_ = std::make_unique<Win32Sections>(root_);
    files_ = std::make_unique<PendingFileSystem>();
    env_ = std::make_unique<Win32Environment>();
    clock_ = std::make_unique<Win32Clock>();
    processes_ = std::make_unique<PendingProcesses>();
    windows_ = std::make_unique<PendingTopWindows>();
    modules_ = std::make_unique<PendingModules>(*env_);
    spooler_ = std::make_unique<PendingSpooler>();
    services_ = std::make_unique<PendingServices>();
    locks_ = std::make_unique<PendingFileLocks>();
    machineFiles_ = std::make_unique<PendingMachineFiles>(root_);
    platform_.registry = registry_.get();
    platform_.sections = sections_.get();
    platform_.files = files_.get();
    platform_.env = env_.get();
    platform_.clock = clock_.get();
    platform_.processes = processes_.get();
    platform_.windows = windows_.get();
    platform_.modules = modules_.get();
    platform_.spooler = spooler_.get();
    platform_.services = services_.get();
    platform_.locks = locks_.get();
    platform_.machineFiles = machineFiles_.get();
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
    return std::make_unique<PendingModules>(env);
}

std::string Win32UserName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size) || size == 0) return {};
    return win32::textFromWide(std::wstring_view(name, size - 1));
}

} // namespace lntc
