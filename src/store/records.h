// Helpers over the shared records: fixed-array strings, keyword tables, slot lookup.
#pragma once
#include "lntc/lntc.h"

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
template <size_t N> std::string_view fieldText(const char (&src)[N]) {
    size_t n = 0;
    while (n < N && src[n] != '\0') ++n;
    return std::string_view(src, n);
}

// A keyword table: the number is the index into it.
struct KeywordTable {
    std::span<const char* const> words;
    int32_t fallback; // number of an unrecognised keyword
};

extern const KeywordTable kPrintDestWords;
extern const KeywordTable kTrayWords; // QDDefaultTray, PSDefaultTray
extern const KeywordTable kEjectTrayWords;
extern const KeywordTable kConnectivityWords;
extern const KeywordTable kDataEncodeWords;
extern const KeywordTable kDuplexBindingWords;

// Exact (case-sensitive) match, else the table's fallback.
int32_t keywordToNumber(const KeywordTable& table, std::string_view word);
// PrintDest reads only "DISK_ONLY" and "PRINTER_AND_DISK"; everything else is the printer.
uint32_t printDestFromKeyword(std::string_view word);
// The keyword of a number, or nullopt when the number lies outside the table.
std::optional<std::string_view> numberToKeyword(const KeywordTable& table, int64_t number);

// Character-set codes and their keywords.
struct Charset {
    uint16_t code;
    const char* keyword;
};
inline constexpr Charset kCharsets[] = {
    {2, "QD_Intl"}, {11, "ISO_8859_1"}, {17, "ISO_8859_7"}, {30, "Shift_JIS"}, {42, "HP_Roman8"}};
const char* charsetKeyword(uint16_t code); // nullptr for an unknown code

inline constexpr int kNoSlot = -1;
// With a name: the slot whose Name equals it exactly. Without: the first free slot.
int FindQueueSlot(const QueueRecord* slots, const char* name);
// Number of used slots.
int usedSlots(const QueueRecord* slots);

} // namespace lntc
