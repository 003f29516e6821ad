// How list and combo boxes of the original platform order and search their items: sorted
// boxes keep items in case-insensitive order; searches ignore case, start after a given
// item and wrap around.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace lntc {

// <0, 0, >0 comparing two texts without regard to (ASCII) case.
int compareNoCase(std::string_view a, std::string_view b);

// Where a sorted box puts a new item among `count` items read through `at`.
int sortedInsertPosition(int count, const std::function<std::string(int)>& at,
                         std::string_view text);

// The first item after `start` (-1: from the top) that begins with `text` (exact: equals
// it), ignoring case and wrapping around; -1 when none does.
int findItem(int count, const std::function<std::string(int)>& at, int start, std::string_view text,
             bool exact);

} // namespace lntc
