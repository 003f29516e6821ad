// The machine's system services, as far as the configuration asks about them.
#pragma once
#include <cstdint>

namespace lntc {

class SystemServices {
  public:
    virtual ~SystemServices() = default;
    // Whether the TCP/IP service is installed. Non-zero (the platform's error) when the
    // service manager cannot be asked at all; present is then false.
    virtual uint32_t queryTcpip(bool& present) = 0;
};

} // namespace lntc
