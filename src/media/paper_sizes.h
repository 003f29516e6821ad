// The paper-size vocabulary: ids, names and sheet sizes, and the "name, orientation" values
// of the default media tree.
#pragma once
#include "lntc/lntc.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lntc {

struct PaperSizeInfo {
    const char* name;
    double width; // inches
    double height;
};

inline constexpr size_t kPaperSizeCount = 47;
extern const PaperSizeInfo kPaperSizes[kPaperSizeCount];

namespace paper {
inline constexpr uint16_t Unknown = 0;
inline constexpr uint16_t Executive = 3;
inline constexpr uint16_t ExecutiveL = 4;
inline constexpr uint16_t Letter = 5;
inline constexpr uint16_t B = 13;
inline constexpr uint16_t C = 19;
} // namespace paper

// Id of the first row whose name equals the name ignoring case; 0 when none does (and for
// "UNKNOWN" itself).
uint16_t PaperSizeNameToId(const char* name);
uint16_t PaperSizeNameToId(std::string_view name);
// Name of an id; "UNKNOWN" outside the table.
const char* PaperSizeName(uint16_t id);

// Splits a "PaperSize%d" value ("A4, 1", "  LETTER\t0") into the entry's name and
// orientation. A missing name leaves the name empty, a missing orientation gives 0; a name
// longer than the field is cut.
void ParsePaperSizeValue(std::string_view value, MediaPaperSize& entry);

// ASCII comparison ignoring case, as the store's names are compared.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);
// Decimal conversion as atoi does it (leading blanks, sign, digits up to the first other
// character), saturated instead of overflowing.
int32_t decimalValue(std::string_view text);

} // namespace lntc
