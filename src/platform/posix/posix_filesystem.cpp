#include "platform/posix/posix_filesystem.h"

#include "platform/errors.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lntc {

namespace {

bool isSep(char c) {
    return c == '\\' || c == '/';
}

// Appends the components of a path to parts, folding "." and ".." the way the product's
// platform does: lexically, and never above the root.
void appendComponents(std::string_view path, std::vector<std::string>& parts) {
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && isSep(path[i]))
            ++i;
        size_t j = i;
        while (j < path.size() && !isSep(path[j]))
            ++j;
        std::string_view part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        i = j;
    }
}

std::string joinHost(std::string base, const std::vector<std::string>& parts) {
    for (const auto& p : parts)
        base += "/" + p;
    return base.empty() ? "/" : base;
}

std::string currentHostDirectory() {
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

std::string parentOf(const std::string& host) {
    size_t slash = host.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return host.substr(0, slash);
}

std::string baseOf(const std::string& host) {
    size_t slash = host.rfind('/');
    return slash == std::string::npos ? host : host.substr(slash + 1);
}

bool isDirectory(const std::string& host) {
    struct stat st {};
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isReadOnly(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
}

// A missing file in an existing folder is "file not found"; otherwise the path is missing.
uint32_t missingError(const std::string& host) {
    return isDirectory(parentOf(host)) ? err::FileNotFound : err::PathNotFound;
}

uint32_t lookupError(int e, const std::string& host) {
    if (e == ENOENT) return missingError(host);
    if (e == ENOTDIR) return err::PathNotFound;
    return errorFromErrno(e);
}

// Host names are case-sensitive while the product's are not: a component missing in the
// exact spelling is looked up ignoring case (first match in name order when several).
std::string resolveCase(const std::string& host) {
    struct stat st {};
    if (lstat(host.c_str(), &st) == 0) return host;
    std::vector<std::string> parts;
    appendComponents(host, parts);
    std::string cur;
    bool missing = false;
    for (const auto& part : parts) {
        std::string next = cur + "/" + part;
        if (!missing && lstat(next.c_str(), &st) != 0 && errno == ENOENT) {
            std::string best;
            if (DIR* d = opendir(cur.empty() ? "/" : cur.c_str())) {
                while (dirent* e = readdir(d)) {
                    if (strcasecmp(e->d_name, part.c_str()) == 0 &&
                        (best.empty() || best > e->d_name))
                        best = e->d_name;
                }
                closedir(d);
            }
            if (best.empty())
                missing = true; // nothing below a missing folder can exist either
            else
                next = cur + "/" + best;
        }
        cur = std::move(next);
    }
    return cur.empty() ? "/" : cur;
}

uint32_t readHostFile(const std::string& host, std::string& contents, struct stat& st) {
    int fd;
    do {
        fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return lookupError(errno, host);
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return err::AccessDenied;
    }
    std::string data;
    if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int e = errno;
            ::close(fd);
            return errorFromErrno(e);
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    contents = std::move(data);
    return err::Success;
}

// Whether a path may be replaced by a new file: not a folder, not read-only, in a folder.
uint32_t checkReplaceable(const std::string& host) {
    struct stat st {};
    if (stat(host.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || isReadOnly(st)) return err::AccessDenied;
        return err::Success;
    }
    if (errno == ENOENT) return isDirectory(parentOf(host)) ? err::Success : err::PathNotFound;
    return lookupError(errno, host);
}

std::string lexicalAbsolute(const std::string& path) {
    std::vector<std::string> parts;
    if (path.empty() || path[0] != '/') appendComponents(currentHostDirectory(), parts);
    appendComponents(path, parts);
    return joinHost({}, parts);
}

} // namespace

PosixFileSystem::PosixFileSystem(const std::string& root) {
    driveC_ = lexicalAbsolute(root + "/drive_c");
    std::error_code ec;
    auto canon = std::filesystem::weakly_canonical(driveC_, ec);
    driveCCanon_ = ec ? driveC_ : lexicalAbsolute(canon.string());
}

std::string PosixFileSystem::mapPath(std::string_view product) const {
    char drive = 0;
    std::string_view rest = product;
    if (product.size() >= 2 && std::isalpha(static_cast<unsigned char>(product[0])) &&
        product[1] == ':') {
        drive = static_cast<char>(std::toupper(static_cast<unsigned char>(product[0])));
        rest = product.substr(2);
    } else if (product.size() >= 2 && isSep(product[0]) && isSep(product[1])) {
        return {}; // network paths have no host counterpart
    }
    std::vector<std::string> parts;
    bool absolute = !rest.empty() && isSep(rest[0]);
    if (!drive || !absolute) {
        std::string cwd;
        if (currentDirectory(cwd) == err::Success && cwd.size() >= 2) {
            if (!drive) drive = cwd[0];
            if (!absolute && drive == cwd[0])
                appendComponents(std::string_view(cwd).substr(2), parts);
        } else if (!drive) {
            drive = 'C';
        }
    }
    appendComponents(rest, parts);
    if (drive == 'C') return joinHost(driveC_, parts);
    if (drive == 'Z') return joinHost({}, parts);
    return {};
}

std::string PosixFileSystem::hostPath(std::string_view product) const {
    std::string mapped = mapPath(product);
    return mapped.empty() ? mapped : resolveCase(mapped);
}

std::string PosixFileSystem::productPath(std::string_view host) const {
    std::string abs = lexicalAbsolute(std::string(host));
    for (const std::string* base : {&driveC_, &driveCCanon_}) {
        if (abs == *base || abs.compare(0, base->size() + 1, *base + "/") == 0) {
            std::string out = "C:\\";
            if (abs.size() > base->size() + 1) out += abs.substr(base->size() + 1);
            for (char& c : out)
                if (c == '/') c = '\\';
            return out;
        }
    }
    std::string out = "Z:" + abs;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

uint32_t PosixFileSystem::attributes(std::string_view path, uint32_t& error) const {
    std::string host = hostPath(path);
    if (host.empty()) {
        error = err::PathNotFound;
        return fileattr::Invalid;
    }
    struct stat st {};
    if (stat(host.c_str(), &st) != 0) {
        error = lookupError(errno, host);
        return fileattr::Invalid;
    }
    error = err::Success;
    uint32_t attr = 0;
    if (S_ISDIR(st.st_mode)) attr |= fileattr::Directory;
    // Permission bits, not access(): a privileged process may write anything.
    if (isReadOnly(st)) attr |= fileattr::ReadOnly;
    return attr ? attr : fileattr::Normal;
}

// The folders above the new one are entered one by one without following symbolic links
// (below the drive's own folder), so that a link planted in the path cannot place the new
// folder, and what is later written into it, somewhere else.
uint32_t PosixFileSystem::createDirectory(std::string_view path) {
    std::string host = hostPath(path);
    if (host.empty()) return err::PathNotFound;
    std::string base = "/";
    for (const std::string* root : {&driveC_, &driveCCanon_}) {
        if (host == *root) return err::AlreadyExists;
        if (host.compare(0, root->size() + 1, *root + "/") == 0) {
            base = *root;
            break;
        }
    }
    std::vector<std::string> parts;
    appendComponents(std::string_view(host).substr(base == "/" ? 0 : base.size()), parts);
    if (parts.empty()) return err::AlreadyExists;
    int dir = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return lookupError(errno, base);
    auto failure = [&](int e, const std::string& name) {
        struct stat st {};
        if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            e = EACCES;
        ::close(dir);
        if (e == ENOENT || e == ENOTDIR) return err::PathNotFound;
        return e == EEXIST ? err::AlreadyExists : errorFromErrno(e);
    };
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        int next = ::openat(dir, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) return failure(errno, parts[i]);
        ::close(dir);
        dir = next;
    }
    // An explicit mode: readable by the print server's other users, writable by its owner.
    if (mkdirat(dir, parts.back().c_str(), 0755) != 0) return failure(errno, parts.back());
    ::close(dir);
    return err::Success;
}

uint32_t PosixFileSystem::readFile(std::string_view path, std::string& contents) const {
    std::string host = hostPath(path);
    if (host.empty()) return err::PathNotFound;
    struct stat st {};
    return readHostFile(host, contents, st);
}

uint32_t PosixFileSystem::writeFile(std::string_view path, std::string_view contents) {
    std::string host = hostPath(path);
    if (host.empty()) return err::PathNotFound;
    if (uint32_t e = checkReplaceable(host)) return e;
    struct stat st {};
    int mode = stat(host.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    return writeHostFile(host, contents, mode);
}

// Readers see the old file or the new one, never a part: the data goes to a temporary file
// beside the target, reaches the disk, and replaces the target in one rename.
uint32_t PosixFileSystem::writeHostFile(const std::string& host, std::string_view contents,
                                        int mode) {
    static std::atomic<unsigned> counter{0};
    std::string dir = parentOf(host);
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tmp = dir + "/." + baseOf(host) + "." + std::to_string(getpid()) + "." +
              std::to_string(counter++) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR) return lookupError(errno, host);
    }
    if (fd < 0) return err::AlreadyExists;
    auto fail = [&](int e) {
        ::close(fd);
        unlink(tmp.c_str());
        return errorFromErrno(e);
    };
    if (mode >= 0 && fchmod(fd, static_cast<mode_t>(mode)) != 0) return fail(errno);
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        int e = errno;
        unlink(tmp.c_str());
        return errorFromErrno(e);
    }
    if (rename(tmp.c_str(), host.c_str()) != 0) {
        int e = errno;
        unlink(tmp.c_str());
        return errorFromErrno(e);
    }
    // The rename itself is only durable once the folder is.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        ::close(dfd);
    }
    return err::Success;
}

