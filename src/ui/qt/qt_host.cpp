#include "ui/qt/qt_host.h"

#include "platform/windows.h"
#include "ui/qt/address_widget.h"
#include "ui/qt/help_window.h"
#include "ui/qt/logo_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

namespace lntc {

namespace {

// The hosts of this module that exist now. Never destroyed: the exit hook and hosts deleted
// by a library's unload still need it after the module's own static objects are gone.
std::vector<QtHost*>& liveHosts() {
    static auto* hosts = new std::vector<QtHost*>;
    return *hosts;
}
bool g_applicationHookAdded = false;
bool g_exitHookAdded = false;

// The class the original platform gives dialog windows; what the window registry records.
constexpr const char* kDialogClass = "#32770";
// Boxes nest only through handlers that show boxes while a box is up; this deep is a loop.
constexpr int kMaxBoxDepth = 16;
constexpr int kEditMaxChars = 32767;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QString& s) {
    return s.toStdString();
}

bool isPush(ControlKind k) {
    return k == ControlKind::PushButton || k == ControlKind::DefPushButton;
}
bool isButton(ControlKind k) {
    return isPush(k) || k == ControlKind::CheckBox || k == ControlKind::RadioButton;
}
bool takesFocus(ControlKind k) {
    return k != ControlKind::Static && k != ControlKind::GroupBox && k != ControlKind::Picture;
}

// "&&" is a literal ampersand, a single "&" marks the mnemonic: without a buddy to give it
// to, the label shows the text without the marks.
QString withoutMnemonic(const QString& text) {
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// An automatic check box: a click toggles between unchecked and checked, whatever state the
// dialog had put it in.
class CheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {
        bool wasChecked = checkState() == Qt::Checked;
        setTristate(false);
        setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
    }
};

// An automatic radio button: a click checks it; the dialog window clears the rest of its
// group (template groups, not Qt's sibling groups).
class RadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override { setChecked(true); }
};

// A combo box that reports its list opening and closing.
class ComboBox : public QComboBox {
  public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown, onCloseUp;
    void showPopup() override {
        if (onDropDown) onDropDown();
        dropped_ = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        // Qt also calls this when the box goes away with its list closed.
        if (!dropped_) return;
        dropped_ = false;
        if (onCloseUp) onCloseUp();
    }

  private:
    bool dropped_ = false;
};

} // namespace

// --- dialog units ----------------------------------------------------------------------

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

// --- one dialog window -----------------------------------------------------------------

struct QtControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    uint32_t style = 0;
    QWidget* widget = nullptr;
    QString text; // statics: the text as the dialog set it, mnemonic marks included
    int limit = 0;
    bool hasBuddy = false;
    bool editableCombo() const {
        return kind == ControlKind::ComboBox && !(style & cs::DropDownList);
    }
};

class QtDialogWindow : public QDialog {
  public:
    QtDialogWindow(QtHost& host, DialogEvents& events, const DialogTemplate& t, QWidget* parent,
                   bool modal);

    QtHost& host;
    DialogEvents* events;
    uint16_t templateId;
    uint32_t style;
    bool modal;
    bool ended = false;
    int endCode = 0;
    int focusId = 0;
    int savedFocus = 0;
    int defaultId = 0;
    int pressed = 0; // the button under a mouse click; a focus loss cancels the click
    bool focusClickPending = false;
    int quiet = 0; // programmatic changes under way: no notifications
    QEventLoop* loop = nullptr;
    TopWindows::Handle entry = 0;
    DialogUnits units;
    std::vector<QtControl> controls;

    QtControl* find(int id) {
        for (auto& c : controls)
            if (c.id == id) return &c;
        return nullptr;
    }
    QtControl* findWidget(QObject* o) {
        for (auto& c : controls) {
            if (c.widget == o) return &c;
            if (auto* combo = qobject_cast<QComboBox*>(c.widget))
                if (combo->lineEdit() == o) return &c;
        }
        return nullptr;
    }
    bool focusable(const QtControl& c) const {
        return takesFocus(c.kind) && c.widget->isEnabled() && !c.widget->isHidden();
    }
    int firstTabStop() const {
        for (const auto& c : controls)
            if (focusable(c) && (c.style & cs::TabStop)) return c.id;
        for (const auto& c : controls)
            if (focusable(c)) return c.id;
        return 0;
    }

