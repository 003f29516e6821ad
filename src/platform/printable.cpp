#include "platform/printable.h"

#include <cstdint>

namespace lntc {

namespace {

void appendEscaped(std::string& out, uint8_t b) {
    static const char* hex = "0123456789abcdef";
    out += "\\x";
    out += hex[b >> 4];
    out += hex[b & 15];
}

} // namespace

// Length of the well-formed UTF-8 sequence at text[i] (overlong forms, surrogates and values
// past U+10FFFF excluded), or 0.
size_t utf8Length(std::string_view text, size_t i, char32_t& c) {
    const auto b = static_cast<uint8_t>(text[i]);
    size_t n = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, c = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto cb = static_cast<uint8_t>(text[i + k]);
        if ((cb & 0xC0) != 0x80) return 0;
        c = (c << 6) | (cb & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    return n;
}

std::string printable(std::string_view text, LineBreaks breaks) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if ((b == '\r' || b == '\n') && breaks == LineBreaks::AsSpace) {
            out += ' ';
            ++i;
            continue;
        }
        char32_t c = 0;
        const size_t n = b >= 0x80 ? utf8Length(text, i, c) : 0;
        // A terminal acts on C1 controls (U+0080..U+009F) as it does on ESC sequences.
        if (n == 0 || c < 0xA0) {
            for (size_t k = 0; k < (n ? n : 1); ++k)
                appendEscaped(out, static_cast<uint8_t>(text[i + k]));
            i += n ? n : 1;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

std::string quote(std::string_view text) {
    return "'" + printable(text) + "'";
}

} // namespace lntc
