// The one thing that knows a toolkit. The product logic shows message boxes and dialogs
// through it; a console host serves processes without a display.
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

inline constexpr uint32_t Question = YesNo | IconQuestion;                               // 0x24
inline constexpr uint32_t Error = IconExclamation | SetForeground;                       // 0x10030
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

// Opaque window of a host (a dialog or the caller's window); nullptr for none.
using WindowRef = const void*;

// What a control reports to its dialog, in the platform-neutral form the dialog logic uses.
enum class Notify : uint8_t {
    Clicked,       // push button, check box, radio button
    DoubleClicked, // list box item
    EditChange,    // text of an edit or of an editable combo's edit changed
    SelChange,     // list or combo selection changed by the user
    DropDown,      // combo list about to open
    CloseUp,       // combo list closed
};

// Scroll bar actions, as the original platform numbers them.
enum class Scroll : uint8_t {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

// Help viewer commands.
namespace help {
inline constexpr uint32_t Context = 0x0001;
} // namespace help

struct Rect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

// The window that has the keyboard focus inside a dialog. An editable combo box keeps the
// focus in its inner edit; `control` is then the combo's id and `inComboEdit` is set.
struct FocusTarget {
    int control = 0; // 0: no control of the dialog has the focus
    bool inComboEdit = false;
};

// How the window model calls back into a dialog. Every call is synchronous, on the dialog's
// thread, and never lets an exception out.
class DialogEvents {
  public:
    // The window exists; its controls can be used. True asks for the focus on the first tab
    // stop; false means the dialog has placed it.
    virtual bool dispatchInit(WindowRef window) = 0;
    // A control notification, or a button command (Enter and Escape arrive as the clicks of
    // the default button and of Cancel).
    virtual void dispatchCommand(int id, Notify code) = 0;
    virtual void dispatchScroll(int id, Scroll code) = 0;
    // A control gained or lost the focus (for a combo box, also its inner edit).
    virtual void dispatchFocus(int id, bool gained) = 0;
    // The user asked for help on the focused control (F1).
    virtual void dispatchHelpRequest() = 0;
    // A control's own notification with a code of its class (the address control's bad
    // input is 0x8000); the answer goes back to the control.
    virtual long dispatchControlNotify(int /*id*/, uint16_t /*code*/) { return 0; }
    // An address control cut a typed byte to 255: its message, owned by the dialog.
    virtual void dispatchInvalidAddressByte(int /*id*/) {}

  protected:
    ~DialogEvents() = default;
};

class LogoView;
class TopWindows;
class WindowClasses;
class WindowModel;

// The only thing that knows a toolkit. Windows and their controls live in the host's
// WindowModel; the host itself shows boxes, help and the wait cursor. A host without a
// display keeps the defaults below: no windows, so dialogs cannot open.
class Host {
  public:
    virtual ~Host() = default;
    // Shows a box and returns the button pressed (id::...). A box takes the keyboard focus from
    // the active dialog and gives it back when it closes.
    virtual int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                           uint32_t style) = 0;
    // The windows of this host, or nullptr where none can be shown.
    virtual WindowModel* windows() { return nullptr; }
    // Help viewer: file, command (help::...) and its data (a context number).
    virtual void showHelp(WindowRef /*owner*/, const std::string& /*file*/, uint32_t /*command*/,
                          uint32_t /*data*/) {}
    // Hourglass while a slow call runs; calls nest.
    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}
    // The start-up logo window; nullptr where no window can be shown.
    virtual LogoView* logoView() { return nullptr; }
    // The window classes of this process; nullptr where no window can be created.
    virtual WindowClasses* windowClasses() { return nullptr; }
    // The machine's window records, for a host handed to the library rather than made by it:
    // its dialogs are recorded there by title while they are open. nullptr takes them out.
    virtual void recordWindowsIn(TopWindows* /*records*/) {}
};

// A host that hands every call on to another one.
class ForwardingHost : public Host {
  public:
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        return target().messageBox(owner, text, caption, style);
    }
    WindowModel* windows() override { return target().windows(); }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override {
        target().showHelp(owner, file, command, data);
    }
    void beginWaitCursor() override { target().beginWaitCursor(); }
    void endWaitCursor() override { target().endWaitCursor(); }
    LogoView* logoView() override { return target().logoView(); }
    WindowClasses* windowClasses() override { return target().windowClasses(); }
    void recordWindowsIn(TopWindows* records) override { target().recordWindowsIn(records); }

  protected:
    virtual Host& target() = 0;
};

} // namespace lntc
