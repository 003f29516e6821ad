// Message boxes with printf-style texts from the string table.
#pragma once
#include "resources/formats.h"
#include "resources/ids.h"
#include "ui/context.h"
#include "ui/host.h"

#include <cstdarg>
#include <cstdint>
#include <string>

namespace lntc {

int MessageBoxF(UiContext& lib, WindowRef owner, const char* caption, uint32_t style,
                const char* format, ...);
int MessageBoxId(UiContext& lib, WindowRef owner, uint32_t captionId, uint32_t style,
                 uint32_t formatId, ...);
// Yes/No question captioned "Configuration Warning".
int WarnId(UiContext& lib, WindowRef owner, uint32_t formatId, ...);
// OK box captioned "Configuration Error".
int ErrorId(UiContext& lib, WindowRef owner, uint32_t formatId, ...);
int ErrorIdNoOwner(UiContext& lib, uint32_t formatId, ...);
// The platform's text for an error code, captioned "Configuration Error".
int ShowLastSystemError(UiContext& lib, WindowRef owner, uint32_t code);

} // namespace lntc
