// The machine's system services, as far as the configuration asks about them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace lntc {

class SystemServices {
  public:
    virtual ~SystemServices() = default;
    // Whether the TCP/IP service is installed. Non-zero (the platform's error) when the
    // service manager cannot be asked at all; present is then false.
    virtual uint32_t queryTcpip(bool& present) = 0;
    // The first IPv4 address of a host name through the system resolver, as "a.b.c.d".
    // 0, or 11001 (host not found) when there is none.
    virtual uint32_t resolveHost(const std::string& name, std::string& address) = 0;
    // The port (host byte order) that the services database lists for the service name, with
    // any protocol; nullopt when it lists none.
    virtual std::optional<uint16_t> servicePort(const std::string& name) = 0;
};

} // namespace lntc
