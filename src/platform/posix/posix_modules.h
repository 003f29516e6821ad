// Resource modules as shared objects, loaded with dlopen.
#pragma once
#include "platform/environment.h"
#include "platform/modules.h"

namespace lntc {

class PosixModules : public Modules {
  public:
    // The system folder is the folder of env's module path, asked for when needed.
    explicit PosixModules(const Environment& env) : env_(env) {}
    std::unique_ptr<ResourceModule> load(const std::string& path, uint32_t& error) override;
    std::string systemFolder() const override;

  private:
    const Environment& env_;
};

} // namespace lntc
