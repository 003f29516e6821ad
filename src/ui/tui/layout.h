// Dialog units onto character cells: 4 units a column and 8 a row, the standard ratio. A
// dialog that would not fit the terminal is compressed, rows keeping apart the lines of
// controls that stood apart; every dialog is centred.
#pragma once
#include "resources/templates.h"
#include "ui/tui/cells.h"

#include <vector>

namespace lntc::tui {

struct ControlPlace {
    int16_t x, y, cx, cy; // dialog units
    ControlKind kind;
    uint32_t style;
};

struct DialogLayout {
    CellRect frame;                 // the dialog with its frame, on the screen
    std::vector<CellRect> controls; // template order, on the screen
};

// Whether a control of the kind is drawn on one row whatever its height in the template.
bool SingleRow(ControlKind kind, uint32_t style, int cy);

DialogLayout LayoutDialog(int cx, int cy, const std::vector<ControlPlace>& controls, int cols,
                          int rows);

} // namespace lntc::tui
