// Loads the REGEDIT4 text of the demo files into a registry, for tests and benchmarks over
// the shipped demo data.
#pragma once
#include "platform/registry.h"

#include <string>
#include <string_view>

namespace lntc::test {

// Keys, string values and dword values below HKEY_LOCAL_MACHINE; comment lines start with
// ";". Throws std::runtime_error naming the first line it cannot read.
void loadRegText(Registry& registry, std::string_view text);
// The contents of a file; throws std::runtime_error when it cannot be read.
std::string readTextFile(const std::string& path);

} // namespace lntc::test
