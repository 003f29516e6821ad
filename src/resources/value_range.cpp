#include "resources/value_range.h"

#include "platform/c_locale.h"
#include "resources/ids.h"
#include "resources/lookup.h"

#include <cfloat>
#include <cstdio>

namespace lntc {

std::string fillFrameworkArgs(std::string format, const std::string& a1, const std::string& a2) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == '1' || format[i + 1] == '2')) {
            out += format[i + 1] == '1' ? a1 : a2;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::string formatFrameworkReal(double value) {
    CLocaleScope c;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", DBL_DIG, value);
    return buf;
}

std::string IntegerRangeMessage(const StringLookup& strings, const ValueRange& range) {
    return fillFrameworkArgs(strings.load(fwstr::ParseIntRange),
                             std::to_string(static_cast<int64_t>(range.low)),
                             std::to_string(static_cast<int64_t>(range.high)));
}

std::string NumberRangeMessage(const StringLookup& strings, const ValueRange& range) {
    return fillFrameworkArgs(strings.load(fwstr::ParseRealRange), formatFrameworkReal(range.low),
                             formatFrameworkReal(range.high));
}

std::string MaxCharsMessage(const StringLookup& strings, int maxChars) {
    return fillFrameworkArgs(strings.load(fwstr::ParseStringSize), std::to_string(maxChars), {});
}

} // namespace lntc
