#include "ui/qt/address_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace lntc {

namespace {

EditKey keyOf(int key) {
    switch (key) {
    case Qt::Key_Shift:
        return EditKey::Shift;
    case Qt::Key_Left:
        return EditKey::Left;
    case Qt::Key_Up:
        return EditKey::Up;
    case Qt::Key_Right:
        return EditKey::Right;
    case Qt::Key_Down:
        return EditKey::Down;
    case Qt::Key_Delete:
        return EditKey::Delete;
    case Qt::Key_Home:
        return EditKey::Home;
    case Qt::Key_End:
        return EditKey::End;
    default:
        return EditKey::Other;
    }
}

} // namespace

AddressEditWidget::AddressEditWidget(AddressEdit& edit, QWidget* parent)
    : QWidget(parent), edit_(edit) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setCursor(Qt::IBeamCursor);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

int AddressEditWidget::margin() const {
    return 3;
}

int AddressEditWidget::columnWidth() const {
    // Four equal columns across the field, but never too narrow for a dot and three digits.
    QFontMetrics fm(font());
    int need = fm.horizontalAdvance(QStringLiteral(".000")) + 2;
    return std::max(need, (width() - 2 * margin()) / 4);
}

int AddressEditWidget::columnX(int field) const {
    return margin() + field * columnWidth() +
           (field > 0 ? QFontMetrics(font()).horizontalAdvance('.') : 0);
}

int AddressEditWidget::dotX(int field) const {
    return margin() + field * columnWidth();
}

int AddressEditWidget::xOf(size_t index) const {
    const std::string& text = edit_.fieldText();
    QFontMetrics fm(font());
    int field = 0;
    size_t fieldBegin = 0;
    for (size_t i = 0; i < index && i < text.size(); ++i) {
        if (text[i] == '.') {
            ++field;
            fieldBegin = i + 1;
        }
    }
    if (index < text.size() && text[index] == '.') return dotX(field + 1);
    // Inside a field (or on its TAB, which ends it).
    size_t end = std::min(index, text.size());
    std::string digits;
    for (size_t i = fieldBegin; i < end; ++i)
        if (text[i] != '\t') digits += text[i];
    return columnX(field) + fm.horizontalAdvance(QString::fromStdString(digits));
}

size_t AddressEditWidget::indexAt(int x) const {
    const std::string& text = edit_.fieldText();
    size_t best = 0;
    int bestDistance = std::abs(x - xOf(0));
    for (size_t i = 1; i <= text.size(); ++i) {
        // The dot is a separator: a click lands on the digit side of it.
        if (i < text.size() && text[i] == '.') continue;
        int d = std::abs(x - xOf(i));
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QSize AddressEditWidget::sizeHint() const {
    QFontMetrics fm(font());
    return {4 * (fm.horizontalAdvance(QStringLiteral(".000")) + 2) + 2 * margin(), fm.height() + 6};
}

void AddressEditWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &p, this);

    QFontMetrics fm(font());
    const std::string& text = edit_.fieldText();
    int baseline = (height() - fm.height()) / 2 + fm.ascent();
    size_t s = edit_.selectionStart(), e = edit_.selectionEnd();
    bool focused = hasFocus();
    QPalette pal = palette();
    if (focused && s != e)
        p.fillRect(QRect(QPoint(xOf(s), baseline - fm.ascent()),
                         QPoint(xOf(e) - 1, baseline + fm.descent())),
                   pal.brush(QPalette::Highlight));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t') continue;
        bool selected = focused && i >= s && i < e;
        p.setPen(pal.color(!isEnabled() ? QPalette::PlaceholderText
                           : selected   ? QPalette::HighlightedText
                                        : QPalette::Text));
        p.drawText(xOf(i), baseline, QString(QChar(text[i])));
    }
    if (focused && s == e) {
        p.setPen(pal.color(QPalette::Text));
        int x = xOf(s);
        p.drawLine(x, baseline - fm.ascent(), x, baseline + fm.descent());
    }
}

void AddressEditWidget::keyPressEvent(QKeyEvent* event) {
    Handling h = Handling::Default;
    EditKey key = keyOf(event->key());
    if (key != EditKey::Other) {
        if (onKey) h = onKey(key, true);
    } else if (event->key() == Qt::Key_Backspace) {
        if (onChar) h = onChar('\b');
    } else if (event->text().size() == 1 && event->text()[0].unicode() < 0x80 &&
               event->text()[0].isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (onChar) h = onChar(static_cast<char>(event->text()[0].unicode()));
    }
    // TAB, Return and Escape are the dialog's.
    if (h == Handling::Handled)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void AddressEditWidget::keyReleaseEvent(QKeyEvent* event) {
    if (onKey) onKey(keyOf(event->key()), false);
    QWidget::keyReleaseEvent(event);
}

void AddressEditWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    size_t i = indexAt(event->position().toPoint().x());
    if (event->modifiers() & Qt::ShiftModifier) {
        edit_.setSelection(anchor_, i);
    } else {
        anchor_ = i;
        edit_.setSelection(i, i);
    }
}

void AddressEditWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        edit_.setSelection(anchor_, indexAt(event->position().toPoint().x()));
}

void AddressEditWidget::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void AddressEditWidget::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void AddressEditWidget::selectionMoved() {
    if (!(QApplication::keyboardModifiers() & Qt::ShiftModifier)) anchor_ = edit_.selectionStart();
    update();
}

} // namespace lntc
