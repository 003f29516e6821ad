#include "ui/qt/qt_window.h"

#include "ui/qt/logo_window.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/qt_frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace lntc {

DialogUnits DialogUnits::of(const QFont& font) {
    QFontMetrics fm(font);
    // The original platform's average width: the 52 letters, halved with rounding.
    int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits u;
    u.baseX = std::max(1, (width / 26 + 1) / 2);
    u.baseY = std::max(1, fm.height());
    return u;
}

namespace {

const QStringList& frameLessPlatforms() {
    static const QStringList names = {"vnc",     "offscreen", "minimal",      "minimalegl",
                                      "linuxfb", "eglfs",     "vkkhrdisplay", "directfb"};
    return names;
}

} // namespace

bool PlatformFramesNoWindows() {
    return frameLessPlatforms().contains(QGuiApplication::platformName(), Qt::CaseInsensitive);
}

QPoint PlaceWindow(QSize frame, const QRect& owner, const QRect& screen) {
    QPoint at(owner.x() + (owner.width() - frame.width()) / 2,
              owner.y() + (owner.height() - frame.height()) / 2);
    at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - frame.width())));
    at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - frame.height())));
    return at;
}

QtDialogWindow::QtDialogWindow(WindowModel& model, ModelWindow& window, const DialogTemplate& t,
                               QWidget* parent, bool ownFrame)
    : QDialog(parent), model_(model), window_(&window) {
    Qt::WindowFlags flags = Qt::Dialog;
    ownFrame = ownFrame && !(t.style & ds::Popup);
    if ((t.style & ds::Popup) || ownFrame) {
        flags |= Qt::FramelessWindowHint;
    } else {
        // A fixed size and only the close box: no minimise or maximise, as the template means.
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (t.style & ds::SysMenu) flags |= Qt::WindowCloseButtonHint;
    }
    setWindowFlags(flags);
    setWindowTitle(QString::fromStdString(window.title));
    QFont f(t.fontName != nullptr ? QString::fromUtf8(t.fontName)
                                  : QStringLiteral("MS Sans Serif"));
    f.setPointSize(t.fontPoints > 0 ? t.fontPoints : 8);
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
    units_ = DialogUnits::of(font());
    if (ownFrame) {
        std::function<void()> close;
        if (t.style & ds::SysMenu)
            close = [this] { user([](WindowModel& m, ModelWindow& w) { m.userCloseBox(w); }); };
        frame_ = new WindowFrame(*this, t.style & ds::Caption, std::move(close));
        client_ = new QWidget(this);
        client_->move(contentsRect().topLeft());
    }
    build(t);
    const QSize area(units_.x(t.cx), units_.y(t.cy));
    client_->resize(area);
    setFixedSize(area.grownBy(contentsMargins()));
}

QWidget* QtDialogWindow::titleBar() const {
    return frame_ != nullptr ? frame_->titleBar() : nullptr;
}

QAbstractButton* QtDialogWindow::closeBox() const {
    return frame_ != nullptr ? frame_->closeBox() : nullptr;
}

QtDialogWindow::~QtDialogWindow() {
    if (window_ != nullptr) window_->view = nullptr;
    window_ = nullptr;
    // While this object still stands: the widgets' last signals and events find it detached.
    for (QWidget*& w : widgets_)
        delete std::exchange(w, nullptr);
}

void QtDialogWindow::detach(std::unique_ptr<ModelWindow> closed) {
    window_ = nullptr;
    closed_ = std::move(closed);
}

void QtDialogWindow::build(const DialogTemplate& t) {
    widgets_.reserve(t.controls.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& ct = t.controls[i];
        QWidget* w = MakeControlWidget(*this, ct, window_->controls[i]);
        if (client_ != this) w->setParent(client_);
        int height = units_.y(ct.cy);
        // A combo box's height in the template includes its dropped list.
        if (ct.kind == ControlKind::ComboBox) height = std::min(height, w->sizeHint().height());
        w->setGeometry(units_.x(ct.x), units_.y(ct.y), units_.x(ct.cx), height);
        if (ct.kind == ControlKind::GroupBox) w->lower();
        if (takesFocus(ct.kind)) {
            w->setFocusPolicy((ct.style & cs::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            w->installEventFilter(this);
            if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
                combo->lineEdit()->installEventFilter(this);
        }
        widgets_.push_back(w);
        ids_.push_back(ct.id);
    }
    // A label's mnemonic gives the focus to the control after it.
    for (size_t i = 0; i + 1 < t.controls.size(); ++i) {
        const ControlTemplate& ct = t.controls[i];
        if (ct.kind == ControlKind::Static && !(ct.style & cs::NoPrefix) && ct.caption != nullptr &&
            std::string_view(ct.caption).find('&') != std::string_view::npos &&
            takesFocus(t.controls[i + 1].kind))
            static_cast<QLabel*>(widgets_[i])->setBuddy(widgets_[i + 1]);
    }
    // Everything else as the model has it.
    Quiet quiet(*this);
    for (size_t i = 0; i < widgets_.size(); ++i)
        for (Changed what : {Changed::Text, Changed::Enabled, Changed::Visible})
            MirrorControl(widgets_[i], window_->controls[i], what, -1);
    mirror(nullptr, Changed::DefaultButton, -1);
}

QWidget* QtDialogWindow::widget(int id) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id) return widgets_[i];
    return nullptr;
}

