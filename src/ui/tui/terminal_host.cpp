#include "ui/tui/terminal_host.h"

#include "resources/help_file.h"
#include "ui/logo_view.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <utility>

namespace lntc::tui {

namespace {

// Escape and then a letter within this time is the letter's mnemonic (terminals without Alt).
constexpr int kEscapeLetterMs = 700;
// How many entries an open drop-down shows at most.
constexpr int kDropRows = 10;

struct Label {
    std::u32string text;
    int mnemonic = -1; // index of the marked letter
};

// "&&" is an ampersand, "&x" marks x.
Label labelOf(const std::string& s, bool prefix) {
    Label out;
    std::u32string in = DecodeUtf8(s);
    if (!prefix) {
        out.text = in;
        return out;
    }
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == U'&' && i + 1 < in.size()) {
            ++i;
            if (in[i] != U'&' && out.mnemonic < 0) out.mnemonic = static_cast<int>(out.text.size());
        } else if (in[i] == U'&') {
            continue;
        }
        out.text.push_back(in[i]);
    }
    return out;
}

bool hasPrefix(const ModelControl& c) {
    return !(c.kind == ControlKind::Static && (c.style & cs::NoPrefix)) &&
           c.kind != ControlKind::Edit && c.kind != ControlKind::ListBox &&
           c.kind != ControlKind::ComboBox && c.kind != ControlKind::AddressEdit;
}

char32_t lower(char32_t c) {
    return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
}

int clampIndex(int i, int n) {
    return std::max(0, std::min(i, n - 1));
}

// The next item after from whose text starts with the letter, wrapping; -1 for none.
int typeAhead(const ModelControl& c, int from, char32_t letter) {
    const int n = static_cast<int>(c.items.size());
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? -1 : from) + k) % n;
        std::u32string t = DecodeUtf8(c.items[static_cast<size_t>(i)].text);
        if (!t.empty() && lower(t[0]) == lower(letter)) return i;
    }
    return -1;
}

struct BoxButton {
    int id;
    const char* label; // with its mnemonic
};

std::vector<BoxButton> boxButtons(uint32_t style) {
    switch (style & mb::TypeMask) {
    case mb::OkCancel:
        return {{id::Ok, "&OK"}, {id::Cancel, "&Cancel"}};
    case mb::AbortRetryIgnore:
        return {{id::Abort, "&Abort"}, {id::Retry, "&Retry"}, {id::Ignore, "&Ignore"}};
    case mb::YesNoCancel:
        return {{id::Yes, "&Yes"}, {id::No, "&No"}, {id::Cancel, "&Cancel"}};
    case mb::YesNo:
        return {{id::Yes, "&Yes"}, {id::No, "&No"}};
    case mb::RetryCancel:
        return {{id::Retry, "&Retry"}, {id::Cancel, "&Cancel"}};
    default:
        return {{id::Ok, "&OK"}};
    }
}

const char32_t* iconOf(uint32_t style) {
    switch (style & mb::IconMask) {
    case mb::IconHand:
        return U"(X) Error";
    case mb::IconQuestion:
        return U"(?) Question";
    case mb::IconExclamation:
        return U"(!) Warning";
    case mb::IconAsterisk:
        return U"(i) Information";
    default:
        return U"";
    }
}

// "< OK >", the default button "[ OK ]"; without room, without the blanks.
std::u32string buttonText(const std::u32string& caption, bool isDefault, int width,
                          int& captionAt) {
    const char32_t open = isDefault ? U'[' : U'<', close = isDefault ? U']' : U'>';
    bool spaced = static_cast<int>(caption.size()) + 4 <= width;
    std::u32string out(1, open);
    if (spaced) out += U' ';
    captionAt = static_cast<int>(out.size());
    out += caption;
    if (spaced) out += U' ';
    out += close;
    return out;
}

} // namespace

// A message box or the help pane, drawn over the windows.
struct TerminalHost::Overlay {
    std::string title;
    std::u32string text, icon;
    std::vector<BoxButton> buttons;
    int focus = 0;
    bool help = false;
    int top = 0; // help: the first line shown
    // Where the last drawing put them.
    CellRect rect;
    std::vector<CellRect> buttonRects;
    int pageRows = 1, lineCount = 0;
};

class TerminalHost::Logo : public LogoView {
  public:
    explicit Logo(TerminalHost& host) : host_(host) {}
    Rect desktop() const override { return {0, 0, host_.cols_ * kPixelsX, host_.rows_ * kPixelsY}; }
    bool create(const std::string&, const std::string&, int, int, int, int,
                const LogoPaint& paint) override {
        title = paint.title;
        version = paint.version;
        shown = true;
        host_.repaint();
        return true;
    }
    void setTopmost() override {}
    void paintNow() override { host_.repaint(); }
    void startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) override {
        stopTimer(id);
        host_.timers_.push_back(
            {id, std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds),
             std::move(expiry)});
    }
    void stopTimer(uint32_t id) override {
        auto& t = host_.timers_;
        t.erase(std::remove_if(t.begin(), t.end(), [id](const Timer& x) { return x.id == id; }),
                t.end());
    }
    void destroy() override {
        shown = false;
        host_.timers_.clear();
        host_.repaint();
    }

    bool shown = false;
    std::string title, version;

  private:
    // A cell stands for this many pixels of the desktop the logic centres the logo on.
    static constexpr int kPixelsX = 8, kPixelsY = 16;
    TerminalHost& host_;
};

TerminalHost::TerminalHost(std::unique_ptr<Terminal> terminal)
    : terminal_(std::move(terminal)), model_(*this) {
    if (terminal_) {
        cols_ = terminal_->cols();
        rows_ = terminal_->rows();
    }
}

TerminalHost::~TerminalHost() {
    // Every window still open ends; the model keeps them until their dialogs close them.
    for (const auto& w : model_.open()) {
        model_.endModal(w.get(), id::Cancel);
        w->view = nullptr;
    }
}

const Glyphs& TerminalHost::glyphs() const {
    return terminal_ ? terminal_->glyphs() : Glyphs::unicode();
}

// --- windows ---------------------------------------------------------------------------

bool TerminalHost::buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow*) {
    if (!terminal_ && window.modal) return false; // nobody could answer it
    auto view = std::make_unique<WindowView>();
    view->cx = t.cx;
    view->cy = t.cy;
    view->style = t.style;
    for (const ControlTemplate& ct : t.controls)
        view->places.push_back({ct.x, ct.y, ct.cx, ct.cy, ct.kind, ct.style});
    view->controls.resize(t.controls.size());
    view->layout = LayoutDialog(t.cx, t.cy, view->places, cols_, rows_);
    const CellRect& f = view->layout.frame;
    window.rect = {f.x, f.y, f.w, f.h};
    window.view = view.get();
    view->record.set(records_, window.title);
    views_.push_back(std::move(view));
    return true;
}

