#include "platform/posix/posix_modules.h"

#include "platform/errors.h"
#include "resources/module_table.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace lntc {

std::unique_ptr<ResourceModule> PosixModules::load(const std::string& path, uint32_t& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = errorFromErrno(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = err::BadExeFormat;
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = err::BadExeFormat;
        return nullptr;
    }
    std::unique_ptr<ResourceModule> module;
    if (void* entry = dlsym(handle, LNTC_RESOURCE_ENTRY)) {
        auto resources = reinterpret_cast<LntcResourcesFunction>(entry);
        module = moduleFromTable(resources(), error);
    } else {
        error = err::ProcNotFound;
    }
    // Everything was copied: the module's code need not stay mapped.
    dlclose(handle);
    return module;
}

std::string PosixModules::systemFolder() const {
    std::string path = env_.modulePath();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string() : path.substr(0, slash);
}

} // namespace lntc
