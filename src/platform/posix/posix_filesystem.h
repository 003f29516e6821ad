// The product's drive-letter paths mapped onto the host: C: is <root>/drive_c, Z: is /.
#pragma once
#include "platform/filesystem.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace lntc {

// The calls by which the file system makes, writes, flushes and replaces files: one table for
// the process, which a test may swap to count them or make one of them fail.
struct FileCalls {
    int (*openat)(int dir, const char* name, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*renameat)(int fromDir, const char* from, int toDir, const char* to);
    int (*unlinkat)(int dir, const char* name, int flags);
};
extern FileCalls fileCalls;

// Everything on drive C lies beneath the machine root and is reached without following a
// symbolic link (the machine root itself may be one): by one openat2() with RESOLVE_BENEATH
// and RESOLVE_NO_SYMLINKS where the kernel has it, else a folder at a time with O_NOFOLLOW.
// Paths on Z: are the administrator's: links there are followed for reading, but nothing is
// created or replaced through one. Only regular files are read or written, opened without
// blocking.
class PosixFileSystem : public FileSystem {
  public:
    // useOpenat2 false: always the walk a folder at a time, as on a kernel without openat2().
    explicit PosixFileSystem(const std::string& root, bool useOpenat2 = true);

    // Existing components are found ignoring case when the exact spelling is missing.
    std::string hostPath(std::string_view productPath) const override;
    std::string productPath(std::string_view hostPath) const override;

    using FileSystem::readFile;
    uint32_t attributes(std::string_view path, uint32_t& error) const override;
    uint32_t createDirectory(std::string_view path) override;
    uint32_t readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                      FileKeep* keep) const override;
    uint32_t writeFile(std::string_view path, std::string_view contents) override;
    uint32_t writeScratchFile(std::string_view path, std::string_view contents,
                              const FileKeep& like) override;
    uint32_t deleteFile(std::string_view path) override;
    uint32_t renameFile(std::string_view from, std::string_view to) override;
    uint32_t copyFile(std::string_view from, std::string_view to) override;
    uint32_t currentDirectory(std::string& out) const override;

  private:
    struct Target; // an open folder and one name in it
    enum class Where { Nowhere, Beneath, Outside };
    // The drive and the components of a product path, folded; empty when the drive is not
    // mapped.
    Where locate(std::string_view productPath, std::vector<std::string>& parts) const;
    // Host path without the case fallback; empty when the drive is not mapped.
    std::string mapPath(std::string_view productPath) const;
    // Opens the folder of the path's last component and looks the component up. follow: links
    // may be entered (and the last one's target is described) outside drive C.
    uint32_t target(std::string_view path, bool follow, Target& t) const;
    uint32_t openFolder(Where where, const std::vector<std::string>& parts, size_t count,
                        bool follow, int& out) const;
    uint32_t replaceFile(std::string_view path, std::string_view contents, const FileKeep* like);

    std::string root_;        // absolute, as given
    std::string driveC_;      // as given
    std::string driveCCanon_; // with symbolic links resolved, as getcwd() reports it
    bool useOpenat2_;
};

} // namespace lntc
