// The one window model: what dialog windows are and do, whatever shows them. The controls and
// their state, the stack of open windows, the focus and the notifications it raises, tab
// order, radio groups, the default button, Enter, Escape and the close box, list and combo
// rules, all as the original platform has them:
// - a focus move raises kill-focus and then set-focus synchronously; a kill-focus handler
//   that moves the focus elsewhere overtakes the move;
// - a message box, a modal dialog or a modeless window takes the focus from the active window
//   and gives it back when it goes;
// - a disabled or hidden control loses the focus to no control;
// - Enter presses the focused push button, else the default button (nothing while it is
//   disabled), else OK; Escape cancels; the close box cancels unless Cancel is disabled;
// - a click moves the focus to the button first, and a click that loses the focus on the way
//   does not count.
// A toolkit adds only what it must (see Toolkit): building and showing a window, following
// the model's state in its widgets, a modal loop and message boxes. Its users feed what the
// person at the screen does into the user operations below.
#pragma once
#include "resources/templates.h"
#include "ui/address_edit.h"
#include "ui/host.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lntc {

// The one set of control-kind predicates.
inline bool isPushButton(ControlKind k) {
    return k == ControlKind::PushButton || k == ControlKind::DefPushButton;
}
inline bool isButton(ControlKind k) {
    return isPushButton(k) || k == ControlKind::CheckBox || k == ControlKind::RadioButton;
}
// Whether a message box of the style has the button (an answer it can be given).
bool BoxHasButton(uint32_t style, int button);

inline bool takesFocus(ControlKind k) {
    return k != ControlKind::Static && k != ControlKind::GroupBox && k != ControlKind::Picture;
}
inline bool isListKind(ControlKind k) {
    return k == ControlKind::ListBox || k == ControlKind::ComboBox;
}
inline bool isEditableCombo(ControlKind k, uint32_t style) {
    return k == ControlKind::ComboBox && !(style & cs::DropDownList);
}
inline bool isMultiSelect(ControlKind k, uint32_t style) {
    return k == ControlKind::ListBox && (style & (cs::ExtendedSel | cs::MultiSel)) != 0;
}
// Controls whose text the user edits (a failed check selects it).
inline bool takesText(ControlKind k, uint32_t style) {
    return k == ControlKind::Edit || k == ControlKind::AddressEdit || isEditableCombo(k, style);
}

struct ModelItem {
    std::string text;
    uintptr_t data = 0;
    bool selected = false; // extended selection
};

struct ModelControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    uint32_t style = 0;
    std::string text; // statics keep their "&" marks; an address control's is its own
    bool enabled = true;
    bool visible = true;
    int check = 0;
    int limit = 0; // 0: none
    bool textSelected = false;
    std::vector<ModelItem> items;
    int curSel = -1; // extended lists: the caret
    std::unique_ptr<AddressEditEvents> addressLink;
    std::unique_ptr<AddressEdit> address; // address controls only

    bool focusable() const { return enabled && visible && takesFocus(kind); }
    bool editableCombo() const { return isEditableCombo(kind, style); }
    bool multiSelect() const { return isMultiSelect(kind, style); }
    std::vector<std::string> itemTexts() const;
};

struct ModelWindow {
    uint16_t templateId = 0;
    std::string title;
    uint32_t style = 0;
    bool modal = false;
    bool ended = false;
    int endCode = 0;
    int focus = 0;
    int savedFocus = 0; // the focus to give back when the window is active again
    int defaultButton = 0;
    int pressed = 0; // the button being clicked; a focus loss cancels the click
    Rect rect;       // pixels
    bool topmost = false;
    std::vector<ModelControl> controls; // template order, fixed once built
    DialogEvents* events = nullptr;
    void* view = nullptr; // the toolkit's own object for the window

    const ModelControl* find(int id) const;
    ModelControl* find(int id);
    // The control, or std::out_of_range (tests).
    const ModelControl& at(int id) const;
    // The first focusable control with a tab stop, else the first focusable one, else 0.
    int firstTabStop() const;
    // The tab stop after (or before) the control, wrapping; 0 when there is none.
    int nextTabStop(int from, bool forward) const;
    // The radio buttons of the automatic group the button belongs to.
    std::vector<ModelControl*> radioGroupOf(int id);
};

