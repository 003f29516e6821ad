// Message boxes with printf-style texts from the string table.
#pragma once
#include "ui/host.h"

#include <cstdarg>
#include <cstdint>
#include <string>

namespace lntc {

class Library;

inline constexpr uint32_t kWarningCaptionId = 32849; // "Configuration Warning"
inline constexpr uint32_t kErrorCaptionId = 32850;   // "Configuration Error"
inline constexpr size_t kMessageBufferSize = 512;

// printf-style formatting into the bounded message buffer (at most 511 characters).
std::string formatMessageV(const char* format, va_list args);
std::string formatMessage(const char* format, ...);

int MessageBoxF(Library& lib, WindowRef owner, const char* caption, uint32_t style,
                const char* format, ...);
int MessageBoxId(Library& lib, WindowRef owner, uint32_t captionId, uint32_t style,
                 uint32_t formatId, ...);
// Yes/No question captioned "Configuration Warning".
int WarnId(Library& lib, WindowRef owner, uint32_t formatId, ...);
// OK box captioned "Configuration Error".
int ErrorId(Library& lib, WindowRef owner, uint32_t formatId, ...);
int ErrorIdNoOwner(Library& lib, uint32_t formatId, ...);
// The platform's text for an error code, captioned "Configuration Error".
int ShowLastSystemError(Library& lib, WindowRef owner, uint32_t code);

} // namespace lntc
