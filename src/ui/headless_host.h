// A host without a toolkit: every control's state is kept in memory and the user is a
// script. Tests and scripted runs say what the user does in each dialog that opens and how
// each message box is answered, then look at what was shown.
//
// It behaves as the original platform does where the dialog logic can tell: focus moves
// raise kill-focus and then set-focus synchronously; a message box, a modal dialog or a
// modeless window takes the focus from the active dialog and gives it back when it goes;
// Enter presses the default button, Escape and the close box cancel; clicking a button
// first moves the focus to it, and a click that loses the focus on the way does not count.
#pragma once
#include "resources/templates.h"
#include "ui/host.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lntc {

struct HeadlessItem {
    std::string text;
    uintptr_t data = 0;
    bool selected = false; // extended selection
};

struct HeadlessControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    uint32_t style = 0;
    std::string text;
    bool enabled = true;
    bool visible = true;
    int check = 0;
    int limit = 0; // 0: none
    bool textSelected = false;
    std::vector<HeadlessItem> items;
    int curSel = -1;
    bool focusable() const;
    bool isEditableCombo() const {
        return kind == ControlKind::ComboBox && !(style & cs::DropDownList);
    }
};

// One dialog window as the host holds it.
struct HeadlessWindow {
    uint16_t templateId = 0;
    std::string title;
    uint32_t style = 0;
    bool modal = false;
    bool ended = false;
    int endCode = 0;
    int focus = 0;
    int savedFocus = 0; // focus to give back when the window is active again
    int defaultButton = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    bool topmost = false;
    std::vector<HeadlessControl> controls;
    const HeadlessControl* find(int id) const;
    HeadlessControl* find(int id);
    // The control, or a test error when there is none.
    const HeadlessControl& at(int id) const;
    std::vector<std::string> itemTexts(int id) const;
};

// What the user does in one opening of a dialog; steps run after the dialog's
// initialisation, in order, until the dialog ends.
class DialogScript {
  public:
    DialogScript& type(int id, std::string text);   // focus, replace the text, change event
    DialogScript& click(int id);                    // focus, then click (buttons)
    DialogScript& setChecked(int id, bool on);      // clicks a check box when it differs
    DialogScript& select(int id, int index);        // focus, select, selection event
    DialogScript& select(int id, std::string text); // the item equal to text, ignoring case
    DialogScript& selectItems(int id, std::vector<int> indexes); // extended selection
    DialogScript& doubleClick(int id, int index);
    DialogScript& dropDown(int id);
    DialogScript& focus(int id);
    DialogScript& scroll(int id, Scroll code);
    DialogScript& enter();
    DialogScript& escape();
    DialogScript& closeBox();
    DialogScript& f1();
    DialogScript& help() { return click(ctl::Help); }
    DialogScript& ok() { return click(ctl::Ok); }
    DialogScript& cancel() { return click(ctl::Cancel); }
    // Runs a check (or anything else) against the window at this point.
    DialogScript& then(std::function<void(const HeadlessWindow&)> fn);

    enum class Kind : uint8_t {
        Type,
        Click,
        SetChecked,
        SelectIndex,
        SelectText,
        SelectItems,
        DoubleClick,
        DropDown,
        Focus,
        Scroll,
        Enter,
        Escape,
        CloseBox,
        F1,
        Then,
    };
    struct Step {
        Kind kind;
        int id = 0;
        int index = -1;
        std::string text;
        std::vector<int> indexes;
        Scroll scroll = Scroll::LineUp;
        std::function<void(const HeadlessWindow&)> fn;
    };
    const std::vector<Step>& steps() const { return steps_; }

  private:
    DialogScript& add(Step s);
    std::vector<Step> steps_;
};

struct HeadlessBox {
    WindowRef owner;
    uint16_t ownerTemplate; // 0 when the owner is no dialog of this host
    std::string text;
    std::string caption;
    uint32_t style;
    int answer;
};

struct HeadlessDialogRecord {
    HeadlessWindow window; // final state
    bool modal;
};

struct HeadlessHelp {
    std::string file;
    uint32_t command;
    uint32_t data;
};

class HeadlessHost : public Host {
  public:
    HeadlessHost();
    ~HeadlessHost() override;

