#include "ui/template_lookup.h"

namespace lntc {

const DialogTemplate* TemplateLookup::find(uint16_t id) const {
    for (const auto& source : sources_) {
        if (const DialogTemplate* t = source(id)) return t;
    }
    // The built-in tables (builtinTemplate) join here once they are part of the build.
    return nullptr;
}

} // namespace lntc
