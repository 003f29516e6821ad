#include "dry_run.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dry_run {

namespace {

struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

bool copyFile(int fromDir, int toDir, const char* name, const std::string& shown,
              std::string& why) {
    Fd in(::openat(fromDir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0) {
        why = failure(shown, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) return true; // it changed under us into something not copied
    Fd out(::openat(toDir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        why = failure(shown, errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = failure(shown, errno);
            return false;
        }
        if (n == 0) return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.fd, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                why = failure("the copy of " + shown, errno);
                return false;
            }
            done += w;
        }
    }
}

bool copyFolder(int from, int to, const std::string& shown, bool top, std::string& why) {
    const int listFd = ::dup(from);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) ::close(listFd);
        why = failure(shown, errno);
        return false;
    }
    bool ok = true;
    while (ok) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            if (errno != 0) ok = false, why = failure(shown, errno);
            break;
        }
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        // The lock files are the root's processes', and SQLite rebuilds its index of the
        // write-ahead log from the log itself.
        if (top && (name == "run" || name == "registry.db-shm")) continue;
        const std::string path = shown + "/" + name;
        struct stat st {};
        if (::fstatat(from, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false, why = failure(path, errno);
        } else if (S_ISREG(st.st_mode)) {
            ok = copyFile(from, to, name.c_str(), path, why);
        } else if (S_ISDIR(st.st_mode)) {
            if (::mkdirat(to, name.c_str(), 0700) != 0) {
                ok = false, why = failure("the copy of " + path, errno);
                break;
            }
            Fd sub(::openat(from, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            Fd subCopy(::openat(to, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (sub.fd < 0 || subCopy.fd < 0)
                ok = false, why = failure(path, errno);
            else
                ok = copyFolder(sub.fd, subCopy.fd, path, false, why);
        }
    }
    ::closedir(dir);
    return ok;
}

} // namespace

PrivateFolder::~PrivateFolder() {
    // remove_all takes symbolic links away without following them.
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

bool PrivateFolder::make(std::string& why) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/lntc-config.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) { // mode 0700
        why = failure(pattern, errno);
        return false;
    }
    path_ = pattern;
    return true;
}

bool CopyRoot(const std::string& root, const std::string& into, std::string& why) {
    Fd from(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (from.fd < 0) {
        why = failure(root, errno);
        return false;
    }
    if (::mkdir(into.c_str(), 0700) != 0) {
        why = failure(into, errno);
        return false;
    }
    Fd to(::open(into.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (to.fd < 0) {
        why = failure(into, errno);
        return false;
    }
    return copyFolder(from.fd, to.fd, root, true, why);
}

int RunSelf(const std::vector<std::string>& args, std::string& why) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        why = std::string("cannot start the run: ") + std::strerror(errno);
        return 2;
    }
    if (child == 0) {
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            why = std::string("the run was lost: ") + std::strerror(errno);
            return 2;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 127) return WEXITSTATUS(status);
    why = WIFSIGNALED(status) ? "the run was ended by signal " + std::to_string(WTERMSIG(status))
                              : std::string("the run could not start");
    return 2;
}

} // namespace dry_run
