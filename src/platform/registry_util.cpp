#include "platform/registry_util.h"

#include "platform/errors.h"

#include <cstring>

namespace lntc::regutil {

std::string foldName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        // Only ASCII: the registry never folded the upper half of the code page.
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

uint32_t copyValueOut(uint32_t storedType, const uint8_t* bytes, size_t count, uint32_t* type,
                      void* data, uint32_t* size) {
    if (data && !size) return err::InvalidParameter;
    if (type) *type = storedType;
    const auto needed = static_cast<uint32_t>(count);
    if (!data) {
        if (size) *size = needed;
        return err::Success;
    }
    if (*size < needed) {
        *size = needed;
        return err::MoreData;
    }
    if (needed) std::memcpy(data, bytes, needed);
    *size = needed;
    return err::Success;
}

} // namespace lntc::regutil
