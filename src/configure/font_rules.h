// The choices the fonts dialog offers for a server record: the character sets, the default
// font's names and its point size. Shared with the check of a record that did not come
// through the dialog.
#pragma once
#include "lntc/lntc.h"
#include "resources/value_range.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

inline constexpr const char* kDefaultFontName = "default";
inline constexpr ValueRange kPointSizeRange{5, 30};
inline constexpr int kDefaultPointSize = 16;

namespace charset {
inline constexpr uint16_t QuendalIntl = 2;
inline constexpr uint16_t Iso8859_1 = 11;
inline constexpr uint16_t Iso8859_7 = 17;
inline constexpr uint16_t ShiftJis = 30;
inline constexpr uint16_t HpRoman8 = 42;
} // namespace charset

// Whether the character set can be chosen here: Shift-JIS with Kanji fonts installed,
// ISO 8859-7 with Greek ones, HP Roman 8 when the ODR system uses it, the others always.
bool CharsetAvailable(const ServerConfig& c, uint16_t code);

// The font names offered: "default", then those of the installed Kanji and Greek fonts.
std::vector<std::string> OfferedFontNames(const ServerConfig& c);

// Whether a font other than "default" can be chosen for the character set.
bool FontChoiceOpen(const ServerConfig& c, uint16_t charset);

// "Mincho16": the base name, and the point size that starts at its first digit (16 without).
void SplitDefaultFont(std::string_view font, std::string& base, int& points);

// Empty when FormerCharset and DefaultFont are what the dialog lets a person choose, else the
// message of the first rule they break.
std::string CheckFontChoices(const StringLookup& strings, const ServerConfig& c);

} // namespace lntc
