#include "ui/host.h"

namespace lntc {

int safeAnswer(uint32_t style) {
    switch (style & mb::TypeMask) {
    case mb::Ok:
        return id::Ok;
    case mb::YesNo:
        return id::No;
    case mb::AbortRetryIgnore:
        return id::Abort;
    default: // OK/Cancel, Yes/No/Cancel, Retry/Cancel
        return id::Cancel;
    }
}

} // namespace lntc
