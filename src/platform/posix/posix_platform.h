// The POSIX backends of one machine root, for the composition root and the tests.
#pragma once
#include "platform/platform.h"

#include <memory>
#include <string>

namespace lntc {

// Owns the POSIX backends of one machine root.
class PosixPlatform {
  public:
    // root: the machine root folder. A root made here gets drive C with the system folders a
    // Windows machine has (C:\WINDOWS\system32\drivers\etc). Throws std::runtime_error when
    // the registry database cannot be opened at all.
    explicit PosixPlatform(const std::string& root);
    ~PosixPlatform();
    Platform& platform() { return platform_; }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
    OwnedBackends owned_;
    Platform platform_;
};

} // namespace lntc
