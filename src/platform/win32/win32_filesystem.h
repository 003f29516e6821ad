// The file system of the Windows build: a product path is the host's own path.
#pragma once
#include "platform/filesystem.h"

#include <string>
#include <windows.h>

namespace lntc {

namespace win32 {
// The system calls that make, write, flush, close, move or remove a file, as the file system
// makes them: tests put their own in, to see the order and to make one of them fail.
struct FileCalls {
    decltype(&CreateFileW) create;
    decltype(&WriteFile) write;
    decltype(&FlushFileBuffers) flush;
    decltype(&CloseHandle) close;
    decltype(&MoveFileExW) move;
    decltype(&DeleteFileW) remove;
};
extern FileCalls fileCalls;

// Reads an open file whole: only a regular file (not a folder, device, pipe or reparse point:
// 5) of at most maxSize bytes (223), held to that limit also when it grows while it is read.
// info is what the system said of it.
uint32_t readOpenFile(HANDLE file, uint64_t maxSize, std::string& contents,
                      BY_HANDLE_FILE_INFORMATION& info);
} // namespace win32

// Paths are made whole against the current drive and folder as the system does it; device
// paths ("\\.\", "\\?\", and names such as NUL, which the system turns into them) are refused
// (5). No reparse point (symbolic link, junction) is passed through, for reading or writing:
// one among the folders of a path, or at its end, answers 5, except that deleting, renaming or
// replacing a scratch file acts on the link itself. The folders are held open while the call
// uses them, sharing no deletion, so that none can be swapped for a link in between.
// A replaced file keeps the attributes of the one it replaces; its security is its folder's.
class Win32FileSystem : public FileSystem {
  public:
    Win32FileSystem() = default;

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
    struct Target; // a whole path and what lies there
    uint32_t target(std::string_view path, Target& t) const;
    uint32_t replaceFile(std::string_view path, std::string_view contents, const FileKeep* like);
};

} // namespace lntc
