// System services on Linux: TCP/IP is there when an IPv4 socket can be created; service ports
// come from the services database (/etc/services, NSS).
#pragma once
#include "platform/services.h"

namespace lntc {

class PosixServices : public SystemServices {
  public:
    uint32_t queryTcpip(bool& present) override;
    uint32_t resolveHost(const std::string& name, std::string& address) override;
    std::optional<uint16_t> servicePort(const std::string& name) override;
};

} // namespace lntc
