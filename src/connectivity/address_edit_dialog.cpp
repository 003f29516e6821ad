// The parts of the address control that need the library: kept apart so that the control's
// logic can be linked into the Qt module on its own.
#include "configure/message_box.h"
#include "connectivity/address_edit.h"
#include "store/library.h"

namespace lntc {

bool RegisterAddressEditClass(Library& lib) {
    WindowClasses* classes = lib.host().windowClasses();
    return classes != nullptr && RegisterAddressEditClass(*classes);
}

int ShowInvalidAddressByte(Library& lib, WindowRef parent) {
    return MessageBoxId(lib, parent, kErrorCaptionId, mb::Ok, kInvalidAddressByteId);
}

} // namespace lntc
