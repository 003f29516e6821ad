// The dialog framework the product's dialogs are written against: a dialog built from a
// template, control operations by id, data exchange with validation, and virtual handlers
// called by the host.
#pragma once
#include "resources/templates.h"
#include "resources/value_range.h"
#include "ui/context.h"
#include "ui/host.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

class Dialog;
class WindowModel;
struct ModelItem;

// A decimal number (blanks around it allowed), as the exchange of a real value reads it;
// infinities, NaN and hexadecimal forms are refused so that a range check after it always
// means something.
bool parseReal(std::string_view text, double& out);

// One run of data exchange: loading members into the controls or saving them back.
class DataExchange {
  public:
    DataExchange(Dialog& dialog, bool save) : dialog_(dialog), save_(save) {}
    bool saving() const { return save_; }
    bool failed() const { return failed_; }
    Dialog& dialog() { return dialog_; }
    int lastControl() const { return lastControl_; }

    // Records the control the next check applies to.
    void prepareControl(int id, bool isEdit);
    // Shows nothing; puts the focus on the last prepared control (its text selected) and
    // marks the exchange as failed.
    void fail();
    // Shows the framework's message (with %1 and %2 replaced), then fails.
    void failWith(uint32_t messageId, const std::string& arg1 = {}, const std::string& arg2 = {});
    // Shows the text, then fails.
    void failWithText(const std::string& text);

  private:
    Dialog& dialog_;
    bool save_;
    bool failed_ = false;
    int lastControl_ = 0;
    bool lastIsEdit_ = false;
};

// Exchange functions; after a failure they do nothing, so the first failure is the one the
// user sees.
void ddxText(DataExchange& dx, int id, std::string& value);
void ddxInt(DataExchange& dx, int id, int& value);
void ddxUInt(DataExchange& dx, int id, uint32_t& value);
void ddxDouble(DataExchange& dx, int id, double& value);
void ddxCheck(DataExchange& dx, int id, int& value);
// Index of the checked button in the radio group that starts at id; -1 for none.
void ddxRadio(DataExchange& dx, int id, int& value);
void ddxCBString(DataExchange& dx, int id, std::string& value);
void ddxCBIndex(DataExchange& dx, int id, int& index);
void ddxLBString(DataExchange& dx, int id, std::string& value);
// Checks apply to the control of the exchange just before them.
void ddvMaxChars(DataExchange& dx, const std::string& value, int maxChars);
void ddvMinMaxInt(DataExchange& dx, int value, int minValue, int maxValue);
void ddvMinMaxUInt(DataExchange& dx, uint32_t value, uint32_t minValue, uint32_t maxValue);
void ddvMinMaxDouble(DataExchange& dx, double value, double minValue, double maxValue);
// The same checks over a rule's range.
void ddvRange(DataExchange& dx, uint32_t value, const ValueRange& range);
void ddvRange(DataExchange& dx, int value, const ValueRange& range);
void ddvRange(DataExchange& dx, double value, const ValueRange& range);

// What a spin bar does to a value outside its range: steps it like any other, or brings it to
// the nearer end of the range.
enum class SpinOutside : uint8_t { Step, Clamp };

// A spin bar over the number in the field beside it.
struct SpinRange {
    double low;
    double high;
    double step = 1;
    SpinOutside outside = SpinOutside::Step;
    bool isSigned = false;        // a whole number read and written signed
    const char* format = nullptr; // set: a decimal, written back with this format
};

// A line step: up while the value is at most high - step, down while it is at least
// low + step; other codes leave it. A decimal is compared with a margin, as its text holds
// what a double does not. False when the value stays as it was.
bool spinStep(Scroll code, double& value, const SpinRange& range);

