#include "ui/qt/qt_message_box.h"

#include <QMessageBox>

namespace lntc {

namespace {

using SB = QMessageBox::StandardButton;

QMessageBox::Icon iconOf(uint32_t style) {
    switch (style & mb::IconMask) {
    case mb::IconHand:
        return QMessageBox::Critical;
    case mb::IconQuestion:
        return QMessageBox::Question;
    case mb::IconExclamation:
        return QMessageBox::Warning;
    case mb::IconAsterisk:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The buttons of a style and the one that is the default.
QMessageBox::StandardButtons buttonsOf(uint32_t style, SB& first) {
    switch (style & mb::TypeMask) {
    case mb::OkCancel:
        first = SB::Ok;
        return SB::Ok | SB::Cancel;
    case mb::AbortRetryIgnore:
        first = SB::Abort;
        return SB::Abort | SB::Retry | SB::Ignore;
    case mb::YesNoCancel:
        first = SB::Yes;
        return SB::Yes | SB::No | SB::Cancel;
    case mb::YesNo:
        first = SB::Yes;
        return SB::Yes | SB::No;
    case mb::RetryCancel:
        first = SB::Retry;
        return SB::Retry | SB::Cancel;
    default:
        first = SB::Ok;
        return SB::Ok;
    }
}

int answerOf(int pressed) {
    switch (pressed) {
    case SB::Ok:
        return id::Ok;
    case SB::Cancel:
        return id::Cancel;
    case SB::Abort:
        return id::Abort;
    case SB::Retry:
        return id::Retry;
    case SB::Ignore:
        return id::Ignore;
    case SB::Yes:
        return id::Yes;
    case SB::No:
        return id::No;
    default:
        return 0;
    }
}

} // namespace

int ShowQtMessageBox(const BoxRequest& request, QWidget* owner,
                     const std::function<int(QMessageBox&)>& hook) {
    SB first = SB::Ok;
    QMessageBox::StandardButtons buttons = buttonsOf(request.style, first);
    QMessageBox box(iconOf(request.style), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), buttons, owner);
    box.setDefaultButton(first);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    if (request.style & mb::SetForeground) box.setWindowFlag(Qt::WindowStaysOnTopHint);

    int pressed = hook ? hook(box) : 0;
    if (pressed == 0) pressed = box.exec();
    // Closed without a button, or with one it does not have: the answer that changes nothing.
    if ((buttons.toInt() & pressed) == 0 || answerOf(pressed) == 0)
        return safeAnswer(request.style);
    return answerOf(pressed);
}

} // namespace lntc
