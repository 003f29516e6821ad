#include "ui/message_box.h"

#include "platform/errors.h"

#include <cstdio>

namespace lntc {

namespace {

int showV(UiContext& lib, WindowRef owner, const std::string& caption, uint32_t style,
          uint32_t formatId, va_list args) {
    // A missing entry gives an empty text, not a failure.
    std::optional<std::string> format = lib.strings().find(formatId);
    std::string text = format ? formatMessageV(format->c_str(), args) : std::string();
    return lib.host().messageBox(owner, text, caption, style);
}

} // namespace

int MessageBoxF(UiContext& lib, WindowRef owner, const char* caption, uint32_t style,
                const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatMessageV(format, args);
    va_end(args);
    return lib.host().messageBox(owner, text, caption ? caption : "", style);
}

int MessageBoxId(UiContext& lib, WindowRef owner, uint32_t captionId, uint32_t style,
                 uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer = showV(lib, owner, lib.strings().load(captionId), style, formatId, args);
    va_end(args);
    return answer;
}

int WarnId(UiContext& lib, WindowRef owner, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer =
        showV(lib, owner, lib.strings().load(str::WarningCaption), mb::Question, formatId, args);
    va_end(args);
    return answer;
}

int ErrorId(UiContext& lib, WindowRef owner, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer =
        showV(lib, owner, lib.strings().load(str::ErrorCaption), mb::Error, formatId, args);
    va_end(args);
    return answer;
}

int ErrorIdNoOwner(UiContext& lib, uint32_t formatId, ...) {
    va_list args;
    va_start(args, formatId);
    int answer =
        showV(lib, nullptr, lib.strings().load(str::ErrorCaption), mb::Error, formatId, args);
    va_end(args);
    return answer;
}

int ShowLastSystemError(UiContext& lib, WindowRef owner, uint32_t code) {
    return lib.host().messageBox(owner, systemErrorText(code),
                                 lib.strings().load(str::ErrorCaption), mb::Error);
}

} // namespace lntc
