#include "platform/posix/posix_sections.h"

#include "platform/errors.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
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
constexpr mode_t kObjectMode = 0660;

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

// Opens (creating when missing) a lock file with fixed permissions whatever the umask.
int openLockFile(const std::string& path, uint32_t& error) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kObjectMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errorFromErrno(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && (st.st_mode & 07777) != kObjectMode && st.st_uid == geteuid())
        fchmod(fd, kObjectMode);
    error = err::Success;
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

class PosixSection : public Section {
  public:
    PosixSection(int lockFd, int shmFd, size_t size, std::string shmName, bool fillLocked)
        : lockFd_(lockFd), shmFd_(shmFd), size_(size), shmName_(std::move(shmName)),
          fillLocked_(fillLocked) {}

    ~PosixSection() override {
        {
            GuardLock guard(lockFd_);
            unlockByte(lockFd_, kFillByte);
            unlockByte(lockFd_, kHolderByte);
            if (guard.held() && lockByte(lockFd_, kHolderByte, F_WRLCK, false)) {
                // Last one out: nobody can attach meanwhile, they wait for the guard.
                shm_unlink(shmName_.c_str());
                writeFilled(lockFd_, false);
                unlockByte(lockFd_, kHolderByte);
            }
        }
        ::close(shmFd_);
        ::close(lockFd_);
    }

    size_t size() const override { return size_; }

    void* mapView(bool writable, uint32_t& error) override {
        int prot = writable ? PROT_READ | PROT_WRITE : PROT_READ;
        void* p = mmap(nullptr, size_, prot, MAP_SHARED, shmFd_, 0);
        if (p == MAP_FAILED) {
            error = errorFromErrno(errno);
            return nullptr;
        }
        error = err::Success;
        return p;
    }

    void unmapView(void* view) override {
        if (view) munmap(view, size_);
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

  private:
    int lockFd_;
    int shmFd_;
    size_t size_;
    std::string shmName_;
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

} // namespace

PosixSections::PosixSections(const std::string& root)
    : runDir_(root + "/run"), prefix_("/lnt." + rootHash(root) + ".") {}

std::string PosixSections::shmName(const std::string& name) const {
    return prefix_ + sanitize(name);
}

std::string PosixSections::lockPath(const std::string& name) const {
    return runDir_ + "/" + sanitize(name) + ".lock";
}

std::string PosixSections::eventLockPath(const std::string& name) const {
    return runDir_ + "/" + sanitize(name) + ".event.lock";
}

uint32_t PosixSections::ensureRunDir() const {
    if (mkdir(runDir_.c_str(), 0770) == 0) {
        chmod(runDir_.c_str(), 0770);
        return err::Success;
    }
    if (errno == EEXIST) return err::Success;
    return errno == ENOENT ? err::PathNotFound : errorFromErrno(errno);
}

uint32_t PosixSections::open(const std::string& name, size_t size, std::unique_ptr<Section>& out,
                             bool& created) {
    out.reset();
    created = false;
    if (name.empty() || size == 0) return err::InvalidParameter;
    if (uint32_t e = ensureRunDir()) return e;
    uint32_t error = 0;
    int lockFd = openLockFile(lockPath(name), error);
    if (lockFd < 0) return error;

    std::string object = shmName(name);
    int shmFd = -1;
    size_t actual = size;
    bool fresh = false;
    {
        GuardLock guard(lockFd);
        if (!guard.held()) {
            error = errorFromErrno(errno);
        } else if (lockByte(lockFd, kHolderByte, F_WRLCK, false)) {
            // No holder: whatever object exists was left by processes that are gone.
            shm_unlink(object.c_str());
            shmFd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kObjectMode);
            if (shmFd < 0 || fchmod(shmFd, kObjectMode) != 0 ||
                ftruncate(shmFd, static_cast<off_t>(size)) != 0 ||
                !lockByte(lockFd, kFillByte, F_WRLCK, false)) {
                error = errorFromErrno(errno);
                if (shmFd >= 0) {
                    ::close(shmFd);
                    shmFd = -1;
                    shm_unlink(object.c_str());
                }
                unlockByte(lockFd, kFillByte);
                unlockByte(lockFd, kHolderByte);
            } else {
                writeFilled(lockFd, false);
                lockByte(lockFd, kHolderByte, F_RDLCK, false); // downgrade: now one holder
                fresh = true;
            }
        } else {
            shmFd = shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
            struct stat st {};
            if (shmFd < 0 || fstat(shmFd, &st) != 0 ||
                !lockByte(lockFd, kHolderByte, F_RDLCK, false)) {
                error = errorFromErrno(errno);
                if (shmFd >= 0) ::close(shmFd);
                shmFd = -1;
            } else {
                // The first creator decided the size; a larger request cannot be mapped.
                actual = static_cast<size_t>(st.st_size);
                if (actual < size) {
                    error = err::AccessDenied;
                    unlockByte(lockFd, kHolderByte);
                    ::close(shmFd);
                    shmFd = -1;
                }
            }
        }
    }
    if (shmFd < 0) {
        ::close(lockFd);
        return error ? error : err::InvalidFunction;
    }
    out = std::make_unique<PosixSection>(lockFd, shmFd, actual, object, fresh);
    created = fresh;
    return err::Success;
}

uint32_t PosixSections::openEvent(const std::string& name, std::unique_ptr<Event>& out,
                                  bool& created) {
    out.reset();
    created = false;
    if (name.empty()) return err::InvalidParameter;
    if (uint32_t e = ensureRunDir()) return e;
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