    // Scripts: each opening of a template takes the next script given for it. A dialog that
    // opens without one, or is still open when its script ends, is a script error and is
    // closed with Cancel.
    DialogScript& script(uint16_t templateId);
    // Answers for message boxes: the first answer whose text is part of the box's text, else
    // the first answer without a text, else the box's safe answer. Each answer is used once;
    // `during` runs while the box is up.
    void answer(int button, std::function<void(const HeadlessBox&)> during = {});
    void answerWhen(std::string textPart, int button,
                    std::function<void(const HeadlessBox&)> during = {});

    // Script errors (a step the user could not do); the handler defaults to collecting them.
    std::function<void(const std::string&)> onScriptError;
    std::vector<std::string> scriptErrors;

    // What was shown.
    std::vector<HeadlessBox> boxes;
    std::vector<HeadlessDialogRecord> dialogs; // in the order they closed
    std::vector<HeadlessHelp> helps;
    // Every event in order: "open 203", "focus- 4207", "focus+ 4101", "click 1", "box <text>",
    // "end 203 1", "help 203", ...
    std::vector<std::string> trace;
    int waitCursorDepth = 0;
    int waitCursorShows = 0;
    Rect screen{0, 0, 1024, 768};

    // An open window by template id (the most recent), or nullptr.
    const HeadlessWindow* openWindow(uint16_t templateId) const;
    // The record of the n-th closing of a template (0 = first), or nullptr.
    const HeadlessDialogRecord* closed(uint16_t templateId, size_t n = 0) const;

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override;
    int runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) override;
    void endModal(WindowRef window, int code) override;
    WindowRef createModeless(DialogEvents& events, const DialogTemplate& t,
                             WindowRef parent) override;
    void destroyWindow(WindowRef window) override;
    void setTitle(WindowRef window, const std::string& title) override;
    std::string title(WindowRef window) override;
    Rect screenRect() override { return screen; }
    Rect windowRect(WindowRef window) override;
    void placeWindow(WindowRef window, int x, int y, bool topmost) override;

    void setText(WindowRef, int id, const std::string& text) override;
    std::string text(WindowRef, int id) override;
    void limitText(WindowRef, int id, int maxChars) override;
    void selectAllText(WindowRef, int id) override;
    void enable(WindowRef, int id, bool on) override;
    bool isEnabled(WindowRef, int id) override;
    void show(WindowRef, int id, bool on) override;
    bool isVisible(WindowRef, int id) override;
    void setCheck(WindowRef, int id, int state) override;
    int check(WindowRef, int id) override;
    int itemCount(WindowRef, int id) override;
    std::string itemText(WindowRef, int id, int index) override;
    int insertItem(WindowRef, int id, int index, const std::string& text) override;
    int deleteItem(WindowRef, int id, int index) override;
    void resetItems(WindowRef, int id) override;
    int curSel(WindowRef, int id) override;
    void setCurSel(WindowRef, int id, int index) override;
    bool isSelected(WindowRef, int id, int index) override;
    void setSelected(WindowRef, int id, int index, bool on) override;
    uintptr_t itemData(WindowRef, int id, int index) override;
    void setItemData(WindowRef, int id, int index, uintptr_t data) override;
    void setFocus(WindowRef, int id) override;
    FocusTarget focus(WindowRef) override;
    void setDefaultButton(WindowRef, int id) override;
    int defaultButton(WindowRef) override;
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

  private:
    struct Open;
    struct Answer {
        std::string match;
        int button;
        std::function<void(const HeadlessBox&)> during;
    };

    Open* openOf(WindowRef window) const;
    HeadlessControl* ctl(WindowRef window, int id);
    Open& create(DialogEvents& events, const DialogTemplate& t, bool modal);
    void close(Open* w);
    void focusTo(Open& w, int id);
    int takeFocus(Open* w);
    void giveFocus(Open* w, int saved);
    void notifyFocus(Open& w, int id, bool gained);
    void command(Open& w, int id, Notify code);
    int firstTabStop(const Open& w) const;
    bool runStep(Open& w, const DialogScript::Step& s);
    bool userCan(Open& w, int id, const char* what, HeadlessControl*& c);
    void selectItem(Open& w, HeadlessControl& c, int index);
    void error(const std::string& message);

    std::vector<std::unique_ptr<Open>> stack_; // activation order; the last is active
    std::map<uint16_t, std::deque<DialogScript>> scripts_;
    std::deque<Answer> answers_;
    int boxDepth_ = 0;
};

} // namespace lntc
