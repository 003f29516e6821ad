// lntc-config's reading of the kernel's socket tables, from literal tables as an x86 machine
// prints them.
#include "socket_owner.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

namespace {

SocketEnd end(const char* address, uint16_t port) {
    sockaddr_in6 a6{};
    sockaddr_in a4{};
    if (inet_pton(AF_INET, address, &a4.sin_addr) == 1) {
        a4.sin_family = AF_INET;
        a4.sin_port = htons(port);
        return *SocketEndOf(reinterpret_cast<sockaddr*>(&a4), sizeof a4);
    }
    EXPECT_EQ(inet_pton(AF_INET6, address, &a6.sin6_addr), 1) << address;
    a6.sin6_family = AF_INET6;
    a6.sin6_port = htons(port);
    return *SocketEndOf(reinterpret_cast<sockaddr*>(&a6), sizeof a6);
}

constexpr const char* kTcp =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout "
    "inode\n"
    "   0: 0100007F:170C 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 "
    "100 1 0000000000000000 100 0 0 10 0\n"
    // the server's own end of the connection, the ends the other way round
    "   1: 0100007F:170C 0100007F:B26E 01 00000000:00000000 00:00000000 00000000     0        0 "
    "101 1 0000000000000000 20 4 30 10 -1\n"
    "   2: 0100007F:B26E 0100007F:170C 01 00000000:00000000 00:00000000 00000000  1000        0 "
    "102 1 0000000000000000 20 4 30 10 -1\n"
    "   3: 0100007F:B270 0100007F:170C 01 00000000:00000000 00:00000000 00000000 notauid 0 103\n"
    "   4: 0100007F:B271 0100007F:170C 01\n"
    "   5: 0100007G:B272 0100007F:170C 01 00000000:00000000 00:00000000 00000000    7 0 105\n"
    "   6: 0100007F:B273 0100007F:170C 01 00000000:00000000 00:00000000 00000000   65534";

constexpr const char* kTcp6 =
    "  sl  local_address                         remote_address                        st\n"
    "   0: 00000000000000000000000001000000:9C40 00000000000000000000000001000000:170C 01 "
    "00000000:00000000 00:00000000 00000000   33 0 200\n"
    "   1: 0000000000000000FFFF00000100007F:9C41 0000000000000000FFFF00000100007F:170C 01 "
    "00000000:00000000 00:00000000 00000000   34 0 201\n"
    "   2: 000080FE0000000011AAFF02FE23C4B5:9C42 000080FE0000000011AAFF02FE23C4B5:170C 01 "
    "00000000:00000000 00:00000000 00000000   35 0 202\n";

TEST(SocketOwner, TheUserOfTheSocketWithTheseEndsOrNone) {
    const SocketEnd vnc4 = end("127.0.0.1", 5900), vnc6 = end("::1", 5900);
    struct Case {
        const char* table;
        SocketEnd local, remote;
        std::optional<uint32_t> owner;
    } cases[] = {
        {kTcp, end("127.0.0.1", 45678), vnc4, 1000},
        {kTcp, vnc4, end("127.0.0.1", 45678), 0},  // the other end's socket
        {kTcp, end("127.0.0.1", 45679), vnc4, {}}, // no such connection
        {kTcp, end("127.0.0.2", 45678), vnc4, {}}, // another address
        {kTcp, end("127.0.0.1", 45678), end("127.0.0.1", 5901), {}},
        {kTcp, end("127.0.0.1", 45680), vnc4, {}},    // uid not a number
        {kTcp, end("127.0.0.1", 45681), vnc4, {}},    // line cut short
        {kTcp, end("127.0.0.1", 45682), vnc4, {}},    // address not hexadecimal
        {kTcp, end("127.0.0.1", 45683), vnc4, 65534}, // the last line, without its end
        {kTcp6, end("::1", 40000), vnc6, 33},
        {kTcp6, end("127.0.0.1", 40001), vnc4, 34}, // an IPv4-mapped socket
        {kTcp6, end("::ffff:127.0.0.1", 40001), end("::ffff:127.0.0.1", 5900), 34},
        {kTcp6, end("fe80::2ff:aa11:b5c4:23fe", 40002), end("fe80::2ff:aa11:b5c4:23fe", 5900), 35},
        {kTcp6, end("::1", 40001), vnc6, {}}, // ::1 is not 127.0.0.1
        {"", end("127.0.0.1", 45678), vnc4, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SocketOwner(c.table, c.local, c.remote), c.owner)
            << Describe(c.local) << " to " << Describe(c.remote);
    EXPECT_EQ(Describe(end("127.0.0.1", 45678)) + ", " + Describe(end("::1", 5900)),
              "127.0.0.1 port 45678, ::1 port 5900");
}

} // namespace
