// Machine-wide advisory locks: flock() on a lock file in the machine root's run/ folder.
#pragma once
#include "platform/locks.h"

#include <string>

namespace lntc {

class PosixFileLocks : public FileLocks {
  public:
    explicit PosixFileLocks(const std::string& root);
    uint32_t acquire(const std::string& name, std::chrono::milliseconds wait,
                     std::unique_ptr<Held>& out) override;
    // The lock file of a name: <root>/run/<name>.lock.
    std::string lockPath(const std::string& name) const;

  private:
    std::string root_;
};

} // namespace lntc