void TerminalHost::recordWindowsIn(TopWindows* records) {
    records_ = records;
    for (const auto& w : model_.open())
        if (WindowView* v = viewOf(*w)) v->record.set(records_, w->title);
}

void TerminalHost::showWindow(ModelWindow& window) {
    if (WindowView* v = viewOf(window)) v->shown = true;
    repaint(); // a window shown before a slow call is seen before it
}

void TerminalHost::runModalLoop(ModelWindow& window) {
    ++loopDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{loopDepth_};
    while (!window.ended && terminal_) {
        // Only the outermost loop runs under no handler at all.
        if (loopDepth_ == 1) {
            closed_.clear();
            closedViews_.clear();
        }
        repaint();
        if (std::optional<Key> key = nextKey()) handleKey(*key);
    }
}

void TerminalHost::windowClosed(std::unique_ptr<ModelWindow> window) {
    WindowView* v = viewOf(*window);
    if (v != nullptr) v->record.clear();
    window->view = nullptr;
    for (auto it = views_.begin(); it != views_.end(); ++it) {
        if (it->get() != v) continue;
        closedViews_.push_back(std::move(*it));
        views_.erase(it);
        break;
    }
    closed_.push_back(std::move(window));
    repaint();
}

void TerminalHost::mirror(ModelWindow& window, ModelControl* control, Changed what, int) {
    WindowView* view = viewOf(window);
    if (view == nullptr) return;
    if (control == nullptr && what == Changed::Title) view->record.set(records_, window.title);
    if (control != nullptr) {
        const size_t i = static_cast<size_t>(control - window.controls.data());
        if (i >= view->controls.size()) return;
        ControlView& v = view->controls[i];
        if (what == Changed::Text) {
            v.caret = static_cast<int>(DecodeUtf8(control->text).size());
            v.unselected = false;
        } else if (what == Changed::TextSelection) {
            v.unselected = false;
        }
        if ((what == Changed::Visible || what == Changed::Enabled) &&
            view->dropped == static_cast<int>(i) && !control->focusable())
            view->dropped = -1;
    }
    // The wait window changes while no loop runs to draw it.
    if (view->style & ds::Popup) repaint();
}

Rect TerminalHost::screenRect() {
    return {0, 0, cols_, rows_};
}

void TerminalHost::beep() {
    if (terminal_) terminal_->beep();
}

void TerminalHost::relayout() {
    if (terminal_) {
        cols_ = terminal_->cols();
        rows_ = terminal_->rows();
    }
    for (const auto& v : views_) {
        v->layout = LayoutDialog(v->cx, v->cy, v->places, cols_, rows_);
    }
    for (const auto& w : model_.open())
        if (WindowView* v = viewOf(*w))
            w->rect = {v->layout.frame.x, v->layout.frame.y, v->layout.frame.w, v->layout.frame.h};
}

// --- keys --------------------------------------------------------------------------------

std::optional<Key> TerminalHost::nextKey(int timeoutMs) {
    if (pending_) return std::exchange(pending_, std::nullopt);
    if (!terminal_) return std::nullopt;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        runTimers();
        int wait = timeoutMs < 0 ? -1
                                 : static_cast<int>(std::max<int64_t>(
                                       0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                              deadline - Clock::now())
                                              .count()));
        if (!timers_.empty()) {
            auto due =
                std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; })
                    ->due;
            int ms = static_cast<int>(std::max<int64_t>(
                0,
                std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count() +
                    1));
            wait = wait < 0 ? ms : std::min(wait, ms);
        }
        std::optional<Key> key = terminal_->read(wait);
        if (key) {
            if (key->type == Key::Resize) relayout();
            return key;
        }
        if (timeoutMs >= 0 && Clock::now() >= deadline) return std::nullopt;
    }
}

void TerminalHost::runTimers() {
    const auto now = std::chrono::steady_clock::now();
    for (size_t i = 0; i < timers_.size();) {
        if (timers_[i].due > now) {
            ++i;
            continue;
        }
        std::function<void()> expiry = std::move(timers_[i].expiry);
        timers_.erase(timers_.begin() + static_cast<std::ptrdiff_t>(i));
        if (expiry) expiry(); // may change the timers
        i = 0;
    }
}

void TerminalHost::handleKey(const Key& key) {
    if (ModelWindow* w = model_.active()) dialogKey(*w, key);
}

void TerminalHost::tabTo(ModelWindow& w, bool forward) {
    model_.userTab(w, forward);
    // As the dialog manager does: a field reached with Tab has its whole text selected.
    const ModelControl* c = w.find(w.focus);
    if (c != nullptr && takesText(c->kind, c->style)) model_.selectAllText(&w, c->id);
}

void TerminalHost::dialogKey(ModelWindow& w, const Key& key) {
    WindowView* view = viewOf(w);
    if (view == nullptr || key.type == Key::Resize) return;
    if (view->dropped >= 0) {
        dropKey(w, key);
        return;
    }
    switch (key.type) {
    case Key::Click:
    case Key::DoubleClick:
        click(w, key);
        return;
    case Key::F1:
        model_.userHelp(w);
        return;
    case Key::Tab:
    case Key::BackTab:
        tabTo(w, key.type == Key::Tab);
        return;
    case Key::Enter:
        model_.userEnter(w);
        return;
    case Key::Escape: {
        std::optional<Key> next = nextKey(kEscapeLetterMs);
        if (next && next->type == Key::Char && std::iswalnum(static_cast<wint_t>(next->ch))) {
            mnemonic(w, next->ch);
            return;
        }
        pending_ = next;
        model_.userEscape(w);
        return;
    }
    case Key::Char:
        if (key.alt) {
            mnemonic(w, key.ch);
            return;
        }
        break;
    default:
        break;
    }
    ModelControl* c = w.find(w.focus);
    if (c == nullptr) {
        if (key.type == Key::Char) mnemonic(w, key.ch);
        return;
    }
    controlKey(w, *c, view->controls[static_cast<size_t>(c - w.controls.data())], key);
}

