// Helpers over the shared records: fixed-array strings, keyword tables, slot lookup.
#pragma once
#include "lntc/lntc.h"
#include "resources/ids.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lntc {

// The one way to write a fixed character array: cut to size-1 bytes and terminate.
void copyField(char* dest, size_t size, std::string_view text);
template <size_t N> void setField(char (&dest)[N], std::string_view text) {
    copyField(dest, N, text);
}
// The text of a fixed array, never reading past it even when it is not terminated.
inline std::string_view fieldText(const char* src, size_t size) {
    size_t n = 0;
    while (n < size && src[n] != '\0')
        ++n;
    return std::string_view(src, n);
}
template <size_t N> std::string_view fieldText(const char (&src)[N]) {
    return fieldText(src, N);
}

// A keyword table: the number is the index into it.
struct KeywordTable {
    std::span<const char* const> words;
    int32_t fallback;     // number of an unrecognised keyword
    size_t firstRead = 0; // words before this one are written but never read back
};

namespace keywords {
inline constexpr const char* PrintDest[] = {"", "PRINTER_ONLY", "DISK_ONLY", "PRINTER_AND_DISK"};
inline constexpr const char* Trays[] = {"TOP", "BOTTOM", "THIRD"};
inline constexpr const char* EjectTrays[] = {
    "SIDE",         "UPPER_HOME",        "UPPER_OFFSET",     "LOWER_HOME",
    "LOWER_OFFSET", "UPPER_ALTERNATING", "LOWER_ALTERNATING"};
inline constexpr const char* Connectivity[] = {"PRINT_MANAGER", "TCP_DIRECT", "OTHER/PARALLEL"};
inline constexpr const char* DataEncode[] = {"RAW_BINARY", "ASCII_HEX", "ASCII_85"};
inline constexpr const char* DuplexBinding[] = {"0", "LEFT_EDGE", "TOP_EDGE"};
} // namespace keywords

// A stored PrintDest is only ever told apart as disk only or printer and disk; every other
// word, "PRINTER_ONLY" included, is the printer.
inline constexpr KeywordTable kPrintDestWords{keywords::PrintDest, 1, 2};
inline constexpr KeywordTable kTrayWords{keywords::Trays, 0}; // QDDefaultTray, PSDefaultTray
inline constexpr KeywordTable kEjectTrayWords{keywords::EjectTrays, 2};
inline constexpr KeywordTable kConnectivityWords{keywords::Connectivity, 2};
inline constexpr KeywordTable kDataEncodeWords{keywords::DataEncode, 0};
inline constexpr KeywordTable kDuplexBindingWords{keywords::DuplexBinding, 0};

// Exact (case-sensitive) match among the table's readable words, else the table's fallback.
int32_t keywordToNumber(const KeywordTable& table, std::string_view word);
// The keyword of a number, or nullopt when the number lies outside the table.
std::optional<std::string_view> numberToKeyword(const KeywordTable& table, int64_t number);

// Character-set codes and their keywords; id is the fonts dialog's choice for the set.
struct Charset {
    uint16_t code;
    const char* keyword;
    uint16_t id;
};
inline constexpr Charset kCharsets[] = {{2, "QD_Intl", fontctl::QuendalIntl},
                                        {11, "ISO_8859_1", fontctl::Iso8859_1},
                                        {17, "ISO_8859_7", fontctl::Iso8859_7},
                                        {30, "Shift_JIS", fontctl::ShiftJis},
                                        {42, "HP_Roman8", fontctl::HpRoman8}};

inline constexpr int kNoSlot = -1;
// With a name: the slot whose Name equals it exactly. Without: the first free slot.
int FindQueueSlot(const QueueRecord* slots, const char* name);

} // namespace lntc
