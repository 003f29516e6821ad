// A range a number must lie in, and the framework's messages for a value outside its range or
// a text too long: one text whether a dialog's field check shows it or a record's check
// returns it.
#pragma once
#include <cstdint>
#include <string>

namespace lntc {

class StringLookup;

struct ValueRange {
    double low;
    double high;
    constexpr bool holds(double value) const { return value >= low && value <= high; }
};

// "Please enter an integer between %1 and %2."
std::string IntegerRangeMessage(const StringLookup& strings, const ValueRange& range);
// "Please enter a number between %1 and %2."
std::string NumberRangeMessage(const StringLookup& strings, const ValueRange& range);
// "Please enter no more than %1 characters."
std::string MaxCharsMessage(const StringLookup& strings, int maxChars);

// %1 and %2 as the classic framework fills them.
std::string fillFrameworkArgs(std::string format, const std::string& a1, const std::string& a2);
// A number as the framework shows it, in the C locale (as a field reads it back).
std::string formatFrameworkReal(double value);

} // namespace lntc
