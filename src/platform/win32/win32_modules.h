// Modules as dynamic-link libraries.
#pragma once
#include "platform/environment.h"
#include "platform/modules.h"

namespace lntc {

// A module's own dependencies are looked for beside it and in the system's folders, never in
// the current directory.
class Win32Modules : public Modules {
  public:
    // The system folder is the folder of env's module path, asked for when needed.
    explicit Win32Modules(const Environment& env) : env_(env) {}
    std::unique_ptr<LoadedModule> load(const std::string& path, bool stay, uint32_t& error,
                                       std::string* why = nullptr) override;
    bool isLoaded(const std::string& fileName) const override;
    std::string systemFolder() const override;

  private:
    const Environment& env_;
};

} // namespace lntc