void TerminalHost::controlKey(ModelWindow& w, ModelControl& c, ControlView& v, const Key& key) {
    const int id = c.id;
    const bool plainChar = key.type == Key::Char && !key.alt;
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
        if (plainChar && key.ch == U' ')
            model_.userClick(w, id);
        else if (plainChar)
            mnemonic(w, key.ch);
        else if (key.type == Key::Up || key.type == Key::Left)
            tabTo(w, false);
        else if (key.type == Key::Down || key.type == Key::Right)
            tabTo(w, true);
        return;
    case ControlKind::RadioButton: {
        if (plainChar && key.ch == U' ') {
            model_.userClick(w, id);
        } else if (plainChar) {
            mnemonic(w, key.ch);
        } else if (key.type == Key::Up || key.type == Key::Left || key.type == Key::Down ||
                   key.type == Key::Right) {
            // Within the group, wrapping; the button reached is checked.
            std::vector<ModelControl*> group = w.radioGroupOf(id);
            const int n = static_cast<int>(group.size());
            int at = static_cast<int>(std::find(group.begin(), group.end(), &c) - group.begin());
            const int step = key.type == Key::Up || key.type == Key::Left ? n - 1 : 1;
            for (int k = 1; k < n; ++k) {
                ModelControl* r = group[static_cast<size_t>((at + k * step) % n)];
                if (r->focusable()) {
                    model_.userClick(w, r->id);
                    break;
                }
            }
        }
        return;
    }
    case ControlKind::Edit:
        if (key.type == Key::Up || key.type == Key::Down) {
            // A number field's spin companion stands right beside it.
            const auto& rects = viewOf(w)->layout.controls;
            const CellRect& r = rects[static_cast<size_t>(&c - w.controls.data())];
            for (size_t j = 0; j < w.controls.size(); ++j) {
                const ModelControl& s = w.controls[j];
                if (s.kind != ControlKind::ScrollBar || !s.visible || !s.enabled ||
                    rects[j].y != r.y || std::abs(rects[j].x - r.right()) > 1)
                    continue;
                model_.userScroll(w, s.id, key.type == Key::Up ? Scroll::LineUp : Scroll::LineDown);
                return;
            }
        }
        editKey(w, c, v, key);
        return;
    case ControlKind::ComboBox: {
        const int n = static_cast<int>(c.items.size());
        if (key.type == Key::F4 || (key.alt && (key.type == Key::Down || key.type == Key::Up)) ||
            (!c.editableCombo() && plainChar && key.ch == U' ')) {
            openDrop(w, static_cast<int>(&c - w.controls.data()));
            return;
        }
        int to = -2;
        switch (key.type) {
        case Key::Up:
            to = c.curSel - 1;
            break;
        case Key::Down:
            to = c.curSel + 1;
            break;
        case Key::PageUp:
        case Key::Home:
            to = c.editableCombo() && key.type == Key::Home ? -2 : 0;
            break;
        case Key::PageDown:
        case Key::End:
            to = c.editableCombo() && key.type == Key::End ? -2 : n - 1;
            break;
        case Key::Char:
            if (!c.editableCombo()) to = typeAhead(c, c.curSel, key.ch);
            break;
        default:
            break;
        }
        if (to != -2 && !c.editableCombo() && key.type == Key::Char && to < 0) return;
        if (to != -2 && n > 0) {
            to = clampIndex(to, n);
            if (to != c.curSel) model_.userSelect(w, id, to);
            return;
        }
        if (c.editableCombo()) editKey(w, c, v, key);
        return;
    }
    case ControlKind::ListBox:
        listKey(w, c, v, key);
        return;
    case ControlKind::ScrollBar:
        if (key.type == Key::Up || key.type == Key::Left)
            model_.userScroll(w, id, Scroll::LineUp);
        else if (key.type == Key::Down || key.type == Key::Right)
            model_.userScroll(w, id, Scroll::LineDown);
        else if (key.type == Key::PageUp)
            model_.userScroll(w, id, Scroll::PageUp);
        else if (key.type == Key::PageDown)
            model_.userScroll(w, id, Scroll::PageDown);
        return;
    case ControlKind::AddressEdit:
        addressKey(w, c, key);
        return;
    default:
        return;
    }
}

void TerminalHost::editKey(ModelWindow& w, ModelControl& c, ControlView& v, const Key& key) {
    std::u32string text = DecodeUtf8(c.text);
    const int size = static_cast<int>(text.size());
    v.caret = std::clamp(v.caret, 0, size);
    const bool readOnly = c.kind == ControlKind::Edit && (c.style & cs::ReadOnly);
    const bool selected = c.textSelected && !v.unselected;
    auto moveTo = [&](int to) {
        v.caret = std::clamp(to, 0, size);
        v.unselected = true;
    };
    auto change = [&](std::u32string t, int caret) {
        const int id = c.id;
        model_.userType(w, id, EncodeUtf8(t));
        // The control may be gone: a handler of the change can end the dialog.
        if (ModelControl* now = w.find(id); now == &c) v.caret = caret;
    };
    switch (key.type) {
    case Key::Left:
        moveTo(v.caret - 1);
        return;
    case Key::Right:
        moveTo(v.caret + 1);
        return;
    case Key::Home:
        moveTo(0);
        return;
    case Key::End:
        moveTo(size);
        return;
    case Key::Backspace:
    case Key::Delete:
        if (readOnly) return beep();
        if (selected) return change(U"", 0);
        if (key.type == Key::Backspace && v.caret > 0) {
            text.erase(static_cast<size_t>(v.caret - 1), 1);
            return change(text, v.caret - 1);
        }
        if (key.type == Key::Delete && v.caret < size) {
            text.erase(static_cast<size_t>(v.caret), 1);
            return change(text, v.caret);
        }
        return;
    case Key::Char: {
        if (key.alt || key.ch < 0x20) return;
        if (readOnly) return beep();
        if ((c.style & cs::Number) && (key.ch < U'0' || key.ch > U'9')) return beep();
        if (selected) {
            text.clear();
            v.caret = 0;
        }
        // Typing never makes the text longer than the limit.
        if (c.limit > 0 && static_cast<int>(text.size()) >= c.limit) return beep();
        text.insert(text.begin() + v.caret, key.ch);
        return change(text, v.caret + 1);
    }
    default:
        return;
    }
}

