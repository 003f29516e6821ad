// lntc log: the machine root's error log, its last lines and what is added to it.
#include "commands.h"
#include "common/admin_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tool {

namespace {

// Where the product's processes of this root append their errors.
constexpr const char* kErrorLog = "/log/error.log";
constexpr unsigned long kMaxLines = 1000000;
constexpr off_t kBlock = 65536;

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

bool writeAll(const char* data, size_t size) {
    return std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0;
}

// Where the last `lines` lines of the first `end` bytes start, read backwards block by block.
off_t startOfLastLines(int fd, off_t end, unsigned long lines) {
    if (lines == 0) return end;
    std::string block;
    off_t at = end;
    unsigned long seen = 0;
    while (at > 0) {
        const off_t from = at > kBlock ? at - kBlock : 0;
        block.resize(static_cast<size_t>(at - from));
        if (pread(fd, block.data(), block.size(), from) != static_cast<ssize_t>(block.size()))
            return from;
        for (size_t i = block.size(); i-- > 0;) {
            if (block[i] != '\n') continue;
            // The final newline ends the last line; it starts none.
            if (from + static_cast<off_t>(i) == end - 1) continue;
            if (++seen == lines) return from + static_cast<off_t>(i) + 1;
        }
        at = from;
    }
    return 0;
}

// Copies the log from `from` to its end; false when standard output is gone.
bool copyFrom(int fd, off_t& from) {
    char buf[kBlock];
    for (;;) {
        const ssize_t n = pread(fd, buf, sizeof buf, from);
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
    off_t at = 0;
    if (fd >= 0) {
        struct stat st {};
        fstat(fd, &st);
        at = startOfLastLines(fd, st.st_size, lines);
        if (!copyFrom(fd, at)) return 1;
    }
    // Followed by polling, which needs neither the terminal nor a signal of its own: an
    // interrupt ends the process as it would any other.
    while (follow) {
        usleep(250000);
        struct stat now {};
        if (fd >= 0 && fstat(fd, &now) == 0 && now.st_size < at) at = 0; // cut short: anew
        // Replaced (rotated) or created since: the file now at the path, from its start.
        struct stat named {};
        if (lstat(path.c_str(), &named) == 0 && (fd < 0 || named.st_ino != now.st_ino)) {
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
