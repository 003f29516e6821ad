// The host of a product process: a console host until something has to be shown, then, when
// the process has a usable display, the Qt host of liblntc-qt.so. The decision is made once,
// on the first dialog, message box or logo; any failure leaves the console host in charge.
#pragma once
#include "platform/display.h"
#include "ui/console_host.h"
#include "ui/host.h"
#include "ui/qt_host_api.h"
#include "ui/window_classes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lntc {

class Environment;
class Modules;
class ProductLibs;
class TopWindows;

class DisplayHost : public Host {
  public:
    struct Options {
        // Folder of liblntc-qt.so; empty: the folder of the library's own file.
        std::string moduleDir;
        std::FILE* console = stderr;
    };
    DisplayHost(Environment& env, Modules& modules, ProductLibs& product, TopWindows* windows,
                Options options);
    DisplayHost(Environment& env, Modules& modules, ProductLibs& product, TopWindows* windows)
        : DisplayHost(env, modules, product, windows, Options{}) {}
    ~DisplayHost() override;
    DisplayHost(const DisplayHost&) = delete;
    DisplayHost& operator=(const DisplayHost&) = delete;

    // Where the string table comes from once the library exists.
    void setStrings(std::function<std::string(uint32_t)> strings) { strings_ = std::move(strings); }

    // Whether the Qt host is in charge (makes the decision when it has not been made).
    bool hasDisplay();
    bool decided() const { return decided_; }

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override;
    int runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) override;
    void endModal(WindowRef window, int code) override { current().endModal(window, code); }
    WindowRef createModeless(DialogEvents& events, const DialogTemplate& t,
                             WindowRef parent) override;
    void destroyWindow(WindowRef window) override { current().destroyWindow(window); }
    void setTitle(WindowRef window, const std::string& title) override {
        current().setTitle(window, title);
    }
    std::string title(WindowRef window) override { return current().title(window); }
    Rect screenRect() override { return current().screenRect(); }
    Rect windowRect(WindowRef window) override { return current().windowRect(window); }
    void placeWindow(WindowRef window, int x, int y, bool topmost) override {
        current().placeWindow(window, x, y, topmost);
    }
    void setText(WindowRef w, int id, const std::string& text) override {
        current().setText(w, id, text);
    }
    std::string text(WindowRef w, int id) override { return current().text(w, id); }
    void limitText(WindowRef w, int id, int maxChars) override {
        current().limitText(w, id, maxChars);
    }
    void selectAllText(WindowRef w, int id) override { current().selectAllText(w, id); }
    void enable(WindowRef w, int id, bool on) override { current().enable(w, id, on); }
    bool isEnabled(WindowRef w, int id) override { return current().isEnabled(w, id); }
    void show(WindowRef w, int id, bool on) override { current().show(w, id, on); }
    bool isVisible(WindowRef w, int id) override { return current().isVisible(w, id); }
    void setCheck(WindowRef w, int id, int state) override { current().setCheck(w, id, state); }
    int check(WindowRef w, int id) override { return current().check(w, id); }
    int itemCount(WindowRef w, int id) override { return current().itemCount(w, id); }
    std::string itemText(WindowRef w, int id, int index) override {
        return current().itemText(w, id, index);
    }
    int insertItem(WindowRef w, int id, int index, const std::string& text) override {
        return current().insertItem(w, id, index, text);
    }
    int deleteItem(WindowRef w, int id, int index) override {
        return current().deleteItem(w, id, index);
    }
    void resetItems(WindowRef w, int id) override { current().resetItems(w, id); }
    int curSel(WindowRef w, int id) override { return current().curSel(w, id); }
    void setCurSel(WindowRef w, int id, int index) override { current().setCurSel(w, id, index); }
    bool isSelected(WindowRef w, int id, int index) override {
        return current().isSelected(w, id, index);
    }
    void setSelected(WindowRef w, int id, int index, bool on) override {
        current().setSelected(w, id, index, on);
    }
    uintptr_t itemData(WindowRef w, int id, int index) override {
        return current().itemData(w, id, index);
    }
    void setItemData(WindowRef w, int id, int index, uintptr_t data) override {
        current().setItemData(w, id, index, data);
    }
    void setFocus(WindowRef w, int id) override { current().setFocus(w, id); }
    FocusTarget focus(WindowRef w) override { return current().focus(w); }
    void setDefaultButton(WindowRef w, int id) override { current().setDefaultButton(w, id); }
    int defaultButton(WindowRef w) override { return current().defaultButton(w); }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override {
        current().showHelp(owner, file, command, data);
    }
    void beginWaitCursor() override { current().beginWaitCursor(); }
    void endWaitCursor() override { current().endWaitCursor(); }
    LogoView* logoView() override;
    WindowClasses* windowClasses() override;

  private:
    class Services;
    Host& current() { return qt_ && !qtEnded_ ? *qt_ : console_; }
    void ensure();
    bool tryCreate();
    void reportOnce(const std::string& why);

    Environment& env_;
    Modules& modules_;
    ProductLibs& product_;
    TopWindows* windows_;
    Options options_;
    ConsoleHost console_;
    std::function<std::string(uint32_t)> strings_;
    std::unique_ptr<Services> services_;
    std::unique_ptr<Host> qt_;
    WindowClasses classes_;
    bool decided_ = false;
    bool reported_ = false;
    bool qtEnded_ = false;            // Qt went away under the Qt host: the console for good
    QtCreateHostFn create_ = nullptr; // set while the module waits for an application object
    bool mayCreateApplication_ = true;
};

} // namespace lntc
