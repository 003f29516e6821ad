#include "library/admin/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lntc {

#ifdef _WIN32
// Handles are kept from child processes as close-on-exec keeps them on POSIX.
constexpr int kOpenFlags = O_WRONLY | O_BINARY | O_NOINHERIT;
constexpr int kTemporaryFlags = O_NOINHERIT;
#else
constexpr int kOpenFlags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
constexpr int kTemporaryFlags = O_CLOEXEC;

const OutputCalls& SystemOutputCalls() {
    static const OutputCalls calls{::mkostemp, ::fchmod, ::write, ::fsync, ::close, ::rename};
    return calls;
}
#endif

OutputFile::~OutputFile() {
    if (fd_ >= 0 && fd_ != STDOUT_FILENO) calls_.close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputFile::fail(int error, std::string& why) {
    why = std::strerror(error);
    return false;
}

bool OutputFile::open(const std::string& path, mode_t mode, Devices devices, std::string& why) {
    path_ = path;
    if (devices == Devices::WriteThrough && path == "-") {
        fd_ = STDOUT_FILENO;
        return true;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return fail(EISDIR, why);
        if (!S_ISREG(st.st_mode) && devices == Devices::WriteThrough) {
            fd_ = ::open(path.c_str(), kOpenFlags);
            return fd_ >= 0 || fail(errno, why);
        }
    }
    std::string temporary = path + ".XXXXXX";
    fd_ = calls_.makeTemporary(temporary.data(), kTemporaryFlags);
    if (fd_ < 0) return fail(errno, why);
    temporary_ = temporary;
    return calls_.setMode(fd_, mode) == 0 || fail(errno, why);
}

bool OutputFile::write(std::string_view data, std::string& why) {
    if (fd_ < 0) return fail(EBADF, why);
    if (fd_ == STDOUT_FILENO) std::fflush(stdout);
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = calls_.write(fd_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(n < 0 ? errno : EIO, why);
        done += static_cast<size_t>(n);
    }
    if (temporary_.empty()) return true;
    // On the disk before it takes the old file's name, or a crash could leave an empty file.
    if (calls_.flush(fd_) != 0) return fail(errno, why);
    const int fd = fd_;
    fd_ = -1;
    if (calls_.close(fd) != 0) return fail(errno, why);
    if (calls_.rename(temporary_.c_str(), path_.c_str()) != 0) return fail(errno, why);
    temporary_.clear();
    return true;
}

bool WriteWholeFile(const std::string& path, std::string_view data, mode_t mode,
                    OutputFile::Devices devices, std::string& why) {
    OutputFile out;
    return out.open(path, mode, devices, why) && out.write(data, why);
}

} // namespace lntc
