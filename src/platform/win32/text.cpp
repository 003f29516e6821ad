#include "platform/win32/text.h"

namespace lntc::win32 {

namespace {

// 0x80..0x9F of code page 1252.
constexpr wchar_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::wstring wideFromText(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (unsigned char b : text)
        out += (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : static_cast<wchar_t>(b);
    return out;
}

std::string textFromWide(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) {
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = static_cast<char>(c);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHigh[i] == c) b = static_cast<char>(0x80 + i);
            }
        }
        out += b;
    }
    return out;
}

} // namespace lntc::win32
