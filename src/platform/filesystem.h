// File system in the product's own path form ("c:\qdsw_local\tmp"), mapped onto the host.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

namespace fileattr {
inline constexpr uint32_t ReadOnly = 0x1;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Device = 0x40; // neither a file nor a folder (a pipe, a device)
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t Invalid = 0xFFFFFFFF;
} // namespace fileattr

// What replacing a file keeps of the one it replaces: its permissions, owner and group, in the
// backend's own terms. `exists` is false when there was no file.
struct FileKeep {
    bool exists = false;
    bool readOnly = false;
    uint32_t mode = 0, owner = 0, group = 0;
};

// Larger files than a caller expects are refused rather than read into memory.
inline constexpr uint64_t kDefaultReadLimit = 16u << 20;

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Host path of a product path ("C:\x" -> <root>/drive_c/x, "Z:\x" -> /x); empty when the
    // drive is not mapped. A path without a drive is taken on the current drive.
    virtual std::string hostPath(std::string_view productPath) const = 0;
    // Product path of a host path (the reverse mapping), "Z:" for anything outside drive C.
    virtual std::string productPath(std::string_view hostPath) const = 0;

    // Attributes of a path, or fileattr::Invalid with error set (2, 3, 5, ...).
    virtual uint32_t attributes(std::string_view path, uint32_t& error) const = 0;
    virtual uint32_t createDirectory(std::string_view path) = 0;
    // Reads a whole regular file of at most maxSize bytes: anything else (a folder, a pipe, a
    // device) is refused with 5, a larger file with 223. keep, when given, gets what a
    // replacement of the file should keep.
    virtual uint32_t readFile(std::string_view path, std::string& contents, uint64_t maxSize,
                              FileKeep* keep) const = 0;
    uint32_t readFile(std::string_view path, std::string& contents) const {
        return readFile(path, contents, kDefaultReadLimit, nullptr);
    }
    // Writes a whole file so that it is either complete or untouched.
    virtual uint32_t writeFile(std::string_view path, std::string_view contents) = 0;
    // Makes the program's own scratch file afresh, whatever was there before (a file of any
    // mode): it holds contents, has reached the disk and has what `like` keeps (a new file's
    // permissions when like does not exist). A folder of that name is not removed (5).
    virtual uint32_t writeScratchFile(std::string_view path, std::string_view contents,
                                      const FileKeep& like) = 0;
    virtual uint32_t deleteFile(std::string_view path) = 0;
    virtual uint32_t renameFile(std::string_view from, std::string_view to) = 0;
    virtual uint32_t copyFile(std::string_view from, std::string_view to) = 0;

    // The process's current directory as a product path ("C:\work"); error when unknown.
    virtual uint32_t currentDirectory(std::string& out) const = 0;
};

} // namespace lntc