void TerminalHost::listKey(ModelWindow& w, ModelControl& c, ControlView&, const Key& key) {
    const int n = static_cast<int>(c.items.size());
    if (n == 0) return;
    const int page =
        std::max(1, viewOf(w)->layout.controls[static_cast<size_t>(&c - w.controls.data())].h - 2);
    const int caret = c.curSel;
    int to = -2;
    switch (key.type) {
    case Key::Up:
        to = caret - 1;
        break;
    case Key::Down:
        to = caret + 1;
        break;
    case Key::PageUp:
        to = caret - page;
        break;
    case Key::PageDown:
        to = caret + page;
        break;
    case Key::Home:
        to = 0;
        break;
    case Key::End:
        to = n - 1;
        break;
    case Key::Char:
        if (key.alt) return;
        if (c.multiSelect() && key.ch == U' ') {
            // Space turns the item at the caret on or off.
            const int at = clampIndex(caret, n);
            std::vector<int> on;
            for (int i = 0; i < n; ++i)
                if (c.items[static_cast<size_t>(i)].selected != (i == at)) on.push_back(i);
            model_.userSelectItems(w, c.id, on, at);
            return;
        }
        to = typeAhead(c, caret, key.ch);
        if (to < 0) return;
        break;
    default:
        return;
    }
    to = clampIndex(to, n);
    if (!c.multiSelect()) {
        if (to != c.curSel) model_.userSelect(w, c.id, to);
        return;
    }
    std::vector<int> on;
    if (key.shift)
        for (int i = 0; i < n; ++i)
            if (c.items[static_cast<size_t>(i)].selected && i != to) on.push_back(i);
    on.push_back(to);
    std::sort(on.begin(), on.end());
    model_.userSelectItems(w, c.id, on, to);
}

void TerminalHost::addressKey(ModelWindow& w, ModelControl& c, const Key& key) {
    const int id = c.id;
    EditKey edit = EditKey::Other;
    switch (key.type) {
    case Key::Char:
        if (!key.alt && key.ch >= 0x20 && key.ch < 0x7F)
            model_.userChar(w, id, static_cast<char>(key.ch));
        return;
    case Key::Backspace:
        model_.userChar(w, id, '\b');
        return;
    case Key::Left:
        edit = EditKey::Left;
        break;
    case Key::Right:
        edit = EditKey::Right;
        break;
    case Key::Up:
        edit = EditKey::Up;
        break;
    case Key::Down:
        edit = EditKey::Down;
        break;
    case Key::Home:
        edit = EditKey::Home;
        break;
    case Key::End:
        edit = EditKey::End;
        break;
    case Key::Delete:
        edit = EditKey::Delete;
        break;
    default:
        return;
    }
    // A terminal reports Shift with the key; the control wants it as a key of its own.
    if (key.shift) model_.userKey(w, id, EditKey::Shift, true);
    model_.userKey(w, id, edit, true);
    model_.userKey(w, id, edit, false);
    if (key.shift) model_.userKey(w, id, EditKey::Shift, false);
}

void TerminalHost::openDrop(ModelWindow& w, int index) {
    const int id = w.controls[static_cast<size_t>(index)].id;
    model_.userDropDown(w, id); // the handler may fill the list
    WindowView* view = viewOf(w);
    const ModelControl* c = w.find(id);
    if (view == nullptr || c == nullptr || !c->focusable() || w.ended) return;
    view->dropped = index;
    view->dropSel = c->curSel;
    view->dropTop = 0;
}

void TerminalHost::closeDrop(ModelWindow& w, bool take) {
    WindowView* view = viewOf(w);
    if (view == nullptr || view->dropped < 0) return;
    const ModelControl& c = w.controls[static_cast<size_t>(view->dropped)];
    const int id = c.id, sel = view->dropSel;
    const bool changed =
        take && sel >= 0 && sel < static_cast<int>(c.items.size()) && sel != c.curSel;
    view->dropped = -1;
    model_.userCloseUp(w, id);
    if (changed && model_.find(&w) != nullptr && !w.ended) model_.userSelect(w, id, sel);
}

void TerminalHost::dropKey(ModelWindow& w, const Key& key) {
    WindowView* view = viewOf(w);
    const ModelControl& c = w.controls[static_cast<size_t>(view->dropped)];
    const int n = static_cast<int>(c.items.size());
    int& sel = view->dropSel;
    switch (key.type) {
    case Key::Up:
        if (key.alt) return closeDrop(w, true);
        sel = n > 0 ? clampIndex(sel - 1, n) : -1;
        return;
    case Key::Down:
        if (key.alt) return closeDrop(w, true);
        sel = n > 0 ? clampIndex(sel + 1, n) : -1;
        return;
    case Key::PageUp:
        sel = n > 0 ? clampIndex(sel - kDropRows, n) : -1;
        return;
    case Key::PageDown:
        sel = n > 0 ? clampIndex(sel + kDropRows, n) : -1;
        return;
    case Key::Home:
        sel = n > 0 ? 0 : -1;
        return;
    case Key::End:
        sel = n - 1;
        return;
    case Key::Char:
        if (!key.alt && n > 0) {
            if (int to = typeAhead(c, sel, key.ch); to >= 0) sel = to;
        }
        return;
    case Key::Enter: // closes the list only; the dialog's default button stays unpressed
    case Key::F4:
        return closeDrop(w, true);
    case Key::Escape:
        return closeDrop(w, false);
    case Key::Tab:
    case Key::BackTab:
        closeDrop(w, true);
        if (model_.find(&w) != nullptr && !w.ended) tabTo(w, key.type == Key::Tab);
        return;
    case Key::Click:
    case Key::DoubleClick: {
        const CellRect& r = view->dropRect;
        if (r.contains(key.x, key.y) && key.y > r.y && key.y < r.bottom() - 1) {
            const int at = view->dropTop + key.y - r.y - 1;
            if (at < n) sel = at;
            return closeDrop(w, true);
        }
        closeDrop(w, false);
        if (model_.find(&w) != nullptr && !w.ended) click(w, key);
        return;
    }
    default:
        return;
    }
}

bool TerminalHost::mnemonic(ModelWindow& w, char32_t letter) {
    const size_t n = w.controls.size();
    for (size_t i = 0; i < n; ++i) {
        const ModelControl& c = w.controls[i];
        if (!c.visible || !c.enabled || !hasPrefix(c)) continue;
        Label l = labelOf(c.text, true);
        if (l.mnemonic < 0 || lower(l.text[static_cast<size_t>(l.mnemonic)]) != lower(letter))
            continue;
        if (c.kind == ControlKind::Static || c.kind == ControlKind::GroupBox) {
            // A label hands the focus to the control it names: the next one that takes it.
            for (size_t j = i + 1; j < n; ++j) {
                const ModelControl& t = w.controls[j];
                if (!t.focusable()) continue;
                const int id = t.id;
                model_.userFocus(w, id);
                if (const ModelControl* f = w.find(w.focus);
                    f != nullptr && f->id == id && takesText(f->kind, f->style))
                    model_.selectAllText(&w, id);
                return true;
            }
            return false;
        }
        if (isButton(c.kind)) {
            model_.userClick(w, c.id);
            return true;
        }
    }
    return false;
}

