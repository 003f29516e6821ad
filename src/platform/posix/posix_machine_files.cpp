#include "platform/posix/posix_machine_files.h"

#include "platform/errors.h"
#include "platform/posix/trusted_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lntc {

namespace {

// Closes the descriptor on every way out.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

std::string PosixMachineFiles::hostPath(std::string_view name) const {
    return root_ + "/" + std::string(name);
}

uint32_t PosixMachineFiles::append(std::string_view name, std::string_view text) {
    const std::string path = hostPath(name);
    const size_t slash = path.rfind('/');
    if (uint32_t e = ensureTrustedDir(path.substr(0, slash), 0750)) return e;
    Fd f;
    if (uint32_t e = openTrustedFile(path, O_WRONLY | O_APPEND | O_CREAT, 0640, f.fd)) return e;
    // One write: O_APPEND then keeps what concurrent processes append whole.
    ssize_t n;
    do {
        n = ::write(f.fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return errorFromErrno(errno);
    return static_cast<size_t>(n) == text.size() ? err::Success : err::DiskFull;
}

uint32_t PosixMachineFiles::read(std::string_view name, std::string& contents,
                                 uint64_t maxSize) const {
    Fd f;
    // Without blocking: a pipe planted in the file's place must not hang the reader.
    if (uint32_t e = openTrustedFile(hostPath(name), O_RDONLY | O_NONBLOCK, 0, f.fd)) return e;
    struct stat st {};
    return readRegularFile(f.fd, maxSize, contents, st);
}

} // namespace lntc
