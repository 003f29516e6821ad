// The product's drive-letter paths mapped onto the host: C: is <root>/drive_c, Z: is /.
#pragma once
#include "platform/filesystem.h"

#include <string>

namespace lntc {

class PosixFileSystem : public FileSystem {
  public:
    explicit PosixFileSystem(const std::string& root);

    // Existing components are found ignoring case when the exact spelling is missing.
    std::string hostPath(std::string_view productPath) const override;
    std::string productPath(std::string_view hostPath) const override;

    uint32_t attributes(std::string_view path, uint32_t& error) const override;
    uint32_t createDirectory(std::string_view path) override;
    uint32_t readFile(std::string_view path, std::string& contents) const override;
    uint32_t writeFile(std::string_view path, std::string_view contents) override;
    uint32_t deleteFile(std::string_view path) override;
    uint32_t renameFile(std::string_view from, std::string_view to) override;
    uint32_t copyFile(std::string_view from, std::string_view to) override;
    uint32_t currentDirectory(std::string& out) const override;

  private:
    // Host path without the case fallback; empty when the drive is not mapped.
    std::string mapPath(std::string_view productPath) const;
    uint32_t writeHostFile(const std::string& host, std::string_view contents, int mode);

    std::string driveC_;      // as given
    std::string driveCCanon_; // with symbolic links resolved, as getcwd() reports it
};

} // namespace lntc
