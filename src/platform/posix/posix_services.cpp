#include "platform/posix/posix_services.h"

#include "platform/errors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace lntc {

uint32_t PosixServices::queryTcpip(bool& present) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    present = fd >= 0;
    if (fd >= 0) ::close(fd);
    return err::Success;
}

uint32_t PosixServices::resolveHost(const std::string& name, std::string& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 ||
        found == nullptr)
        return err::HostNotFound;
    char text[INET_ADDRSTRLEN] = "";
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    bool ok = ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr;
    ::freeaddrinfo(found);
    if (!ok) return err::HostNotFound;
    address = text;
    return err::Success;
}

std::optional<uint16_t> PosixServices::servicePort(const std::string& name) {
    // The reentrant form: another thread of the caller may be walking the database too.
    servent entry{};
    servent* found = nullptr;
    std::vector<char> buffer(1024);
    for (;;) {
        int rc =
            ::getservbyname_r(name.c_str(), nullptr, &entry, buffer.data(), buffer.size(), &found);
        if (rc != ERANGE || buffer.size() >= 65536) break;
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr) return std::nullopt;
    return ntohs(static_cast<uint16_t>(found->s_port));
}

} // namespace lntc
