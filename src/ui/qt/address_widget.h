// The "lnt_tcp_edit" control as a widget: it draws the model's AddressEdit with each field in
// a column of its own, so the dots stand still whatever the digits, and hands real key and
// mouse events to the control's logic.
#pragma once
#include "ui/address_edit.h"

#include <QWidget>

#include <functional>

namespace lntc {

class AddressEditWidget : public QWidget {
  public:
    explicit AddressEditWidget(AddressEdit& edit, QWidget* parent = nullptr);
    AddressEdit& edit() { return edit_; }
    const AddressEdit& edit() const { return edit_; }

    // The keys go to the control through these (the model's user operations).
    std::function<Handling(char)> onChar;
    std::function<Handling(EditKey, bool down)> onKey;
    // The control's selection moved: a Shift-click extends from where it now starts.
    void selectionMoved();

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
    int margin() const;
    int columnWidth() const;

    size_t anchor_ = 0;
    AddressEdit& edit_;
};

} // namespace lntc
