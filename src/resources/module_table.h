// A resource module built from the table a module file exports.
#pragma once
#include "platform/modules.h"
#include "resources/module_abi.h"

#include <memory>

namespace lntc {

// Checks the table and copies it; nullptr with error 13 (invalid data) when the table is
// missing, of another interface version, or malformed.
std::unique_ptr<ResourceModule> moduleFromTable(const LntcResourceTable* table, uint32_t& error);

} // namespace lntc
