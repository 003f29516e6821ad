#include "platform/posix/posix_platform.h"

#include "platform/posix/cups_spooler.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_filesystem.h"
#include "platform/posix/posix_locks.h"
#include "platform/posix/posix_machine_files.h"
#include "platform/posix/posix_modules.h"
#include "platform/posix/posix_processes.h"
#include "platform/posix/posix_sections.h"
#include "platform/posix/posix_services.h"
#include "platform/posix/posix_windows.h"
#include "platform/posix/trusted_files.h"

#if __has_include("platform/posix/sqlite_registry.h")
#include "platform/posix/sqlite_registry.h"
#define LNTC_HAVE_SQLITE_REGISTRY 1
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lntc {

namespace {

// Creates a folder, and every missing folder above it, with exactly the given mode whatever
// the umask.
void makeFolder(const std::string& path, mode_t mode) {
    std::vector<std::string> missing;
    struct stat st {};
    for (std::filesystem::path p(path); !p.empty() && stat(p.c_str(), &st) != 0;) {
        missing.push_back(p.string());
        if (p == p.parent_path() || !p.has_relative_path()) break;
        p = p.parent_path();
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (mkdir(it->c_str(), mode) == 0)
            setNewFolderMode(*it, mode);
        else if (errno != EEXIST)
            throw std::runtime_error("cannot create " + *it + ": " + std::strerror(errno));
    }
}

// The folders below C: that a Windows machine always has and the product expects, such as the
// hosts file's. Made beneath drive C without following a link; a root that cannot hold them
// is still usable for reading.
void makeSystemFolders(const std::string& driveC, mode_t mode) {
    int dir = ::open(driveC.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    for (const char* name : {"WINDOWS", "system32", "drivers", "etc"}) {
        if (dir < 0) return;
        const bool made = mkdirat(dir, name, mode) == 0;
        int next = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(dir);
        dir = next;
        if (made && dir >= 0) setNewFolderMode(dir, mode);
    }
    if (dir >= 0) ::close(dir);
}

} // namespace

PosixPlatform::PosixPlatform(const std::string& root) : root_(root) {
    makeFolder(root_, 0750);
    // Drive C: is where the product keeps its files; without it every C: path is missing.
    // A read-only root that lacks it is still usable for reading the configuration.
    const std::string driveC = root_ + "/drive_c";
    struct stat st {};
    try {
        if (lstat(driveC.c_str(), &st) != 0 && errno == ENOENT) {
            makeFolder(driveC, 0750);
            makeSystemFolders(driveC, 0750);
        }
    } catch (const std::runtime_error&) {
    }
#ifdef LNTC_HAVE_SQLITE_REGISTRY
    owned_.registry = std::make_unique<SqliteRegistry>(root_ + "/registry.db");
#endif
    owned_.sections = std::make_unique<PosixSections>(root_);
    owned_.files = std::make_unique<PosixFileSystem>(root_);
    owned_.env = std::make_unique<PosixEnvironment>();
    owned_.clock = std::make_unique<PosixClock>();
    owned_.processes = std::make_unique<PosixProcesses>();
    owned_.windows = std::make_unique<PosixTopWindows>(root_);
    owned_.modules = std::make_unique<PosixModules>(*owned_.env);
    owned_.spooler = std::make_unique<CupsSpooler>();
    owned_.services = std::make_unique<PosixServices>();
    owned_.locks = std::make_unique<PosixFileLocks>(root_);
    owned_.machineFiles = std::make_unique<PosixMachineFiles>(root_);
    platform_ = owned_.view();
}

PosixPlatform::~PosixPlatform() = default;

std::string chooseMachineRoot(const MachineRootFacts& facts) {
    if (facts.lntRoot && *facts.lntRoot) return facts.lntRoot;
    // A member would otherwise silently get an empty private root of their own.
    if (facts.superuser || facts.systemRootShared) return kSystemMachineRoot;
    if (facts.xdgDataHome && *facts.xdgDataHome == '/')
        return std::string(facts.xdgDataHome) + "/lintora";
    return std::string(facts.home && *facts.home ? facts.home : "/tmp") + "/.local/share/lintora";
}

namespace {

bool inGroup(gid_t gid) {
    if (getegid() == gid) return true;
    const int n = getgroups(0, nullptr);
    std::vector<gid_t> groups(n > 0 ? static_cast<size_t>(n) : 0);
    const int got = n > 0 ? getgroups(n, groups.data()) : 0;
    return std::find(groups.begin(), groups.begin() + std::max(got, 0), gid) !=
           groups.begin() + std::max(got, 0);
}

bool systemRootShared() {
    const group* g = getgrnam(kSystemGroup);
    struct stat st {};
    return g != nullptr && inGroup(g->gr_gid) && stat(kSystemMachineRoot, &st) == 0 &&
           S_ISDIR(st.st_mode) && faccessat(AT_FDCWD, kSystemMachineRoot, X_OK, AT_EACCESS) == 0;
}

} // namespace

std::string defaultMachineRoot() {
    // A set-user-id program must not be pointed at another root by its caller.
    MachineRootFacts facts;
    facts.lntRoot = secure_getenv("LNT_ROOT");
    facts.superuser = geteuid() == 0;
    if ((!facts.lntRoot || !*facts.lntRoot) && !facts.superuser)
        facts.systemRootShared = systemRootShared();
    facts.xdgDataHome = secure_getenv("XDG_DATA_HOME");
    facts.home = secure_getenv("HOME");
    if (!facts.home || !*facts.home) {
        const passwd* pw = getpwuid(geteuid());
        facts.home = pw ? pw->pw_dir : nullptr;
    }
    return chooseMachineRoot(facts);
}

} // namespace lntc
