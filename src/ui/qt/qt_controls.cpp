#include "ui/qt/qt_controls.h"

#include "ui/qt/address_widget.h"
#include "ui/qt/qt_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace lntc {

namespace {

constexpr int kEditMaxChars = 32767;
constexpr int kMinDroppedItems = 10;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QString& s) {
    return s.toStdString();
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

// Buttons whose state is the model's: a click asks the model, which checks them.
class CheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {}
};

class RadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override {}
};

bool isEnter(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// A combo box that reports its list opening and closing. Enter in the dropped list only
// chooses: Qt closes the list on the key's shortcut check and then hands the key itself to the
// window's focus, the box, whose dialog would take it for its default button.
class ComboBox : public QComboBox {
  public:
    explicit ComboBox(QWidget* parent) : QComboBox(parent) { view()->installEventFilter(this); }
    std::function<void()> onDropDown, onCloseUp;
    void showPopup() override {
        if (onDropDown) onDropDown();
        dropped_ = true;
        QComboBox::showPopup();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view() && event->type() == QEvent::ShortcutOverride && isEnter(event) &&
            dropped_) {
            enterChose_ = true;
            // The key follows at once, if at all.
            QTimer::singleShot(0, this, [this] { enterChose_ = false; });
        }
        return QComboBox::eventFilter(watched, event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (enterChose_ && isEnter(event)) {
            enterChose_ = false;
            event->accept();
            return;
        }
        QComboBox::keyPressEvent(event);
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
    bool enterChose_ = false;
};

// A text the dialog set is kept whole, as the original control does; typing cannot make it
// longer than the limit, or than it is.
void applyLimit(QLineEdit* line, const ModelControl& c) {
    int limit = c.limit > 0 ? c.limit : kEditMaxChars;
    line->setMaxLength(std::max<int>(limit, static_cast<int>(qs(c.text).size())));
}

// The combo's selection and (editable) text as the model has them; a caret in unchanged
// text stays where the user left it.
void settleCombo(QComboBox* combo, const ModelControl& c) {
    QLineEdit* edit = combo->lineEdit();
    QString before = edit != nullptr ? edit->text() : QString();
    int cursor = edit != nullptr ? edit->cursorPosition() : 0;
    if (combo->currentIndex() != c.curSel) combo->setCurrentIndex(c.curSel);
    if (edit == nullptr) return;
    QString text = qs(c.text);
    applyLimit(edit, c);
    if (edit->text() != text) combo->setEditText(text);
    if (text == before) edit->setCursorPosition(cursor);
}

void settleList(QListWidget* list, const ModelControl& c) {
    if (c.multiSelect()) {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected() != c.items[i].selected)
                list->item(i)->setSelected(c.items[i].selected);
        if (c.curSel >= 0 && list->currentRow() != c.curSel)
            list->setCurrentRow(c.curSel, QItemSelectionModel::NoUpdate); // the caret
        return;
    }
    auto selected = list->selectedItems();
    if (c.curSel < 0) {
        if (!selected.isEmpty()) list->clearSelection();
        if (list->currentRow() >= 0) list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    } else if (selected.size() != 1 || list->row(selected.front()) != c.curSel) {
        list->setCurrentRow(c.curSel, QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(list->item(c.curSel));
    }
}

void mirrorText(QWidget* widget, const ModelControl& c) {
    QString t = qs(c.text);
    switch (c.kind) {
    case ControlKind::Static: {
        auto* label = static_cast<QLabel*>(widget);
        bool marks = label->buddy() != nullptr || (c.style & cs::NoPrefix);
        label->setText(marks ? t : withoutMnemonic(t));
        return;
    }
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(t);
        return;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        static_cast<QAbstractButton*>(widget)->setText(t);
        return;
    case ControlKind::Edit:
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            applyLimit(line, c); // first: a longer text would be cut
            if (line->text() != t) line->setText(t);
        } else if (auto* plain = static_cast<QPlainTextEdit*>(widget); plain->toPlainText() != t) {
            plain->setPlainText(t);
        }
        return;
    case ControlKind::ComboBox:
        settleCombo(static_cast<QComboBox*>(widget), c);
        return;
    case ControlKind::AddressEdit:
        widget->update();
        return;
    case ControlKind::ListBox:
    case ControlKind::ScrollBar:
    case ControlKind::Picture:
        return;
    }
}

QStringList allItems(const ModelControl& c) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(c.items.size()));
    for (const ModelItem& item : c.items)
        texts.append(qs(item.text));
    return texts;
}

