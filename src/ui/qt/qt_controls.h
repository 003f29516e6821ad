// The widget of each control kind: what it sends the model when the user works it, and how
// it follows the model's state.
#pragma once
#include "resources/templates.h"
#include "ui/window_model.h"

class QWidget;

namespace lntc {

class QtDialogWindow;

// A widget for the control, child of the window, wired to the model's user operations.
QWidget* MakeControlWidget(QtDialogWindow& window, const ControlTemplate& ct,
                           ModelControl& control);
// The widget takes on what changed in the control. Called while the window is quiet.
void MirrorControl(QWidget* widget, const ModelControl& control, Changed what, int index);

} // namespace lntc
