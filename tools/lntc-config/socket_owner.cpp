#include "socket_owner.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace {

constexpr std::array<uint8_t, 12> kMappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

bool hexNumber(std::string_view text, uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "0100007F:170C": the kernel prints each 32-bit word of the address as the number it is in
// this machine's byte order, and the port as a number.
std::optional<SocketEnd> parseEnd(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view address = text.substr(0, colon), port = text.substr(colon + 1);
    uint32_t p = 0;
    if ((address.size() != 8 && address.size() != 32) || port.size() != 4 || !hexNumber(port, p))
        return std::nullopt;
    SocketEnd end;
    end.port = static_cast<uint16_t>(p);
    const size_t words = address.size() / 8, first = 4 - words;
    if (words == 1) std::memcpy(end.address.data(), kMappedPrefix.data(), kMappedPrefix.size());
    for (size_t i = 0; i < words; ++i) {
        uint32_t word = 0;
        if (!hexNumber(address.substr(i * 8, 8), word)) return std::nullopt;
        std::memcpy(end.address.data() + (first + i) * 4, &word, 4);
    }
    return end;
}

} // namespace

std::optional<SocketEnd> SocketEndOf(const sockaddr* a, socklen_t length) {
    SocketEnd end;
    if (a != nullptr && a->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        sockaddr_in v4;
        std::memcpy(&v4, a, sizeof v4);
        std::memcpy(end.address.data(), kMappedPrefix.data(), kMappedPrefix.size());
        std::memcpy(end.address.data() + 12, &v4.sin_addr, 4);
        end.port = ntohs(v4.sin_port);
        return end;
    }
    if (a != nullptr && a->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        sockaddr_in6 v6;
        std::memcpy(&v6, a, sizeof v6);
        std::memcpy(end.address.data(), &v6.sin6_addr, 16);
        end.port = ntohs(v6.sin6_port);
        return end;
    }
    return std::nullopt;
}

std::string Describe(const SocketEnd& end) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), end.address.begin()))
        inet_ntop(AF_INET, end.address.data() + 12, text, sizeof text);
    else
        inet_ntop(AF_INET6, end.address.data(), text, sizeof text);
    return std::string(text) + " port " + std::to_string(end.port);
}

std::optional<uint32_t> SocketOwner(std::string_view table, const SocketEnd& local,
                                    const SocketEnd& remote) {
    while (!table.empty()) {
        const size_t eol = table.find('\n');
        std::string_view line = table.substr(0, eol);
        table.remove_prefix(eol == std::string_view::npos ? table.size() : eol + 1);
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid ...
        std::vector<std::string_view> fields;
        while (fields.size() < 8) {
            const size_t start = line.find_first_not_of(' ');
            if (start == std::string_view::npos) break;
            line.remove_prefix(start);
            const size_t stop = std::min(line.find(' '), line.size());
            fields.push_back(line.substr(0, stop));
            line.remove_prefix(stop);
        }
        if (fields.size() < 8) continue;
        uint32_t uid = 0;
        const std::string_view u = fields[7];
        const auto [end, ec] = std::from_chars(u.data(), u.data() + u.size(), uid);
        if (ec != std::errc() || end != u.data() + u.size()) continue;
        if (parseEnd(fields[1]) == local && parseEnd(fields[2]) == remote) return uid;
    }
    return std::nullopt;
}