    void command(int id, Notify code) {
        if (quiet == 0) events->dispatchCommand(id, code);
    }
    void notifyFocus(int id, bool gained) {
        if (!gained && pressed == id) pressed = 0;
        events->dispatchFocus(id, gained);
    }
    // The focus moves to id (0: no control): kill-focus, then set-focus unless the kill-focus
    // handler has moved it elsewhere; the widgets follow.
    void focusTo(int id) {
        int previous = focusId;
        if (previous == id) return;
        focusId = id;
        if (previous != 0) notifyFocus(previous, false);
        if (focusId != id) return;
        if (id != 0) notifyFocus(id, true);
        if (focusId == id) syncQtFocus();
    }
    void syncQtFocus() {
        QWidget* current = QApplication::focusWidget();
        if (focusId == 0) {
            if (current != nullptr && isAncestorOf(current)) setFocus(Qt::OtherFocusReason);
            return;
        }
        QtControl* c = find(focusId);
        if (c == nullptr) return;
        if (current != nullptr && (current == c->widget || c->widget->isAncestorOf(current)))
            return;
        c->widget->setFocus(Qt::OtherFocusReason);
    }
    void clearGroupOf(int id) {
        auto self = std::find_if(controls.begin(), controls.end(),
                                 [&](const QtControl& x) { return x.id == id; });
        if (self == controls.end()) return;
        auto first = self;
        while (first != controls.begin() && !(first->style & cs::Group) &&
               std::prev(first)->kind == ControlKind::RadioButton)
            --first;
        ++quiet;
        for (auto it = first; it != controls.end() && it->kind == ControlKind::RadioButton; ++it) {
            if (it != first && (it->style & cs::Group)) break;
            static_cast<QAbstractButton*>(it->widget)->setChecked(it == self);
        }
        --quiet;
    }
    void enter() {
        QtControl* f = find(focusId);
        if (f != nullptr && isPush(f->kind)) {
            command(f->id, Notify::Clicked);
        } else if (defaultId != 0) {
            QtControl* d = find(defaultId);
            if (d == nullptr || d->widget->isEnabled()) command(defaultId, Notify::Clicked);
        } else {
            command(ctl::Ok, Notify::Clicked);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) break;
            enter();
            return;
        case Qt::Key_Escape:
            command(ctl::Cancel, Notify::Clicked);
            return;
        case Qt::Key_F1:
            events->dispatchHelpRequest();
            return;
        default:
            break;
        }
        QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        // The window goes when the dialog ends it; the close box only asks for Cancel.
        event->ignore();
        if (!(style & ds::SysMenu)) return;
        QtControl* cancel = find(ctl::Cancel);
        if (cancel == nullptr || cancel->widget->isEnabled()) command(ctl::Cancel, Notify::Clicked);
    }
    void reject() override {}
    void accept() override {}

  private:
    void build(const DialogTemplate& t);
    QWidget* makeControl(const ControlTemplate& ct, QtControl& c);
};

QtDialogWindow::QtDialogWindow(QtHost& h, DialogEvents& e, const DialogTemplate& t, QWidget* parent,
                               bool m)
    : QDialog(parent), host(h), events(&e), templateId(t.id), style(t.style), modal(m) {
    Qt::WindowFlags flags = Qt::Dialog;
    if (t.style & ds::Popup) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (t.style & ds::SysMenu) flags |= Qt::WindowCloseButtonHint;
    }
    setWindowFlags(flags);
    setWindowTitle(t.title != nullptr ? QString::fromUtf8(t.title) : QString());
    QFont f(t.fontName != nullptr ? QString::fromUtf8(t.fontName)
                                  : QStringLiteral("MS Sans Serif"));
    f.setPointSize(t.fontPoints > 0 ? t.fontPoints : 8);
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
    units = DialogUnits::of(font());
    build(t);
    setFixedSize(units.x(t.cx), units.y(t.cy));
}

