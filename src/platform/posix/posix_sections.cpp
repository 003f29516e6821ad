#include "platform/posix/posix_sections.h"

#include "platform/errors.h"
#include "platform/posix/trusted_files.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lntc {

namespace {

// Byte ranges of the lock file. Open-file-description locks belong to the open file, not
// to the process, so two handles in one process contend like two processes would.
constexpr off_t kGuardByte = 0;
constexpr off_t kHolderByte = 1;
constexpr off_t kFillByte = 2;
constexpr off_t kFilledMarker = 16;
constexpr off_t kTokenAt = 32;
constexpr size_t kTokenLength = 16;
constexpr mode_t kObjectMode = 0660;
constexpr mode_t kRunDirMode = 0750;

bool lockByte(int fd, off_t byte, short type, bool wait) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    for (;;) {
        if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
        if (errno != EINTR) return false;
    }
}

void unlockByte(int fd, off_t byte) {
    lockByte(fd, byte, F_UNLCK, false);
}

// Holds the guard byte for the scope: open and close decisions are made one at a time.
class GuardLock {
  public:
    explicit GuardLock(int fd) : fd_(fd), held_(lockByte(fd, kGuardByte, F_WRLCK, true)) {}
    ~GuardLock() {
        if (held_) unlockByte(fd_, kGuardByte);
    }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;
    bool held() const { return held_; }

  private:
    int fd_;
    bool held_;
};

bool readFilled(int fd) {
    char c = 0;
    return pread(fd, &c, 1, kFilledMarker) == 1 && c == 1;
}

void writeFilled(int fd, bool filled) {
    char c = filled ? 1 : 0;
    while (pwrite(fd, &c, 1, kFilledMarker) < 0 && errno == EINTR) {
    }
}

bool validToken(const std::string& token) {
    if (token.size() != kTokenLength) return false;
    for (char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// The token of the unit's objects as its creator wrote it; empty when there is none.
std::string readToken(int fd) {
    char buf[kTokenLength] = {};
    if (pread(fd, buf, sizeof buf, kTokenAt) != static_cast<ssize_t>(sizeof buf)) return {};
    std::string token(buf, sizeof buf);
    return validToken(token) ? token : std::string();
}

bool writeToken(int fd, const std::string& token) {
    return pwrite(fd, token.data(), token.size(), kTokenAt) == static_cast<ssize_t>(token.size());
}

std::string randomToken() {
    uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        // No entropy source: still distinct per creation, though guessable.
        bits = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(getpid()) << 32);
    }
    char buf[kTokenLength + 1];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(bits));
    return buf;
}

int openLockFile(const std::string& path, uint32_t& error) {
    int fd = -1;
    error = openTrustedFile(path, O_RDWR | O_CREAT, kObjectMode, fd);
    return fd;
}

// Keeps short names readable and makes every name a single valid path component.
std::string sanitize(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (unsigned char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '.';
        out.push_back(ok ? static_cast<char>(c) : '_');
    }
    if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
    return out;
}

std::string rootHash(const std::string& root) {
    std::error_code ec;
    std::filesystem::path canon = std::filesystem::weakly_canonical(root, ec);
    std::string key = ec ? root : canon.string();
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : key) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%012llx",
                  static_cast<unsigned long long>(h & 0xffffffffffffull));
    return buf;
}

// An object found under a unit's name must be one that a process of this installation made:
// a plain object, not open to others, of the expected size.
bool trustworthy(const struct stat& st, const struct stat& lock, size_t size) {
    bool owner = st.st_uid == geteuid() || st.st_uid == 0 || st.st_uid == lock.st_uid ||
                 st.st_gid == lock.st_gid;
    return S_ISREG(st.st_mode) && owner && (st.st_mode & 0007) == 0 &&
           static_cast<size_t>(st.st_size) >= size;
}

struct Part {
    int fd = -1;
    size_t size = 0;
    std::string object;
};

class PosixSection : public Section {
  public:
    PosixSection(int lockFd, std::vector<Part> parts, bool fillLocked)
        : lockFd_(lockFd), parts_(std::move(parts)), fillLocked_(fillLocked) {}

    ~PosixSection() override {
        {
            GuardLock guard(lockFd_);
            unlockByte(lockFd_, kFillByte);
            unlockByte(lockFd_, kHolderByte);
            if (guard.held() && lockByte(lockFd_, kHolderByte, F_WRLCK, false)) {
                // Last one out: nobody can attach meanwhile, they wait for the guard. Every
                // part goes at once, so no process meets one part without the others.
                for (const Part& p : parts_)
                    shm_unlink(p.object.c_str());
                writeFilled(lockFd_, false);
                unlockByte(lockFd_, kHolderByte);
            }
        }
        for (const Part& p : parts_)
            ::close(p.fd);
        ::close(lockFd_);
    }

