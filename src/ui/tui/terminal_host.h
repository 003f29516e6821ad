// The host that draws the window model in a terminal: each dialog from its template in
// character cells (see layout.h), the owner dialogs behind the active one, message boxes,
// help and the logo over them. It only draws and turns keys and clicks into the model's user
// operations; what they do is the model's, as under the Qt host.
#pragma once
#include "ui/host.h"
#include "ui/tui/layout.h"
#include "ui/tui/terminal.h"
#include "ui/window_classes.h"
#include "ui/window_model.h"
#include "ui/window_record.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lntc::tui {

// What the terminal shows of one control beyond the model's state.
struct ControlView {
    int caret = 0;           // edits: code points before the caret
    int scroll = 0;          // edits: first column shown; lists: first item shown
    bool unselected = false; // the caret moved since the dialog selected the whole text
};

struct WindowView {
    int cx = 0, cy = 0;
    uint32_t style = 0;
    std::vector<ControlPlace> places;
    DialogLayout layout;
    std::vector<ControlView> controls;
    int dropped = -1; // index of the combo box whose list is open
    int dropSel = -1, dropTop = 0;
    CellRect dropRect;
    bool shown = false;
    WindowRecord record;
};

class TerminalHost : public Host, private Toolkit {
  public:
    // Without a terminal nothing can be shown but the gallery's screens.
    explicit TerminalHost(std::unique_ptr<Terminal> terminal);
    ~TerminalHost() override;
    TerminalHost(const TerminalHost&) = delete;
    TerminalHost& operator=(const TerminalHost&) = delete;

    WindowModel& model() { return model_; }
    // The whole screen as it is shown now, at the terminal's size or the one given.
    CellBuffer render(int cols, int rows);
    CellBuffer render();
    // A key as the person at the terminal gives it (tests feed them directly).
    void handleKey(const Key& key);

    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        return model_.messageBox(owner, text, caption, style);
    }
    WindowModel* windows() override { return &model_; }
    void showHelp(WindowRef owner, const std::string& file, uint32_t command,
                  uint32_t data) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    LogoView* logoView() override;
    WindowClasses* windowClasses() override { return &classes_; }
    void recordWindowsIn(TopWindows* records) override;

  private:
    class Logo;
    struct Overlay; // a box or the help pane over the windows

    bool buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) override;
    void showWindow(ModelWindow& window) override;
    void runModalLoop(ModelWindow& window) override;
    void windowClosed(std::unique_ptr<ModelWindow> window) override;
    void mirror(ModelWindow& window, ModelControl* control, Changed what, int index) override;
    int showBox(const BoxRequest& box) override;
    Rect screenRect() override;
    void beep() override;

    static WindowView* viewOf(const ModelWindow& w) { return static_cast<WindowView*>(w.view); }
    const Glyphs& glyphs() const;
    void relayout();
    void repaint();
    // The next key; timers that expire on the way run.
    std::optional<Key> nextKey(int timeoutMs = -1);
    void runTimers();

    // Keys in a dialog.
    void dialogKey(ModelWindow& w, const Key& key);
    void controlKey(ModelWindow& w, ModelControl& c, ControlView& v, const Key& key);
    void editKey(ModelWindow& w, ModelControl& c, ControlView& v, const Key& key);
    void listKey(ModelWindow& w, ModelControl& c, ControlView& v, const Key& key);
    void addressKey(ModelWindow& w, ModelControl& c, const Key& key);
    void dropKey(ModelWindow& w, const Key& key);
    void openDrop(ModelWindow& w, int index);
    void closeDrop(ModelWindow& w, bool take);
    bool mnemonic(ModelWindow& w, char32_t letter);
    void click(ModelWindow& w, const Key& key);
    void tabTo(ModelWindow& w, bool forward);

    // Drawing.
    void drawWindow(CellBuffer& buf, const ModelWindow& w, bool active);
    // room: the columns a caption may take from r.x before something else stands there.
    void drawControl(CellBuffer& buf, const ModelControl& c, ControlView& v, const CellRect& r,
                     bool focused, int room);
    void drawDrop(CellBuffer& buf, const ModelWindow& w);
    void drawOverlay(CellBuffer& buf, Overlay& o);
    void drawLogo(CellBuffer& buf);

    std::unique_ptr<Terminal> terminal_;
    TopWindows* records_ = nullptr; // the machine's window records, where the dialogs are
    WindowModel model_;
    WindowClasses classes_;
    std::vector<std::unique_ptr<WindowView>> views_;
    // Kept until no handler of theirs runs.
    std::vector<std::unique_ptr<ModelWindow>> closed_;
    std::vector<std::unique_ptr<WindowView>> closedViews_;
    std::vector<Overlay*> overlays_;
    std::unique_ptr<Logo> logo_;
    struct Timer {
        uint32_t id;
        std::chrono::steady_clock::time_point due;
        std::function<void()> expiry;
    };
    std::vector<Timer> timers_;
    std::optional<Key> pending_; // read after an Escape, not yet handled
    int waitDepth_ = 0;
    int loopDepth_ = 0;
    int cols_ = 80, rows_ = 24;
};

} // namespace lntc::tui
