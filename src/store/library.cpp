#include "store/library.h"

#include "media/ldpx_config.h"
#include "logo/logo.h"
#include "resources/strings.h"
#include "ui/framework_strings.h"
#include "resources/templates.h"

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

Library::Library(const Platform& platform, ProductLibs& product, Host& host)
    : platform_(platform), product_(product), host_(&host) {}

Library::~Library() = default;

} // namespace lntc