// What changed, for a toolkit to follow.
enum class Changed : uint8_t {
    Text,
    Limit,
    TextSelection,
    Enabled,
    Visible,
    Check,
    ItemInserted, // index: the new item
    ItemsAdded,   // several at once, anywhere: the list anew
    ItemDeleted,  // index: the item that went
    ItemsReset,
    Selection,
    Focus, // window-wide from here on: control is nullptr
    DefaultButton,
    Title,
    Placement,
};

struct BoxRequest {
    WindowRef owner;
    const ModelWindow* ownerWindow; // nullptr when the owner is no open window of the model
    const std::string& text;
    const std::string& caption;
    uint32_t style;
};

// What a toolkit does for the model. Every call is synchronous.
class Toolkit {
  public:
    // The window and its controls exist in the model: build what shows them from the
    // template, hidden, and set window.rect. False when the window cannot be shown.
    virtual bool buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) = 0;
    // The dialog has initialised the window: show it.
    virtual void showWindow(ModelWindow& /*window*/) {}
    // Runs until window.ended.
    virtual void runModalLoop(ModelWindow& window) = 0;
    // The window has ended; a loop running for it returns.
    virtual void modalEnded(ModelWindow& /*window*/) {}
    // The window has left the model; the toolkit keeps it as long as something of it runs.
    virtual void windowClosed(std::unique_ptr<ModelWindow> /*window*/) {}
    // The model's state changed; the picture follows it.
    virtual void mirror(ModelWindow& /*window*/, ModelControl* /*control*/, Changed /*what*/,
                        int /*index*/) {}
    // Shows the box and returns the button pressed (id::...).
    virtual int showBox(const BoxRequest& box) = 0;
    // A box nested this deep comes from a loop of handlers: it is not shown.
    virtual void refuseBox(const BoxRequest& /*box*/) {}
    virtual Rect screenRect() = 0;
    virtual void beep() {}
    // Each event the model raises, as "focus+ 4001", "click 1", "box <text>", ...
    virtual void note(const std::string& /*event*/) {}

  protected:
    ~Toolkit() = default;
};

class WindowModel {
  public:
    explicit WindowModel(Toolkit& toolkit);
    ~WindowModel();
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    // The open window behind a reference, or nullptr; the active one; all, in activation order.
    ModelWindow* find(WindowRef window) const;
    ModelWindow* active() const { return stack_.empty() ? nullptr : stack_.back().get(); }
    const std::vector<std::unique_ptr<ModelWindow>>& open() const { return stack_; }

