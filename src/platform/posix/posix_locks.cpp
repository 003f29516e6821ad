#include "platform/posix/posix_locks.h"

#include "platform/errors.h"
#include "platform/posix/posix_sections.h"
#include "platform/posix/trusted_files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace lntc {

namespace {

// Members of the installation's group may read it: flock() needs no more than that.
constexpr mode_t kLockFileMode = 0640;

class FlockHeld : public FileLocks::Held {
  public:
    explicit FlockHeld(int fd) : fd_(fd) {}
    ~FlockHeld() override { ::close(fd_); } // closing lets go
    FlockHeld(const FlockHeld&) = delete;
    FlockHeld& operator=(const FlockHeld&) = delete;

  private:
    int fd_;
};

bool validName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

// The lock file in run/, as the package or an earlier process made it. Where run/ cannot be
// written, an existing one is opened for reading; only a missing one in a folder this process
// cannot write sends it to the private folder, shared with its own user's processes only.
uint32_t openLockFile(const std::string& root, const std::string& file, int& fd) {
    fd = -1;
    const std::string run = root + "/run";
    const int flags = O_NONBLOCK;
    if (ensureTrustedDir(run, 0750) == err::Success) {
        const std::string path = run + "/" + file;
        const bool writable = ::access(run.c_str(), W_OK) == 0;
        uint32_t e = err::AccessDenied;
        if (writable) e = openTrustedFile(path, flags | O_RDWR | O_CREAT, kLockFileMode, fd);
        // Another user's lock file that this one may only read; the same checks apply.
        if (e == err::AccessDenied) e = openTrustedFile(path, flags | O_RDONLY, 0, fd);
        if (e != err::FileNotFound || writable) return e;
    }
    const std::string own = machineRunDir(root);
    if (own == run) return err::PathNotFound;
    return openTrustedFile(own + "/" + file, flags | O_RDWR | O_CREAT, 0600, fd);
}

} // namespace

PosixFileLocks::PosixFileLocks(const std::string& root) : root_(root) {}

std::string PosixFileLocks::lockPath(const std::string& name) const {
    return root_ + "/run/" + name + ".lock";
}

// Never waits without end: the holder may be a process that hangs.
uint32_t PosixFileLocks::acquire(const std::string& name, std::chrono::milliseconds wait,
                                 std::unique_ptr<Held>& out) {
    out.reset();
    if (!validName(name)) return err::InvalidName;
    int fd = -1;
    if (uint32_t e = openLockFile(root_, name + ".lock", fd)) return e;
    auto held = std::make_unique<FlockHeld>(fd);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            out = std::move(held);
            return err::Success;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errorFromErrno(errno);
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return err::LockViolation;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

} // namespace lntc
