// How list and combo boxes of the original platform order and search their items: sorted
// boxes keep items in case-insensitive order; searches ignore case, start after a given
// item and wrap around.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

// The most items a list or combo box holds; adding past it fails.
inline constexpr int kListMaxItems = 65535;
// What adding to a full list returns.
inline constexpr int kListErrSpace = -2;

// <0, 0, >0 comparing two texts without regard to (ASCII) case, whatever the process's locale.
inline int compareNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    };
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int d = lower(a[i]) - lower(b[i]);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Where a sorted box puts a new item among `count` items read through `at`.
int sortedInsertPosition(int count, const std::function<std::string(int)>& at,
                         std::string_view text);

// Puts texts in the order a sorted box leaves them when they are added one by one: case-
// insensitive order, and of texts that compare equal the one added last first.
void sortLikeSortedBox(std::vector<std::string>& texts);

// The first item after `start` (-1: from the top) that begins with `text` (exact: equals
// it), ignoring case and wrapping around; -1 when none does. `at(i)` gives item i's text (a
// reference to it spares a copy per item).
template <class At>
int findItem(int count, const At& at, int start, std::string_view text, bool exact) {
    if (count <= 0) return -1;
    // A start outside the list searches the whole list from the top.
    int first = (start < -1 || start >= count) ? 0 : start + 1;
    for (int k = 0; k < count; ++k) {
        int i = (first + k) % count;
        const auto& got = at(i); // a copy returned lives until the comparison is done
        std::string_view item = got;
        if (exact ? compareNoCase(item, text) == 0
                  : item.size() >= text.size() &&
                        compareNoCase(item.substr(0, text.size()), text) == 0)
            return i;
    }
    return -1;
}

} // namespace lntc
