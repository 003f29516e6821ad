// Pure helpers shared by the registry backends, so that they agree on names and paths.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc::regutil {

// The form names are compared and ordered by: ASCII letters lower-cased, other bytes kept.
std::string foldName(std::string_view name);

// The key names of a "\"-separated path. Empty components (leading, trailing or doubled
// separators) are skipped, so "" and "\" both name the starting key itself.
std::vector<std::string_view> splitPath(std::string_view path);

// Hands a stored value out with RegQueryValueEx rules: with data == nullptr only the type
// and size; 234 with the size needed when *size is too small; 87 when data has no size.
uint32_t copyValueOut(uint32_t storedType, const uint8_t* bytes, size_t count, uint32_t* type,
                      void* data, uint32_t* size);

} // namespace lntc::regutil
