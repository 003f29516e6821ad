#include "platform/posix/posix_windows.h"

#include "platform/errors.h"
#include "platform/posix/posix_sections.h"
#include "platform/posix/trusted_files.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace lntc {

namespace {

constexpr mode_t kFileMode = 0660;
constexpr const char* kSuffix = ".win";

bool setLock(int fd, short type, bool wait) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET; // whole file
    for (;;) {
        if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// Whether some open file description holds a lock on the file.
bool lockHeld(int fd) {
    struct flock fl {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return true; // cannot tell: leave it alone
    return fl.l_type != F_UNLCK;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, std::string& out) {
    char buf[512];
    out.clear();
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > 1 << 16) return false; // not one of ours
    }
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "<pid> <class length> <title length>\n<class><title>"
bool parse(const std::string& data, std::string& className, std::string& title) {
    unsigned long pid = 0, classLen = 0, titleLen = 0;
    int used = 0;
    if (std::sscanf(data.c_str(), "%lu %lu %lu\n%n", &pid, &classLen, &titleLen, &used) != 3)
        return false;
    size_t at = static_cast<size_t>(used);
    if (at > data.size() || data.size() - at != classLen + titleLen) return false;
    className = data.substr(at, classLen);
    title = data.substr(at + classLen, titleLen);
    return true;
}

// Serialises the registry's changes and its clean-up between processes and threads.
class Guard {
  public:
    explicit Guard(const std::string& dir) {
        openTrustedFile(dir + "/.guard", O_RDWR | O_CREAT, kFileMode, fd_);
        if (fd_ >= 0 && !setLock(fd_, F_WRLCK, true)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~Guard() {
        if (fd_ >= 0) ::close(fd_); // closing drops the lock
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

} // namespace

PosixTopWindows::PosixTopWindows(const std::string& root)
    : dir_(machineRunDir(root) + "/windows") {}

PosixTopWindows::~PosixTopWindows() {
    for (auto& [handle, entry] : mine_) {
        ::unlink(entry.path.c_str());
        ::close(entry.fd);
    }
}

uint32_t PosixTopWindows::ensureDirectory() const {
    std::string run = dir_.substr(0, dir_.rfind('/'));
    for (const std::string& d : {run, dir_})
        if (uint32_t e = ensureTrustedDir(d, 0750)) return e;
    return err::Success;
}

uint32_t PosixTopWindows::registerWindow(const std::string& title, const std::string& className,
                                         Handle& out) {
    out = 0;
    if (uint32_t e = ensureDirectory()) return e;
    std::lock_guard<std::mutex> lock(mutex_);
    Guard guard(dir_);
    if (!guard.held()) return errorFromErrno(errno);
    Handle handle = 0;
    std::string path;
    int fd = -1;
    // A file of a dead process with a reused pid may carry the same name: take the next one.
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        handle = next_++;
        path = dir_ + "/" + std::to_string(::getpid()) + "-" + std::to_string(handle) + kSuffix;
        do {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST) return errorFromErrno(errno);
    }
    if (fd < 0) return err::AlreadyExists;
    ::fchmod(fd, kFileMode); // other product processes read it whatever the umask
    std::string data = std::to_string(::getpid()) + " " + std::to_string(className.size()) + " " +
                       std::to_string(title.size()) + "\n" + className + title;
    if (!setLock(fd, F_WRLCK, false) || !writeAll(fd, data)) {
        uint32_t e = errorFromErrno(errno ? errno : EIO);
        ::unlink(path.c_str());
        ::close(fd);
        return e;
    }
    mine_[handle] = Entry{fd, path};
    out = handle;
    return err::Success;
}

void PosixTopWindows::unregister(Handle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = mine_.find(handle);
    if (it == mine_.end()) return;
    // Gone from the folder before the lock drops, so nobody sees it as stale meanwhile.
    ::unlink(it->second.path.c_str());
    ::close(it->second.fd);
    mine_.erase(it);
}

bool PosixTopWindows::existsWithTitle(const std::string& title) const {
    return exists(Field::Title, title);
}

bool PosixTopWindows::existsWithClass(const std::string& className) const {
    return exists(Field::Class, className);
}

bool PosixTopWindows::exists(Field field, const std::string& value) const {
    DIR* dir = ::opendir(dir_.c_str());
    if (dir == nullptr) return false; // nothing was ever recorded
    Guard guard(dir_);
    bool found = false;
    while (dirent* d = ::readdir(dir)) {
        std::string_view name = d->d_name;
        if (name.size() <= 4 || name.substr(name.size() - 4) != kSuffix) continue;
        std::string path = dir_ + "/" + std::string(name);
        int fd = -1;
        if (openTrustedFile(path, O_RDONLY | O_NONBLOCK, 0, fd) != 0) continue;
        if (!lockHeld(fd)) {
            // Its process is gone. Only removed under the guard: a registration in progress
            // holds the guard until its file is locked.
            if (guard.held()) ::unlink(path.c_str());
            ::close(fd);
            continue;
        }
        std::string data, className, title;
        bool ok = readAll(fd, data) && parse(data, className, title);
        ::close(fd);
        if (ok && equalNoCase(field == Field::Title ? title : className, value)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace lntc
