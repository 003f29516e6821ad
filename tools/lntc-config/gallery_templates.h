// The templates the gallery shows.
#pragma once
#include "resources/templates.h"

#include <span>

namespace lntc {

// The built-in templates when the build has them, else a sample of every control kind.
std::span<const DialogTemplate* const> galleryTemplates();

} // namespace lntc
