// The dotted four-part network address control ("lnt_tcp_edit"): its text, caret and
// selection, and how characters and keys change them. No toolkit here: a host renders
// fieldText() with the dots in fixed columns, feeds key events in and carries out the
// effects reported through AddressEditEvents.
#pragma once
#include "resources/ids.h"
#include "ui/host.h"
#include "ui/window_classes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lntc {

class UiContext;

inline constexpr const char* kAddressEditClass = "lnt_tcp_edit";
// High word of the command the parent receives on bad input; the low word is the id.
inline constexpr uint32_t kBadInputNotification = 0x8000;
// "An invalid TCP/IP address byte was entered.  The maximum value is 255."
inline constexpr uint32_t kInvalidAddressByteId = str::BadAddressByte;
// What a dialog shows when RegisterAddressEditClass fails.
inline constexpr const char* kAddressClassFailedText =
    "Failed to register WNDCLASS for parsed control";
inline constexpr size_t kFieldTextMax = 23;
// Edit style bits (low word) a window of the class ends up with: multi-line alone, so that
// TABs move to tab stops and the dots stand in fixed columns.
inline constexpr uint32_t kEditMultiline = 0x0004;

// Keys the control treats itself; everything else is Other.
enum class EditKey { Shift, Left, Up, Right, Down, Delete, Home, End, Other };

// Whether the control dealt with an event or the host should give it its default handling
// (for TAB, Return and Escape: the dialog's navigation).
enum class Handling { Handled, Default };

// What the control asks of its host. Every member has a do-nothing default.
class AddressEditEvents {
  public:
    virtual ~AddressEditEvents() = default;
    // Sends the bad-input command (control id | kBadInputNotification << 16) to the parent
    // and returns its answer; -1 suppresses the beep.
    virtual long notifyBadInput() { return 0; }
    virtual void beep() {}
    // Shows message kInvalidAddressByteId (see ShowInvalidAddressByte).
    virtual void invalidAddressByte() {}
    // fieldText() changed: redraw it.
    virtual void textChanged() {}
    // The selection changed; scroll says whether the caret should be scrolled into view.
    virtual void selectionChanged(bool /*scroll*/) {}
};

class AddressEdit {
  public:
    explicit AddressEdit(AddressEditEvents* events = nullptr);
    AddressEdit(const AddressEdit&) = delete;
    AddressEdit& operator=(const AddressEdit&) = delete;

    // Dialog side. Set text parses plain dotted text into four fields; the result is the
    // edit control's (1). Replace-selection and paste replace the whole content the same way.
    int setText(std::string_view text);
    int replaceSelection(std::string_view text) { return setText(text); }
    void paste(std::string_view text) { setText(text); }
    // Copies the text without TABs into buffer (at most size - 1 characters and a NUL);
    // returns the number of characters copied.
    size_t getText(char* buffer, size_t size) const;
    std::string text() const;

    // Control state.
    const std::string& fieldText() const { return text_; }
    size_t length() const { return text_.size(); }
    size_t selectionStart() const { return start_; }
    size_t selectionEnd() const { return end_; }
    bool shiftHeld() const { return shift_; }
    // Selection as the mouse makes it; clamped to the text and put in order.
    void setSelection(size_t anchor, size_t caret, bool scroll = true);
    // The field's digits as shown ("" for an empty field); index 0 to 3.
    std::string_view field(int index) const;

    size_t fieldStart(size_t p) const;
    size_t fieldEnd(size_t p) const;

    // Operations.
    void refresh();
    void selectNextField(size_t p);
    void selectPreviousField(size_t p);
    // Removes [s, e) but keeps one separator per field boundary; returns where the removal
    // actually began (a start on a dot begins at its TAB).
    size_t deleteRange(size_t s, size_t e);
    // Cut: the selected text without TABs; the selection is removed like Delete removes it.
    std::string cut();

    // Input.
    Handling character(char c);
    Handling keyDown(EditKey key);
    Handling keyUp(EditKey key);

  private:
    void select(size_t s, size_t e, bool scroll);
    void badInput();
    void typeDigit(char digit);

    AddressEditEvents* events_;
    std::string text_;
    size_t start_ = 0;
    size_t end_ = 0;
    bool shift_ = false;
};

// True when text has the control's form: four fields of zero to three decimal digits joined
// by TAB-dot separators.
bool IsValidFieldText(std::string_view text);

// The low style word replaced by the multi-line style alone.
uint32_t AddressEditStyle(uint32_t style);

// Identity of the control's window procedure in a WindowClasses registry.
WindowClasses::Procedure AddressEditProcedure();
// Makes "lnt_tcp_edit" known. True when registered now, or already registered with this
// control's procedure; false when the edit class is missing or the name is taken otherwise.
bool RegisterAddressEditClass(WindowClasses& classes);
// Through the library's host; false when the host keeps no window classes.
bool RegisterAddressEditClass(UiContext& lib);

// The plain OK box with message 32788 captioned "Configuration Error", owned by parent.
int ShowInvalidAddressByte(UiContext& lib, WindowRef parent);

} // namespace lntc
