// The writer's system calls on Windows. There are no modes: a new file takes the access of the
// folder it lies in. The new file replaces the old one by a move that the system carries out
// whole, written through to the disk. Paths are in the system's single-byte code page, as the C
// library's calls of the portable writer take them.
#ifdef _WIN32
#include "library/admin/output_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace lntc {

namespace {

int makeTemporary(char* pattern, int flags) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const size_t length = std::char_traits<char>::length(pattern);
    if (length < 6) {
        errno = EINVAL;
        return -1;
    }
    char* x = pattern + length - 6;
    unsigned long long seed = GetTickCount64() ^ (uint64_t(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL + uintptr_t(&seed);
        for (int i = 0; i < 6; ++i)
            x[i] = kLetters[(seed >> (8 * i + 16)) % 36];
        int fd = -1;
        const errno_t rc = _sopen_s(&fd, pattern, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | flags,
                                    _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (rc == 0) return fd;
        if (rc != EEXIST) {
            errno = rc;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

int setMode(int, mode_t) {
    return 0;
}

ssize_t writeSome(int fd, const void* data, size_t size) {
    const unsigned int chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned int>(size);
    return _write(fd, data, chunk);
}

int replace(const char* from, const char* to) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    const DWORD error = GetLastError();
    errno = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
            : error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? ENOENT
            : error == ERROR_DISK_FULL                                       ? ENOSPC
                                                                             : EIO;
    return -1;
}

} // namespace

const OutputCalls& SystemOutputCalls() {
    static const OutputCalls calls{makeTemporary, setMode, writeSome, _commit, _close, replace};
    return calls;
}

} // namespace lntc
#endif
