// The host over real Qt widgets: dialogs built from the templates, widget events routed to
// the dialog's handlers, and the state the dialog sets mirrored into the widgets. It keeps
// the semantics of the headless host: focus moves raise kill-focus then set-focus at once; a
// box or another window takes the focus from the active dialog and gives it back; Enter
// presses the default button, Escape and the close box cancel.
//
// Its widgets never outlive Qt: when the application object ends (the program's own, at the
// end of its main) they are torn down from Qt's shutdown hook, and once the process is
// exiting (Qt's global objects go before the libraries' destructors run) nothing of Qt is
// touched any more and what is left goes with the process.
#pragma once
#include "resources/templates.h"
#include "ui/host.h"
#include "ui/qt_host_api.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QMessageBox;
class QWidget;
class QFont;

namespace lntc {

class QtDialogWindow;
class QtLogoView;
class HelpWindow;

// Dialog units to pixels for a dialog font, as the original platform converts them.
struct DialogUnits {
    int baseX = 6;  // average character width
    int baseY = 13; // character height
    static DialogUnits of(const QFont& font);
    int x(int du) const { return (du * baseX + 2) / 4; }
    int y(int du) const { return (du * baseY + 4) / 8; }
};

class QtHost : public Host {
  public:
    // services may be null (tests, the gallery): no strings, no log, no window registry.
    explicit QtHost(QtHostServices* services, std::unique_ptr<QApplication> ownedApp = {});
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // Answers boxes without showing them (tests): gets the box as built, returns the button
    // pressed (QMessageBox::StandardButton), or 0 to show the box for real.
    std::function<int(QMessageBox&)> boxHook;
    // Every box shown so far: caption and text.
    std::vector<std::pair<std::string, std::string>> boxes;

    // The dialog window behind a reference and a control's widget (tests, gallery).
    QWidget* widget(WindowRef window) const;
    QWidget* control(WindowRef window, int id) const;
    QWidget* helpWindow() const;
    QWidget* logoWindow() const;
    int waitCursorDepth() const { return waitDepth_; }
    DialogUnits unitsOf(WindowRef window) const;

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override;
    int runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) override;
    void endModal(WindowRef window, int code) override;
    WindowRef createModeless(DialogEvents& events, const DialogTemplate& t,
                             WindowRef parent) override;
    void destroyWindow(WindowRef window) override;
    void setTitle(WindowRef window, const std::string& title) override;
    std::string title(WindowRef window) override;
    Rect screenRect() override;
    Rect windowRect(WindowRef window) override;
    void placeWindow(WindowRef window, int x, int y, bool topmost) override;

    void setText(WindowRef, int id, const std::string& text) override;
    std::string text(WindowRef, int id) override;
    void limitText(WindowRef, int id, int maxChars) override;
    void selectAllText(WindowRef, int id) override;
    void enable(WindowRef, int id, bool on) override;
    bool isEnabled(WindowRef, int id) override;
    void show(WindowRef, int id, bool on) override;
    bool isVisible(WindowRef, int id) override;
    void setCheck(WindowRef, int id, int state) override;
    int check(WindowRef, int id) override;
    int itemCount(WindowRef, int id) override;
    std::string itemText(WindowRef, int id, int index) override;
    int insertItem(WindowRef, int id, int index, const std::string& text) override;
    int deleteItem(WindowRef, int id, int index) override;
    void resetItems(WindowRef, int id) override;
    int curSel(WindowRef, int id) override;
    void setCurSel(WindowRef, int id, int index) override;
    bool isSelected(WindowRef, int id, int index) override;
    void setSelected(WindowRef, int id, int index, bool on) override;
    uintptr_t itemData(WindowRef, int id, int index) override;
    void setItemData(WindowRef, int id, int index, uintptr_t data) override;
    void setFocus(WindowRef, int id) override;
    FocusTarget focus(WindowRef) override;
    void setDefaultButton(WindowRef, int id) override;
    int defaultButton(WindowRef) override;
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    LogoView* logoView() override;

  private:
    friend class QtDialogWindow;
    // The application object is ending (Qt still stands) or the process is exiting (Qt's
    // objects may be gone already): every live host lets go of Qt.
    static void applicationEnding();
    static void processExiting();
    void letGo(bool qtStands);
    void releaseWidgets();
    QtDialogWindow* windowOf(WindowRef window) const;
    QtDialogWindow* active() const { return stack_.empty() ? nullptr : stack_.back(); }
    QtDialogWindow* create(DialogEvents& events, const DialogTemplate& t, WindowRef parent,
                           bool modal);
    void close(QtDialogWindow* w);
    int takeFocus(QtDialogWindow* w);
    void giveFocus(QtDialogWindow* w, int saved);
    void registerWindow(QtDialogWindow& w);
    void unregisterWindow(QtDialogWindow& w);
    std::string loadString(uint32_t id) const;

    QtHostServices* services_;
    std::unique_ptr<QApplication> ownedApp_;
    std::vector<QtDialogWindow*> stack_; // activation order; the last one is active
    std::unique_ptr<QtLogoView> logo_;
    QPointer<HelpWindow> help_;
    int waitDepth_ = 0;
    int boxDepth_ = 0;
    bool toolkitGone_ = false;
};

} // namespace lntc
