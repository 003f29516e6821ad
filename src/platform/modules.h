// Shared objects loaded at run time: the localised resource modules, the Qt host module.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace lntc {

// What joins a folder and a file in a host path, and what a module's file name ends with.
#ifdef _WIN32
inline constexpr char kHostPathSeparator = '\\';
inline constexpr const char* kModuleSuffix = ".dll";
#else
inline constexpr char kHostPathSeparator = '/';
inline constexpr const char* kModuleSuffix = ".so";
#endif

class LoadedModule {
  public:
    virtual ~LoadedModule() = default;
    // The address of an exported symbol, or nullptr.
    virtual void* symbol(const char* name) const = 0;
};

class Modules {
  public:
    virtual ~Modules() = default;
    // The module at a host path. nullptr with error 2 when there is no such file; nullptr with
    // another code when the file is there but is not a usable module (why, when given, then
    // says what was wrong). A module loaded to stay is never unloaded, even when its handle
    // goes.
    virtual std::unique_ptr<LoadedModule> load(const std::string& path, bool stay, uint32_t& error,
                                               std::string* why = nullptr) = 0;
    // Whether a shared library of this file name is in the process already.
    virtual bool isLoaded(const std::string& fileName) const = 0;
    // Host folder that holds the modules, the help file and the Qt host, without a trailing "/":
    // the library's own folder, or its LNTC_MODULE_FOLDER subfolder when there is one (an
    // installed library).
    virtual std::string systemFolder() const = 0;
};

} // namespace lntc