    // --- windows ------------------------------------------------------------------------
    // Builds the dialog, initialises it, runs it until endModal and returns the code; -1
    // when it cannot be shown.
    int runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent);
    void endModal(WindowRef window, int code);
    // A shown modeless window (initialised before this returns), or nullptr.
    WindowRef createModeless(DialogEvents& events, const DialogTemplate& t, WindowRef parent);
    void destroyWindow(WindowRef window);
    // Shows a box through the toolkit; the box takes the focus from the active window and
    // gives it back.
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style);
    void setTitle(WindowRef window, const std::string& title);
    std::string title(WindowRef window) const;
    Rect screenRect() { return toolkit_.screenRect(); }
    Rect windowRect(WindowRef window) const;
    // Moves without resizing; topmost puts it above every other window.
    void placeWindow(WindowRef window, int x, int y, bool topmost);

    // --- controls, as the dialog sets and reads them ----------------------------------------
    void setText(WindowRef, int id, const std::string& text);
    std::string text(WindowRef, int id) const;
    void limitText(WindowRef, int id, int maxChars);
    void selectAllText(WindowRef, int id);
    void enable(WindowRef, int id, bool on);
    bool isEnabled(WindowRef, int id) const;
    void show(WindowRef, int id, bool on);
    bool isVisible(WindowRef, int id) const;
    // 0 unchecked, 1 checked, 2 indeterminate.
    void setCheck(WindowRef, int id, int state);
    int check(WindowRef, int id) const;
    // Lists and the lists of combo boxes. Indexes count from 0; -1 is none, or the end for
    // insertItem. Sorting and searching are the dialog's; the model stores where it is told.
    int itemCount(WindowRef, int id) const;
    std::string itemText(WindowRef, int id, int index) const;
    // The index it got; kListErrSpace when the list is full, else -1 when it cannot be added.
    int insertItem(WindowRef, int id, int index, const std::string& text);
    // Inserts texts[i] so that it ends at index at[i] (ascending) of the list it becomes. The
    // number inserted; kListErrSpace when they do not all fit, -1 for places that cannot be.
    int insertItems(WindowRef, int id, const std::vector<int>& at, std::vector<std::string> texts);
    int deleteItem(WindowRef, int id, int index); // items left, or -1
    void resetItems(WindowRef, int id);
    // Single selection; a combo box also shows the item in its text (none: empty text).
    int curSel(WindowRef, int id) const;
    void setCurSel(WindowRef, int id, int index);
    bool isSelected(WindowRef, int id, int index) const;
    void setSelected(WindowRef, int id, int index, bool on);
    uintptr_t itemData(WindowRef, int id, int index) const;
    void setItemData(WindowRef, int id, int index, uintptr_t data);
    // Only the active window holds the focus; another one keeps it for when it is active.
    void setFocus(WindowRef, int id);
    FocusTarget focus(WindowRef) const;
    void setDefaultButton(WindowRef, int id);
    int defaultButton(WindowRef) const;

    // --- what the user does in a window ------------------------------------------------
    // The toolkit (or a script) has checked that the user can: the control is there, shown
    // and enabled. Each may run handlers that close the window.
    void userFocus(ModelWindow& w, int id);
    void userTab(ModelWindow& w, bool forward);
    // A mouse click: press moves the focus; release says whether the click still counts.
    void userPress(ModelWindow& w, int id);
    bool userRelease(ModelWindow& w, int id);
    // The button's action (after a release that counts, or from the keyboard): automatic
    // check boxes and radio buttons change, then the click notification.
    void userActivate(ModelWindow& w, int id);
    // Press, release and action; false when the click was lost.
    bool userClick(ModelWindow& w, int id);
    // The text of an edit, an editable combo (which then selects nothing) or an address
    // control (pasted) as the user left it.
    void userType(ModelWindow& w, int id, const std::string& text);
    void userSelect(ModelWindow& w, int id, int index);
    void userSelectItems(ModelWindow& w, int id, const std::vector<int>& indexes, int caret);
    void userDoubleClick(ModelWindow& w, int id, int index);
    void userDropDown(ModelWindow& w, int id);
    void userCloseUp(ModelWindow& w, int id);
    void userScroll(ModelWindow& w, int id, Scroll code);
    void userEnter(ModelWindow& w);
    void userEscape(ModelWindow& w);
    // False when the window has no close box.
    bool userCloseBox(ModelWindow& w);
    void userHelp(ModelWindow& w);
    // Keys in an address control.
    Handling userChar(ModelWindow& w, int id, char c);
    Handling userKey(ModelWindow& w, int id, EditKey key, bool down);

  private:
    class AddressLink;
    ModelControl* control(WindowRef window, int id) const;
    ModelWindow* openWindow(DialogEvents& events, const DialogTemplate& t, WindowRef parent,
                            bool modal);
    void close(ModelWindow* w);
    void focusTo(ModelWindow& w, int id);
    int takeFocus(ModelWindow* w);
    void giveFocus(ModelWindow* w, int saved);
    void notifyFocus(ModelWindow& w, int id, bool gained);
    void command(ModelWindow& w, int id, Notify code);
    void mirror(ModelWindow& w, ModelControl* c, Changed what, int index = -1) {
        toolkit_.mirror(w, c, what, index);
    }
    bool isOpen(const ModelWindow& w) const { return find(&w) != nullptr; }

    Toolkit& toolkit_;
    std::vector<std::unique_ptr<ModelWindow>> stack_; // activation order; the last is active
    int boxDepth_ = 0;
};

} // namespace lntc
