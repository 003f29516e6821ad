#include "resources/formats.h"

#include "platform/c_locale.h"

#include <cctype>
#include <cstdio>

namespace lntc {

std::optional<std::string> conversionSignature(std::string_view f) {
    std::string out;
    auto add = [&out](std::string_view item) {
        if (!out.empty()) out += ',';
        out += item;
    };
    size_t i = 0;
    while (i < f.size()) {
        if (f[i++] != '%') continue;
        if (i < f.size() && f[i] == '%') {
            ++i;
            continue;
        }
        while (i < f.size() && std::string_view("-+ #0'").find(f[i]) != std::string_view::npos)
            ++i;
        auto widthOrPrecision = [&]() -> bool {
            if (i < f.size() && f[i] == '*') {
                ++i;
                add("*");
                return true;
            }
            size_t digits = i;
            while (i < f.size() && std::isdigit(static_cast<unsigned char>(f[i])))
                ++i;
            // "%1$s" names its argument; the library never passes arguments that way.
            return !(i > digits && i < f.size() && f[i] == '$');
        };
        if (!widthOrPrecision()) return std::nullopt;
        if (i < f.size() && f[i] == '.') {
            ++i;
            if (!widthOrPrecision()) return std::nullopt;
        }
        std::string length;
        while (i < f.size() && std::string_view("hlLqjzt").find(f[i]) != std::string_view::npos)
            length += f[i++];
        if (length.size() > 2 || (length.size() == 2 && length != "hh" && length != "ll"))
            return std::nullopt;
        if (i >= f.size()) return std::nullopt;
        char c = f[i++];
        std::string_view kind;
        switch (c) {
        case 'd':
        case 'i':
            kind = "d";
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            kind = "u";
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            kind = "f";
            break;
        case 'c':
            kind = "c";
            break;
        case 's':
            kind = "s";
            break;
        case 'p':
            kind = "p";
            break;
        default: // "%n" writes through its argument; anything else is no conversion at all
            return std::nullopt;
        }
        add(length + std::string(kind));
    }
    return out;
}

bool sameConversions(std::string_view candidate, std::string_view reference) {
    auto a = conversionSignature(candidate);
    auto b = conversionSignature(reference);
    return a && b && *a == *b;
}

std::string formatMessageV(const char* format, va_list args) {
    char buffer[kMessageBufferSize];
    if (format == nullptr) return std::string();
    // The same text in every program, whatever locale it runs in (numbers go to the logs too).
    CLocaleScope c;
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0) return std::string();
    return std::string(buffer);
}

std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatMessageV(format, args);
    va_end(args);
    return text;
}

} // namespace lntc
