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

class DisplayHost : public ForwardingHost {
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

    // What shows something makes the decision first.
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override;
    WindowModel* windows() override;
    LogoView* logoView() override;
    WindowClasses* windowClasses() override;

  private:
    class Services;
    Host& target() override { return qt_ && !qtEnded_ ? *qt_ : console_; }
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
