// The library's numbered strings.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lntc {

struct StringEntry {
    uint32_t id;
    const char* text;
};

// The whole built-in table, sorted by number.
std::span<const StringEntry> builtinStrings();

// Built-in text of a string number, or nullptr when the table has none.
const char* builtinString(uint32_t id);

} // namespace lntc
