// The library as a product process runs it: the system's backends under one machine root, the
// product stand-ins, and a host that shows windows when the process has a display.
#pragma once
#include "library/library.h"

#include <memory>
#include <string>

namespace lntc {

#ifdef _WIN32
class Win32Platform;
using SystemPlatform = Win32Platform;
#else
class PosixPlatform;
using SystemPlatform = PosixPlatform;
#endif
class PosixProductLibs;

class ProductionLibrary {
  public:
    // Throws std::runtime_error when the machine root's registry cannot be opened.
    explicit ProductionLibrary(const std::string& root);
    ~ProductionLibrary();
    Library& library() { return *library_; }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
    std::unique_ptr<SystemPlatform> platform_;
    std::unique_ptr<PosixProductLibs> product_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<Library> library_;
};

} // namespace lntc
