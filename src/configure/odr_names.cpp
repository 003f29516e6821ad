// The names under which the ODR and its name server are known.
#include "configure/configure.h"

#include <cctype>

namespace lntc {

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
