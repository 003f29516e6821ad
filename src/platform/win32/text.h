// The product's text at the Windows boundary. The library's strings are single-byte text in
// code page 1252 (the records, the registry values the Linux store keeps byte for byte); the
// system keeps UTF-16. Each byte is one UTF-16 unit and back, so that any byte string survives
// the round trip whatever the system's own code page is; the five bytes 1252 leaves undefined
// are the C1 controls, as the system maps them.
#pragma once
#include <string>
#include <string_view>

namespace lntc::win32 {

std::wstring wideFromText(std::string_view text);
// What code page 1252 cannot hold becomes "?".
std::string textFromWide(std::wstring_view wide);

} // namespace lntc::win32
