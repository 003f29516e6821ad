// The files the administration writes: the registry exports, the transcript of a scripted run,
// the demo's files. A file is written whole: the bytes go into a new file beside it with exactly
// the mode asked for, flushed to the disk, and that file is renamed over the old one, so that a
// reader (or a crash) finds the old file or the new one, never a part. A symbolic link where the
// file goes is replaced, never written through.
#pragma once
#include <string>
#include <string_view>
#include <sys/types.h>

namespace lntc {

// The system calls of the writer, so that a test can watch their order and make each one fail.
struct OutputCalls {
    int (*makeTemporary)(char* pattern, int flags);
    int (*setMode)(int fd, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*flush)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};
const OutputCalls& SystemOutputCalls();

class OutputFile {
  public:
    enum class Devices {
        Replace,      // whatever is at the path is replaced (files under the machine root)
        WriteThrough, // a device or a pipe there, even behind a link, is written directly, and
                      // "-" is standard output (a place the administrator names)
    };
    explicit OutputFile(const OutputCalls& calls = SystemOutputCalls()) : calls_(calls) {}
    ~OutputFile(); // a new file that was not put in place is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Gets the place ready before anything is written there; false, with the system's reason,
    // when it cannot take the file.
    bool open(const std::string& path, mode_t mode, Devices devices, std::string& why);
    // Writes data whole and puts the file in place; false, with the reason, when it did not
    // land whole, and then the old file is still there.
    bool write(std::string_view data, std::string& why);

  private:
    bool fail(int error, std::string& why);

    const OutputCalls& calls_;
    std::string path_, temporary_; // temporary_: the new file while it is not in place
    int fd_ = -1;
};

// open and write in one.
bool WriteWholeFile(const std::string& path, std::string_view data, mode_t mode,
                    OutputFile::Devices devices, std::string& why);

} // namespace lntc
