#include "media/paper_sizes.h"

#include "store/records.h"

#include <limits>

namespace lntc {

const PaperSizeInfo kPaperSizes[kPaperSizeCount] = {
    {"UNKNOWN", 0, 0},
    {"A_HALF", 5.5, 8.5},
    {"A_HALF_L", 8.5, 5.5},
    {"Executive", 7.5, 10.5},
    {"Executive_L", 10.5, 7.5},
    {"LETTER", 8.5, 11},
    {"LETTER_L", 11, 8.5},
    {"LEGAL", 8.5, 14},
    {"LEGAL_L", 14, 8.5},
    {"A_X", 9, 12},
    {"A_X_L", 12, 9},
    {"Universal2", 10, 14},
    {"Universal2_L", 14, 10},
    {"B", 11, 17},
    {"B_L", 17, 11},
    {"Universal1", 12, 17},
    {"Universal1_L", 17, 12},
    {"B_X", 12, 18},
    {"B_X_L", 18, 12},
    {"C", 17, 22},
    {"C_L", 22, 17},
    {"C_X", 18, 24},
    {"C_X_L", 24, 18},
    {"D", 22, 34},
    {"D_L", 34, 22},
    {"D_X", 24, 36},
    {"D_X_L", 36, 24},
    {"E", 34, 44},
    {"E_L", 44, 34},
    {"E_X", 34, 56},
    {"E_X_L", 56, 34},
    {"A5", 5.8, 8.3},
    {"A5_L", 8.3, 5.8},
    {"A4", 8.3, 11.7},
    {"A4_L", 11.7, 8.3},
    {"A3", 11.7, 16.5},
    {"A3_L", 16.5, 11.7},
    {"A2", 16.5, 23.4},
    {"A2_L", 23.4, 16.5},
    {"A1", 23.4, 33.1},
    {"A1_L", 33.1, 23.4},
    {"A0", 33.1, 46.8},
    {"A0_L", 46.8, 33.1},
    {"B5", 7.2, 10.1},
    {"B5_L", 10.1, 7.2},
    {"B4", 10.1, 14.3},
    {"B4_L", 14.3, 10.1},
};

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSeparator(char c, std::string_view separators) {
    return separators.find(c) != std::string_view::npos;
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

int32_t decimalValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > limit - 1 ? limit - 1 : value);
}

uint16_t PaperSizeNameToId(std::string_view name) {
    for (size_t id = 0; id < kPaperSizeCount; ++id)
        if (equalsIgnoreCase(name, kPaperSizes[id].name)) return static_cast<uint16_t>(id);
    return paper::Unknown;
}

uint16_t PaperSizeNameToId(const char* name) {
    return name == nullptr ? paper::Unknown : PaperSizeNameToId(std::string_view(name));
}

const char* PaperSizeName(uint16_t id) {
    return id < kPaperSizeCount ? kPaperSizes[id].name : kPaperSizes[paper::Unknown].name;
}

void ParsePaperSizeValue(std::string_view value, MediaPaperSize& entry) {
    // A value is read as a C string: nothing after an embedded NUL counts.
    value = value.substr(0, value.find('\0'));
    constexpr std::string_view separators = " \t\n,";
    auto nextToken = [&]() -> std::string_view {
        size_t start = 0;
        while (start < value.size() && isSeparator(value[start], separators))
            ++start;
        size_t end = start;
        while (end < value.size() && !isSeparator(value[end], separators))
            ++end;
        std::string_view token = value.substr(start, end - start);
        value.remove_prefix(end);
        return token;
    };
    setField(entry.szName, nextToken());
    std::string_view orientation = nextToken();
    entry.usOrientation =
        orientation.empty() ? 0 : static_cast<uint16_t>(decimalValue(orientation));
}

} // namespace lntc
