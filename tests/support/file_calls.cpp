#include "support/file_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lntc::test {

namespace {

std::string shortName(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    return name.starts_with('.') && name.ends_with(".tmp") ? "tmp" : std::string(name);
}

} // namespace

RecordingFileCalls* RecordingFileCalls::current_ = nullptr;

RecordingFileCalls::RecordingFileCalls() : saved_(fileCalls) {
    current_ = this;
    fileCalls.openat = [](int dir, const char* name, int flags, mode_t mode) {
        if ((flags & O_CREAT) == 0) return current_->saved_.openat(dir, name, flags, mode);
        if (!current_->record("open " + shortName(name))) return -1;
        const int fd = current_->saved_.openat(dir, name, flags, mode);
        if (fd >= 0) current_->names_[fd] = shortName(name);
        return fd;
    };
    fileCalls.write = [](int fd, const void* data, size_t size) -> ssize_t {
        if (!current_->record("write " + current_->names_[fd])) return -1;
        return current_->saved_.write(fd, data, size);
    };
    fileCalls.fsync = [](int fd) {
        struct stat st {};
        const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
        if (!current_->record("fsync " + (folder ? "folder" : current_->names_[fd]))) return -1;
        return current_->saved_.fsync(fd);
    };
    fileCalls.close = [](int fd) {
        const auto known = current_->names_.find(fd);
        if (known != current_->names_.end()) {
            const std::string name = known->second;
            current_->names_.erase(known);
            if (!current_->record("close " + name)) {
                current_->saved_.close(fd); // the descriptor is gone whatever close answers
                return -1;
            }
        }
        return current_->saved_.close(fd);
    };
    fileCalls.renameat = [](int fromDir, const char* from, int toDir, const char* to) {
        if (!current_->record("rename " + shortName(from) + " " + shortName(to))) return -1;
        return current_->saved_.renameat(fromDir, from, toDir, to);
    };
    fileCalls.unlinkat = [](int dir, const char* name, int flags) {
        if (!current_->record("unlink " + shortName(name))) return -1;
        return current_->saved_.unlinkat(dir, name, flags);
    };
}

RecordingFileCalls::~RecordingFileCalls() {
    fileCalls = saved_;
    current_ = nullptr;
}

bool RecordingFileCalls::record(const std::string& call) {
    calls.push_back(call);
    if (call != fail) return true;
    fail.clear();
    errno = error;
    return false;
}

} // namespace lntc::test
