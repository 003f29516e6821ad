#include "store/records.h"

#include <cstring>

namespace lntc {

void copyField(char* dest, size_t size, std::string_view text) {
    if (dest == nullptr || size == 0) return;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    // An empty view may carry no data pointer at all, which memcpy must not be given.
    if (n != 0) std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

namespace {
constexpr const char* kPrintDest[] = {"", "PRINTER_ONLY", "DISK_ONLY", "PRINTER_AND_DISK"};
constexpr const char* kTrays[] = {"TOP", "BOTTOM", "THIRD"};
constexpr const char* kEjectTrays[] = {"SIDE",         "UPPER_HOME",        "UPPER_OFFSET",
                                       "LOWER_HOME",   "LOWER_OFFSET",      "UPPER_ALTERNATING",
                                       "LOWER_ALTERNATING"};
constexpr const char* kConnectivity[] = {"PRINT_MANAGER", "TCP_DIRECT", "OTHER/PARALLEL"};
constexpr const char* kDataEncode[] = {"RAW_BINARY", "ASCII_HEX", "ASCII_85"};
constexpr const char* kDuplexBinding[] = {"0", "LEFT_EDGE", "TOP_EDGE"};
} // namespace

const KeywordTable kPrintDestWords{kPrintDest, 1};
const KeywordTable kTrayWords{kTrays, 0};
const KeywordTable kEjectTrayWords{kEjectTrays, 2};
const KeywordTable kConnectivityWords{kConnectivity, 2};
const KeywordTable kDataEncodeWords{kDataEncode, 0};
const KeywordTable kDuplexBindingWords{kDuplexBinding, 0};

int32_t keywordToNumber(const KeywordTable& table, std::string_view word) {
    for (size_t i = 0; i < table.words.size(); ++i) {
        if (word == table.words[i]) return static_cast<int32_t>(i);
    }
    return table.fallback;
}

uint32_t printDestFromKeyword(std::string_view word) {
    if (word == "DISK_ONLY") return 2;
    if (word == "PRINTER_AND_DISK") return 3;
    return 1;
}

std::optional<std::string_view> numberToKeyword(const KeywordTable& table, int64_t number) {
    if (number < 0 || static_cast<uint64_t>(number) >= table.words.size()) return std::nullopt;
    return table.words[static_cast<size_t>(number)];
}

const char* charsetKeyword(uint16_t code) {
    for (const auto& c : kCharsets) {
        if (c.code == code) return c.keyword;
    }
    return nullptr;
}

int FindQueueSlot(const QueueRecord* slots, const char* name) {
    if (slots == nullptr) return kNoSlot;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        std::string_view slotName = fieldText(slots[i].Name);
        if (name == nullptr ? slotName.empty() : (!slotName.empty() && slotName == name)) return i;
    }
    return kNoSlot;
}

int usedSlots(const QueueRecord* slots) {
    int n = 0;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) n += slots[i].Name[0] != '\0';
    return n;
}

} // namespace lntc