void mirrorItems(QWidget* widget, const ModelControl& c, Changed what, int index) {
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        if (what == Changed::ItemInserted)
            list->insertItem(index, qs(c.items[index].text));
        else if (what == Changed::ItemDeleted)
            delete list->takeItem(index);
        else if (what == Changed::ItemsReset || what == Changed::ItemsAdded)
            list->clear();
        if (what == Changed::ItemsAdded) list->addItems(allItems(c));
        settleList(list, c);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (what == Changed::ItemInserted)
            combo->insertItem(index, qs(c.items[index].text));
        else if (what == Changed::ItemDeleted)
            combo->removeItem(index);
        else if (what == Changed::ItemsReset || what == Changed::ItemsAdded)
            combo->clear();
        if (what == Changed::ItemsAdded) combo->addItems(allItems(c));
        settleCombo(combo, c);
    }
}

Scroll scrollOf(int action, bool& known) {
    known = true;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return Scroll::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return Scroll::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return Scroll::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return Scroll::PageDown;
    case QAbstractSlider::SliderToMinimum:
        return Scroll::Top;
    case QAbstractSlider::SliderToMaximum:
        return Scroll::Bottom;
    case QAbstractSlider::SliderMove:
        return Scroll::ThumbTrack;
    default:
        known = false;
        return Scroll::EndScroll;
    }
}

} // namespace

QWidget* MakeControlWidget(QtDialogWindow& win, const ControlTemplate& ct, ModelControl& control) {
    QString caption = ct.caption != nullptr ? QString::fromUtf8(ct.caption) : QString();
    const int id = ct.id;
    auto activate = [&win, id] {
        win.user([id](WindowModel& m, ModelWindow& w) { m.userActivate(w, id); });
    };
    auto typed = [&win, id](const QString& text) {
        win.user([id, t = ss(text)](WindowModel& m, ModelWindow& w) { m.userType(w, id, t); });
    };
    switch (ct.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(&win);
        Qt::Alignment h = (ct.style & cs::Center)  ? Qt::AlignHCenter
                          : (ct.style & cs::Right) ? Qt::AlignRight
                                                   : Qt::AlignLeft;
        label->setAlignment(h | Qt::AlignTop);
        label->setWordWrap(true);
        if (ct.style & (cs::Sunken | cs::Border))
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(caption, &win);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* b = new QPushButton(caption, &win);
        b->setAutoDefault(false);
        QObject::connect(b, &QAbstractButton::clicked, &win, activate);
        return b;
    }
    case ControlKind::CheckBox: {
        auto* b = new CheckBox(caption, &win);
        QObject::connect(b, &QAbstractButton::clicked, &win, activate);
        return b;
    }
    case ControlKind::RadioButton: {
        auto* b = new RadioButton(caption, &win);
        b->setAutoExclusive(false); // template groups, not Qt's sibling groups
        QObject::connect(b, &QAbstractButton::clicked, &win, activate);
        return b;
    }
    case ControlKind::Edit: {
        if (ct.style & cs::MultiLine) {
            auto* e = new QPlainTextEdit(&win);
            e->setReadOnly(ct.style & cs::ReadOnly);
            e->setTabChangesFocus(true);
            QObject::connect(e, &QPlainTextEdit::textChanged, &win,
                             [typed, e] { typed(e->toPlainText()); });
            return e;
        }
        auto* e = new QLineEdit(&win);
        e->setReadOnly(ct.style & cs::ReadOnly);
        if (ct.style & cs::Password) e->setEchoMode(QLineEdit::Password);
        if (ct.style & cs::Number)
            e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
        QObject::connect(e, &QLineEdit::textEdited, &win, typed);
        return e;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(&win);
        list->setSelectionMode((ct.style & cs::ExtendedSel) ? QAbstractItemView::ExtendedSelection
                               : (ct.style & cs::MultiSel)  ? QAbstractItemView::MultiSelection
                                                            : QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        bool multi = control.multiSelect();
        QObject::connect(list, &QListWidget::itemSelectionChanged, &win, [&win, id, list, multi] {
            std::vector<int> rows;
            for (QListWidgetItem* item : list->selectedItems())
                rows.push_back(list->row(item));
            std::sort(rows.begin(), rows.end());
            int caret = list->currentRow();
            win.user([&](WindowModel& m, ModelWindow& w) {
                if (multi)
                    m.userSelectItems(w, id, rows, caret);
                else if (!rows.empty())
                    m.userSelect(w, id, rows.front());
            });
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, &win,
                         [&win, id, list](QListWidgetItem* item) {
                             int row = list->row(item);
                             win.user([id, row](WindowModel& m, ModelWindow& w) {
                                 m.userDoubleClick(w, id, row);
                             });
                         });
        return list;
    }
    case ControlKind::ComboBox: {
        auto* combo = new ComboBox(&win);
        combo->setEditable(control.editableCombo());
        combo->setInsertPolicy(QComboBox::NoInsert);
        // The templates' heights were made for a few entries; a list shows at least ten.
        combo->setMaxVisibleItems(std::max(
            kMinDroppedItems, win.units().y(ct.cy) / std::max(1, combo->fontMetrics().height())));
        combo->onDropDown = [&win, id] {
            win.user([id](WindowModel& m, ModelWindow& w) { m.userDropDown(w, id); });
        };
        combo->onCloseUp = [&win, id] {
            win.user([id](WindowModel& m, ModelWindow& w) { m.userCloseUp(w, id); });
        };
        QObject::connect(combo, &QComboBox::activated, &win, [&win, id](int index) {
            win.user([id, index](WindowModel& m, ModelWindow& w) { m.userSelect(w, id, index); });
        });
        if (combo->lineEdit() != nullptr) {
            combo->setCompleter(nullptr);
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, &win, typed);
        }
        return combo;
    }
    case ControlKind::ScrollBar: {
        auto* bar = new QScrollBar((ct.style & cs::Vertical) ? Qt::Vertical : Qt::Horizontal, &win);
        // Only the arrows matter: the bar never moves, it reports what the user asked for.
        bar->setRange(0, 2);
        bar->setValue(1);
        bar->setPageStep(1);
        QObject::connect(bar, &QAbstractSlider::actionTriggered, &win, [&win, id, bar](int action) {
            bool known = false;
            Scroll code = scrollOf(action, known);
            if (!known) return;
            win.user([id, code](WindowModel& m, ModelWindow& w) { m.userScroll(w, id, code); });
            QSignalBlocker block(bar);
            bar->setSliderPosition(1);
        });
        QObject::connect(bar, &QAbstractSlider::valueChanged, &win, [bar](int value) {
            if (value == 1) return;
            QSignalBlocker block(bar);
            bar->setValue(1);
        });
        return bar;
    }
    case ControlKind::AddressEdit: {
        auto* a = new AddressEditWidget(*control.address, &win);
        a->onChar = [&win, id](char c) {
            Handling h = Handling::Default;
            win.user([&](WindowModel& m, ModelWindow& w) { h = m.userChar(w, id, c); });
            return h;
        };
        a->onKey = [&win, id](EditKey key, bool down) {
            Handling h = Handling::Default;
            win.user([&](WindowModel& m, ModelWindow& w) { h = m.userKey(w, id, key, down); });
            return h;
        };
        return a;
    }
    case ControlKind::Picture: {
        auto* frame = new QLabel(&win);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        return frame;
    }
    }
    return new QWidget(&win);
}