QWidget* QtDialogWindow::makeControl(const ControlTemplate& ct, QtControl& c) {
    QString caption = ct.caption != nullptr ? QString::fromUtf8(ct.caption) : QString();
    const int id = ct.id;
    switch (ct.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(this);
        Qt::Alignment h = (ct.style & cs::Center)  ? Qt::AlignHCenter
                          : (ct.style & cs::Right) ? Qt::AlignRight
                                                   : Qt::AlignLeft;
        label->setAlignment(h | Qt::AlignTop);
        label->setWordWrap(true);
        if (ct.style & (cs::Sunken | cs::Border))
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        c.text = caption;
        return label;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(caption, this);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        QObject::connect(b, &QAbstractButton::clicked, this,
                         [this, id] { command(id, Notify::Clicked); });
        return b;
    }
    case ControlKind::CheckBox: {
        auto* b = new CheckBox(caption, this);
        QObject::connect(b, &QAbstractButton::clicked, this,
                         [this, id] { command(id, Notify::Clicked); });
        return b;
    }
    case ControlKind::RadioButton: {
        auto* b = new RadioButton(caption, this);
        b->setAutoExclusive(false);
        QObject::connect(b, &QAbstractButton::clicked, this, [this, id] {
            if (quiet != 0) return;
            clearGroupOf(id);
            command(id, Notify::Clicked);
        });
        return b;
    }
    case ControlKind::Edit: {
        if (ct.style & cs::MultiLine) {
            auto* e = new QPlainTextEdit(this);
            e->setReadOnly(ct.style & cs::ReadOnly);
            e->setTabChangesFocus(true);
            QObject::connect(e, &QPlainTextEdit::textChanged, this,
                             [this, id] { command(id, Notify::EditChange); });
            return e;
        }
        auto* e = new QLineEdit(this);
        e->setReadOnly(ct.style & cs::ReadOnly);
        if (ct.style & cs::Password) e->setEchoMode(QLineEdit::Password);
        if (ct.style & cs::Number)
            e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
        QObject::connect(e, &QLineEdit::textEdited, this, [this, id, e] {
            if (QtControl* self = find(id);
                self != nullptr && self->limit > 0 && e->text().size() <= self->limit)
                e->setMaxLength(self->limit); // a longer text set by the dialog has been cut back
            command(id, Notify::EditChange);
        });
        return e;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(this);
        list->setSelectionMode((ct.style & cs::ExtendedSel) ? QAbstractItemView::ExtendedSelection
                               : (ct.style & cs::MultiSel)  ? QAbstractItemView::MultiSelection
                                                            : QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        QObject::connect(list, &QListWidget::itemSelectionChanged, this,
                         [this, id] { command(id, Notify::SelChange); });
        QObject::connect(list, &QListWidget::itemDoubleClicked, this,
                         [this, id] { command(id, Notify::DoubleClicked); });
        return list;
    }
    case ControlKind::ComboBox: {
        auto* combo = new ComboBox(this);
        bool editable = !(ct.style & cs::DropDownList);
        combo->setEditable(editable);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(
            std::max(3, units.y(ct.cy) / std::max(1, fontMetrics().height())));
        combo->onDropDown = [this, id] { command(id, Notify::DropDown); };
        combo->onCloseUp = [this, id] { command(id, Notify::CloseUp); };
        QObject::connect(combo, &QComboBox::activated, this,
                         [this, id, combo, editable](int index) {
                             if (editable) {
                                 ++quiet;
                                 combo->setEditText(combo->itemText(index));
                                 --quiet;
                             }
                             command(id, Notify::SelChange);
                         });
        if (editable) {
            combo->setCompleter(nullptr);
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                             [this, id, combo](const QString& text) {
                                 // Typed text selects nothing, as in the original control.
                                 if (combo->currentIndex() >= 0 &&
                                     combo->itemText(combo->currentIndex()) != text) {
                                     ++quiet;
                                     int cursor = combo->lineEdit()->cursorPosition();
                                     combo->setCurrentIndex(-1);
                                     combo->setEditText(text);
                                     combo->lineEdit()->setCursorPosition(cursor);
                                     --quiet;
                                 }
                                 command(id, Notify::EditChange);
                             });
        }
        return combo;
    }
    case ControlKind::ScrollBar: {
        auto* bar = new QScrollBar((ct.style & cs::Vertical) ? Qt::Vertical : Qt::Horizontal, this);
        // Only the arrows matter: the bar never moves, it reports what the user asked for.
        bar->setRange(0, 2);
        bar->setValue(1);
        bar->setPageStep(1);
        QObject::connect(bar, &QAbstractSlider::actionTriggered, this, [this, id, bar](int action) {
            Scroll code;
            switch (action) {
            case QAbstractSlider::SliderSingleStepSub:
                code = Scroll::LineUp;
                break;
            case QAbstractSlider::SliderSingleStepAdd:
                code = Scroll::LineDown;
                break;
            case QAbstractSlider::SliderPageStepSub:
                code = Scroll::PageUp;
                break;
            case QAbstractSlider::SliderPageStepAdd:
                code = Scroll::PageDown;
                break;
            case QAbstractSlider::SliderToMinimum:
                code = Scroll::Top;
                break;
            case QAbstractSlider::SliderToMaximum:
                code = Scroll::Bottom;
                break;
            case QAbstractSlider::SliderMove:
                code = Scroll::ThumbTrack;
                break;
            default:
                return;
            }
            if (quiet == 0) events->dispatchScroll(id, code);
            QSignalBlocker block(bar);
            bar->setSliderPosition(1);
        });
        QObject::connect(bar, &QAbstractSlider::valueChanged, this, [bar](int value) {
            if (value == 1) return;
            QSignalBlocker block(bar);
            bar->setValue(1);
        });
        return bar;
    }
    case ControlKind::AddressEdit: {
        auto* a = new AddressEditWidget(this);
        a->onUserChange = [this, id] { command(id, Notify::EditChange); };
        a->onBadInput = [this, id] {
            return events->dispatchControlNotify(id, static_cast<uint16_t>(kBadInputNotification));
        };
        a->onInvalidByte = [this] {
            host.messageBox(this, host.loadString(kInvalidAddressByteId),
                            host.loadString(str::ErrorCaption), mb::Ok);
        };
        return a;
    }
    case ControlKind::Picture: {
        auto* frame = new QLabel(this);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        return frame;
    }
    }
    return new QWidget(this);
}

