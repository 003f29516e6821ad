// Message boxes as Qt shows them: the platform's styles as buttons and icons, the answer as
// the platform's button id.
#pragma once
#include "ui/window_model.h"

#include <functional>

class QMessageBox;
class QWidget;

namespace lntc {

// Shows the box over owner (nullptr: application modal). hook, when set, gets the box as
// built and answers for the user (a QMessageBox::StandardButton; 0 shows the box for real).
// ownFrame: framed by the host, where nothing else frames it.
int ShowQtMessageBox(const BoxRequest& box, QWidget* owner,
                     const std::function<int(QMessageBox&)>& hook, bool ownFrame = false);

} // namespace lntc
