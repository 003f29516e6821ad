#include "platform/posix/posix_modules.h"

#include "platform/errors.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace lntc {

namespace {

class PosixModule : public LoadedModule {
  public:
    explicit PosixModule(void* handle) : handle_(handle) {}
    ~PosixModule() override { dlclose(handle_); }
    PosixModule(const PosixModule&) = delete;
    PosixModule& operator=(const PosixModule&) = delete;
    void* symbol(const char* name) const override { return dlsym(handle_, name); }

  private:
    void* handle_;
};

} // namespace

std::unique_ptr<LoadedModule> PosixModules::load(const std::string& path, bool stay,
                                                 uint32_t& error, std::string* why) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = errorFromErrno(errno);
        if (why) *why = path + ": " + systemErrorText(error);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = err::BadExeFormat;
        if (why) *why = path + " is not a file";
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | (stay ? RTLD_NODELETE : 0));
    if (handle == nullptr) {
        error = err::BadExeFormat;
        if (why) {
            const char* text = dlerror();
            *why = text ? text : path + " cannot be loaded";
        }
        return nullptr;
    }
    error = err::Success;
    return std::make_unique<PosixModule>(handle);
}

bool PosixModules::isLoaded(const std::string& fileName) const {
    void* h = dlopen(fileName.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h == nullptr) return false;
    dlclose(h);
    return true;
}

std::string PosixModules::systemFolder() const {
    std::string path = env_.modulePath();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    std::string folder = slash == 0 ? std::string() : path.substr(0, slash);
    // An installed library keeps its modules in a folder of their own rather than among the
    // system's libraries; in the build tree they lie beside it.
    std::string own = folder + "/" + LNTC_MODULE_FOLDER;
    struct stat st {};
    if (::stat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return own;
    return folder;
}

} // namespace lntc