void QtDialogWindow::build(const DialogTemplate& t) {
    QWidget* previousTab = nullptr;
    controls.reserve(t.controls.size());
    for (const ControlTemplate& ct : t.controls) {
        QtControl c;
        c.id = ct.id;
        c.kind = ct.kind;
        c.style = ct.style;
        c.widget = makeControl(ct, c);
        QWidget* w = c.widget;
        int height = units.y(ct.cy);
        // A combo box's height in the template includes its dropped list.
        if (ct.kind == ControlKind::ComboBox) height = std::min(height, w->sizeHint().height());
        w->setGeometry(units.x(ct.x), units.y(ct.y), units.x(ct.cx), height);
        if (ct.kind == ControlKind::GroupBox) w->lower();
        if (takesFocus(ct.kind)) {
            w->setFocusPolicy((ct.style & cs::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            if (previousTab != nullptr) QWidget::setTabOrder(previousTab, w);
            previousTab = w;
            w->installEventFilter(this);
            if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
                combo->lineEdit()->installEventFilter(this);
        }
        if (ct.style & cs::Disabled) w->setEnabled(false);
        if (ct.style & cs::Hidden) w->hide();
        if (ct.kind == ControlKind::DefPushButton && defaultId == 0) {
            defaultId = ct.id;
            static_cast<QPushButton*>(w)->setDefault(true);
        }
        controls.push_back(std::move(c));
    }
    // A label's mnemonic gives the focus to the control after it.
    for (size_t i = 0; i < controls.size(); ++i) {
        QtControl& c = controls[i];
        if (c.kind != ControlKind::Static) continue;
        auto* label = static_cast<QLabel*>(c.widget);
        if (!(c.style & cs::NoPrefix) && c.text.contains('&') && i + 1 < controls.size() &&
            takesFocus(controls[i + 1].kind)) {
            label->setBuddy(controls[i + 1].widget);
            c.hasBuddy = true;
            label->setText(c.text);
        } else {
            label->setText((c.style & cs::NoPrefix) ? c.text : withoutMnemonic(c.text));
        }
    }
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event) {
    QtControl* c = findWidget(watched);
    if (c == nullptr) return QDialog::eventFilter(watched, event);
    const int id = c->id;
    switch (event->type()) {
    case QEvent::FocusIn: {
        auto* fe = static_cast<QFocusEvent*>(event);
        if (isButton(c->kind) && fe->reason() == Qt::MouseFocusReason) {
            pressed = id;
            focusClickPending = true;
        }
        focusTo(id);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (isButton(c->kind)) {
            if (!focusClickPending) pressed = id;
            focusClickPending = false;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (isButton(c->kind)) {
            if (pressed != id) {
                // A box or a focus move took the focus on the way: the click does not count.
                static_cast<QAbstractButton*>(c->widget)->setDown(false);
                return true;
            }
            pressed = 0;
        }
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            events->dispatchHelpRequest();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// --- host ------------------------------------------------------------------------------

QtHost::QtHost(QtHostServices* services, std::unique_ptr<QApplication> ownedApp)
    : services_(services), ownedApp_(std::move(ownedApp)) {
    liveHosts().push_back(this);
    // Called at the start of the application object's destructor; the list of these hooks
    // is emptied there, so each application object gets its own.
    if (!g_applicationHookAdded) {
        qAddPostRoutine(&QtHost::applicationEnding);
        g_applicationHookAdded = true;
    }
    // Runs before the destructors of the libraries (and of a library that loaded this
    // module); this module is never unloaded.
    if (!g_exitHookAdded) g_exitHookAdded = std::atexit(&QtHost::processExiting) == 0;
}

QtHost::~QtHost() {
    auto& hosts = liveHosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
    if (toolkitGone_) {
        // Only the window registry may be touched; the widgets go with the process.
        for (QtDialogWindow* w : stack_)
            unregisterWindow(*w);
        stack_.clear();
        (void)ownedApp_.release();
        return;
    }
    releaseWidgets();
    ownedApp_.reset();
}

void QtHost::releaseWidgets() {
    while (!stack_.empty()) {
        QtDialogWindow* w = stack_.back();
        if (w->loop != nullptr) w->loop->exit(0);
        unregisterWindow(*w);
        stack_.pop_back();
        delete w;
    }
    if (logo_) logo_->release();
    delete help_.data();
    while (waitDepth_ > 0)
        endWaitCursor();
}

void QtHost::applicationEnding() {
    g_applicationHookAdded = false;
    for (QtHost* host : std::vector<QtHost*>(liveHosts()))
        host->letGo(true);
}

void QtHost::processExiting() {
    for (QtHost* host : std::vector<QtHost*>(liveHosts()))
        host->letGo(false);
}

void QtHost::letGo(bool qtStands) {
    if (toolkitGone_) return;
    if (qtStands) {
        // The logo closes as on its timer, so that the library forgets it too.
        if (logo_) logo_->close();
        releaseWidgets();
    } else if (logo_) {
        logo_->abandon();
    }
    toolkitGone_ = true;
    if (services_ != nullptr) services_->toolkitEnded();
}

std::string QtHost::loadString(uint32_t id) const {
    return services_ != nullptr ? services_->loadString(id) : std::string();
}

QtDialogWindow* QtHost::windowOf(WindowRef window) const {
    for (QtDialogWindow* w : stack_)
        if (w == window) return w;
    return nullptr;
}

QWidget* QtHost::widget(WindowRef window) const {
    return windowOf(window);
}

QWidget* QtHost::control(WindowRef window, int id) const {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    return c != nullptr ? c->widget : nullptr;
}

QWidget* QtHost::helpWindow() const {
    return help_.data();
}

QWidget* QtHost::logoWindow() const {
    return logo_ ? logo_->window() : nullptr;
}

DialogUnits QtHost::unitsOf(WindowRef window) const {
    QtDialogWindow* w = windowOf(window);
    return w != nullptr ? w->units : DialogUnits{};
}

void QtHost::registerWindow(QtDialogWindow& w) {
    TopWindows* windows = services_ != nullptr ? services_->windows() : nullptr;
    if (windows == nullptr) return;
    // Not being findable by title is no reason to go without the window.
    if (windows->registerWindow(ss(w.windowTitle()), kDialogClass, w.entry) != 0) w.entry = 0;
}

void QtHost::unregisterWindow(QtDialogWindow& w) {
    TopWindows* windows = services_ != nullptr ? services_->windows() : nullptr;
    if (windows != nullptr && w.entry != 0) windows->unregister(w.entry);
    w.entry = 0;
}

int QtHost::takeFocus(QtDialogWindow* w) {
    if (w == nullptr) return 0;
    int saved = w->focusId;
    if (saved != 0) {
        w->focusId = 0;
        w->notifyFocus(saved, false);
    }
    return saved;
}

void QtHost::giveFocus(QtDialogWindow* w, int saved) {
    if (w == nullptr || windowOf(w) == nullptr || w->focusId != 0) return;
    QtControl* c = w->find(saved);
    int target = c != nullptr && w->focusable(*c) ? saved : w->firstTabStop();
    if (target != 0) w->focusTo(target);
}

QtDialogWindow* QtHost::create(DialogEvents& events, const DialogTemplate& t, WindowRef parent,
                               bool modal) {
    QtDialogWindow* previous = active();
    if (previous != nullptr) previous->savedFocus = takeFocus(previous);
    auto* w = new QtDialogWindow(*this, events, t, windowOf(parent), modal);
    if (modal) w->setWindowModality(Qt::ApplicationModal);
    stack_.push_back(w);
    registerWindow(*w);
    bool defaultFocus = events.dispatchInit(w);
    if (windowOf(w) == nullptr) return nullptr;
    // The window is not up yet: the widgets take the focus when it shows.
    if (defaultFocus) {
        int first = w->firstTabStop();
        if (first != 0) w->focusTo(first);
    }
    if (w->focusId == 0) w->setFocus(Qt::OtherFocusReason);
    w->show();
    RaiseWindow(w);
    w->activateWindow();
    return w;
}

void QtHost::close(QtDialogWindow* w) {
    auto it = std::find(stack_.begin(), stack_.end(), w);
    if (it == stack_.end()) return;
    bool wasActive = std::next(it) == stack_.end();
    stack_.erase(it);
    unregisterWindow(*w);
    w->hide();
    if (wasActive && !stack_.empty()) giveFocus(stack_.back(), stack_.back()->savedFocus);
}

int QtHost::runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) {
    QtDialogWindow* w = create(events, t, parent, true);
    if (w == nullptr) return -1;
    if (!w->ended) {
        QEventLoop loop;
        w->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        w->loop = nullptr;
    }
    int code = w->endCode;
    close(w);
    // The loop has returned: no handler of this window is on the stack any more.
    delete w;
    return code;
}

void QtHost::endModal(WindowRef window, int code) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr || !w->modal || w->ended) return;
    w->ended = true;
    w->endCode = code;
    if (w->loop != nullptr) w->loop->exit(code);
}

WindowRef QtHost::createModeless(DialogEvents& events, const DialogTemplate& t, WindowRef parent) {
    return create(events, t, parent, false);
}

void QtHost::destroyWindow(WindowRef window) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr || w->modal) return;
    close(w);
    // A handler of the window itself may be asking: it goes once the handler has returned.
    w->deleteLater();
}

void QtHost::setTitle(WindowRef window, const std::string& title) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr) return;
    w->setWindowTitle(qs(title));
    unregisterWindow(*w);
    registerWindow(*w);
}

