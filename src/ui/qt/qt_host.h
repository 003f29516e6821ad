// The host over real Qt widgets: the window model plus widgets that mirror it (see
// QtDialogWindow), message boxes, help, the logo and the wait cursor.
//
// Its widgets never outlive Qt: when the application object ends (the program's own, at the
// end of its main) they are torn down from Qt's shutdown hook, and once the process is
// exiting (Qt's global objects go before the libraries' destructors run) nothing of Qt is
// touched any more and what is left goes with the process.
#pragma once
#include "ui/host.h"
#include "ui/qt_host_api.h"
#include "ui/window_classes.h"
#include "ui/window_model.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QApplication;
class QMessageBox;
class QWidget;

namespace lntc {

class QtDialogWindow;
class QtLogoView;
class HelpWindow;

class QtHost : public Host, private Toolkit {
  public:
    // services may be null (tests, the gallery): no log, no window registry.
    explicit QtHost(QtHostServices* services, std::unique_ptr<QApplication> ownedApp = {});
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // Answers boxes without showing them (tests): gets the box as built, returns the button
    // pressed (QMessageBox::StandardButton), or 0 to show the box for real.
    std::function<int(QMessageBox&)> boxHook;
    // Whether the dialog windows get the host's own frames and stacking; unset: where the
    // platform has no window manager (tests choose).
    std::optional<bool> ownFrames;

    WindowModel& model() { return model_; }
    // The dialog window behind a reference and a control's widget (tests, gallery).
    QWidget* widget(WindowRef window) const;
    QWidget* control(WindowRef window, int id) const;
    QWidget* helpWindow() const;
    QWidget* logoWindow() const;
    // The open windows in the order the host raises them where it stacks them itself, the
    // top one last.
    std::vector<QWidget*> stackingOrder() const;
    int waitCursorDepth() const { return waitDepth_; }

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        return model_.messageBox(owner, text, caption, style);
    }
    WindowModel* windows() override { return toolkitGone_ ? nullptr : &model_; }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    LogoView* logoView() override;
    // The process's classes, where the host is the library's own (not behind a display host).
    WindowClasses* windowClasses() override { return toolkitGone_ ? nullptr : &classes_; }

  private:
    bool buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) override;
    void showWindow(ModelWindow& window) override;
    void runModalLoop(ModelWindow& window) override;
    void modalEnded(ModelWindow& window) override;
    void windowClosed(std::unique_ptr<ModelWindow> window) override;
    void mirror(ModelWindow& window, ModelControl* control, Changed what, int index) override;
    int showBox(const BoxRequest& box) override;
    void refuseBox(const BoxRequest& box) override;
    Rect screenRect() override;
    void beep() override;

    // The application object is ending (Qt still stands) or the process is exiting (Qt's
    // objects may be gone already): every live host lets go of Qt.
    static void applicationEnding();
    static void processExiting();
    void letGo(bool qtStands);
    void releaseWidgets();
    static QtDialogWindow* viewOf(const ModelWindow* window);
    bool drawsFrames();
    void place(QtDialogWindow& view);
    void restack();
    void registerWindow(QtDialogWindow& w);
    void unregisterWindow(QtDialogWindow& w);

    QtHostServices* services_;
    std::unique_ptr<QApplication> ownedApp_;
    WindowModel model_;
    WindowClasses classes_;
    std::unique_ptr<QtLogoView> logo_;
    QPointer<HelpWindow> help_;
    int waitDepth_ = 0;
    bool toolkitGone_ = false;
};

} // namespace lntc
