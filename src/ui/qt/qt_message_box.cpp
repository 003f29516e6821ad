#include "ui/qt/qt_message_box.h"

#include "ui/qt/qt_frame.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

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

// The texts the platform's own boxes give their buttons, with their mnemonics.
const char* captionOf(SB button) {
    switch (button) {
    case SB::Cancel:
        return "Cancel";
    case SB::Abort:
        return "&Abort";
    case SB::Retry:
        return "&Retry";
    case SB::Ignore:
        return "&Ignore";
    case SB::Yes:
        return "&Yes";
    case SB::No:
        return "&No";
    default:
        return "OK";
    }
}

SB buttonOf(int answer) {
    switch (answer) {
    case id::Cancel:
        return SB::Cancel;
    case id::Abort:
        return SB::Abort;
    case id::Retry:
        return SB::Retry;
    case id::Ignore:
        return SB::Ignore;
    case id::Yes:
        return SB::Yes;
    case id::No:
        return SB::No;
    default:
        return SB::Ok;
    }
}

// A box that works from the keyboard as the platform's do: it takes the focus when it shows,
// even where no window manager hands it over, and shows which button has it.
class Box : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box
        PlaceOnOwner(*this);
        activateWindow();
        if (QPushButton* b = defaultButton()) b->setFocus(Qt::TabFocusReason);
        // The focus frame shows from the start, as after a key press.
        setAttribute(Qt::WA_KeyboardFocusChange);
    }
    void keyPressEvent(QKeyEvent* event) override {
        // A mnemonic letter presses its button at once, with Alt or without.
        const auto mods = event->modifiers() & ~(Qt::AltModifier | Qt::ShiftModifier);
        const QString key = event->text().toLower();
        if (mods == Qt::NoModifier && key.size() == 1 && key[0].isLetter()) {
            for (QAbstractButton* b : buttons()) {
                if (b->text().toLower().contains(QLatin1Char('&') + key)) {
                    b->click();
                    return;
                }
            }
        }
        QMessageBox::keyPressEvent(event);
    }
};

} // namespace

int ShowQtMessageBox(const BoxRequest& request, QWidget* owner,
                     const std::function<int(QMessageBox&)>& hook, bool ownFrame) {
    SB first = SB::Ok;
    QMessageBox::StandardButtons buttons = buttonsOf(request.style, first);
    Box box(iconOf(request.style), QString::fromStdString(request.caption),
            QString::fromStdString(request.text), buttons, owner);
    for (QAbstractButton* b : box.buttons())
        b->setText(QString::fromLatin1(captionOf(box.standardButton(b))));
    box.setDefaultButton(first);
    // Escape gives the answer closing the box gives.
    box.setEscapeButton(buttonOf(safeAnswer(request.style)));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    if (request.style & mb::SetForeground) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Its close box answers as Escape does.
    if (ownFrame)
        new WindowFrame(box, true, [&box] {
            if (QAbstractButton* b = box.escapeButton()) b->click();
        });

    int pressed = hook ? hook(box) : 0;
    if (pressed == 0) pressed = box.exec();
    // Closed without a button, or with one it does not have: the answer that changes nothing.
    if ((buttons.toInt() & pressed) == 0 || answerOf(pressed) == 0)
        return safeAnswer(request.style);
    return answerOf(pressed);
}

} // namespace lntc