int QtDialogWindow::idOf(QObject* o) const {
    for (size_t i = 0; i < widgets_.size(); ++i) {
        if (widgets_[i] == o) return ids_[i];
        if (auto* combo = qobject_cast<QComboBox*>(widgets_[i]); combo && combo->lineEdit() == o)
            return ids_[i];
    }
    return 0;
}

void QtDialogWindow::mirror(ModelControl* control, Changed what, int index) {
    if (window_ == nullptr) return;
    Quiet quiet(*this);
    if (control != nullptr) {
        size_t i = static_cast<size_t>(control - window_->controls.data());
        if (i < widgets_.size()) MirrorControl(widgets_[i], *control, what, index);
        return;
    }
    switch (what) {
    case Changed::Focus:
        syncFocus();
        break;
    case Changed::DefaultButton:
        for (size_t i = 0; i < widgets_.size(); ++i)
            if (auto* b = qobject_cast<QPushButton*>(widgets_[i]))
                b->setDefault(ids_[i] == window_->defaultButton);
        break;
    case Changed::Title:
        setWindowTitle(QString::fromStdString(window_->title));
        break;
    case Changed::Placement:
        if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != window_->topmost) {
            bool shown = isVisible();
            setWindowFlag(Qt::WindowStaysOnTopHint, window_->topmost); // hides the window
            if (shown) show();
        }
        move(window_->rect.x, window_->rect.y);
        placed = true;
        if (window_->topmost) RaiseWindow(this);
        break;
    default:
        break;
    }
}

void QtDialogWindow::syncFocus() {
    QWidget* current = QApplication::focusWidget();
    QWidget* target = window_->focus != 0 ? widget(window_->focus) : nullptr;
    if (target == nullptr) {
        if (current != nullptr && isAncestorOf(current)) setFocus(Qt::OtherFocusReason);
        return;
    }
    if (current != nullptr && (current == target || target->isAncestorOf(current))) return;
    target->setFocus(Qt::OtherFocusReason);
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event) {
    const int id = window_ != nullptr ? idOf(watched) : 0;
    const ModelControl* c = id != 0 ? window_->find(id) : nullptr;
    if (c == nullptr) return QDialog::eventFilter(watched, event);
    const bool button = isButton(c->kind);
    switch (event->type()) {
    case QEvent::FocusIn:
        // Qt gives a clicked button the focus before the press arrives.
        if (button && static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            focusClickPending_ = true;
            user([id](WindowModel& m, ModelWindow& w) { m.userPress(w, id); });
        } else {
            user([id](WindowModel& m, ModelWindow& w) { m.userFocus(w, id); });
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (button && !focusClickPending_)
            user([id](WindowModel& m, ModelWindow& w) { m.userPress(w, id); });
        focusClickPending_ = false;
        break;
    case QEvent::MouseButtonRelease: {
        bool counts = true;
        if (button) user([&](WindowModel& m, ModelWindow& w) { counts = m.userRelease(w, id); });
        if (!counts) {
            static_cast<QAbstractButton*>(watched)->setDown(false);
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            user([](WindowModel& m, ModelWindow& w) { m.userHelp(w); });
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) break;
        user([](WindowModel& m, ModelWindow& w) { m.userEnter(w); });
        return;
    case Qt::Key_Escape:
        user([](WindowModel& m, ModelWindow& w) { m.userEscape(w); });
        return;
    case Qt::Key_F1:
        user([](WindowModel& m, ModelWindow& w) { m.userHelp(w); });
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void QtDialogWindow::closeEvent(QCloseEvent* event) {
    // The window goes when the dialog ends it; the close box only asks for Cancel.
    event->ignore();
    user([](WindowModel& m, ModelWindow& w) { m.userCloseBox(w); });
}

bool QtDialogWindow::focusNextPrevChild(bool next) {
    // Qt's own moves (a widget losing the focus while the model changes it) are not the user's.
    if (window_ == nullptr || quiet_ != 0) return false;
    model_.userTab(*window_, next);
    return true;
}

} // namespace lntc