std::string QtHost::title(WindowRef window) {
    QtDialogWindow* w = windowOf(window);
    return w != nullptr ? ss(w->windowTitle()) : std::string();
}

Rect QtHost::screenRect() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    QRect g = screen->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

Rect QtHost::windowRect(WindowRef window) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr) return {};
    return {w->x(), w->y(), w->width(), w->height()};
}

void QtHost::placeWindow(WindowRef window, int x, int y, bool topmost) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr) return;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != topmost) {
        bool shown = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost); // hides the window
        if (shown) w->show();
    }
    w->move(x, y);
    if (topmost) RaiseWindow(w);
}

// --- control state ---------------------------------------------------------------------

namespace {

struct Quiet {
    explicit Quiet(QtDialogWindow* w) : w_(w) { ++w_->quiet; }
    ~Quiet() { --w_->quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
    QtDialogWindow* w_;
};

} // namespace

void QtHost::setText(WindowRef window, int id, const std::string& text) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    QString t = qs(text);
    switch (c->kind) {
    case ControlKind::Static:
        c->text = t;
        static_cast<QLabel*>(c->widget)->setText(c->hasBuddy                 ? t
                                                 : (c->style & cs::NoPrefix) ? t
                                                                             : withoutMnemonic(t));
        return;
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(c->widget)->setTitle(t);
        return;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        static_cast<QAbstractButton*>(c->widget)->setText(t);
        return;
    case ControlKind::Edit:
        if (auto* line = qobject_cast<QLineEdit*>(c->widget)) {
            {
                Quiet q(w);
                // A text set by the dialog is kept whole, as the original control does.
                line->setMaxLength(std::max<int>(c->limit > 0 ? c->limit : kEditMaxChars,
                                                 static_cast<int>(t.size())));
                line->setText(t);
            }
        } else {
            Quiet q(w);
            static_cast<QPlainTextEdit*>(c->widget)->setPlainText(t);
        }
        // An edit reports programmatic changes too; the dialog ignores them while exchanging.
        w->command(id, Notify::EditChange);
        return;
    case ControlKind::ComboBox:
        if (c->editableCombo()) {
            Quiet q(w);
            static_cast<QComboBox*>(c->widget)->setEditText(t);
        }
        return;
    case ControlKind::AddressEdit:
        static_cast<AddressEditWidget*>(c->widget)->edit().setText(text);
        return;
    case ControlKind::ListBox:
    case ControlKind::ScrollBar:
    case ControlKind::Picture:
        return;
    }
}

