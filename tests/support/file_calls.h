// The POSIX file system's calls recorded, and one of them made to fail: the order in which a
// file reaches the disk, and what a failure at any step leaves behind.
#pragma once
#include "platform/posix/posix_filesystem.h"

#include <map>
#include <string>
#include <vector>

namespace lntc::test {

// While it lives, every call that makes, writes, flushes, closes, renames or removes a file is
// recorded as "open NAME", "write NAME", "fsync NAME" ("fsync folder" for a folder), "close
// NAME", "rename FROM TO", "unlink NAME"; a temporary file (".x.cfg.123.4.tmp") is named "tmp".
// Opens that create nothing and closes of what was not made are left out. The call recorded as
// `fail` answers -1 with `error` instead of being made, once.
class RecordingFileCalls {
  public:
    RecordingFileCalls();
    ~RecordingFileCalls();
    RecordingFileCalls(const RecordingFileCalls&) = delete;
    RecordingFileCalls& operator=(const RecordingFileCalls&) = delete;

    std::vector<std::string> calls;
    std::string fail;
    int error = 28; // ENOSPC

  private:
    static RecordingFileCalls* current_;
    FileCalls saved_;
    std::map<int, std::string> names_;
    bool record(const std::string& call);
};

} // namespace lntc::test
