#include "platform/win32/win32_services.h"

#include "platform/errors.h"
#include "platform/win32/text.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace lntc {

namespace {

// Windows Sockets for the length of one call: the caller's own use of it, if any, is counted
// apart by the system and left as it was.
class Sockets {
  public:
    Sockets() {
        WSADATA data{};
        ready_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Sockets() {
        if (ready_) WSACleanup();
    }
    Sockets(const Sockets&) = delete;
    Sockets& operator=(const Sockets&) = delete;
    bool ready() const { return ready_; }

  private:
    bool ready_ = false;
};

} // namespace

uint32_t Win32Services::queryTcpip(bool& present) {
    present = false;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_READ);
    if (manager == nullptr) return GetLastError();
    SC_HANDLE service = OpenServiceW(manager, L"Tcpip", SERVICE_QUERY_STATUS);
    // Refused to us, it is still there.
    present = service != nullptr || GetLastError() == ERROR_ACCESS_DENIED;
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return err::Success;
}

uint32_t Win32Services::resolveHost(const std::string& name, std::string& address) {
    // An embedded NUL would have the resolver look up what stands before it.
    if (name.empty() || name.find('\0') != std::string::npos) return err::HostNotFound;
    Sockets sockets;
    if (!sockets.ready()) return err::HostNotFound;
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(win32::wideFromText(name).c_str(), nullptr, &hints, &found) != 0 ||
        found == nullptr)
        return err::HostNotFound;
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
    address = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
              std::to_string(b[3]);
    FreeAddrInfoW(found);
    return err::Success;
}

std::optional<uint16_t> Win32Services::servicePort(const std::string& name) {
    if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
    Sockets sockets;
    if (!sockets.ready()) return std::nullopt;
    // The entry is the calling thread's own, valid until its next call.
    const servent* found = getservbyname(name.c_str(), nullptr);
    if (found == nullptr) return std::nullopt;
    return ntohs(static_cast<u_short>(found->s_port));
}

} // namespace lntc
