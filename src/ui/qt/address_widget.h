// The "lnt_tcp_edit" control as a widget: it draws AddressEdit's fieldText() with each field
// in a column of its own, so the dots stand still whatever the digits, and hands real key
// and mouse events to the control's logic.
#pragma once
#include "ui/address_edit.h"

#include <QWidget>

#include <functional>

namespace lntc {

class AddressEditWidget : public QWidget, private AddressEditEvents {
  public:
    explicit AddressEditWidget(QWidget* parent = nullptr);
    AddressEdit& edit() { return edit_; }
    const AddressEdit& edit() const { return edit_; }

    // What the widget asks of its dialog.
    std::function<void()> onUserChange;  // the user changed the text
    std::function<void()> onInvalidByte; // a field was cut to 255
    std::function<long()> onBadInput;    // -1 suppresses the beep

    // Left edge, in widget pixels, of the character at index of fieldText() (index == length:
    // the end). Painting, the caret and mouse hits all use it.
    int xOf(size_t index) const;
    // The character index nearest to a widget x position.
    size_t indexAt(int x) const;
    // Left edge of field i (0 to 3); the dot before fields 1 to 3 stands just left of it.
    int columnX(int field) const;
    int dotX(int field) const; // field 1 to 3

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

  private:
    long notifyBadInput() override;
    void beep() override;
    void invalidAddressByte() override;
    void textChanged() override;
    void selectionChanged(bool scroll) override;

    int margin() const;
    int columnWidth() const;

    // The flags come first: the control reports its initial text while it is built.
    size_t anchor_ = 0;
    bool userInput_ = false;
    bool changedByUser_ = false;
    AddressEdit edit_;
};

} // namespace lntc