void TerminalHost::click(ModelWindow& w, const Key& key) {
    WindowView* view = viewOf(w);
    if (view == nullptr) return;
    for (size_t i = w.controls.size(); i-- > 0;) {
        ModelControl& c = w.controls[i];
        const CellRect& r = view->layout.controls[i];
        if (!c.visible || !r.contains(key.x, key.y) || !takesFocus(c.kind)) continue;
        if (!c.enabled) return;
        const int id = c.id;
        switch (c.kind) {
        case ControlKind::ListBox: {
            const bool framed = r.h >= 3;
            const int at = view->controls[i].scroll + key.y - r.y - (framed ? 1 : 0);
            if (at < 0 || at >= static_cast<int>(c.items.size())) {
                model_.userFocus(w, id);
            } else if (key.type == Key::DoubleClick) {
                model_.userDoubleClick(w, id, at);
            } else if (c.multiSelect()) {
                model_.userSelectItems(w, id, {at}, at);
            } else {
                model_.userSelect(w, id, at);
            }
            return;
        }
        case ControlKind::ComboBox:
            if (c.editableCombo() && key.x < r.right() - 1) {
                model_.userFocus(w, id);
                view->controls[i].caret = view->controls[i].scroll + key.x - r.x - 1;
                view->controls[i].unselected = true;
            } else {
                openDrop(w, static_cast<int>(i));
            }
            return;
        case ControlKind::Edit:
            model_.userFocus(w, id);
            view->controls[i].caret = view->controls[i].scroll + key.x - r.x - 1;
            view->controls[i].unselected = true;
            return;
        case ControlKind::ScrollBar: {
            const bool up = r.h >= 2 ? key.y < r.y + r.h / 2 : key.x < r.x + (r.w + 1) / 2;
            model_.userScroll(w, id, up ? Scroll::LineUp : Scroll::LineDown);
            return;
        }
        case ControlKind::AddressEdit:
            model_.userFocus(w, id);
            return;
        default:
            if (isButton(c.kind)) model_.userClick(w, id);
            return;
        }
    }
}

// --- boxes and help ----------------------------------------------------------------------

int TerminalHost::showBox(const BoxRequest& box) {
    if (!terminal_) return safeAnswer(box.style);
    Overlay o;
    o.title = box.caption;
    o.text = DecodeUtf8(box.text);
    o.icon = iconOf(box.style);
    o.buttons = boxButtons(box.style);
    overlays_.push_back(&o);
    struct Pop {
        std::vector<Overlay*>& list;
        ~Pop() { list.pop_back(); }
    } pop{overlays_};
    const int n = static_cast<int>(o.buttons.size());
    auto has = [&](int answer) {
        return std::any_of(o.buttons.begin(), o.buttons.end(),
                           [answer](const BoxButton& b) { return b.id == answer; });
    };
    for (;;) {
        repaint();
        std::optional<Key> key = nextKey();
        if (!key) continue;
        switch (key->type) {
        case Key::Left:
        case Key::Up:
        case Key::BackTab:
            o.focus = (o.focus + n - 1) % n;
            break;
        case Key::Right:
        case Key::Down:
        case Key::Tab:
            o.focus = (o.focus + 1) % n;
            break;
        case Key::Enter:
            return o.buttons[static_cast<size_t>(o.focus)].id;
        case Key::Escape:
            // As the platform's box: Escape is Cancel, or OK where that is the only answer.
            if (has(id::Cancel)) return id::Cancel;
            if (n == 1) return o.buttons[0].id;
            break;
        case Key::Char:
            if (key->ch == U' ' && !key->alt) return o.buttons[static_cast<size_t>(o.focus)].id;
            for (const BoxButton& b : o.buttons) {
                Label l = labelOf(b.label, true);
                if (lower(l.text[static_cast<size_t>(l.mnemonic)]) == lower(key->ch)) return b.id;
            }
            break;
        case Key::Click:
        case Key::DoubleClick:
            for (size_t i = 0; i < o.buttonRects.size(); ++i)
                if (o.buttonRects[i].contains(key->x, key->y)) return o.buttons[i].id;
            break;
        default:
            break;
        }
    }
}

void TerminalHost::showHelp(WindowRef, const std::string& file, uint32_t command, uint32_t data) {
    if (command != help::Context || !terminal_) return;
    Overlay o;
    o.help = true;
    std::ifstream in(file, std::ios::binary);
    std::optional<HelpTopic> topic;
    if (in) {
        std::ostringstream all;
        all << in.rdbuf();
        topic = findHelpTopic(all.str(), data);
    }
    o.title = topic ? topic->title : "Help";
    o.text = DecodeUtf8(!in      ? "The help file " + file + " could not be opened."
                        : !topic ? "There is no help for this item (context " +
                                       std::to_string(data) + ")."
                                 : topic->text);
    overlays_.push_back(&o);
    struct Pop {
        std::vector<Overlay*>& list;
        ~Pop() { list.pop_back(); }
    } pop{overlays_};
    for (;;) {
        repaint();
        std::optional<Key> key = nextKey();
        if (!key) continue;
        const int last = std::max(0, o.lineCount - o.pageRows);
        switch (key->type) {
        case Key::Up:
            o.top = std::max(0, o.top - 1);
            break;
        case Key::Down:
            o.top = std::min(last, o.top + 1);
            break;
        case Key::PageUp:
            o.top = std::max(0, o.top - o.pageRows);
            break;
        case Key::PageDown:
        case Key::Char:
            if (key->type == Key::Char && key->ch != U' ') {
                if (lower(key->ch) == U'q') return;
                break;
            }
            o.top = std::min(last, o.top + o.pageRows);
            break;
        case Key::Home:
            o.top = 0;
            break;
        case Key::End:
            o.top = last;
            break;
        case Key::Escape:
        case Key::Enter:
        case Key::F1:
        case Key::Click:
            return;
        default:
            break;
        }
    }
}

void TerminalHost::beginWaitCursor() {
    ++waitDepth_;
    repaint();
}

void TerminalHost::endWaitCursor() {
    if (waitDepth_ > 0) --waitDepth_;
}

LogoView* TerminalHost::logoView() {
    if (!logo_) logo_ = std::make_unique<Logo>(*this);
    return logo_.get();
}

// --- drawing -----------------------------------------------------------------------------

CellBuffer TerminalHost::render() {
    return render(terminal_ ? terminal_->cols() : cols_, terminal_ ? terminal_->rows() : rows_);
}

