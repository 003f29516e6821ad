// Top-level windows recorded as files under <root>/run/windows, one per window. The owner
// holds an open-file-description lock on its file; a file nobody locks was left by a process
// that is gone and is removed when next seen.
#pragma once
#include "platform/windows.h"

#include <map>
#include <mutex>
#include <string>

namespace lntc {

class PosixTopWindows : public TopWindows {
  public:
    explicit PosixTopWindows(const std::string& root);
    ~PosixTopWindows() override;
    PosixTopWindows(const PosixTopWindows&) = delete;
    PosixTopWindows& operator=(const PosixTopWindows&) = delete;

    uint32_t registerWindow(const std::string& title, const std::string& className,
                            Handle& out) override;
    void unregister(Handle handle) override;
    bool existsWithTitle(const std::string& title) const override;
    bool existsWithClass(const std::string& className) const override;

    const std::string& directory() const { return dir_; }

  private:
    struct Entry {
        int fd;
        std::string path;
    };
    enum class Field { Title, Class };
    bool exists(Field field, const std::string& value) const;
    uint32_t ensureDirectory() const;

    std::string dir_;
    mutable std::mutex mutex_;
    std::map<Handle, Entry> mine_;
    Handle next_ = 1;
};

} // namespace lntc