    size_t partSize(size_t part) const override {
        return part < parts_.size() ? parts_[part].size : 0;
    }

    void* mapPart(size_t part, bool writable, uint32_t& error) override {
        if (part >= parts_.size()) {
            error = err::InvalidParameter;
            return nullptr;
        }
        int prot = writable ? PROT_READ | PROT_WRITE : PROT_READ;
        void* p = mmap(nullptr, parts_[part].size, prot, MAP_SHARED, parts_[part].fd, 0);
        if (p == MAP_FAILED) {
            error = errorFromErrno(errno);
            return nullptr;
        }
        error = err::Success;
        return p;
    }

    void unmapPart(size_t part, void* view) override {
        if (view && part < parts_.size()) munmap(view, parts_[part].size);
    }

    FillState waitFilled(std::chrono::milliseconds timeout) override {
        // Taking a shared lock on our own exclusive one would silently downgrade it.
        if (fillLocked_) return FillState::MustFill;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            if (lockByte(lockFd_, kFillByte, F_RDLCK, false)) {
                bool filled = readFilled(lockFd_);
                unlockByte(lockFd_, kFillByte);
                if (filled) return FillState::Filled;
                // The filler died unfinished. Other waiters may be at the same point: only
                // the one that wins the exclusive lock refills, the rest keep waiting.
                GuardLock guard(lockFd_);
                if (guard.held() && lockByte(lockFd_, kFillByte, F_WRLCK, false)) {
                    if (readFilled(lockFd_)) {
                        unlockByte(lockFd_, kFillByte);
                        return FillState::Filled;
                    }
                    fillLocked_ = true;
                    return FillState::MustFill;
                }
            }
            auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return FillState::StillFilling;
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
        }
    }

    void markFilled() override {
        writeFilled(lockFd_, true);
        unlockByte(lockFd_, kFillByte);
        fillLocked_ = false;
    }

    bool heldElsewhere() override {
        // Under the guard nobody opens or closes; our shared holder lock becomes exclusive
        // only when no other handle shares it, and goes back at once.
        GuardLock guard(lockFd_);
        if (!guard.held() || !lockByte(lockFd_, kHolderByte, F_WRLCK, false)) return true;
        lockByte(lockFd_, kHolderByte, F_RDLCK, false);
        return false;
    }

  private:
    int lockFd_;
    std::vector<Part> parts_;
    bool fillLocked_;
};

class PosixEvent : public Sections::Event {
  public:
    explicit PosixEvent(int fd) : fd_(fd) {}
    // Closing the descriptor drops the holder lock; nothing else is left behind.
    ~PosixEvent() override { ::close(fd_); }

  private:
    int fd_;
};

void closeParts(std::vector<Part>& parts, bool unlink) {
    for (Part& p : parts) {
        if (p.fd >= 0) ::close(p.fd);
        if (unlink && p.fd >= 0) shm_unlink(p.object.c_str());
        p.fd = -1;
    }
}

} // namespace

std::string machineRunDir(const std::string& root) {
    std::string run = root + "/run";
    if (ensureTrustedDir(run, kRunDirMode) == 0 && ::access(run.c_str(), W_OK) == 0) return run;
    // The root cannot hold lock files: processes of this user share a private folder instead.
    const char* runtime = secure_getenv("XDG_RUNTIME_DIR");
    std::string base = runtime && *runtime == '/' ? runtime : "/tmp";
    std::string own = base + "/lintora-" + std::to_string(geteuid()) + "." + rootHash(root);
    if (ensureTrustedDir(own, 0700) == 0) return own;
    return run; // neither works: opening a section will say why
}

PosixSections::PosixSections(const std::string& root)
    : runDir_(machineRunDir(root)), prefix_("/lnt." + rootHash(root) + ".") {}

std::string PosixSections::objectName(const std::string& token, const std::string& part) const {
    return prefix_ + token + "." + sanitize(part);
}