CellBuffer TerminalHost::render(int cols, int rows) {
    if (cols != cols_ || rows != rows_) {
        cols_ = cols;
        rows_ = rows;
        for (const auto& v : views_)
            v->layout = LayoutDialog(v->cx, v->cy, v->places, cols_, rows_);
    }
    CellBuffer buf(cols_, rows_);
    const auto& open = model_.open();
    for (const auto& w : open) {
        WindowView* v = viewOf(*w);
        if (v != nullptr && v->shown) drawWindow(buf, *w, w.get() == open.back().get());
    }
    if (!open.empty()) drawDrop(buf, *open.back());
    if (logo_ && logo_->shown) drawLogo(buf);
    for (Overlay* o : overlays_)
        drawOverlay(buf, *o);
    return buf;
}

void TerminalHost::repaint() {
    if (!terminal_) return;
    CellBuffer buf = render(terminal_->cols(), terminal_->rows());
    terminal_->present(buf);
}

void TerminalHost::drawWindow(CellBuffer& buf, const ModelWindow& w, bool active) {
    WindowView& view = *viewOf(w);
    const CellRect& f = view.layout.frame;
    const Glyphs& g = glyphs();
    buf.fill(f);
    buf.frame(f, g, active ? attr::Bold : attr::Dim);
    if (!(view.style & ds::Popup) && !w.title.empty()) {
        std::u32string title = U" " + DecodeUtf8(w.title) + U" ";
        const int width = std::min<int>(static_cast<int>(title.size()), f.w - 2);
        buf.text(f.x + (f.w - width) / 2, f.y, title, attr::Bold, width);
    }
    if (active) buf.caretX = buf.caretY = -1;
    // Labels and frames first, so that a long label gives way to the control beside it.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < w.controls.size(); ++i) {
            const ModelControl& c = w.controls[i];
            const bool behind = c.kind == ControlKind::Static || c.kind == ControlKind::GroupBox ||
                                c.kind == ControlKind::Picture;
            if (!c.visible || behind != (pass == 0)) continue;
            const CellRect& r = view.layout.controls[i];
            int room = f.right() - 1 - r.x;
            for (size_t j = 0; j < w.controls.size(); ++j) {
                const CellRect& o = view.layout.controls[j];
                if (j == i || !w.controls[j].visible || r.y < o.y || r.y >= o.bottom()) continue;
                if (o.x > r.x) room = std::min(room, o.x - r.x);
                if (w.controls[j].kind == ControlKind::GroupBox && o.x < r.x && r.x < o.right())
                    room = std::min(room, o.right() - 1 - r.x);
            }
            drawControl(buf, c, view.controls[i], r, active && c.id == w.focus && w.focus != 0,
                        std::max(room, 1));
        }
    }
}

