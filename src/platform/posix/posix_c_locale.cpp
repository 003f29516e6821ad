#include "platform/c_locale.h"

#include <locale.h>

#include <type_traits>

namespace lntc {

static_assert(std::is_pointer_v<locale_t>);

namespace {

locale_t cLocale() {
    // glibc hands out its built-in C locale object here; nothing is allocated or freed.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}

} // namespace

CLocaleScope::CLocaleScope() : previous_(nullptr) {
    if (locale_t c = cLocale()) previous_ = uselocale(c);
}

CLocaleScope::~CLocaleScope() {
    if (previous_ != nullptr) uselocale(static_cast<locale_t>(previous_));
}

} // namespace lntc
