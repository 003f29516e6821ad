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

int32_t keywordToNumber(const KeywordTable& table, std::string_view word) {
    for (size_t i = table.firstRead; i < table.words.size(); ++i) {
        if (word == table.words[i]) return static_cast<int32_t>(i);
    }
    return table.fallback;
}

std::optional<std::string_view> numberToKeyword(const KeywordTable& table, int64_t number) {
    if (number < 0 || static_cast<uint64_t>(number) >= table.words.size()) return std::nullopt;
    return table.words[static_cast<size_t>(number)];
}

int FindQueueSlot(const QueueRecord* slots, const char* name) {
    if (slots == nullptr) return kNoSlot;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        std::string_view slotName = fieldText(slots[i].Name);
        if (name == nullptr ? slotName.empty() : (!slotName.empty() && slotName == name)) return i;
    }
    return kNoSlot;
}

} // namespace lntc
