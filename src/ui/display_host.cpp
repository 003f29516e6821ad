#include "ui/display_host.h"

#include "platform/environment.h"
#include "platform/windows.h"
#include "product/product.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace lntc {

namespace {

bool set(const std::optional<std::string>& v) {
    return v && !v->empty();
}

// Whether a local stream socket accepts a connection; abstract names begin with '@'.
bool socketAnswers(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (path[0] == '@') addr.sun_path[0] = '\0';
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0;
    ::close(fd);
    return ok;
}

// DISPLAY as X names it: [host]:number[.screen]. Only a local display can be checked
// without waiting on the network; a remote one is taken on trust.
bool xDisplayAnswers(const std::string& display) {
    size_t colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
    if (!host.empty() && host[0] == '/') return socketAnswers(display); // launchd-style path
    if (!host.empty() && host != "unix") return true;
    return socketAnswers("/tmp/.X11-unix/X" + number) ||
           socketAnswers("@/tmp/.X11-unix/X" + number);
}

bool waylandAnswers(const EnvLookup& env) {
    std::string name = env("WAYLAND_DISPLAY").value_or("wayland-0");
    if (!name.empty() && name[0] == '/') return socketAnswers(name);
    auto runtime = env("XDG_RUNTIME_DIR");
    return set(runtime) && socketAnswers(*runtime + "/" + name);
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// A Qt program links the Qt libraries; they are in the process before its main runs.
bool qtAlreadyLoaded() {
    void* h = ::dlopen("libQt6Core.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (h == nullptr) return false;
    ::dlclose(h);
    return true;
}

} // namespace

DisplayVerdict CheckDisplay(const EnvLookup& env) {
    auto noGui = env("LNTC_NO_GUI");
    if (set(noGui) && *noGui != "0") return DisplayVerdict::Disabled;
    auto platform = env("QT_QPA_PLATFORM");
    if (set(platform)) {
        // "xcb:option=..." or a list "wayland;xcb": the first entry decides.
        std::string name = platform->substr(0, platform->find_first_of(":;"));
        if (name == "xcb") {
            auto display = env("DISPLAY");
            return set(display) && xDisplayAnswers(*display) ? DisplayVerdict::Usable
                                                             : DisplayVerdict::Unreachable;
        }
        if (name.rfind("wayland", 0) == 0)
            return waylandAnswers(env) ? DisplayVerdict::Usable : DisplayVerdict::Unreachable;
        return DisplayVerdict::Usable; // offscreen, vnc, eglfs, linuxfb, ...
    }
    auto wayland = env("WAYLAND_DISPLAY");
    auto display = env("DISPLAY");
    if (!set(wayland) && !set(display)) return DisplayVerdict::NoDisplay;
    if (set(wayland) && waylandAnswers(env)) return DisplayVerdict::Usable;
    if (set(display) && xDisplayAnswers(*display)) return DisplayVerdict::Usable;
    return DisplayVerdict::Unreachable;
}

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

DisplayHost::DisplayHost(Environment& env, ProductLibs& product, TopWindows* windows,
                         Options options)
    : env_(env), product_(product), windows_(windows), options_(std::move(options)),
      console_(product, options_.console), services_(std::make_unique<Services>(*this)) {}

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
    std::string dir = options_.moduleDir.empty() ? folderOf(env_.modulePath()) : options_.moduleDir;
    std::string path = dir + "/" + kQtModuleFile;
    mayCreateApplication_ = !qtAlreadyLoaded();
    // Never unloaded: Qt cannot be unloaded safely once it has run, and the module's exit
    // hook must outlive this library.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
        const char* why = ::dlerror();
        reportOnce(why != nullptr ? why : path + " cannot be loaded");
        return;
    }
    create_ = reinterpret_cast<QtCreateHostFn>(::dlsym(module, kQtHostEntry));
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
    return current().messageBox(owner, text, caption, style);
}

int DisplayHost::runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) {
    ensure();
    return current().runModal(events, t, parent);
}

WindowRef DisplayHost::createModeless(DialogEvents& events, const DialogTemplate& t,
                                      WindowRef parent) {
    ensure();
    return current().createModeless(events, t, parent);
}

LogoView* DisplayHost::logoView() {
    ensure();
    return current().logoView();
}

WindowClasses* DisplayHost::windowClasses() {
    // The classes are the process's; they exist only where windows can be made.
    return hasDisplay() ? &classes_ : nullptr;
}

} // namespace lntc
