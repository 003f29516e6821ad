#include "platform/posix/posix_filesystem.h"

#include "platform/errors.h"
#include "platform/posix/trusted_files.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>
#if __has_include(<linux/openat2.h>)
#include <linux/openat2.h>
#endif

namespace lntc {

FileCalls fileCalls = {[](int dir, const char* name, int flags, mode_t mode) {
                           return ::openat(dir, name, flags, mode);
                       },
                       ::write,
                       ::fsync,
                       ::close,
                       ::renameat,
                       ::unlinkat};

namespace {

// A new file is readable by the print server's other users and written by replacing it.
constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewFolderMode = 0755;

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

bool isReadOnly(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
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

std::string lexicalAbsolute(const std::string& path) {
    std::vector<std::string> parts;
    if (path.empty() || path[0] != '/') appendComponents(currentHostDirectory(), parts);
    appendComponents(path, parts);
    return joinHost({}, parts);
}

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        reset(std::exchange(o.fd_, -1));
        return *this;
    }
    ~Fd() { reset(); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int release() { return std::exchange(fd_, -1); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_;
};

int openAt(int dir, const std::string& name, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = fileCalls.openat(dir, name.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool isLink(int dir, const std::string& name) {
    struct stat st {};
    return fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Why a folder could not be entered: a link is refused, anything that is not there (or not a
// folder) leaves the path missing.
uint32_t folderError(int dir, const std::string& name, int e, bool follow) {
    if (!follow && isLink(dir, name)) return err::AccessDenied;
    if (e == ENOENT || e == ENOTDIR) return err::PathNotFound;
    if (e == ELOOP) return err::AccessDenied;
    return errorFromErrno(e);
}

// The spelling of an entry of the folder: the exact one when it exists, else the first in
// name order that matches ignoring case, else the name as asked.
std::string findEntry(int dir, const std::string& name) {
    struct stat st {};
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return name;
    // A description of its own: reading the folder moves its position.
    int own = openAt(dir, ".", O_RDONLY | O_DIRECTORY);
    if (own < 0) return name;
    DIR* d = fdopendir(own);
    if (d == nullptr) {
        ::close(own);
        return name;
    }
    std::string best;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0 && (best.empty() || best > e->d_name))
            best = e->d_name;
    }
    closedir(d);
    return best.empty() ? name : best;
}

// openat2() may be missing from the kernel or refused by a sandbox; the walk then does.
std::atomic<bool> openat2Refused{false};

int openBeneath(int dir, const std::string& relative, int flags) {
#if defined(SYS_openat2) && defined(RESOLVE_BENEATH)
    open_how how{};
    how.flags = static_cast<uint64_t>(flags | O_CLOEXEC | O_NOCTTY);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    long fd;
    do {
        fd = ::syscall(SYS_openat2, dir, relative.c_str(), &how, sizeof how);
    } while (fd < 0 && errno == EINTR);
    return static_cast<int>(fd);
#else
    (void)dir, (void)relative, (void)flags;
    errno = ENOSYS;
    return -1;
#endif
}

bool writeAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = fileCalls.write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Gives a new file the permissions, and where this process may set them the owner and group,
// that it is to keep. Ownership goes first: changing it may clear mode bits.
int applyKeep(int fd, const FileKeep* like) {
    mode_t mode = kNewFileMode;
    if (like != nullptr && like->exists) {
        struct stat st {};
        if (fstat(fd, &st) == 0 && (st.st_uid != like->owner || st.st_gid != like->group)) {
            if (fchown(fd, like->owner, like->group) != 0 && errno == EPERM)
                (void)!fchown(fd, static_cast<uid_t>(-1), like->group); // a group of ours
        }
        mode = static_cast<mode_t>(like->mode & 07777);
    }
    return fchmod(fd, mode);
}

FileKeep keepOf(const struct stat& st) {
    FileKeep k;
    k.exists = true;
    k.readOnly = isReadOnly(st);
    k.mode = st.st_mode & 07777;
    k.owner = st.st_uid;
    k.group = st.st_gid;
    return k;
}

// Whether a file may be replaced by a new one: a regular file that is not read-only, or none.
uint32_t replaceable(bool exists, const struct stat& st) {
    if (!exists) return err::Success;
    return S_ISREG(st.st_mode) && !isReadOnly(st) ? err::Success : err::AccessDenied;
}

} // namespace

struct PosixFileSystem::Target {
    Fd dir;
    std::string name;  // the existing spelling, else the one asked for
    std::string asked; // as the caller spelled it
    bool exists = false;
    bool beneath = false; // on drive C, where no link is ever followed
    struct stat st {};
};

PosixFileSystem::PosixFileSystem(const std::string& root, bool useOpenat2)
    : root_(lexicalAbsolute(root)), useOpenat2_(useOpenat2) {
    driveC_ = root_ == "/" ? "/drive_c" : root_ + "/drive_c";
    std::error_code ec;
    auto canon = std::filesystem::weakly_canonical(driveC_, ec);
    driveCCanon_ = ec ? driveC_ : lexicalAbsolute(canon.string());
}

PosixFileSystem::Where PosixFileSystem::locate(std::string_view product,
                                               std::vector<std::string>& parts) const {
    parts.clear();
    char drive = 0;
    std::string_view rest = product;
    if (product.size() >= 2 && std::isalpha(static_cast<unsigned char>(product[0])) &&
        product[1] == ':') {
        drive = static_cast<char>(std::toupper(static_cast<unsigned char>(product[0])));
        rest = product.substr(2);
    } else if (product.size() >= 2 && isSep(product[0]) && isSep(product[1])) {
        return Where::Nowhere; // network paths have no host counterpart
    }
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
    if (drive == 'C') return Where::Beneath;
    if (drive != 'Z') return Where::Nowhere;
    // Drive C spelled through Z: is still drive C.
    const std::string host = joinHost({}, parts);
    for (const std::string* base : {&driveC_, &driveCCanon_}) {
        if (host == *base || host.compare(0, base->size() + 1, *base + "/") == 0) {
            std::vector<std::string> below;
            appendComponents(std::string_view(host).substr(base->size()), below);
            parts = std::move(below);
            return Where::Beneath;
        }
    }
    return Where::Outside;
}

std::string PosixFileSystem::mapPath(std::string_view product) const {
    std::vector<std::string> parts;
    switch (locate(product, parts)) {
    case Where::Beneath:
        return joinHost(driveC_, parts);
    case Where::Outside:
        return joinHost({}, parts);
    default:
        return {};
    }
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

// Drive C's folder is opened below the machine root without following a link; then each
// folder of the path, a missing spelling found ignoring case.
uint32_t PosixFileSystem::openFolder(Where where, const std::vector<std::string>& parts,
                                     size_t count, bool follow, int& out) const {
    out = -1;
    Fd dir;
    if (where == Where::Beneath) {
        follow = false;
        Fd root(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); // may be a link
        if (!root)
            return errno == ENOENT || errno == ENOTDIR ? err::PathNotFound : errorFromErrno(errno);
        dir.reset(openAt(root.get(), "drive_c", O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (!dir) return folderError(root.get(), "drive_c", errno, false);
    } else {
        dir.reset(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir) return errorFromErrno(errno);
    }
    if (where == Where::Beneath && count > 0 && useOpenat2_ && !openat2Refused) {
        std::string relative = parts[0];
        for (size_t i = 1; i < count; ++i)
            relative += "/" + parts[i];
        Fd whole(openBeneath(dir.get(), relative, O_RDONLY | O_DIRECTORY));
        if (whole) {
            out = whole.release();
            return err::Success;
        }
        if (errno == ELOOP || errno == EXDEV) return err::AccessDenied;
        if (errno == ENOSYS || errno == EPERM || errno == EINVAL || errno == E2BIG)
            openat2Refused = true;
        // Otherwise the walk finds another spelling, or says which folder is missing.
    }
    const int noFollow = follow ? 0 : O_NOFOLLOW;
    for (size_t i = 0; i < count; ++i) {
        const std::string name = findEntry(dir.get(), parts[i]);
        Fd next(openAt(dir.get(), name, O_RDONLY | O_DIRECTORY | noFollow));
        if (!next) return folderError(dir.get(), name, errno, follow);
        dir = std::move(next);
    }
    out = dir.release();
    return err::Success;
}

uint32_t PosixFileSystem::target(std::string_view path, bool follow, Target& t) const {
    std::vector<std::string> parts;
    const Where where = locate(path, parts);
    if (where == Where::Nowhere) return err::PathNotFound;
    t.beneath = where == Where::Beneath;
    follow = follow && !t.beneath;
    int dir = -1;
    const size_t folders = parts.empty() ? 0 : parts.size() - 1;
    if (uint32_t e = openFolder(where, parts, folders, follow, dir)) return e;
    t.dir.reset(dir);
    t.asked = parts.empty() ? "." : parts.back(); // the drive's own folder
    t.name = findEntry(dir, t.asked);
    if (fstatat(dir, t.name.c_str(), &t.st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0) {
        t.exists = true;
    } else if (errno != ENOENT) {
        return errno == ELOOP ? err::AccessDenied : errorFromErrno(errno);
    }
    return err::Success;
}

uint32_t PosixFileSystem::attributes(std::string_view path, uint32_t& error) const {
    Target t;
    error = target(path, true, t);
    if (error == err::Success && !t.exists) error = err::FileNotFound;
    if (error == err::Success && S_ISLNK(t.st.st_mode)) error = err::AccessDenied;
    if (error != err::Success) return fileattr::Invalid;
    uint32_t attr = 0;
    if (S_ISDIR(t.st.st_mode))
        attr |= fileattr::Directory;
    else if (!S_ISREG(t.st.st_mode))
        attr |= fileattr::Device;
    // Permission bits, not access(): a privileged process may write anything.
    if (isReadOnly(t.st)) attr |= fileattr::ReadOnly;
    return attr ? attr : fileattr::Normal;
}

// The folders above the new one are entered one by one without following symbolic links, so
// that a link planted in the path cannot place the new folder, and what is later written into
// it, somewhere else.
uint32_t PosixFileSystem::createDirectory(std::string_view path) {
    Target t;
    if (uint32_t e = target(path, false, t)) return e;
    if (t.exists) return S_ISLNK(t.st.st_mode) ? err::AccessDenied : err::AlreadyExists;
    if (mkdirat(t.dir.get(), t.name.c_str(), kNewFolderMode) == 0) {
        // The umask does not decide; a shared folder's set-group-id bit is kept.
        Fd made(openAt(t.dir.get(), t.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (made) setNewFolderMode(made.get(), kNewFolderMode);
        return err::Success;
    }
    if (errno == EEXIST)
        return isLink(t.dir.get(), t.name) ? err::AccessDenied : err::AlreadyExists;
    return errno == ENOENT || errno == ENOTDIR ? err::PathNotFound : errorFromErrno(errno);
}

// What is not a regular file is never opened: a pipe would block and a device never end. The
// file is looked at again once open, as it may have been swapped meanwhile.
uint32_t PosixFileSystem::readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                                   FileKeep* keep) const {
    Target t;
    if (uint32_t e = target(path, true, t)) return e;
    if (!t.exists) return err::FileNotFound;
    auto check = [&](const struct stat& st) {
        if (!S_ISREG(st.st_mode)) return err::AccessDenied;
        return static_cast<uint64_t>(st.st_size) > maxSize ? err::FileTooLarge : err::Success;
    };
    if (uint32_t e = check(t.st)) return e;
    Fd fd(openAt(t.dir.get(), t.name, O_RDONLY | O_NONBLOCK | (t.beneath ? O_NOFOLLOW : 0)));
    if (!fd) {
        if (errno == ENOENT) return err::FileNotFound;
        return errno == ELOOP ? err::AccessDenied : errorFromErrno(errno);
    }
    struct stat st {};
    if (uint32_t e = readRegularFile(fd.get(), maxSize, contents, st)) return e;
    if (keep != nullptr) *keep = keepOf(st);
    return err::Success;
}

uint32_t PosixFileSystem::writeFile(std::string_view path, std::string_view contents) {
    return replaceFile(path, contents, nullptr);
}

// Readers see the old file or the new one, never a part: the data goes to a temporary file
// beside the target, reaches the disk, and replaces the target in one rename. The new file
// keeps what `like` keeps, else what the file it replaces had.
uint32_t PosixFileSystem::replaceFile(std::string_view path, std::string_view contents,
                                      const FileKeep* like) {
    static std::atomic<unsigned> counter{0};
    Target t;
    if (uint32_t e = target(path, false, t)) return e;
    if (uint32_t e = replaceable(t.exists, t.st)) return e;
    const FileKeep old = t.exists ? keepOf(t.st) : FileKeep{};
    std::string tmp;
    Fd fd;
    for (int attempt = 0; !fd && attempt < 100; ++attempt) {
        tmp = "." + t.name + "." + std::to_string(getpid()) + "." + std::to_string(counter++) +
              ".tmp";
        fd.reset(openAt(t.dir.get(), tmp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
        if (!fd && errno != EEXIST) return errorFromErrno(errno);
    }
    if (!fd) return err::AlreadyExists;
    auto fail = [&](int e) {
        fd.reset();
        fileCalls.unlinkat(t.dir.get(), tmp.c_str(), 0);
        return errorFromErrno(e);
    };
    if (applyKeep(fd.get(), like != nullptr ? like : &old) != 0) return fail(errno);
    if (!writeAll(fd.get(), contents) || fileCalls.fsync(fd.get()) != 0) return fail(errno);
    if (fileCalls.close(fd.release()) != 0) return fail(errno);
    if (fileCalls.renameat(t.dir.get(), tmp.c_str(), t.dir.get(), t.name.c_str()) != 0)
        return fail(errno);
    fileCalls.fsync(t.dir.get()); // the rename itself is only durable once the folder is
    return err::Success;
}

// A stale scratch file, whatever its mode or owner, is removed rather than written to; the new
// one is created exclusively, so nothing put there meanwhile is written through.
uint32_t PosixFileSystem::writeScratchFile(std::string_view path, std::string_view contents,
                                           const FileKeep& like) {
    Target t;
    if (uint32_t e = target(path, false, t)) return e;
    if (t.exists && S_ISDIR(t.st.st_mode)) return err::AccessDenied;
    Fd fd;
    for (int attempt = 0; !fd && attempt < 8; ++attempt) {
        if (fileCalls.unlinkat(t.dir.get(), t.name.c_str(), 0) != 0 && errno != ENOENT)
            return errorFromErrno(errno);
        fd.reset(openAt(t.dir.get(), t.name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
        if (!fd && errno != EEXIST) return errorFromErrno(errno);
    }
    if (!fd) return err::AlreadyExists;
    int error = 0;
    if (applyKeep(fd.get(), &like) != 0 || !writeAll(fd.get(), contents) ||
        fileCalls.fsync(fd.get()) != 0)
        error = errno;
    if (fileCalls.close(fd.release()) != 0 && error == 0) error = errno;
    if (error == 0) return err::Success;
    fileCalls.unlinkat(t.dir.get(), t.name.c_str(), 0);
    return errorFromErrno(error);
}

uint32_t PosixFileSystem::deleteFile(std::string_view path) {
    Target t;
    if (uint32_t e = target(path, false, t)) return e;
    if (!t.exists) return err::FileNotFound;
    if (S_ISDIR(t.st.st_mode)) return err::AccessDenied;
    if (!S_ISLNK(t.st.st_mode) && isReadOnly(t.st)) return err::AccessDenied;
    if (fileCalls.unlinkat(t.dir.get(), t.name.c_str(), 0) != 0)
        return errno == ENOENT ? err::FileNotFound : errorFromErrno(errno);
    return err::Success;
}

uint32_t PosixFileSystem::renameFile(std::string_view from, std::string_view to) {
    Target src, dst;
    if (uint32_t e = target(from, false, src)) return e;
    if (!src.exists) return err::FileNotFound;
    if (uint32_t e = target(to, false, dst)) return e;
    struct stat srcDir {
    }, dstDir{};
    const bool sameFolder = fstat(src.dir.get(), &srcDir) == 0 &&
                            fstat(dst.dir.get(), &dstDir) == 0 && srcDir.st_dev == dstDir.st_dev &&
                            srcDir.st_ino == dstDir.st_ino;
    if (sameFolder && dst.name == src.name) {
        // Only the case differs: the new spelling is what the caller asked for.
        if (dst.asked == src.name) return err::Success;
        dst.name = dst.asked;
    } else if (!S_ISDIR(src.st.st_mode)) {
        if (uint32_t e = replaceable(dst.exists, dst.st)) return e;
    }
    if (fileCalls.renameat(src.dir.get(), src.name.c_str(), dst.dir.get(), dst.name.c_str()) == 0) {
        fileCalls.fsync(dst.dir.get());
        return err::Success;
    }
    if (errno == EXDEV && S_ISREG(src.st.st_mode)) {
        if (uint32_t e = copyFile(from, to)) return e;
        return fileCalls.unlinkat(src.dir.get(), src.name.c_str(), 0) == 0 ? err::Success
                                                                           : errorFromErrno(errno);
    }
    if (errno == ENOENT) return err::PathNotFound;
    if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) return err::AccessDenied;
    return errorFromErrno(errno);
}

uint32_t PosixFileSystem::copyFile(std::string_view from, std::string_view to) {
    std::string data;
    FileKeep keep;
    if (uint32_t e = readFile(from, data, kDefaultReadLimit, &keep)) return e;
    return replaceFile(to, data, &keep);
}

uint32_t PosixFileSystem::currentDirectory(std::string& out) const {
    std::string cwd = currentHostDirectory();
    if (cwd.empty()) return errorFromErrno(errno);
    out = productPath(cwd);
    return err::Success;
}

} // namespace lntc