std::string PosixSections::shmName(const std::string& unit, const std::string& part) const {
    int fd = ::open(lockPath(unit).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {};
    std::string token = readToken(fd);
    ::close(fd);
    return token.empty() ? std::string() : objectName(token, part.empty() ? unit : part);
}

std::string PosixSections::lockPath(const std::string& name) const {
    return runDir_ + "/" + sanitize(name) + ".lock";
}

std::string PosixSections::eventLockPath(const std::string& name) const {
    return runDir_ + "/" + sanitize(name) + ".event.lock";
}

uint32_t PosixSections::openUnit(const std::vector<SectionPart>& specs,
                                 std::unique_ptr<Section>& out, bool& created, size_t* failedPart) {
    out.reset();
    created = false;
    if (failedPart) *failedPart = 0;
    if (specs.empty()) return err::InvalidParameter;
    for (const SectionPart& p : specs)
        if (p.name.empty() || p.size == 0) return err::InvalidParameter;
    if (uint32_t e = ensureTrustedDir(runDir_, kRunDirMode)) return e;
    uint32_t error = 0;
    int lockFd = openLockFile(lockPath(specs[0].name), error);
    if (lockFd < 0) return error;

    std::vector<Part> parts(specs.size());
    size_t failed = 0;
    bool fresh = false;
    {
        GuardLock guard(lockFd);
        struct stat lockSt {};
        if (!guard.held() || fstat(lockFd, &lockSt) != 0) {
            error = errorFromErrno(errno);
        } else if (lockByte(lockFd, kHolderByte, F_WRLCK, false)) {
            // No holder: whatever objects exist were left by processes that are gone.
            if (std::string old = readToken(lockFd); !old.empty())
                for (const SectionPart& p : specs)
                    shm_unlink(objectName(old, p.name).c_str());
            // A name nobody could know beforehand; a clash with a planted object only costs a
            // new draw.
            for (int attempt = 0; attempt < 8; ++attempt) {
                std::string token = randomToken();
                error = 0;
                for (failed = 0; failed < specs.size(); ++failed) {
                    Part& p = parts[failed];
                    p.object = objectName(token, specs[failed].name);
                    p.size = specs[failed].size;
                    p.fd = shm_open(p.object.c_str(), O_RDWR | O_CREAT | O_EXCL, kObjectMode);
                    if (p.fd < 0 || fchmod(p.fd, kObjectMode) != 0 ||
                        ftruncate(p.fd, static_cast<off_t>(p.size)) != 0) {
                        error = errorFromErrno(errno);
                        if (p.fd >= 0) {
                            ::close(p.fd);
                            shm_unlink(p.object.c_str());
                            p.fd = -1;
                        }
                        break;
                    }
                }
                if (error == 0) {
                    if (!writeToken(lockFd, token) || !lockByte(lockFd, kFillByte, F_WRLCK, false))
                        error = errorFromErrno(errno ? errno : EIO);
                    break;
                }
                closeParts(parts, true);
                if (error != err::AlreadyExists) break;
            }
            if (error == 0) {
                writeFilled(lockFd, false);
                lockByte(lockFd, kHolderByte, F_RDLCK, false); // downgrade: now one holder
                fresh = true;
            } else {
                closeParts(parts, true);
                unlockByte(lockFd, kFillByte);
                unlockByte(lockFd, kHolderByte);
            }
        } else {
            std::string token = readToken(lockFd);
            if (token.empty()) error = err::InvalidData;
            for (failed = 0; error == 0 && failed < specs.size(); ++failed) {
                Part& p = parts[failed];
                p.object = objectName(token, specs[failed].name);
                p.fd = shm_open(p.object.c_str(), O_RDWR, 0);
                struct stat st {};
                if (p.fd < 0 || fstat(p.fd, &st) != 0) {
                    error = errorFromErrno(errno);
                    break;
                }
                // The first creator decided the size; a larger request cannot be mapped.
                if (!trustworthy(st, lockSt, specs[failed].size)) {
                    error = static_cast<size_t>(st.st_size) < specs[failed].size
                                ? err::AccessDenied
                                : err::InvalidOwner;
                    break;
                }
                p.size = static_cast<size_t>(st.st_size);
            }
            if (error == 0 && !lockByte(lockFd, kHolderByte, F_RDLCK, false))
                error = errorFromErrno(errno);
            if (error) closeParts(parts, false);
        }
    }
    if (error) {
        ::close(lockFd);
        if (failedPart) *failedPart = failed < specs.size() ? failed : 0;
        return error;
    }
    out = std::make_unique<PosixSection>(lockFd, std::move(parts), fresh);
    created = fresh;
    return err::Success;
}

uint32_t PosixSections::openEvent(const std::string& name, std::unique_ptr<Event>& out,
                                  bool& created) {
    out.reset();
    created = false;
    if (name.empty()) return err::InvalidParameter;
    if (uint32_t e = ensureTrustedDir(runDir_, kRunDirMode)) return e;
    uint32_t error = 0;
    int fd = openLockFile(eventLockPath(name), error);
    if (fd < 0) return error;
    {
        GuardLock guard(fd);
        if (!guard.held()) {
            error = errorFromErrno(errno);
        } else {
            created = lockByte(fd, kHolderByte, F_WRLCK, false);
            if (!lockByte(fd, kHolderByte, F_RDLCK, false)) error = errorFromErrno(errno);
        }
    }
    if (error) {
        created = false;
        ::close(fd);
        return error;
    }
    out = std::make_unique<PosixEvent>(fd);
    return err::Success;
}

} // namespace lntc
