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
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t Invalid = 0xFFFFFFFF;
} // namespace fileattr

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
    virtual uint32_t readFile(std::string_view path, std::string& contents) const = 0;
    // Writes a whole file so that it is either complete or untouched.
    virtual uint32_t writeFile(std::string_view path, std::string_view contents) = 0;
    virtual uint32_t deleteFile(std::string_view path) = 0;
    virtual uint32_t renameFile(std::string_view from, std::string_view to) = 0;
    virtual uint32_t copyFile(std::string_view from, std::string_view to) = 0;

    // The process's current directory as a product path ("C:\work"); error when unknown.
    virtual uint32_t currentDirectory(std::string& out) const = 0;
};

} // namespace lntc
