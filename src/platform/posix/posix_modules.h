// Modules as shared objects, loaded with dlopen.
#pragma once
#include "platform/environment.h"
#include "platform/modules.h"

namespace lntc {

class PosixModules : public Modules {
  public:
    // The system folder is the folder of env's module path, asked for when needed.
    explicit PosixModules(const Environment& env) : env_(env) {}
    std::unique_ptr<LoadedModule> load(const std::string& path, bool stay, uint32_t& error,
                                       std::string* why = nullptr) override;
    bool isLoaded(const std::string& fileName) const override;
    std::string systemFolder() const override;

  private:
    const Environment& env_;
};

} // namespace lntc
