#include "platform/posix/posix_services.h"

#include "platform/errors.h"

#include <sys/socket.h>
#include <unistd.h>

namespace lntc {

uint32_t PosixServices::queryTcpip(bool& present) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    present = fd >= 0;
    if (fd >= 0) ::close(fd);
    return err::Success;
}

} // namespace lntc
