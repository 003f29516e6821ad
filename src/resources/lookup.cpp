#include "resources/lookup.h"

#include "resources/framework_strings.h"
#include "resources/strings.h"

namespace lntc {

std::optional<std::string> StringLookup::find(uint32_t id) const {
    for (const auto& source : sources_) {
        if (auto text = source(id)) return text;
    }
    if (const char* text = builtinString(id)) return std::string(text);
    if (const char* text = frameworkString(id)) return std::string(text);
    return std::nullopt;
}

const DialogTemplate* TemplateLookup::find(uint16_t id) const {
    for (const auto& source : sources_) {
        if (const DialogTemplate* t = source(id)) return t;
    }
    return builtinTemplate(id);
}

} // namespace lntc
