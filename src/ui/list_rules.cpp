#include "ui/list_rules.h"

#include <cctype>

namespace lntc {

namespace {
int lower(char c) {
    return std::tolower(static_cast<unsigned char>(c));
}
} // namespace

int compareNoCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int d = lower(a[i]) - lower(b[i]);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int sortedInsertPosition(int count, const std::function<std::string(int)>& at,
                         std::string_view text) {
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (compareNoCase(at(mid), text) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int findItem(int count, const std::function<std::string(int)>& at, int start, std::string_view text,
             bool exact) {
    if (count <= 0) return -1;
    // A start outside the list searches the whole list from the top.
    int first = (start < -1 || start >= count) ? 0 : start + 1;
    for (int k = 0; k < count; ++k) {
        int i = (first + k) % count;
        std::string item = at(i);
        if (exact) {
            if (compareNoCase(item, text) == 0) return i;
        } else if (item.size() >= text.size() &&
                   compareNoCase(std::string_view(item).substr(0, text.size()), text) == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace lntc
