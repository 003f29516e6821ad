// Qt's vnc platform listens on every interface, takes no address and asks for no password: the
// configuration run would be open to anyone who reaches the machine. While the run is served
// over VNC, the listening socket of its port is bound to the loopback address instead, so only
// local users (or an SSH tunnel) reach it, and each connection it accepts is checked against
// the kernel's socket table: only one whose other end a process of this user made is handed to
// Qt. The program exports bind, accept and accept4, so the plugin Qt loads later calls these
// rather than the C library's.
#include "vnc_loopback.h"

#include "socket_owner.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

std::atomic<int> g_port{0};
void (*g_refused)(const std::string&) = nullptr;
void (*g_cannotListen)(const std::string&) = nullptr;

using Bind = int (*)(int, const sockaddr*, socklen_t);
using Accept4 = int (*)(int, sockaddr*, socklen_t*, int);

int realBind(int fd, const sockaddr* addr, socklen_t len) {
    static const Bind next = reinterpret_cast<Bind>(dlsym(RTLD_NEXT, "bind"));
    return next(fd, addr, len);
}

// The loopback address in the family of the socket, with Qt's options: a socket of both
// families where IPv6 exists, the address reusable.
int loopbackListener(int port) {
    int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1, off = 0;
    if (fd >= 0) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET6, "::ffff:127.0.0.1", &a.sin6_addr);
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (realBind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(fd, 1) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (errno != EAFNOSUPPORT) return -1;
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (realBind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 1) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

std::string readAll(const char* path) {
    std::string text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[8192];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);)
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return text;
}

// Whether fd is the listening socket of the VNC port.
bool servesVnc(int fd) {
    const int port = g_port.load();
    sockaddr_storage a{};
    socklen_t len = sizeof a;
    int listening = 0;
    socklen_t size = sizeof listening;
    if (port == 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening == 0)
        return false;
    const auto end = SocketEndOf(reinterpret_cast<const sockaddr*>(&a), len);
    return end && end->port == port;
}

// Whether the other end of the accepted connection c was made by a process of this user; the
// line to log when it was not.
bool madeByOwner(int c, std::string& why) {
    sockaddr_storage mine{}, theirs{};
    socklen_t mineLength = sizeof mine, theirsLength = sizeof theirs;
    std::optional<SocketEnd> local, peer;
    if (::getsockname(c, reinterpret_cast<sockaddr*>(&mine), &mineLength) == 0 &&
        ::getpeername(c, reinterpret_cast<sockaddr*>(&theirs), &theirsLength) == 0) {
        local = SocketEndOf(reinterpret_cast<const sockaddr*>(&mine), mineLength);
        peer = SocketEndOf(reinterpret_cast<const sockaddr*>(&theirs), theirsLength);
    }
    if (!local || !peer) {
        why = "refused a VNC connection whose ends cannot be read";
        return false;
    }
    // The peer's socket is listed with its ends the other way round.
    std::optional<uint32_t> owner = SocketOwner(readAll("/proc/net/tcp"), *peer, *local);
    if (!owner) owner = SocketOwner(readAll("/proc/net/tcp6"), *peer, *local);
    const uint32_t user = ::geteuid();
    if (owner && *owner == user) return true;
    why = "refused a VNC connection from " + Describe(*peer) +
          (owner ? ": it was made by user " + std::to_string(*owner)
                 : ": the process that made it cannot be found") +
          ", and only user " + std::to_string(user) + " may connect";
    return false;
}

int acceptNext(int fd, sockaddr* addr, socklen_t* len, int flags) {
    static const Accept4 next = reinterpret_cast<Accept4>(dlsym(RTLD_NEXT, "accept4"));
    if (!servesVnc(fd)) return next(fd, addr, len, flags);
    // Each connection refused is closed before a byte is sent; then the next one pending. A
    // listener that does not block says EAGAIN once none is left, which Qt takes as a passing
    // condition and listens on.
    for (;;) {
        const int c = next(fd, addr, len, flags);
        if (c < 0) return c;
        std::string why;
        if (madeByOwner(c, why)) return c;
        if (g_refused != nullptr) g_refused(why);
        ::close(c);
    }
}

} // namespace

bool CanListenOnLoopback(int port, std::string& why) {
    const int fd = loopbackListener(port);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    why = "cannot listen on localhost port " + std::to_string(port) + ": " + std::strerror(errno);
    return false;
}

void ServeOnLoopbackOnly(int port, void (*refused)(const std::string&),
                         void (*cannotListen)(const std::string&)) {
    g_refused = refused;
    g_cannotListen = cannotListen;
    g_port = port;
}

extern "C" __attribute__((visibility("default"))) int bind(int fd, const struct sockaddr* addr,
                                                           socklen_t len) {
    const int port = g_port.load();
    int result = 0;
    if (port != 0 && addr != nullptr && addr->sa_family == AF_INET6 &&
        len >= sizeof(sockaddr_in6)) {
        sockaddr_in6 a;
        std::memcpy(&a, addr, sizeof a);
        if (ntohs(a.sin6_port) != port || !IN6_IS_ADDR_UNSPECIFIED(&a.sin6_addr))
            return realBind(fd, addr, len);
        // Qt's "any" socket takes both families: the IPv4 loopback, as a mapped address.
        inet_pton(AF_INET6, "::ffff:127.0.0.1", &a.sin6_addr);
        result = realBind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    } else if (port != 0 && addr != nullptr && addr->sa_family == AF_INET &&
               len >= sizeof(sockaddr_in)) {
        sockaddr_in a;
        std::memcpy(&a, addr, sizeof a);
        if (ntohs(a.sin_port) != port || a.sin_addr.s_addr != htonl(INADDR_ANY))
            return realBind(fd, addr, len);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        result = realBind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    } else {
        return realBind(fd, addr, len);
    }
    // Taken since the program found it free: Qt would only warn, and run on unreachable.
    if (result != 0 && g_cannotListen != nullptr)
        g_cannotListen("cannot listen on localhost port " + std::to_string(port) + ": " +
                       std::strerror(errno));
    return result;
}

extern "C" __attribute__((visibility("default"))) int accept(int fd, struct sockaddr* addr,
                                                             socklen_t* len) {
    return acceptNext(fd, addr, len, 0);
}

extern "C" __attribute__((visibility("default"))) int accept4(int fd, struct sockaddr* addr,
                                                              socklen_t* len, int flags) {
    return acceptNext(fd, addr, len, flags);
}
