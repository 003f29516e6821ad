// The administration interface's texts as strings.
#pragma once
#include "lntc_admin.h"

#include <string>
#include <string_view>

namespace tool {

// The text, released.
inline std::string take(LNTC_AdminText& text) {
    std::string out(text.data != nullptr ? text.data : "", text.size);
    LNTC_AdminFreeText(&text);
    return out;
}

// Text from outside made safe for a terminal, by the library's rules; in single quotes.
inline std::string printable(std::string_view text, bool quoted = false) {
    LNTC_AdminText out{};
    if (LNTC_AdminPrintable(LNTC_ADMIN_VERSION, text.data(), text.size(), quoted, &out) == 0)
        return take(out);
    // A library of another build: every byte outside printable ASCII shown as '?'.
    std::string safe(text);
    for (char& c : safe)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
    return quoted ? "'" + safe + "'" : safe;
}
inline std::string quote(std::string_view text) {
    return printable(text, true);
}

} // namespace tool
