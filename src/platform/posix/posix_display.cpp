#include "platform/display.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

namespace lntc {

namespace {

using Clock = std::chrono::steady_clock;

bool set(const std::optional<std::string>& v) {
    return v && !v->empty();
}

int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Whether a connection to the address is accepted before the deadline. The socket never
// blocks: a peer that drops the handshake must not hold the process.
bool connects(const sockaddr* addr, socklen_t len, Clock::time_point deadline) {
    int fd = ::socket(addr->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    bool ok = ::connect(fd, addr, len) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int n;
        do {
            n = ::poll(&p, 1, remainingMs(deadline));
        } while (n < 0 && errno == EINTR);
        int error = 0;
        socklen_t size = sizeof error;
        ok = n == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return ok;
}

// Whether a local stream socket accepts a connection; abstract names begin with '@'.
bool socketAnswers(const std::string& path, Clock::time_point deadline) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (path[0] == '@') addr.sun_path[0] = '\0';
    return connects(reinterpret_cast<const sockaddr*>(&addr), len, deadline);
}

// A name lookup that may outlive its caller: the resolver's own thread fills it in.
struct Lookup {
    std::string host, service;
    addrinfo hints{};
    gaicb request{};
};

// Lookups given up on while the name service still had them. They cannot be freed before
// the resolver is done with them; each later probe frees those that are. Never destroyed,
// so that no exit handler frees one under the resolver's feet.
std::mutex parkedMutex;
std::vector<Lookup*>& parked() {
    static auto* list = new std::vector<Lookup*>;
    return *list;
}

void release(Lookup* l) {
    if (l->request.ar_result != nullptr) ::freeaddrinfo(l->request.ar_result);
    delete l;
}

void reapParked() {
    std::lock_guard lock(parkedMutex);
    auto& list = parked();
    std::erase_if(list, [](Lookup* l) {
        if (::gai_error(&l->request) == EAI_INPROGRESS) return false;
        release(l);
        return true;
    });
}

// The host's stream addresses for the port, found before the deadline. A numeric address
// needs no name service; a name is looked up asynchronously, so that a name service that
// does not answer costs the deadline and no more.
std::vector<std::vector<char>> resolve(const std::string& host, int port,
                                       Clock::time_point deadline) {
    std::vector<std::vector<char>> out;
    auto take = [&out](const addrinfo* list) {
        for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
            const char* bytes = reinterpret_cast<const char*>(a->ai_addr);
            out.emplace_back(bytes, bytes + a->ai_addrlen);
        }
    };
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc == 0) {
        take(list);
        ::freeaddrinfo(list);
        return out;
    }
    if (rc != EAI_NONAME) return out;

    reapParked();
    auto* l = new Lookup{host, service, {}, {}};
    l->hints.ai_socktype = SOCK_STREAM;
    l->hints.ai_flags = AI_NUMERICSERV;
    l->request.ar_name = l->host.c_str();
    l->request.ar_service = l->service.c_str();
    l->request.ar_request = &l->hints;
    gaicb* requests[] = {&l->request};
    if (::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr) != 0) {
        delete l;
        return out;
    }
    while (::gai_error(&l->request) == EAI_INPROGRESS) {
        const int ms = remainingMs(deadline);
        if (ms == 0) break;
        timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
        ::gai_suspend(requests, 1, &wait);
    }
    rc = ::gai_error(&l->request);
    if (rc == EAI_INPROGRESS && ::gai_cancel(&l->request) != EAI_CANCELED) {
        std::lock_guard lock(parkedMutex);
        parked().push_back(l);
        return out;
    }
    if (rc == 0) take(l->request.ar_result);
    release(l);
    return out;
}

bool tcpAnswers(const std::string& host, int port, Clock::time_point deadline) {
    for (const std::vector<char>& addr : resolve(host, port, deadline)) {
        if (connects(reinterpret_cast<const sockaddr*>(addr.data()),
                     static_cast<socklen_t>(addr.size()), deadline))
            return true;
        if (remainingMs(deadline) == 0) break;
    }
    return false;
}

// DISPLAY as X names it: [protocol/][host]:number[.screen]. No host (or "unix") is the local
// socket, a path is a socket of that path, any other host is TCP port 6000 + number; "::"
// (DECnet) is nothing this system can reach.
bool xDisplayAnswers(const std::string& display, Clock::time_point deadline) {
    if (!display.empty() && display[0] == '/') return socketAnswers(display, deadline);
    size_t colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = display.substr(0, colon);
    std::string protocol;
    if (size_t slash = host.find('/'); slash != std::string::npos) {
        protocol = host.substr(0, slash);
        host = host.substr(slash + 1);
    }
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.size() > 5 ||
        number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int n = std::stoi(number);
    if (!host.empty() && host.back() == ':') return false;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (protocol == "unix" || protocol == "local" || (protocol.empty() && host.empty()) ||
        host == "unix")
        return socketAnswers("/tmp/.X11-unix/X" + number, deadline) ||
               socketAnswers("@/tmp/.X11-unix/X" + number, deadline);
    if (6000 + n > 65535) return false;
    return tcpAnswers(host.empty() ? "localhost" : host, 6000 + n, deadline);
}

bool waylandAnswers(const EnvLookup& env, Clock::time_point deadline) {
    std::string name = env("WAYLAND_DISPLAY").value_or("wayland-0");
    if (!name.empty() && name[0] == '/') return socketAnswers(name, deadline);
    auto runtime = env("XDG_RUNTIME_DIR");
    return set(runtime) && socketAnswers(*runtime + "/" + name, deadline);
}

} // namespace

DisplayVerdict CheckDisplay(const EnvLookup& env, std::chrono::milliseconds patience) {
    const Clock::time_point deadline = Clock::now() + patience;
    auto noGui = env("LNTC_NO_GUI");
    if (set(noGui) && *noGui != "0") return DisplayVerdict::Disabled;
    auto platform = env("QT_QPA_PLATFORM");
    if (set(platform)) {
        // "xcb:option=..." or a list "wayland;xcb": the first entry decides.
        std::string name = platform->substr(0, platform->find_first_of(":;"));
        if (name == "xcb") {
            auto display = env("DISPLAY");
            return set(display) && xDisplayAnswers(*display, deadline)
                       ? DisplayVerdict::Usable
                       : DisplayVerdict::Unreachable;
        }
        if (name.rfind("wayland", 0) == 0)
            return waylandAnswers(env, deadline) ? DisplayVerdict::Usable
                                                 : DisplayVerdict::Unreachable;
        return DisplayVerdict::Usable; // offscreen, vnc, eglfs, linuxfb, ...
    }
    auto wayland = env("WAYLAND_DISPLAY");
    auto display = env("DISPLAY");
    if (!set(wayland) && !set(display)) return DisplayVerdict::NoDisplay;
    if (set(wayland) && waylandAnswers(env, deadline)) return DisplayVerdict::Usable;
    if (set(display) && xDisplayAnswers(*display, deadline)) return DisplayVerdict::Usable;
    return DisplayVerdict::Unreachable;
}

} // namespace lntc
