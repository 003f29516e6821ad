// The frame the host draws around a top-level window where no window manager frames it: a
// border and, for a titled window, a title bar with the title (in the highlight while the
// window is active) and a close box; the title bar drags the window, as a window manager's
// would. Dialogs, message boxes and the help window all wear it.
#pragma once
#include <QObject>
#include <QPoint>

#include <functional>

class QAbstractButton;
class QLabel;
class QWidget;

namespace lntc {

class WindowFrame : public QObject {
  public:
    // Frames window (a child of it, going with it). The window's contents margins make room for
    // the frame, so that a layout keeps its widgets inside. onClose is what the close box does;
    // without it there is no close box.
    WindowFrame(QWidget& window, bool titled, std::function<void()> onClose);
    QWidget* titleBar() const { return titleBar_; }
    QAbstractButton* closeBox() const { return closeBox_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fit();
    void highlight();
    bool drag(QEvent* event);

    QWidget& window_;
    QWidget* titleBar_ = nullptr;
    QLabel* title_ = nullptr;
    QAbstractButton* closeBox_ = nullptr;
    QPoint dragFrom_; // where the title bar was grabbed, from the window's corner
    bool dragging_ = false;
};

// Moves a window that is about to show centred on the window that owns it (its parent's window;
// the screen without one), inside that window's screen.
void PlaceOnOwner(QWidget& window);

} // namespace lntc
