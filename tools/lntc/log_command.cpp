// lntc log: the machine root's error log, its last lines and what is added to it.
#include "commands.h"
#include "common/admin_text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace tool {

namespace {

// Where the product's processes of this root append their errors.
constexpr const char* kErrorLog = "/log/error.log";
constexpr unsigned long kMaxLines = 1000000;
using Offset = std::int64_t;
constexpr Offset kBlock = 65536;

#ifdef _WIN32
// The log through a handle of the system's, its descriptor the C runtime's; a link is opened as
// itself and then refused. The file's index tells a replaced log, as the inode does on Linux (its
// creation time would not: Windows gives a file made under a name just freed the old one's).
HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool indexOf(HANDLE h, uint64_t& index, Offset* size = nullptr) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    index = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    if (size != nullptr) *size = Offset{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    return (info.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

HANDLE openAt(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

int openLog(const std::string& path) {
    const HANDLE h = openAt(path);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return -1;
    }
    uint64_t index = 0;
    const int fd =
        indexOf(h, index) ? _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY) : -1;
    if (fd < 0) {
        CloseHandle(h);
        errno = EINVAL;
    }
    return fd;
}

Offset sizeOf(int fd) {
    uint64_t index = 0;
    Offset size = 0;
    return indexOf(handleOf(fd), index, &size) ? size : 0;
}

// Whether a file lies at path that is not the one open (fd -1: none is).
bool replacedAt(int fd, const std::string& path) {
    const HANDLE h = openAt(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    uint64_t named = 0, open = 0;
    const bool known = indexOf(h, named);
    CloseHandle(h);
    return known && (fd < 0 || !indexOf(handleOf(fd), open) || named != open);
}

long readAt(int fd, char* buffer, size_t size, Offset at) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (ReadFile(handleOf(fd), buffer, static_cast<DWORD>(size), &got, &where)) return got;
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}
#else
// The log, never through a link; -1 with errno when it cannot be opened.
int openLog(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

Offset sizeOf(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? st.st_size : 0;
}

// Whether a file lies at path that is not the one open (fd -1: none is).
bool replacedAt(int fd, const std::string& path) {
    struct stat named {};
    struct stat open {};
    return lstat(path.c_str(), &named) == 0 &&
           (fd < 0 || fstat(fd, &open) != 0 || named.st_ino != open.st_ino);
}

long readAt(int fd, char* buffer, size_t size, Offset at) {
    return pread(fd, buffer, size, at);
}
#endif

bool writeAll(const char* data, size_t size) {
    return std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0;
}

// Where the last `lines` lines of the first `end` bytes start, read backwards block by block.
Offset startOfLastLines(int fd, Offset end, unsigned long lines) {
    if (lines == 0) return end;
    std::string block;
    Offset at = end;
    unsigned long seen = 0;
    while (at > 0) {
        const Offset from = at > kBlock ? at - kBlock : 0;
        block.resize(static_cast<size_t>(at - from));
        if (readAt(fd, block.data(), block.size(), from) != static_cast<long>(block.size()))
            return from;
        for (size_t i = block.size(); i-- > 0;) {
            if (block[i] != '\n') continue;
            // The final newline ends the last line; it starts none.
            if (from + static_cast<Offset>(i) == end - 1) continue;
            if (++seen == lines) return from + static_cast<Offset>(i) + 1;
        }
        at = from;
    }
    return 0;
}

// Copies the log from `from` to its end; false when standard output is gone.
bool copyFrom(int fd, Offset& from) {
    char buf[kBlock];
    for (;;) {
        const long n = readAt(fd, buf, sizeof buf, from);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        if (!writeAll(buf, static_cast<size_t>(n))) return false;
        from += n;
    }
}

} // namespace

int cmdLog(const Args& args) {
    bool follow = false;
    unsigned long lines = 20;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-f") {
            follow = true;
        } else if (args[i] == "-n" && i + 1 < args.size()) {
            const std::string& n = args[++i];
            char* end = nullptr;
            errno = 0;
            lines = std::strtoul(n.c_str(), &end, 10);
            if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || errno != 0 ||
                lines > kMaxLines)
                return usageError("-n takes a number of lines from 0 to " +
                                  std::to_string(kMaxLines));
        } else {
            return usageError();
        }
    }
    const std::string path = machineRoot() + kErrorLog;
    int fd = openLog(path);
    if (fd < 0 && !(errno == ENOENT && follow)) {
        if (errno == ENOENT) {
            std::fprintf(stderr, "lntc: nothing has been logged: there is no %s\n",
                         quote(path).c_str());
            return 0;
        }
        std::fprintf(stderr, "lntc: cannot read %s: %s\n", quote(path).c_str(),
                     std::strerror(errno));
        return 1;
    }
    Offset at = 0;
    if (fd >= 0) {
        at = startOfLastLines(fd, sizeOf(fd), lines);
        if (!copyFrom(fd, at)) return 1;
    }
    // Followed by polling, which needs neither the terminal nor a signal of its own: an
    // interrupt ends the process as it would any other.
    while (follow) {
        usleep(250000);
        if (fd >= 0 && sizeOf(fd) < at) at = 0; // cut short: anew
        // Replaced (rotated) or created since: the file now at the path, from its start.
        if (replacedAt(fd, path)) {
            if (const int next = openLog(path); next >= 0) {
                if (fd >= 0 && !copyFrom(fd, at)) return 1;
                if (fd >= 0) close(fd);
                fd = next;
                at = 0;
            }
        }
        if (fd >= 0 && !copyFrom(fd, at)) return 1;
    }
    if (fd >= 0) close(fd);
    return 0;
}

} // namespace tool
