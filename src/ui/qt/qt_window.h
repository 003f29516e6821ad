// One dialog window of the Qt host: widgets built from the template (dialog units from the
// font metrics) over a window of the model. What the person at the screen does goes to the
// model's user operations; what the model changes comes back through mirror(). While the
// window mirrors, the widgets' own signals are not the user's and are ignored.
#pragma once
#include "platform/windows.h"
#include "resources/templates.h"
#include "ui/window_model.h"
#include "ui/window_record.h"

#include <QDialog>

#include <memory>
#include <vector>

class QAbstractButton;
class QEventLoop;

namespace lntc {

class WindowFrame;

// Dialog units to pixels for a dialog font, as the original platform converts them.
struct DialogUnits {
    int baseX = 6;  // average character width
    int baseY = 13; // character height
    static DialogUnits of(const QFont& font);
    int x(int du) const { return (du * baseX + 2) / 4; }
    int y(int du) const { return (du * baseY + 4) / 8; }
};

// Where a window goes when it first shows, its frame's size given: centred on its owner's frame
// (on the screen without one), then moved into the screen's area, its top-left corner kept on
// it where the window is larger.
QPoint PlaceWindow(QSize frame, const QRect& owner, const QRect& screen);

// Whether the platform has no window manager to frame windows (vnc, offscreen, the frame
// buffers): the host draws the frames itself.
bool PlatformFramesNoWindows();

class QtDialogWindow : public QDialog {
  public:
    // ownFrame: with its own border and title bar, where nothing else frames the window.
    QtDialogWindow(WindowModel& model, ModelWindow& window, const DialogTemplate& t,
                   QWidget* parent, bool ownFrame = false);
    ~QtDialogWindow() override;

    // The model's window; nullptr once it has left the model or Qt is going.
    ModelWindow* window() const { return window_; }
    // Calls into the model no more; a closed window is kept until the widgets go.
    void detach(std::unique_ptr<ModelWindow> closed = {});
    QWidget* widget(int id) const;
    const DialogUnits& units() const { return units_; }
    // The template's area, where the controls lie: the window itself, or inside its own frame.
    QWidget* client() const { return client_; }
    // The title bar drawn, with the title's label and the close box; nullptr when not drawn.
    QWidget* titleBar() const;
    QAbstractButton* closeBox() const;
    // The model changed; the widgets follow.
    void mirror(ModelControl* control, Changed what, int index);
    // What the user did, when it is the user's: the window is in the model and not mirroring.
    template <class F> void user(F&& f) {
        if (window_ != nullptr && quiet_ == 0) f(model_, *window_);
    }
    // Keeps the widgets' own signals away from the model while the program changes them.
    class Quiet {
      public:
        explicit Quiet(QtDialogWindow& w) : w_(w) { ++w_.quiet_; }
        ~Quiet() { --w_.quiet_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

      private:
        QtDialogWindow& w_;
    };

    QEventLoop* loop = nullptr;
    WindowRecord record;
    bool placed = false; // put where the model or the host wanted; it is not placed again

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // The window goes when the dialog ends it, never by itself.
    void reject() override {}
    void accept() override {}

  private:
    void build(const DialogTemplate& t);
    int idOf(QObject* o) const;
    void syncFocus();

    WindowModel& model_;
    ModelWindow* window_;
    std::unique_ptr<ModelWindow> closed_;
    std::vector<QWidget*> widgets_; // one per control of the model's window, in its order
    std::vector<int> ids_;
    DialogUnits units_;
    int quiet_ = 0;
    bool focusClickPending_ = false;
    QWidget* client_ = this;
    WindowFrame* frame_ = nullptr;
};

} // namespace lntc