void TerminalHost::drawControl(CellBuffer& buf, const ModelControl& c, ControlView& v,
                               const CellRect& r, bool focused, int room) {
    const Glyphs& g = glyphs();
    const uint8_t dim = c.enabled ? attr::Plain : attr::Dim;
    auto caption = [&](int x, int y, int width, uint8_t a) {
        Label l = labelOf(c.text, hasPrefix(c));
        buf.text(x, y, l.text, a | dim, width);
        if (l.mnemonic >= 0 && l.mnemonic < width)
            buf.mark({x + l.mnemonic, y, 1, 1}, attr::Underline | attr::Bold);
    };
    switch (c.kind) {
    case ControlKind::Static: {
        const bool field = (c.style & (cs::Sunken | cs::Border)) != 0;
        Label l = labelOf(c.text, hasPrefix(c));
        if (r.h == 1 && !field) {
            // One line may run on past its box, up to the next control.
            caption(r.x, r.y, std::max(r.w, room), attr::Plain);
            return;
        }
        std::vector<std::u32string> lines = WrapText(l.text, r.w);
        for (int k = 0; k < r.h && k < static_cast<int>(lines.size()); ++k) {
            const std::u32string& line = lines[static_cast<size_t>(k)];
            int x = r.x;
            if (c.style & cs::Center) x += std::max(0, (r.w - static_cast<int>(line.size())) / 2);
            if (c.style & cs::Right) x += std::max(0, r.w - static_cast<int>(line.size()));
            buf.text(x, r.y + k, line, (field ? attr::Bold : attr::Plain) | dim, r.w);
        }
        if (l.mnemonic >= 0 && !lines.empty() && l.mnemonic < static_cast<int>(lines[0].size()))
            buf.mark({r.x + l.mnemonic, r.y, 1, 1}, attr::Underline | attr::Bold);
        return;
    }
    case ControlKind::GroupBox:
        buf.frame(r, g, dim);
        if (!c.text.empty()) {
            buf.put(r.x + 1, r.y, U' ');
            const int n = buf.text(r.x + 2, r.y, labelOf(c.text, true).text, dim, r.w - 4);
            caption(r.x + 2, r.y, n, attr::Plain);
            buf.put(r.x + 2 + n, r.y, U' ');
        }
        return;
    case ControlKind::Picture:
        if (r.w >= 2 && r.h >= 2) buf.frame(r, g, dim);
        return;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        Label l = labelOf(c.text, true);
        int at = 0;
        const bool isDefault = c.kind == ControlKind::DefPushButton;
        std::u32string t = buttonText(l.text, isDefault, r.w, at);
        // A column either side where the caption needs it.
        const int width = std::min<int>(static_cast<int>(t.size()), r.w + 2);
        const int x = r.x + (r.w - width - (r.w - width < 0 ? 1 : 0)) / 2;
        buf.text(x, r.y, t,
                 (focused ? attr::Reverse : attr::Plain) | (isDefault ? attr::Bold : 0) | dim,
                 width);
        if (l.mnemonic >= 0 && at + l.mnemonic < width - 1)
            buf.mark({x + at + l.mnemonic, r.y, 1, 1}, attr::Underline | attr::Bold);
        return;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        const bool radio = c.kind == ControlKind::RadioButton;
        const char32_t mark = c.check == 1 ? (radio ? U'*' : U'x') : c.check == 2 ? U'-' : U' ';
        std::u32string box = radio ? U"( ) " : U"[ ] ";
        box[1] = mark;
        // Without room for the blank, the caption follows the box at once.
        const int size = static_cast<int>(labelOf(c.text, true).text.size());
        const int gap = std::max(room, r.w) >= size + 4 ? 4 : 3;
        buf.text(r.x, r.y, box, dim, gap);
        caption(r.x + gap, r.y, std::max(0, std::max(room, r.w) - gap),
                focused ? attr::Reverse : attr::Plain);
        if (focused) {
            buf.caretX = r.x + 1;
            buf.caretY = r.y;
        }
        return;
    }
    case ControlKind::Edit:
    case ControlKind::ComboBox: {
        const bool combo = c.kind == ControlKind::ComboBox;
        const bool editable = !combo || c.editableCombo();
        std::u32string text = DecodeUtf8(
            combo && !editable ? (c.curSel >= 0 && c.curSel < static_cast<int>(c.items.size())
                                      ? c.items[static_cast<size_t>(c.curSel)].text
                                      : std::string())
                               : c.text);
        if (c.style & cs::Password) text.assign(text.size(), U'*');
        const bool readOnly = !combo && (c.style & cs::ReadOnly);
        const int inner = std::max(1, r.w - (combo ? 3 : 2));
        v.caret = std::clamp(v.caret, 0, static_cast<int>(text.size()));
        if (v.caret < v.scroll) v.scroll = v.caret;
        if (v.caret >= v.scroll + inner) v.scroll = v.caret - inner + 1;
        if (!focused || !editable) v.scroll = 0;
        buf.put(r.x, r.y, readOnly ? U' ' : U'[', dim);
        buf.fill({r.x + 1, r.y, inner, 1}, U' ', (readOnly ? attr::Bold : attr::Underline) | dim);
        const bool selected = focused && c.textSelected && !v.unselected;
        buf.text(r.x + 1, r.y,
                 std::u32string_view(text).substr(
                     std::min<size_t>(text.size(), static_cast<size_t>(v.scroll))),
                 (readOnly ? attr::Bold : attr::Underline) | (selected ? attr::Reverse : 0) | dim,
                 inner);
        buf.put(r.x + 1 + inner, r.y, readOnly ? U' ' : U']', dim);
        if (combo) buf.put(r.x + 2 + inner, r.y, g.down, focused ? attr::Reverse : dim);
        if (focused && editable) {
            buf.caretX = r.x + 1 + v.caret - v.scroll;
            buf.caretY = r.y;
        } else if (focused) {
            buf.mark({r.x + 1, r.y, inner, 1}, attr::Reverse);
            buf.caretX = r.x + 1;
            buf.caretY = r.y;
        }
        return;
    }
    case ControlKind::ListBox: {
        const bool framed = r.h >= 3 && r.w >= 3;
        CellRect in = framed ? CellRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2} : r;
        if (framed) buf.frame(r, g, dim);
        const int n = static_cast<int>(c.items.size());
        const int caret = c.curSel;
        if (caret >= 0 && caret < v.scroll) v.scroll = caret;
        if (caret >= v.scroll + in.h) v.scroll = caret - in.h + 1;
        v.scroll = std::clamp(v.scroll, 0, std::max(0, n - in.h));
        for (int k = 0; k < in.h && v.scroll + k < n; ++k) {
            const int i = v.scroll + k;
            const ModelItem& item = c.items[static_cast<size_t>(i)];
            const bool on = c.multiSelect() ? item.selected : i == c.curSel;
            buf.put(in.x, in.y + k, on ? (c.multiSelect() ? U'*' : U'>') : U' ', dim);
            buf.text(in.x + 1, in.y + k, item.text, (on ? attr::Bold : attr::Plain) | dim,
                     in.w - 1);
            if (focused && i == caret) {
                buf.mark({in.x, in.y + k, in.w, 1}, attr::Reverse);
                buf.caretX = in.x;
                buf.caretY = in.y + k;
            }
        }
        if (focused && (caret < 0 || n == 0)) {
            buf.caretX = in.x;
            buf.caretY = in.y;
        }
        if (framed && v.scroll > 0) buf.put(r.right() - 1, r.y + 1, g.up, dim);
        if (framed && v.scroll + in.h < n) buf.put(r.right() - 1, r.bottom() - 2, g.down, dim);
        return;
    }
    case ControlKind::ScrollBar: {
        const uint8_t a = (focused ? attr::Reverse : attr::Plain) | dim;
        if (r.h >= 2) {
            buf.put(r.x, r.y, g.up, a);
            buf.put(r.x, r.bottom() - 1, g.down, a);
        } else if (r.w >= 2) {
            buf.put(r.x, r.y, g.up, a);
            buf.put(r.x + 1, r.y, g.down, a);
        } else {
            buf.put(r.x, r.y, g.updown, a);
        }
        return;
    }
    case ControlKind::AddressEdit: {
        // Four columns of three digits, the dots in fixed places: "[10 .0  .0  .5  ]".
        const AddressEdit* a = c.address.get();
        buf.put(r.x, r.y, U'[', dim);
        for (int k = 0; k < 4; ++k) {
            std::string_view digits = a != nullptr ? a->field(k) : std::string_view();
            std::u32string cell(3, U' ');
            for (size_t d = 0; d < digits.size() && d < 3; ++d)
                cell[d] = static_cast<unsigned char>(digits[d]);
            buf.text(r.x + 1 + 4 * k, r.y, cell, attr::Underline | dim, 3);
            if (k < 3) buf.put(r.x + 4 + 4 * k, r.y, U'.', attr::Underline | dim);
        }
        buf.put(r.x + 16, r.y, U']', dim);
        if (!focused || a == nullptr) return;
        auto column = [&](size_t index) {
            const std::string& t = a->fieldText();
            int field = 0, offset = 0;
            for (size_t i = 0; i < index && i < t.size(); ++i) {
                if (t[i] == '.') {
                    ++field;
                    offset = 0;
                } else if (t[i] != '\t') {
                    ++offset;
                }
            }
            return r.x + 1 + 4 * field + std::min(offset, 3);
        };
        const size_t s = a->selectionStart(), e = a->selectionEnd();
        for (size_t i = s; i < e && i < a->fieldText().size(); ++i)
            if (a->fieldText()[i] != '\t' && a->fieldText()[i] != '.')
                buf.mark({column(i), r.y, 1, 1}, attr::Reverse);
        buf.caretX = column(s == e ? s : e);
        buf.caretY = r.y;
        return;
    }
    }
}

