#include "platform/posix/trusted_files.h"

#include "platform/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lntc {

namespace {

std::string parentOf(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return "/";
    size_t slash = path.rfind('/', end);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

uid_t ownerOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_uid : geteuid();
}

int openDir(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

int setNewFolderMode(int fd, mode_t mode) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    return ::fchmod(fd, mode | (st.st_mode & S_ISGID));
}

int setNewFolderMode(const std::string& path, mode_t mode) {
    int fd = openDir(path);
    if (fd < 0) return -1;
    int rc = setNewFolderMode(fd, mode);
    int error = errno;
    ::close(fd);
    errno = error;
    return rc;
}

uint32_t ensureTrustedDir(const std::string& path, mode_t mode) {
    if (::mkdir(path.c_str(), mode) == 0) {
        setNewFolderMode(path, mode); // the umask does not decide
    } else if (errno != EEXIST) {
        return errno == ENOENT ? err::PathNotFound : errorFromErrno(errno);
    }
    int fd = openDir(path);
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? err::AccessDenied : errorFromErrno(errno);
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWOTH) == 0 &&
              (st.st_uid == geteuid() || st.st_uid == 0 || st.st_uid == ownerOf(parentOf(path)));
    ::close(fd);
    return ok ? err::Success : err::AccessDenied;
}

uint32_t openTrustedFile(const std::string& path, int flags, mode_t mode, int& fd) {
    fd = -1;
    std::string dir = parentOf(path);
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return err::InvalidName;
    int dirFd = openDir(dir);
    if (dirFd < 0) return errorFromErrno(errno);
    struct stat dirSt {};
    if (::fstat(dirFd, &dirSt) != 0) {
        uint32_t e = errorFromErrno(errno);
        ::close(dirFd);
        return e;
    }

    flags |= O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    bool created = false;
    int f = -1;
    for (int attempt = 0; attempt < 4 && f < 0; ++attempt) {
        if (flags & O_CREAT) {
            f = ::openat(dirFd, name.c_str(), flags | O_EXCL, mode);
            if (f >= 0) {
                created = true;
                break;
            }
            if (errno != EEXIST && errno != EINTR) break;
        }
        // Exists (or creation was not asked for): open what is there, never through a link.
        f = ::openat(dirFd, name.c_str(), flags & ~(O_CREAT | O_EXCL), 0);
        if (f < 0 && errno != EINTR && !(errno == ENOENT && (flags & O_CREAT))) break;
    }
    uint32_t error = err::Success;
    if (f < 0) {
        error = errno == ELOOP ? err::AccessDenied : errorFromErrno(errno);
    } else {
        struct stat st {};
        bool ours = ::fstat(f, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                    (st.st_mode & S_IWOTH) == 0 &&
                    (st.st_uid == geteuid() || st.st_uid == dirSt.st_uid);
        if (!ours) {
            error = err::AccessDenied;
        } else if (created && ::fchmod(f, mode) != 0) {
            error = errorFromErrno(errno);
        }
        if (error) {
            if (created) ::unlinkat(dirFd, name.c_str(), 0);
            ::close(f);
            f = -1;
        }
    }
    ::close(dirFd);
    fd = f;
    return error;
}

uint32_t readRegularFile(int fd, uint64_t maxSize, std::string& contents, struct stat& st) {
    if (::fstat(fd, &st) != 0) return errorFromErrno(errno);
    if (!S_ISREG(st.st_mode)) return err::AccessDenied;
    if (static_cast<uint64_t>(st.st_size) > maxSize) return err::FileTooLarge;
    std::string data;
    data.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errorFromErrno(errno);
        if (n == 0) break;
        if (data.size() + static_cast<uint64_t>(n) > maxSize) return err::FileTooLarge;
        data.append(chunk, static_cast<size_t>(n));
    }
    contents = std::move(data);
    return err::Success;
}

} // namespace lntc