std::string QtHost::text(WindowRef window, int id) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return {};
    switch (c->kind) {
    case ControlKind::Static:
        return ss(c->text);
    case ControlKind::GroupBox:
        return ss(static_cast<QGroupBox*>(c->widget)->title());
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return ss(static_cast<QAbstractButton*>(c->widget)->text());
    case ControlKind::Edit:
        if (auto* line = qobject_cast<QLineEdit*>(c->widget)) return ss(line->text());
        return ss(static_cast<QPlainTextEdit*>(c->widget)->toPlainText());
    case ControlKind::ComboBox: {
        auto* combo = static_cast<QComboBox*>(c->widget);
        if (c->editableCombo()) return ss(combo->currentText());
        return combo->currentIndex() >= 0 ? ss(combo->itemText(combo->currentIndex()))
                                          : std::string();
    }
    case ControlKind::AddressEdit:
        return static_cast<AddressEditWidget*>(c->widget)->edit().text();
    case ControlKind::ListBox:
    case ControlKind::ScrollBar:
    case ControlKind::Picture:
        return {};
    }
    return {};
}

void QtHost::limitText(WindowRef window, int id, int maxChars) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    c->limit = std::max(0, maxChars);
    QLineEdit* line = qobject_cast<QLineEdit*>(c->widget);
    if (line == nullptr && c->editableCombo())
        line = static_cast<QComboBox*>(c->widget)->lineEdit();
    if (line == nullptr) return;
    int limit = c->limit > 0 ? c->limit : kEditMaxChars;
    // A longer text already there stays; typing cannot make it longer.
    Quiet q(w);
    line->setMaxLength(std::max<int>(limit, static_cast<int>(line->text().size())));
}

void QtHost::selectAllText(WindowRef window, int id) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    if (auto* line = qobject_cast<QLineEdit*>(c->widget)) line->selectAll();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(c->widget)) plain->selectAll();
    if (c->editableCombo()) static_cast<QComboBox*>(c->widget)->lineEdit()->selectAll();
    if (c->kind == ControlKind::AddressEdit) {
        auto& edit = static_cast<AddressEditWidget*>(c->widget)->edit();
        edit.setSelection(0, edit.length());
    }
}

void QtHost::enable(WindowRef window, int id, bool on) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    // A disabled control cannot keep the focus; it goes to no control, not to the next one.
    if (!on && w->focusId == id) w->focusTo(0);
    c->widget->setEnabled(on);
}

bool QtHost::isEnabled(WindowRef window, int id) {
    QWidget* c = control(window, id);
    return c != nullptr && c->isEnabled();
}

void QtHost::show(WindowRef window, int id, bool on) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    if (!on && w->focusId == id) w->focusTo(0);
    c->widget->setVisible(on);
}

bool QtHost::isVisible(WindowRef window, int id) {
    QWidget* c = control(window, id);
    return c != nullptr && !c->isHidden();
}

void QtHost::setCheck(WindowRef window, int id, int state) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    Quiet q(w);
    if (auto* box = qobject_cast<QCheckBox*>(c->widget)) {
        box->setTristate(state == 2);
        box->setCheckState(state == 2   ? Qt::PartiallyChecked
                           : state == 1 ? Qt::Checked
                                        : Qt::Unchecked);
    } else if (auto* radio = qobject_cast<QRadioButton*>(c->widget)) {
        radio->setChecked(state == 1);
    }
}

int QtHost::check(WindowRef window, int id) {
    QWidget* c = control(window, id);
    if (auto* box = qobject_cast<QCheckBox*>(c)) {
        return box->checkState() == Qt::PartiallyChecked ? 2
               : box->checkState() == Qt::Checked        ? 1
                                                         : 0;
    }
    if (auto* radio = qobject_cast<QRadioButton*>(c)) return radio->isChecked() ? 1 : 0;
    return 0;
}

