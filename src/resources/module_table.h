// A resource module built from the table a module file exports.
#pragma once
#include "platform/modules.h"
#include "resources/module_abi.h"
#include "resources/templates.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lntc {

// A localised resource module: strings and dialog templates consulted before the built-in
// ones.
class ResourceModule {
  public:
    virtual ~ResourceModule() = default;
    virtual std::optional<std::string> findString(uint32_t id) const = 0;
    // The module's template of an id, or nullptr; valid while the module lives.
    virtual const DialogTemplate* findTemplate(uint16_t id) const = 0;
};

// Loads the module file at a host path and copies its table; the file is not kept loaded.
// nullptr with error 2 when there is no such file, 127 when it exports no table, 13 when
// its table is not usable, or another code when it is not a module at all.
std::unique_ptr<ResourceModule> loadResourceModule(Modules& modules, const std::string& path,
                                                   uint32_t& error);

// Checks the table and copies it; nullptr with error 13 (invalid data) when the table is
// missing, of another interface version, or malformed.
std::unique_ptr<ResourceModule> moduleFromTable(const LntcResourceTable* table, uint32_t& error);

} // namespace lntc