void MirrorControl(QWidget* widget, const ModelControl& c, Changed what, int index) {
    switch (what) {
    case Changed::Text:
    case Changed::Limit:
        mirrorText(widget, c);
        return;
    case Changed::TextSelection:
        if (auto* address = dynamic_cast<AddressEditWidget*>(widget)) {
            address->selectionMoved();
        } else if (c.textSelected) {
            if (auto* line = qobject_cast<QLineEdit*>(widget)) line->selectAll();
            if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) plain->selectAll();
            if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit())
                combo->lineEdit()->selectAll();
        }
        return;
    case Changed::Enabled:
        widget->setEnabled(c.enabled);
        return;
    case Changed::Visible:
        widget->setVisible(c.visible);
        return;
    case Changed::Check:
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setTristate(c.check == 2);
            box->setCheckState(c.check == 2   ? Qt::PartiallyChecked
                               : c.check == 1 ? Qt::Checked
                                              : Qt::Unchecked);
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            radio->setChecked(c.check == 1);
        }
        return;
    case Changed::ItemInserted:
    case Changed::ItemsAdded:
    case Changed::ItemDeleted:
    case Changed::ItemsReset:
    case Changed::Selection:
        mirrorItems(widget, c, what, index);
        return;
    case Changed::Focus:
    case Changed::DefaultButton:
    case Changed::Title:
    case Changed::Placement:
        return; // the window's
    }
}

} // namespace lntc
