// The host over the system's own dialog manager: each window of the model is a dialog made
// from an in-memory template, with the system's controls; what the person at the screen does
// goes to the model's user operations, and what the model changes comes back through mirror().
// Message boxes are the system's; help is a plain window showing the topic's text (the old
// help viewer no longer exists).
#pragma once
#include "platform/windows.h"
#include "ui/host.h"
#include "ui/qt_host_api.h"
#include "ui/window_classes.h"
#include "ui/window_model.h"
#include "ui/window_record.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lntc::win32 {

class LogoWindow;

// One dialog window: the model's window and the system's.
struct DialogView {
    DialogView(WindowModel& m, ModelWindow* w) : model(m), window(w) {}
    WindowModel& model;
    ModelWindow* window;
    HWND hwnd = nullptr;
    HWND owner = nullptr;       // disabled while a modal dialog runs over it
    std::vector<HWND> controls; // one per control of the model's window, in its order
    std::unique_ptr<ModelWindow> closed;
    int quiet = 0;     // > 0 while the host changes the controls itself
    size_t anchor = 0; // an address control's selection start under the mouse
    bool ownerWasOff = false;
    WindowRecord record;

    // What the user did, when it is the user's: the window is in the model and not mirroring.
    template <class F> void user(F&& f) {
        if (window != nullptr && quiet == 0) f(model, *window);
    }
    int indexOf(HWND control) const;
    const ModelControl* control(HWND c) const;
};

class Win32Host : public Host, private Toolkit {
  public:
    // services may be null (tests, the gallery): no log, no window registry.
    explicit Win32Host(QtHostServices* services);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    WindowModel& model() { return model_; }
    HWND dialog(WindowRef window) const;
    HWND control(WindowRef window, int id) const;
    HWND helpWindow() const { return help_; }
    int waitCursorDepth() const { return waitDepth_; }

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        return model_.messageBox(owner, text, caption, style);
    }
    WindowModel* windows() override { return &model_; }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    LogoView* logoView() override;
    WindowClasses* windowClasses() override { return &classes_; }

    // The module's own instance, under which its classes are registered.
    static HINSTANCE instance();
    // Runs the message of one of the host's windows through the dialog manager; false when it
    // is another window's (tests pumping their own loop use it).
    static bool preTranslate(MSG& msg);

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

    static DialogView* viewOf(const ModelWindow* window);
    void registerWindow(DialogView& v);
    void unregisterWindow(DialogView& v);
    void purge();

    QtHostServices* services_;
    WindowModel model_;
    WindowClasses classes_;
    std::vector<std::unique_ptr<DialogView>> gone_; // closed, kept while a handler may run
    std::unique_ptr<LogoWindow> logo_;
    HWND help_ = nullptr;
    int waitDepth_ = 0;
    HCURSOR savedCursor_ = nullptr;
};

// The dialog procedure's side of a view: every message of a host dialog.
INT_PTR CALLBACK HostDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The model's state shown in a control (controls.cpp).
void MirrorControl(DialogView& view, size_t index, Changed what, int item);
// The focus, default button, title and place of the window as the model has them.
void MirrorWindow(DialogView& view, Changed what);
// Hooks the controls of a new dialog up to the model.
void AttachControls(DialogView& view);
// Whether a host of the process shows the wait cursor.
bool WaitCursorShown();
// Registers "lnt_tcp_edit" with the module's instance; true when it is there.
bool RegisterAddressClass();

} // namespace lntc::win32
