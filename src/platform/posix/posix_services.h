// System services on Linux: TCP/IP is there when an IPv4 socket can be created.
#pragma once
#include "platform/services.h"

namespace lntc {

class PosixServices : public SystemServices {
  public:
    uint32_t queryTcpip(bool& present) override;
    uint32_t resolveHost(const std::string& name, std::string& address) override;
};

} // namespace lntc
