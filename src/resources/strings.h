// The library's numbered strings.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace lntc {

// Built-in text of a string number, or nullptr when the table has none.
const char* builtinString(uint32_t id);

} // namespace lntc
