// The shipped demo data, for tests and benchmarks that run over it.
#pragma once
#include "platform/registry.h"

#include <string>
#include <string_view>

namespace lntc::test {

// The contents of a file; throws std::runtime_error when it cannot be read.
std::string readTextFile(const std::string& path);
// Imports a registry file; throws std::runtime_error with the importer's message on failure.
void importRegText(Registry& registry, std::string_view text);

} // namespace lntc::test
