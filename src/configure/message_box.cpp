#include "configure/message_box.h"

#include "platform/c_locale.h"
#include "platform/errors.h"
#include "store/library.h"

#include <cstdio>

namespace lntc {

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

namespace {

int showV(Library& lib, WindowRef owner, const std::string& caption, uint32_t style,
          uint32_t formatId, va_list args) {
    // A missing entry gives an empty text, not a failure.
    std::optional<std::string> format = lib.strings().find(formatId);
    std::string text = format ? formatMessageV(format->c_str(), args) : std::string();
    return lib.host().messageBox(owner, text, caption, style);
}

} // namespace

int MessageBoxF(Library& lib, WindowRef owner, const char* caption, uint32_t style,
                const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatMessageV(format, args);
    va_end(args);
    return lib.host().messageBox(owner, text, caption ? caption : "", style);
}

int MessageBoxId(Library& lib, WindowRef owner, uint32_t captionId, uint32_t style,
                 uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer = showV(lib, owner, lib.strings().load(captionId), style, formatId, args);
    va_end(args);
    return answer;
}

int WarnId(Library& lib, WindowRef owner, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer =
        showV(lib, owner, lib.strings().load(kWarningCaptionId), mb::Question, formatId, args);
    va_end(args);
    return answer;
}

int ErrorId(Library& lib, WindowRef owner, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer = showV(lib, owner, lib.strings().load(kErrorCaptionId), mb::Error, formatId, args);
    va_end(args);
    return answer;
}

int ErrorIdNoOwner(Library& lib, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer =
        showV(lib, nullptr, lib.strings().load(kErrorCaptionId), mb::Error, formatId, args);
    va_end(args);
    return answer;
}

int ShowLastSystemError(Library& lib, WindowRef owner, uint32_t code) {
    return lib.host().messageBox(owner, systemErrorText(code), lib.strings().load(kErrorCaptionId),
                                 mb::Error);
}

} // namespace lntc