uint32_t PosixFileSystem::deleteFile(std::string_view path) {
    std::string host = hostPath(path);
    if (host.empty()) return err::PathNotFound;
    struct stat st {};
    if (lstat(host.c_str(), &st) != 0) return lookupError(errno, host);
    if (S_ISDIR(st.st_mode)) return err::AccessDenied;
    if (!S_ISLNK(st.st_mode) && isReadOnly(st)) return err::AccessDenied;
    if (unlink(host.c_str()) != 0) return lookupError(errno, host);
    return err::Success;
}

uint32_t PosixFileSystem::renameFile(std::string_view from, std::string_view to) {
    std::string src = hostPath(from);
    std::string dst = hostPath(to);
    if (src.empty() || dst.empty()) return err::PathNotFound;
    struct stat st {};
    if (lstat(src.c_str(), &st) != 0) return lookupError(errno, src);
    if (dst == src) {
        // Only the case differs: the new spelling is what the caller asked for.
        std::string wanted = baseOf(mapPath(to));
        dst = parentOf(src) + "/" + wanted;
        if (dst == src) return err::Success;
    } else if (!S_ISDIR(st.st_mode)) {
        if (uint32_t e = checkReplaceable(dst)) return e;
    }
    if (rename(src.c_str(), dst.c_str()) == 0) return err::Success;
    if (errno == EXDEV && S_ISREG(st.st_mode)) {
        if (uint32_t e = copyFile(from, to)) return e;
        return unlink(src.c_str()) == 0 ? err::Success : errorFromErrno(errno);
    }
    if (errno == ENOENT) return err::PathNotFound;
    if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) return err::AccessDenied;
    return errorFromErrno(errno);
}

uint32_t PosixFileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string src = hostPath(from);
    std::string dst = hostPath(to);
    if (src.empty() || dst.empty()) return err::PathNotFound;
    std::string data;
    struct stat st {};
    if (uint32_t e = readHostFile(src, data, st)) return e;
    if (uint32_t e = checkReplaceable(dst)) return e;
    return writeHostFile(dst, data, static_cast<int>(st.st_mode & 07777));
}

uint32_t PosixFileSystem::currentDirectory(std::string& out) const {
    std::string cwd = currentHostDirectory();
    if (cwd.empty()) return errorFromErrno(errno);
    out = productPath(cwd);
    return err::Success;
}

} // namespace lntc
