// A dialog template as the system's dialog manager reads it (the extended form), built in
// memory from the library's templates.
#pragma once
#include "resources/templates.h"

#include <cstdint>
#include <vector>

namespace lntc::win32 {

// The extended template of the dialog: the window's style from the dialog's bits, the system's
// control classes ("lnt_tcp_edit" for the address control), the template's font. Dropped combo
// lists are given room for ten rows below the closed box.
std::vector<uint8_t> BuildDialogTemplate(const DialogTemplate& t);

// The window and control styles (WS_, BS_, ES_, ... bits) the template's bits become.
uint32_t DialogStyle(const DialogTemplate& t);
uint32_t ControlStyle(const ControlTemplate& c);

} // namespace lntc::win32
