// Who made the other end of a local TCP connection: the kernel's socket tables
// (/proc/net/tcp and /proc/net/tcp6) list every socket of this network namespace with the user
// that created it.
#pragma once
#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An address and port; an IPv4 address held as its IPv4-mapped IPv6 form, so that a socket of
// either family compares equal to the same end seen from the other.
struct SocketEnd {
    std::array<uint8_t, 16> address{};
    uint16_t port = 0;
    bool operator==(const SocketEnd&) const = default;
};

std::optional<SocketEnd> SocketEndOf(const sockaddr* a, socklen_t length);
// "127.0.0.1 port 45678"
std::string Describe(const SocketEnd& end);

// The user id of the socket whose local end is local and remote end is remote, in the text of
// a socket table; nullopt when no well-formed line has them.
std::optional<uint32_t> SocketOwner(std::string_view table, const SocketEnd& local,
                                    const SocketEnd& remote);