namespace {

QListWidget* listOf(QWidget* w) {
    return qobject_cast<QListWidget*>(w);
}
QComboBox* comboOf(QWidget* w) {
    return qobject_cast<QComboBox*>(w);
}

// Puts a combo box back the way the dialog had it after the model moved things itself.
void settleCombo(QComboBox* combo, int index, bool editable, const QString& text) {
    combo->setCurrentIndex(index);
    if (editable) combo->setEditText(text);
}

} // namespace

int QtHost::itemCount(WindowRef window, int id) {
    QWidget* c = control(window, id);
    if (auto* list = listOf(c)) return list->count();
    if (auto* combo = comboOf(c)) return combo->count();
    return 0;
}

std::string QtHost::itemText(WindowRef window, int id, int index) {
    QWidget* c = control(window, id);
    if (auto* list = listOf(c)) {
        QListWidgetItem* item = list->item(index);
        return item != nullptr ? ss(item->text()) : std::string();
    }
    if (auto* combo = comboOf(c))
        return index >= 0 && index < combo->count() ? ss(combo->itemText(index)) : std::string();
    return {};
}

int QtHost::insertItem(WindowRef window, int id, int index, const std::string& text) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return -1;
    Quiet q(w);
    if (auto* list = listOf(c->widget)) {
        if (index < 0 || index > list->count()) index = list->count();
        list->insertItem(index, qs(text));
        return index;
    }
    if (auto* combo = comboOf(c->widget)) {
        if (index < 0 || index > combo->count()) index = combo->count();
        int sel = combo->currentIndex();
        QString edit = combo->currentText();
        combo->insertItem(index, qs(text));
        // The model selects the first item of an empty box by itself; the dialog did not.
        settleCombo(combo, sel >= index ? sel + 1 : sel, c->editableCombo(), edit);
        return index;
    }
    return -1;
}

int QtHost::deleteItem(WindowRef window, int id, int index) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return -1;
    Quiet q(w);
    if (auto* list = listOf(c->widget)) {
        if (index < 0 || index >= list->count()) return -1;
        delete list->takeItem(index);
        return list->count();
    }
    if (auto* combo = comboOf(c->widget)) {
        if (index < 0 || index >= combo->count()) return -1;
        int sel = combo->currentIndex();
        QString edit = combo->currentText();
        combo->removeItem(index);
        settleCombo(combo,
                    sel == index  ? -1
                    : sel > index ? sel - 1
                                  : sel,
                    c->editableCombo(), edit);
        return combo->count();
    }
    return -1;
}

void QtHost::resetItems(WindowRef window, int id) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    Quiet q(w);
    if (auto* list = listOf(c->widget)) list->clear();
    if (auto* combo = comboOf(c->widget)) {
        QString edit = combo->currentText();
        combo->clear();
        settleCombo(combo, -1, c->editableCombo(), edit); // an editable box keeps its text
    }
}

int QtHost::curSel(WindowRef window, int id) {
    QWidget* c = control(window, id);
    if (auto* list = listOf(c)) {
        if (list->selectionMode() == QAbstractItemView::SingleSelection) {
            auto selected = list->selectedItems();
            return selected.isEmpty() ? -1 : list->row(selected.front());
        }
        // The caret of an extended selection.
        int row = list->currentRow();
        return row >= 0 && list->item(row)->isSelected() ? row : -1;
    }
    if (auto* combo = comboOf(c)) return combo->currentIndex();
    return -1;
}

void QtHost::setCurSel(WindowRef window, int id, int index) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    Quiet q(w);
    if (auto* list = listOf(c->widget)) {
        if (index < 0 || index >= list->count()) {
            list->clearSelection();
            list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        } else {
            list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
            list->scrollToItem(list->item(index));
        }
    } else if (auto* combo = comboOf(c->widget)) {
        int i = index >= 0 && index < combo->count() ? index : -1;
        settleCombo(combo, i, c->editableCombo(), i >= 0 ? combo->itemText(i) : QString());
    }
}

bool QtHost::isSelected(WindowRef window, int id, int index) {
    QWidget* c = control(window, id);
    if (auto* list = listOf(c)) {
        QListWidgetItem* item = list->item(index);
        return item != nullptr && item->isSelected();
    }
    if (auto* combo = comboOf(c)) return index >= 0 && combo->currentIndex() == index;
    return false;
}

void QtHost::setSelected(WindowRef window, int id, int index, bool on) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    auto* list = listOf(c->widget);
    QListWidgetItem* item = list != nullptr ? list->item(index) : nullptr;
    if (item == nullptr) return;
    Quiet q(w);
    item->setSelected(on);
    if (on) list->setCurrentRow(index, QItemSelectionModel::NoUpdate); // the caret follows
}

uintptr_t QtHost::itemData(WindowRef window, int id, int index) {
    QWidget* c = control(window, id);
    if (auto* list = listOf(c)) {
        QListWidgetItem* item = list->item(index);
        return item != nullptr ? static_cast<uintptr_t>(item->data(Qt::UserRole).toULongLong()) : 0;
    }
    if (auto* combo = comboOf(c))
        return index >= 0 && index < combo->count()
                   ? static_cast<uintptr_t>(combo->itemData(index).toULongLong())
                   : 0;
    return 0;
}

