// Texts of the dialog framework itself, numbered like the rest of the string table.
#pragma once
#include "resources/ids.h"

#include <cstdint>

namespace lntc {

// Built-in text of a framework string, or nullptr.
const char* frameworkString(uint32_t id);

} // namespace lntc
