// The parts of the address control that need the library around it: kept apart so that the
// control's logic can be linked into the Qt module on its own.
#include "ui/address_edit.h"
#include "ui/message_box.h"

namespace lntc {

bool RegisterAddressEditClass(UiContext& lib) {
    WindowClasses* classes = lib.host().windowClasses();
    return classes != nullptr && RegisterAddressEditClass(*classes);
}

int ShowInvalidAddressByte(UiContext& lib, WindowRef parent) {
    return MessageBoxId(lib, parent, str::ErrorCaption, mb::Ok, kInvalidAddressByteId);
}

} // namespace lntc
