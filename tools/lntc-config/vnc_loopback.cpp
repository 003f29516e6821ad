// Qt's vnc platform listens on every interface and takes no address: the configuration run
// would be open, without a password, to anyone who reaches the machine. While the run is served
// over VNC, the listening socket of its port is bound to the loopback address instead, so only
// local users (or an SSH tunnel) reach it. The program exports this bind, so the platform plugin
// that Qt loads later calls it rather than the C library's.
#include "vnc_loopback.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstring>

namespace {
std::atomic<int> g_port{0};
}

void ServeOnLoopbackOnly(int port) {
    g_port = port;
}

extern "C" __attribute__((visibility("default"))) int bind(int fd, const struct sockaddr* addr,
                                                           socklen_t len) {
    using Bind = int (*)(int, const struct sockaddr*, socklen_t);
    static const Bind next = reinterpret_cast<Bind>(dlsym(RTLD_NEXT, "bind"));
    const int port = g_port.load();
    if (port != 0 && addr != nullptr && addr->sa_family == AF_INET6 &&
        len >= sizeof(sockaddr_in6)) {
        sockaddr_in6 a;
        std::memcpy(&a, addr, sizeof a);
        if (ntohs(a.sin6_port) == port && IN6_IS_ADDR_UNSPECIFIED(&a.sin6_addr)) {
            // Qt's "any" socket takes both families: the IPv4 loopback, as a mapped address.
            inet_pton(AF_INET6, "::ffff:127.0.0.1", &a.sin6_addr);
            return next(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        }
    } else if (port != 0 && addr != nullptr && addr->sa_family == AF_INET &&
               len >= sizeof(sockaddr_in)) {
        sockaddr_in a;
        std::memcpy(&a, addr, sizeof a);
        if (ntohs(a.sin_port) == port && a.sin_addr.s_addr == htonl(INADDR_ANY)) {
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            return next(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        }
    }
    return next(fd, addr, len);
}
