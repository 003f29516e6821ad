#include "ui/display_host.h"

#include "platform/environment.h"
#include "platform/windows.h"
#include "product/product.h"

#include "platform/modules.h"

#include <cstdio>

namespace lntc {

class DisplayHost::Services : public QtHostServices {
  public:
    explicit Services(DisplayHost& owner) : owner_(owner) {}
    std::string loadString(uint32_t id) override {
        return owner_.strings_ ? owner_.strings_(id) : std::string();
    }
    void logError(const std::string& text) override {
        owner_.product_.ztrLogError(0, 0, 0, 0, text);
    }
    TopWindows* windows() override { return owner_.windows_; }
    void toolkitEnded() override { owner_.qtEnded_ = true; }

  private:
    DisplayHost& owner_;
};

DisplayHost::DisplayHost(Environment& env, Modules& modules, ProductLibs& product,
                         TopWindows* windows, Options options)
    : env_(env), modules_(modules), product_(product), windows_(windows),
      options_(std::move(options)), console_(product, options_.console),
      services_(std::make_unique<Services>(*this)) {}

DisplayHost::~DisplayHost() {
    // Touches Qt only while it still stands.
    qt_.reset();
}

void DisplayHost::reportOnce(const std::string& why) {
    if (reported_) return;
    reported_ = true;
    std::string line = "LNTC: no windows can be shown (" + why + "); messages go to the log";
    product_.ztrLogError(0, 0, 0, 0, line);
    if (options_.console != nullptr) {
        std::fprintf(options_.console, "%s\n", line.c_str());
        std::fflush(options_.console);
    }
}

bool DisplayHost::tryCreate() {
    QtHostContext context;
    context.services = services_.get();
    context.mayCreateApplication = mayCreateApplication_;
    Host* host = nullptr;
    try {
        host = create_(&context);
    } catch (...) {
        host = nullptr;
    }
    if (host == nullptr) return false;
    qt_.reset(host);
    create_ = nullptr;
    return true;
}

void DisplayHost::ensure() {
    if (qt_) return;
    if (decided_) {
        // A Qt program that loaded us before making its application object: ask again.
        if (create_ != nullptr) tryCreate();
        return;
    }
    decided_ = true;
    EnvLookup lookup = [this](std::string_view name) { return env_.get(name); };
    switch (CheckDisplay(lookup)) {
    case DisplayVerdict::Usable:
        break;
    case DisplayVerdict::Disabled:
    case DisplayVerdict::NoDisplay:
        return; // the console host is what was asked for, or all there can be
    case DisplayVerdict::Unreachable:
        reportOnce("the display named in the environment does not answer");
        return;
    }
    std::string dir = options_.moduleDir.empty() ? modules_.systemFolder() : options_.moduleDir;
    std::string path = dir + kHostPathSeparator + kQtModuleFile;
    // A Qt program links the Qt libraries; they are in the process before its main runs.
    mayCreateApplication_ = !modules_.isLoaded("libQt6Core.so.6");
    // Never unloaded: Qt cannot be unloaded safely once it has run, and the module's exit
    // hook must outlive this library.
    uint32_t error = 0;
    std::string why;
    std::unique_ptr<LoadedModule> module = modules_.load(path, true, error, &why);
    if (!module) {
        reportOnce(why.empty() ? path + " cannot be loaded" : why);
        return;
    }
    create_ = reinterpret_cast<QtCreateHostFn>(module->symbol(kQtHostEntry));
    if (create_ == nullptr) {
        reportOnce(path + " has no " + kQtHostEntry);
        return;
    }
    if (!tryCreate() && mayCreateApplication_) {
        create_ = nullptr;
        reportOnce("the Qt module could not start");
    }
}

bool DisplayHost::hasDisplay() {
    ensure();
    return qt_ != nullptr && !qtEnded_;
}

int DisplayHost::messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                            uint32_t style) {
    ensure();
    return target().messageBox(owner, text, caption, style);
}

WindowModel* DisplayHost::windows() {
    ensure();
    return target().windows();
}

LogoView* DisplayHost::logoView() {
    ensure();
    return target().logoView();
}

WindowClasses* DisplayHost::windowClasses() {
    // The classes are the process's; they exist only where windows can be made.
    return hasDisplay() ? &classes_ : nullptr;
}

} // namespace lntc
