// The printf conversions of a string-table format, so that a translated format can be checked
// against the built-in one before the library hands it arguments.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lntc {

// The sequence of arguments a format consumes, one entry per argument ("d", "ld", "s", "*"
// for a star width or precision, ...), joined by ",". nullopt for a format the library must
// never use: a malformed or unfinished conversion, "%n", or a numbered argument ("%1$s").
std::optional<std::string> conversionSignature(std::string_view format);

// Whether `candidate` consumes the same arguments as `reference`, so that it can be formatted
// with the arguments meant for `reference`. Flags, widths and precisions may differ.
bool sameConversions(std::string_view candidate, std::string_view reference);

inline constexpr size_t kMessageBufferSize = 512;

// printf-style formatting into the bounded message buffer (at most 511 characters), in the C
// locale whatever the program's locale is.
std::string formatMessageV(const char* format, va_list args);
std::string formatMessage(const char* format, ...);

} // namespace lntc