void TerminalHost::drawDrop(CellBuffer& buf, const ModelWindow& w) {
    WindowView* view = viewOf(w);
    if (view == nullptr || view->dropped < 0) return;
    const ModelControl& c = w.controls[static_cast<size_t>(view->dropped)];
    const CellRect& r = view->layout.controls[static_cast<size_t>(view->dropped)];
    const int n = static_cast<int>(c.items.size());
    // At least ten entries, or all, where the screen has room: below the box, else above.
    const int below = rows_ - r.bottom() - 2, above = r.y - 2;
    const int want = std::max(1, std::min(n, kDropRows));
    int shown = std::min(want, std::max(below, above));
    shown = std::max(1, shown);
    CellRect d{r.x, want <= below || below >= above ? r.bottom() : r.y - shown - 2, r.w, shown + 2};
    view->dropRect = d;
    int& sel = view->dropSel;
    int& top = view->dropTop;
    if (sel >= 0 && sel < top) top = sel;
    if (sel >= top + shown) top = sel - shown + 1;
    top = std::clamp(top, 0, std::max(0, n - shown));
    buf.fill(d);
    buf.frame(d, glyphs(), attr::Bold);
    for (int k = 0; k < shown && top + k < n; ++k) {
        const int i = top + k;
        buf.put(d.x + 1, d.y + 1 + k, i == sel ? U'>' : U' ');
        buf.text(d.x + 2, d.y + 1 + k, c.items[static_cast<size_t>(i)].text,
                 i == sel ? attr::Reverse : attr::Plain, d.w - 3);
        if (i == sel) {
            buf.mark({d.x + 1, d.y + 1 + k, d.w - 2, 1}, attr::Reverse);
            buf.caretX = d.x + 1;
            buf.caretY = d.y + 1 + k;
        }
    }
    if (top > 0) buf.put(d.right() - 1, d.y + 1, glyphs().up);
    if (top + shown < n) buf.put(d.right() - 1, d.bottom() - 2, glyphs().down);
}

void TerminalHost::drawOverlay(CellBuffer& buf, Overlay& o) {
    const Glyphs& g = glyphs();
    std::u32string title = DecodeUtf8(o.title);
    const int maxWidth = std::max(10, cols_ - 4);
    if (o.help) {
        const int width = std::min(maxWidth, 72);
        const int height = std::max(5, rows_ - 2);
        o.rect = {(cols_ - width) / 2, (rows_ - height) / 2, width, height};
        std::vector<std::u32string> lines = WrapText(o.text, width - 4);
        o.lineCount = static_cast<int>(lines.size());
        o.pageRows = std::max(1, height - 2);
        o.top = std::clamp(o.top, 0, std::max(0, o.lineCount - o.pageRows));
        buf.fill(o.rect);
        buf.frame(o.rect, g, attr::Bold);
        std::u32string t = U" " + title + U" ";
        const int tw = std::min<int>(static_cast<int>(t.size()), width - 2);
        buf.text(o.rect.x + (width - tw) / 2, o.rect.y, t, attr::Bold, tw);
        for (int k = 0; k < o.pageRows && o.top + k < o.lineCount; ++k)
            buf.text(o.rect.x + 2, o.rect.y + 1 + k, lines[static_cast<size_t>(o.top + k)],
                     attr::Plain, width - 4);
        if (o.top > 0) buf.put(o.rect.right() - 1, o.rect.y + 1, g.up);
        if (o.top + o.pageRows < o.lineCount)
            buf.put(o.rect.right() - 1, o.rect.bottom() - 2, g.down);
        const std::u32string foot = U" Esc: close ";
        buf.text(o.rect.right() - 2 - static_cast<int>(foot.size()), o.rect.bottom() - 1, foot,
                 attr::Plain, static_cast<int>(foot.size()));
        buf.caretX = buf.caretY = -1;
        return;
    }
    // A message box: the icon's word, the text, the style's buttons in a row.
    const int iconWidth = o.icon.empty() ? 0 : static_cast<int>(o.icon.size()) + 2;
    std::vector<std::u32string> lines = WrapText(o.text, std::min(56, maxWidth - 4 - iconWidth));
    int textWidth = 0;
    for (const auto& l : lines)
        textWidth = std::max(textWidth, static_cast<int>(l.size()));
    std::vector<std::u32string> labels;
    int buttonsWidth = 0;
    for (const BoxButton& b : o.buttons) {
        int at = 0;
        labels.push_back(buttonText(labelOf(b.label, true).text, false, 100, at));
        buttonsWidth += static_cast<int>(labels.back().size()) + 2;
    }
    const int width = std::min(maxWidth, std::max({iconWidth + textWidth + 4, buttonsWidth + 2,
                                                   static_cast<int>(title.size()) + 6, 24}));
    const int height = std::min(rows_, static_cast<int>(lines.size()) + 4);
    o.rect = {(cols_ - width) / 2, (rows_ - height) / 2, width, height};
    buf.fill(o.rect);
    buf.frame(o.rect, g, attr::Bold);
    std::u32string t = U" " + title + U" ";
    const int tw = std::min<int>(static_cast<int>(t.size()), width - 2);
    buf.text(o.rect.x + (width - tw) / 2, o.rect.y, t, attr::Bold, tw);
    if (!o.icon.empty()) buf.text(o.rect.x + 2, o.rect.y + 1, o.icon, attr::Bold, iconWidth);
    for (size_t k = 0; k < lines.size() && static_cast<int>(k) + 4 < height; ++k)
        buf.text(o.rect.x + 2 + iconWidth, o.rect.y + 1 + static_cast<int>(k), lines[k],
                 attr::Plain, width - 4 - iconWidth);
    int x = o.rect.x + (width - buttonsWidth + 2) / 2;
    const int y = o.rect.bottom() - 2;
    o.buttonRects.clear();
    for (size_t i = 0; i < labels.size(); ++i) {
        const int w = static_cast<int>(labels[i].size());
        const bool focused = static_cast<int>(i) == o.focus;
        buf.text(x, y, labels[i], focused ? attr::Reverse : attr::Plain, w);
        buf.mark({x + 2, y, 1, 1}, attr::Underline | attr::Bold);
        o.buttonRects.push_back({x, y, w, 1});
        if (focused) {
            buf.caretX = x + 2;
            buf.caretY = y;
        }
        x += w + 2;
    }
}

void TerminalHost::drawLogo(CellBuffer& buf) {
    const std::u32string title = DecodeUtf8(logo_->title), version = DecodeUtf8(logo_->version);
    const int width = std::min(
        cols_,
        std::max({static_cast<int>(title.size()), static_cast<int>(version.size()), 30}) + 6);
    const CellRect r{(cols_ - width) / 2, (rows_ - 7) / 2, width, 7};
    buf.fill(r);
    buf.frame(r, glyphs(), attr::Bold);
    buf.text(r.x + (width - static_cast<int>(title.size())) / 2, r.y + 2, title, attr::Bold,
             width - 2);
    buf.text(r.x + (width - static_cast<int>(version.size())) / 2, r.y + 4, version, attr::Plain,
             width - 2);
}

} // namespace lntc::tui
