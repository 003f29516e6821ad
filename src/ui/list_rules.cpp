#include "ui/list_rules.h"

#include <algorithm>

namespace lntc {

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

void sortLikeSortedBox(std::vector<std::string>& texts) {
    // Each added text goes before the equal ones already there.
    std::reverse(texts.begin(), texts.end());
    std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        return compareNoCase(a, b) < 0;
    });
}

} // namespace lntc
