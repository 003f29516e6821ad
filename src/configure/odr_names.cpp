// The names under which the ODR, its name server and its queues are known here.
#include "configure/configure.h"

#include <cctype>

namespace lntc {

bool QueueNameUsable(std::string_view name) {
    if (name.empty() || name.size() >= sizeof(QueueRecord{}.Name)) return false;
    for (unsigned char c : name)
        if (c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string MakeRlkServerHostName(const std::string& odrName) {
    std::string host;
    for (unsigned char c : odrName) {
        if (c == ':')
            host += '-';
        else if (c < 128 && (std::isalnum(c) || c == '-'))
            host += static_cast<char>(std::tolower(c));
    }
    return host + "-rlk-server";
}

} // namespace lntc
