#include "resources/framework_strings.h"

namespace lntc {

const char* frameworkString(uint32_t id) {
    switch (id) {
    case fwstr::ParseInt:
        return "Please enter an integer.";
    case fwstr::ParseReal:
        return "Please enter a number.";
    case fwstr::ParseIntRange:
        return "Please enter an integer between %1 and %2.";
    case fwstr::ParseRealRange:
        return "Please enter a number between %1 and %2.";
    case fwstr::ParseStringSize:
        return "Please enter no more than %1 characters.";
    case fwstr::AppName:
        return "Lintora Configuration";
    default:
        return nullptr;
    }
}

} // namespace lntc
