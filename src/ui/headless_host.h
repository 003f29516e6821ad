// The window model with a scripted user and no toolkit. Tests and scripted runs say what the
// user does in each dialog that opens and how each message box is answered, then look at
// what was shown. The window semantics are the model's, the same as under the Qt host.
#pragma once
#include "resources/templates.h"
#include "ui/host.h"
#include "ui/window_classes.h"
#include "ui/window_model.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lntc {

// What the user does in one opening of a dialog; steps run after the dialog's
// initialisation, in order, until the dialog ends. Each step is refused (a script error that
// ends the dialog with Cancel) when the user could not do it: the control is missing,
// hidden, disabled or of the wrong kind.
class DialogScript {
  public:
    // Focus, replace the text (cut at the control's limit), change event; into an address
    // control: Tab in and type the keys.
    DialogScript& type(int id, std::string text);
    DialogScript& click(int id);                    // focus, then click (buttons)
    DialogScript& setChecked(int id, bool on);      // clicks a check box when it differs
    DialogScript& select(int id, int index);        // focus, select, selection event
    DialogScript& select(int id, std::string text); // the item equal to text, ignoring case
    DialogScript& selectItems(int id, std::vector<int> indexes); // extended selection
    DialogScript& doubleClick(int id, int index);
    DialogScript& dropDown(int id);
    DialogScript& focus(int id);
    DialogScript& tab(bool forward = true);
    DialogScript& scroll(int id, Scroll code);
    DialogScript& enter();
    DialogScript& escape();
    DialogScript& closeBox();
    DialogScript& f1();
    DialogScript& help() { return click(ctl::Help); }
    DialogScript& ok() { return click(ctl::Ok); }
    DialogScript& cancel() { return click(ctl::Cancel); }
    // Runs a check (or anything else) against the window at this point.
    DialogScript& then(std::function<void(const ModelWindow&)> fn);

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
        Tab,
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
        std::function<void(const ModelWindow&)> fn;
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

struct HeadlessHelp {
    std::string file;
    uint32_t command;
    uint32_t data;
};

// A user that handles every window as it comes, in place of the per-template scripts and the
// box answers (a script of actions, `lntc-config --script`).
class HeadlessUser {
  public:
    // The window is initialised and shown (modal or modeless).
    virtual void shown(const ModelWindow& window) = 0;
    // Runs the user's actions on the modal window until it ends or the user gives up; the
    // host then ends it with Cancel.
    virtual void runModal(ModelWindow& window) = 0;
    // The button that answers the box.
    virtual int answerBox(const HeadlessBox& box) = 0;
    // The window has left the model.
    virtual void closed(const ModelWindow& window) = 0;
    virtual void helpShown(uint32_t context) = 0;

  protected:
    ~HeadlessUser() = default;
};

class HeadlessHost : public Host, private Toolkit {
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

    // Hands every window to the user (nullptr: back to the scripts and answers).
    void setUser(HeadlessUser* user) { user_ = user; }
    // Does one step in the window, as a script would; false when the user could not.
    bool perform(ModelWindow& w, const DialogScript::Step& s) { return runStep(w, s); }

    // Script errors (a step the user could not do); the handler defaults to collecting them.
    std::function<void(const std::string&)> onScriptError;
    std::vector<std::string> scriptErrors;

    // What was shown.
    std::vector<HeadlessBox> boxes;
    std::vector<std::unique_ptr<ModelWindow>> closedWindows; // final states, in closing order
    std::vector<HeadlessHelp> helps;
    // Every event in order: "open 203", "focus- 4207", "focus+ 4101", "click 1", "box <text>",
    // "end 203 1", "help 203", ...
    std::vector<std::string> trace;
    int waitCursorDepth = 0;
    Rect screen{0, 0, 1024, 768};

    WindowModel& model() { return model_; }
    // An open window by template id (the most recent), or nullptr.
    const ModelWindow* openWindow(uint16_t templateId) const;
    // The n-th closing of a template (0 = first), or nullptr.
    const ModelWindow* closed(uint16_t templateId, size_t n = 0) const;

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        return model_.messageBox(owner, text, caption, style);
    }
    WindowModel* windows() override { return &model_; }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override { ++waitCursorDepth; }
    void endWaitCursor() override {
        if (waitCursorDepth > 0) --waitCursorDepth;
    }
    // The process's window classes: this host makes windows.
    WindowClasses classes;
    WindowClasses* windowClasses() override { return &classes; }

  private:
    struct Answer {
        std::string match;
        int button;
        std::function<void(const HeadlessBox&)> during;
    };

    bool buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) override;
    void showWindow(ModelWindow& window) override {
        if (user_ != nullptr) user_->shown(window);
    }
    void runModalLoop(ModelWindow& window) override;
    void windowClosed(std::unique_ptr<ModelWindow> window) override;
    int showBox(const BoxRequest& box) override;
    void refuseBox(const BoxRequest& box) override;
    Rect screenRect() override { return screen; }
    void note(const std::string& event) override { trace.push_back(event); }
    void beep() override { trace.push_back("beep"); }

    bool runStep(ModelWindow& w, const DialogScript::Step& s);
    void typeKeys(ModelWindow& w, int id, const std::string& text);
    ModelControl* userCan(ModelWindow& w, int id, const char* what);
    void error(const std::string& message);

    WindowModel model_;
    std::map<uint16_t, std::deque<DialogScript>> scripts_;
    std::deque<Answer> answers_;
    HeadlessUser* user_ = nullptr;
};

} // namespace lntc
