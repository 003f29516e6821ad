// System services on Windows: the service manager's TCP/IP service, the system's resolver and
// its services database, through Windows Sockets.
#pragma once
#include "platform/services.h"

namespace lntc {

class Win32Services : public SystemServices {
  public:
    uint32_t queryTcpip(bool& present) override;
    // The resolver's own time-outs bound the wait, as on Linux.
    uint32_t resolveHost(const std::string& name, std::string& address) override;
    std::optional<uint16_t> servicePort(const std::string& name) override;
};

} // namespace lntc