class Dialog : protected DialogEvents {
  public:
    // A dialog for the template; the parent's window owns it while both are open.
    Dialog(UiContext& context, uint16_t templateId, Dialog* parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog modally; the code given to endDialog, or -1 when it cannot open.
    int doModal();
    void endDialog(int code);

    uint16_t templateId() const { return templateId_; }
    // The open window, or nullptr.
    WindowRef window() const { return window_; }
    UiContext& context() { return ui_; }
    Dialog* parent() const { return parent_; }
    // The template's description of a control, or nullptr.
    const ControlTemplate* control(int id) const;
    // The radio buttons of the group that starts at id, in template order.
    std::vector<int> radioGroup(int id) const;

    // Texts and state.
    void setTitle(const std::string& title);
    void setWindowText(int id, const std::string& text);
    std::string windowText(int id);
    void setDlgItemInt(int id, int64_t value, bool isSigned = true);
    // The number in a control; translated reports whether it was one.
    int64_t getDlgItemInt(int id, bool* translated = nullptr, bool isSigned = true);
    // The spin bar beside the field stepped (spinStep); text that is no number reads as 0.
    void spin(int field, Scroll code, const SpinRange& range);
    void enable(int id, bool on = true);
    bool isEnabled(int id);
    void show(int id, bool on = true);
    bool isVisible(int id);
    void check(int id, int state = 1);
    int isChecked(int id);
    void checkRadioButton(int first, int last, int id);
    // The first checked button in first..last, or 0.
    int checkedRadioButton(int first, int last);
    void limitText(int id, int maxChars);
    void selectAllText(int id);

    // List and combo boxes.
    int addString(int id, const std::string& text); // honours the sorted style
    // Adds the texts as addString would one by one, in one pass (a sorted box sorts them once);
    // those past the list's limit are left out. The number added, or -1.
    int addStrings(int id, std::vector<std::string> texts);
    int insertString(int id, int index, const std::string& text);
    int deleteString(int id, int index);
    void resetContent(int id);
    int getCount(int id);
    std::string getText(int id, int index);
    int findString(int id, int start, const std::string& text);
    int findStringExact(int id, int start, const std::string& text);
    int setCurSel(int id, int index);
    int getCurSel(int id);
    int selectString(int id, int start, const std::string& text);
    int setSel(int id, int index, bool on = true); // extended selection; index -1: all
    bool getSel(int id, int index);
    int getSelCount(int id);
    std::vector<int> getSelItems(int id);
    int setItemData(int id, int index, uintptr_t data);
    uintptr_t getItemData(int id, int index);

    // Focus and buttons.
    void setFocus(int id);
    // The control with the focus (an editable combo's inner edit counts as the combo), or 0.
    int focusedControl();
    FocusTarget focusedWindow();
    void setDefaultButton(int id);
    int defaultButton();

    // Runs doDataExchange; false when a check failed (its message has been shown).
    bool updateData(bool save);

  protected:
    // Default: load the members into the controls. True lets the host focus the first tab stop.
    virtual bool onInitDialog();
    // Default: save the controls into the members and end with OK when that succeeded.
    virtual void onOK();
    // Default: end with Cancel.
    virtual void onCancel();
    virtual void onCommand(int id, Notify code);
    virtual void onScroll(int id, Scroll code);
    // A control's own notification (the address control's bad input, 0x8000); -1 from the
    // address control's parent suppresses its beep.
    virtual long onControlNotify(int /*id*/, uint16_t /*code*/) { return 0; }
    virtual void onSetFocus(int id);
    virtual void onKillFocus(int id);
    // The Help button.
    virtual void onHelp();
    // F1; true when handled.
    virtual bool onHelpRequest();
    virtual void doDataExchange(DataExchange& dx);

    // When the registry is read-only: OK disabled, Cancel the default button.
    void applyReadOnlyRegistry();
    // Creates the window modeless; false when it cannot be shown.
    bool createModeless();
    void destroyWindow();
    Host& host();
    // The model holding the open window, or nullptr.
    WindowModel* windows();

    bool dispatchInit(WindowRef window) override;
    void dispatchCommand(int id, Notify code) override;
    void dispatchScroll(int id, Scroll code) override;
    void dispatchFocus(int id, bool gained) override;
    void dispatchHelpRequest() override;
    long dispatchControlNotify(int id, uint16_t code) override;
    void dispatchInvalidAddressByte(int id) override;

  private:
    bool isList(int id) const;
    // The items of a list or combo box in place, or nullptr.
    const std::vector<ModelItem>* listItems(int id);
    template <class F> void guarded(const char* what, F&& f);

    UiContext& ui_;
    uint16_t templateId_;
    Dialog* parent_;
    const DialogTemplate* template_ = nullptr;
    WindowRef window_ = nullptr;
    bool modal_ = false;
    // Control notifications are not dispatched while data is exchanged.
    bool lockout_ = false;
};

// A dialog with a Help button and F1 help; the help context is the template id.
class HelpDialog : public Dialog {
  public:
    HelpDialog(UiContext& context, uint16_t templateId, Dialog* parent)
        : Dialog(context, templateId, parent), helpContext_(templateId) {}
    uint32_t helpContext() const { return helpContext_; }

  protected:
    void onHelp() override;
    bool onHelpRequest() override;
    void winHelp(uint32_t data, uint32_t command);

  private:
    uint32_t helpContext_;
};

// The caption-less window shown while a slow call runs. Visible for the object's lifetime.
class WaitDialog : public Dialog {
  public:
    static constexpr uint16_t kTemplateId = 900;
    WaitDialog(UiContext& context, uint32_t messageId, Dialog* parent);
    ~WaitDialog() override;
    const std::string& message() const { return message_; }

  protected:
    bool onInitDialog() override;

  private:
    std::string message_;
};

// The hourglass for the lifetime of the object.
class WaitCursor {
  public:
    explicit WaitCursor(Host& host) : host_(host) { host_.beginWaitCursor(); }
    ~WaitCursor() { host_.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Host& host_;
};

} // namespace lntc
