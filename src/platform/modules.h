// Localised resource modules: files beside the library whose strings and dialog templates are
// consulted before the built-in ones.
#pragma once
#include "resources/templates.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lntc {

class ResourceModule {
  public:
    virtual ~ResourceModule() = default;
    virtual std::optional<std::string> findString(uint32_t id) const = 0;
    // The module's template of an id, or nullptr; valid while the module lives.
    virtual const DialogTemplate* findTemplate(uint16_t id) const = 0;
};

class Modules {
  public:
    virtual ~Modules() = default;
    // The module at a host path. nullptr with error 2 when there is no such file; nullptr with
    // another code when the file is there but is not a usable module.
    virtual std::unique_ptr<ResourceModule> load(const std::string& path, uint32_t& error) = 0;
    // Host folder that holds the modules (the library's own folder), without a trailing "/".
    virtual std::string systemFolder() const = 0;
};

} // namespace lntc