void QtHost::setItemData(WindowRef window, int id, int index, uintptr_t data) {
    QWidget* c = control(window, id);
    QVariant v = QVariant::fromValue<qulonglong>(data);
    if (auto* list = listOf(c)) {
        if (QListWidgetItem* item = list->item(index)) item->setData(Qt::UserRole, v);
    } else if (auto* combo = comboOf(c)) {
        if (index >= 0 && index < combo->count()) combo->setItemData(index, v);
    }
}

void QtHost::setFocus(WindowRef window, int id) {
    QtDialogWindow* w = windowOf(window);
    QtControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr || !w->focusable(*c)) return;
    // Only the active window holds the focus; the others remember it for later.
    if (w != active()) {
        w->savedFocus = id;
        return;
    }
    w->focusTo(id);
}

FocusTarget QtHost::focus(WindowRef window) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr || w->focusId == 0) return {};
    QtControl* c = w->find(w->focusId);
    return {w->focusId, c != nullptr && c->editableCombo()};
}

void QtHost::setDefaultButton(WindowRef window, int id) {
    QtDialogWindow* w = windowOf(window);
    if (w == nullptr) return;
    if (auto* old = qobject_cast<QPushButton*>(control(window, w->defaultId)))
        old->setDefault(false);
    w->defaultId = id;
    if (auto* button = qobject_cast<QPushButton*>(control(window, id))) button->setDefault(true);
}

int QtHost::defaultButton(WindowRef window) {
    QtDialogWindow* w = windowOf(window);
    return w != nullptr ? w->defaultId : 0;
}

void QtHost::showHelp(WindowRef owner, const std::string& file, uint32_t command, uint32_t data) {
    if (command != help::Context) return;
    if (!help_) help_ = new HelpWindow(nullptr);
    QtDialogWindow* w = windowOf(owner);
    help_->showTopic(file, data);
    if (w != nullptr && !help_->isVisible())
        help_->move(w->frameGeometry().topRight() + QPoint(8, 0));
    help_->show();
    RaiseWindow(help_);
}

void QtHost::beginWaitCursor() {
    ++waitDepth_;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtHost::endWaitCursor() {
    if (waitDepth_ == 0) return;
    --waitDepth_;
    QGuiApplication::restoreOverrideCursor();
}

LogoView* QtHost::logoView() {
    if (toolkitGone_) return nullptr;
    if (!logo_) logo_ = std::make_unique<QtLogoView>();
    return logo_.get();
}

// --- message boxes ---------------------------------------------------------------------

int QtHost::messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                       uint32_t style) {
    boxes.emplace_back(caption, text);
    if (boxDepth_ >= kMaxBoxDepth) {
        if (services_ != nullptr)
            services_->logError("LNTC: message boxes nest endlessly: " + text);
        return safeAnswer(style);
    }
    ++boxDepth_;
    QtDialogWindow* act = active();
    int saved = takeFocus(act);

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & mb::IconMask) {
    case mb::IconHand:
        icon = QMessageBox::Critical;
        break;
    case mb::IconQuestion:
        icon = QMessageBox::Question;
        break;
    case mb::IconExclamation:
        icon = QMessageBox::Warning;
        break;
    case mb::IconAsterisk:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    using SB = QMessageBox::StandardButton;
    QMessageBox::StandardButtons buttons;
    SB first = SB::Ok;
    switch (style & mb::TypeMask) {
    case mb::OkCancel:
        buttons = SB::Ok | SB::Cancel;
        break;
    case mb::AbortRetryIgnore:
        buttons = SB::Abort | SB::Retry | SB::Ignore;
        first = SB::Abort;
        break;
    case mb::YesNoCancel:
        buttons = SB::Yes | SB::No | SB::Cancel;
        first = SB::Yes;
        break;
    case mb::YesNo:
        buttons = SB::Yes | SB::No;
        first = SB::Yes;
        break;
    case mb::RetryCancel:
        buttons = SB::Retry | SB::Cancel;
        first = SB::Retry;
        break;
    default:
        buttons = SB::Ok;
        break;
    }
    QWidget* ownerWidget = windowOf(owner);
    QMessageBox box(icon, qs(caption), qs(text), buttons, ownerWidget);
    box.setDefaultButton(first);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(ownerWidget != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    if (style & mb::SetForeground) box.setWindowFlag(Qt::WindowStaysOnTopHint);

    int pressed = boxHook ? boxHook(box) : 0;
    if (pressed == 0) pressed = box.exec();
    int answer = safeAnswer(style);
    switch (pressed) {
    case SB::Ok:
        answer = id::Ok;
        break;
    case SB::Cancel:
        answer = id::Cancel;
        break;
    case SB::Abort:
        answer = id::Abort;
        break;
    case SB::Retry:
        answer = id::Retry;
        break;
    case SB::Ignore:
        answer = id::Ignore;
        break;
    case SB::Yes:
        answer = id::Yes;
        break;
    case SB::No:
        answer = id::No;
        break;
    default:
        break; // closed without a button: the answer that changes nothing
    }
    if ((buttons.toInt() & pressed) == 0) answer = safeAnswer(style);

    giveFocus(act, saved);
    --boxDepth_;
    return answer;
}

} // namespace lntc
