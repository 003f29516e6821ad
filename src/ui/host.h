// The one thing that knows a toolkit. The product logic shows message boxes (and, later,
// dialogs) through it; a console host serves processes without a display.
#pragma once
#include <cstdint>
#include <string>

namespace lntc {

// Message box styles and answers, numbered as on the original platform.
namespace mb {
inline constexpr uint32_t Ok = 0x0;
inline constexpr uint32_t OkCancel = 0x1;
inline constexpr uint32_t AbortRetryIgnore = 0x2;
inline constexpr uint32_t YesNoCancel = 0x3;
inline constexpr uint32_t YesNo = 0x4;
inline constexpr uint32_t RetryCancel = 0x5;
inline constexpr uint32_t TypeMask = 0xF;
inline constexpr uint32_t IconHand = 0x10;
inline constexpr uint32_t IconQuestion = 0x20;
inline constexpr uint32_t IconExclamation = 0x30;
inline constexpr uint32_t IconAsterisk = 0x40;
inline constexpr uint32_t IconMask = 0xF0;
inline constexpr uint32_t SetForeground = 0x10000;

inline constexpr uint32_t Question = YesNo | IconQuestion;                        // 0x24
inline constexpr uint32_t Error = IconExclamation | SetForeground;                // 0x10030
inline constexpr uint32_t RetryQuestion = RetryCancel | IconExclamation | SetForeground; // 0x10035
} // namespace mb

namespace id {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace id

// The answer a box gives when nobody can be asked: the choice that changes nothing.
int safeAnswer(uint32_t style);

// Opaque owner window of a box; nullptr for none.
using WindowRef = const void*;

class LogoView;
class WindowClasses;

class Host {
public:
    virtual ~Host() = default;
    // Shows a box and returns the button pressed (id::...).
    virtual int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                           uint32_t style) = 0;
    // The start-up logo window; nullptr where no window can be shown.
    virtual LogoView* logoView() { return nullptr; }
    // The window classes of this process; nullptr where no window can be created.
    virtual WindowClasses* windowClasses() { return nullptr; }
};

} // namespace lntc
