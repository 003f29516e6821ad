// lntc-config's reading of the kernel's socket tables, from tables as an x86 machine prints them.
#include "socket_owner.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

namespace {

SocketEnd end(const char* address, uint16_t port) {
    sockaddr_in6 a{};
    sockaddr_in b{};
    a.sin6_family = AF_INET6, b.sin_family = AF_INET;
    a.sin6_port = b.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &b.sin_addr) == 1)
        return *SocketEndOf(reinterpret_cast<sockaddr*>(&b), sizeof b);
    inet_pton(AF_INET6, address, &a.sin6_addr);
    return *SocketEndOf(reinterpret_cast<sockaddr*>(&a), sizeof a);
}

TEST(SocketOwner, TheUserOfTheSocketWithTheseEndsOrNone) {
    const char* tcp =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n"
        "   1: 0100007F:170C 0100007F:B26E 01 00000000:00000000 00:00000000 00000000     0    "
        "    0 101 1 0000000000000000 20 4 30 10 -1\n"
        "   2: 0100007F:B26E 0100007F:170C 01 00000000:00000000 00:00000000 00000000  1000\n"
        "   3: 0100007F:B270 0100007F:170C 01 0:0 0:0 0 notauid\n"
        "   4: 0100007F:B271 0100007F:170C 01 0:0 0:0 0\n"
        "   5: 0100007G:B272 0100007F:170C 01 0:0 0:0 0 7\n"
        "   0: 00000000000000000000000001000000:9C40 00000000000000000000000001000000:170C 01 "
        "0:0 0:0 0 33\n"
        "   1: 0000000000000000FFFF00000100007F:9C41 0000000000000000FFFF00000100007F:170C 01 "
        "0:0 0:0 0 34";
    const SocketEnd vnc = end("127.0.0.1", 5900);
    struct Case {
        SocketEnd local, remote;
        std::optional<uint32_t> owner;
    } cases[] = {
        {end("127.0.0.1", 45678), vnc, 1000},
        {vnc, end("127.0.0.1", 45678), 0},  // the server's own end: the ends turned round
        {end("127.0.0.1", 45679), vnc, {}}, // no such connection
        {end("127.0.0.1", 45680), vnc, {}}, // uid not a number
        {end("127.0.0.1", 45681), vnc, {}}, // line cut short
        {end("127.0.0.1", 45682), vnc, {}}, // address not hexadecimal
        {end("::1", 40000), end("::1", 5900), 33},
        {end("127.0.0.1", 40001), vnc, 34}, // an IPv4-mapped socket, the last line unended
        {end("::1", 40001), end("::1", 5900), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SocketOwner(tcp, c.local, c.remote), c.owner) << Describe(c.local);
    EXPECT_EQ(Describe(end("127.0.0.1", 45678)) + ", " + Describe(end("::1", 5900)),
              "127.0.0.1 port 45678, ::1 port 5900");
}

} // namespace
