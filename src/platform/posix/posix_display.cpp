#include "platform/display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
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

} // namespace lntc
