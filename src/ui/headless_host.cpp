#include "ui/headless_host.h"

#include "ui/list_rules.h"

#include <algorithm>
#include <stdexcept>

namespace lntc {

namespace {

const char* notifyName(Notify n) {
    switch (n) {
    case Notify::Clicked:
        return "click";
    case Notify::DoubleClicked:
        return "dblclk";
    case Notify::EditChange:
        return "change";
    case Notify::SelChange:
        return "selchange";
    case Notify::DropDown:
        return "dropdown";
    case Notify::CloseUp:
        return "closeup";
    }
    return "?";
}

bool isButton(ControlKind k) {
    return k == ControlKind::PushButton || k == ControlKind::DefPushButton ||
           k == ControlKind::CheckBox || k == ControlKind::RadioButton;
}

bool isPush(ControlKind k) {
    return k == ControlKind::PushButton || k == ControlKind::DefPushButton;
}

bool multiSel(const HeadlessControl& c) {
    return c.kind == ControlKind::ListBox && (c.style & (cs::ExtendedSel | cs::MultiSel));
}

// Boxes nest only through handlers that show boxes while a box is up; this deep is a loop.
constexpr int kMaxBoxDepth = 16;

bool answerFits(uint32_t style, int button) {
    switch (style & mb::TypeMask) {
    case mb::Ok:
        return button == id::Ok;
    case mb::OkCancel:
        return button == id::Ok || button == id::Cancel;
    case mb::AbortRetryIgnore:
        return button == id::Abort || button == id::Retry || button == id::Ignore;
    case mb::YesNoCancel:
        return button == id::Yes || button == id::No || button == id::Cancel;
    case mb::YesNo:
        return button == id::Yes || button == id::No;
    case mb::RetryCancel:
        return button == id::Retry || button == id::Cancel;
    default:
        return false;
    }
}

} // namespace

bool HeadlessControl::focusable() const {
    return enabled && visible && kind != ControlKind::Static && kind != ControlKind::GroupBox &&
           kind != ControlKind::Picture;
}

const HeadlessControl* HeadlessWindow::find(int id) const {
    for (const auto& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

HeadlessControl* HeadlessWindow::find(int id) {
    for (auto& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

const HeadlessControl& HeadlessWindow::at(int id) const {
    if (const HeadlessControl* c = find(id)) return *c;
    throw std::out_of_range("dialog " + std::to_string(templateId) + " has no control " +
                            std::to_string(id));
}

std::vector<std::string> HeadlessWindow::itemTexts(int id) const {
    std::vector<std::string> out;
    for (const auto& i : at(id).items)
        out.push_back(i.text);
    return out;
}

// --- scripts ---------------------------------------------------------------------------

DialogScript& DialogScript::add(Step s) {
    steps_.push_back(std::move(s));
    return *this;
}
DialogScript& DialogScript::type(int id, std::string text) {
    return add({Kind::Type, id, -1, std::move(text), {}, {}, {}});
}
DialogScript& DialogScript::click(int id) {
    return add({Kind::Click, id, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::setChecked(int id, bool on) {
    return add({Kind::SetChecked, id, on ? 1 : 0, {}, {}, {}, {}});
}
DialogScript& DialogScript::select(int id, int index) {
    return add({Kind::SelectIndex, id, index, {}, {}, {}, {}});
}
DialogScript& DialogScript::select(int id, std::string text) {
    return add({Kind::SelectText, id, -1, std::move(text), {}, {}, {}});
}
DialogScript& DialogScript::selectItems(int id, std::vector<int> indexes) {
    return add({Kind::SelectItems, id, -1, {}, std::move(indexes), {}, {}});
}
DialogScript& DialogScript::doubleClick(int id, int index) {
    return add({Kind::DoubleClick, id, index, {}, {}, {}, {}});
}
DialogScript& DialogScript::dropDown(int id) {
    return add({Kind::DropDown, id, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::focus(int id) {
    return add({Kind::Focus, id, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::scroll(int id, Scroll code) {
    return add({Kind::Scroll, id, -1, {}, {}, code, {}});
}
DialogScript& DialogScript::enter() {
    return add({Kind::Enter, 0, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::escape() {
    return add({Kind::Escape, 0, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::closeBox() {
    return add({Kind::CloseBox, 0, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::f1() {
    return add({Kind::F1, 0, -1, {}, {}, {}, {}});
}
DialogScript& DialogScript::then(std::function<void(const HeadlessWindow&)> fn) {
    return add({Kind::Then, 0, -1, {}, {}, {}, std::move(fn)});
}

// --- host ------------------------------------------------------------------------------

struct HeadlessHost::Open : HeadlessWindow {
    DialogEvents* events = nullptr;
    int pressed = 0; // the button being clicked; a focus loss cancels the click
};

HeadlessHost::HeadlessHost() = default;
HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::error(const std::string& message) {
    scriptErrors.push_back(message);
    trace.push_back("error " + message);
    if (onScriptError) onScriptError(message);
}

DialogScript& HeadlessHost::script(uint16_t templateId) {
    auto& queue = scripts_[templateId];
    queue.emplace_back();
    return queue.back();
}

void HeadlessHost::answer(int button, std::function<void(const HeadlessBox&)> during) {
    answers_.push_back({std::string(), button, std::move(during)});
}

void HeadlessHost::answerWhen(std::string textPart, int button,
                              std::function<void(const HeadlessBox&)> during) {
    answers_.push_back({std::move(textPart), button, std::move(during)});
}

const HeadlessWindow* HeadlessHost::openWindow(uint16_t templateId) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if ((*it)->templateId == templateId) return it->get();
    return nullptr;
}

const HeadlessDialogRecord* HeadlessHost::closed(uint16_t templateId, size_t n) const {
    for (const auto& d : dialogs)
        if (d.window.templateId == templateId && n-- == 0) return &d;
    return nullptr;
}

HeadlessHost::Open* HeadlessHost::openOf(WindowRef window) const {
    for (const auto& w : stack_)
        if (w.get() == window) return w.get();
    return nullptr;
}

HeadlessControl* HeadlessHost::ctl(WindowRef window, int id) {
    Open* w = openOf(window);
    return w != nullptr ? w->find(id) : nullptr;
}

void HeadlessHost::notifyFocus(Open& w, int id, bool gained) {
    if (!gained && w.pressed == id) w.pressed = 0;
    trace.push_back(std::string(gained ? "focus+ " : "focus- ") + std::to_string(id));
    w.events->dispatchFocus(id, gained);
}

void HeadlessHost::focusTo(Open& w, int id) {
    int previous = w.focus;
    if (previous == id) return;
    w.focus = id;
    if (previous != 0) notifyFocus(w, previous, false);
    if (w.focus != id) return; // the kill-focus handler moved it elsewhere
    if (id != 0) notifyFocus(w, id, true);
}

int HeadlessHost::takeFocus(Open* w) {
    if (w == nullptr) return 0;
    int saved = w->focus;
    if (saved != 0) {
        w->focus = 0;
        notifyFocus(*w, saved, false);
    }
    return saved;
}

void HeadlessHost::giveFocus(Open* w, int saved) {
    if (w == nullptr || openOf(w) == nullptr || w->focus != 0) return;
    const HeadlessControl* c = w->find(saved);
    int target = c != nullptr && c->focusable() ? saved : firstTabStop(*w);
    if (target != 0) focusTo(*w, target);
}

int HeadlessHost::firstTabStop(const Open& w) const {
    for (const auto& c : w.controls)
        if (c.focusable() && (c.style & cs::TabStop)) return c.id;
    for (const auto& c : w.controls)
        if (c.focusable()) return c.id;
    return 0;
}

void HeadlessHost::command(Open& w, int id, Notify code) {
    trace.push_back(std::string(notifyName(code)) + " " + std::to_string(id));
    w.events->dispatchCommand(id, code);
}

HeadlessHost::Open& HeadlessHost::create(DialogEvents& events, const DialogTemplate& t,
                                         bool modal) {
    Open* previous = stack_.empty() ? nullptr : stack_.back().get();
    if (previous != nullptr) previous->savedFocus = takeFocus(previous);
    auto w = std::make_unique<Open>();
    w->events = &events;
    w->templateId = t.id;
    w->title = t.title != nullptr ? t.title : "";
    w->style = t.style;
    w->modal = modal;
    // Dialog units of the default font in pixels.
    w->cx = t.cx * 6 / 4;
    w->cy = t.cy * 13 / 8;
    for (const ControlTemplate& ct : t.controls) {
        HeadlessControl c;
        c.id = ct.id;
        c.kind = ct.kind;
        c.style = ct.style;
        c.text = ct.caption != nullptr ? ct.caption : "";
        c.enabled = !(ct.style & cs::Disabled);
        c.visible = !(ct.style & cs::Hidden);
        if (ct.kind == ControlKind::DefPushButton && w->defaultButton == 0)
            w->defaultButton = ct.id;
        w->controls.push_back(std::move(c));
    }
    stack_.push_back(std::move(w));
    Open& opened = *stack_.back();
    trace.push_back((modal ? "open " : "create ") + std::to_string(t.id));
    if (events.dispatchInit(&opened) && openOf(&opened) != nullptr) {
        int first = firstTabStop(opened);
        if (first != 0) focusTo(opened, first);
    }
    return opened;
}

void HeadlessHost::close(Open* w) {
    auto it = std::find_if(stack_.begin(), stack_.end(),
                           [&](const std::unique_ptr<Open>& p) { return p.get() == w; });
    if (it == stack_.end()) return;
    bool wasActive = std::next(it) == stack_.end();
    trace.push_back("end " + std::to_string(w->templateId) + " " + std::to_string(w->endCode));
    dialogs.push_back({static_cast<const HeadlessWindow&>(*w), w->modal});
    stack_.erase(it);
    if (wasActive && !stack_.empty()) giveFocus(stack_.back().get(), stack_.back()->savedFocus);
}

int HeadlessHost::runModal(DialogEvents& events, const DialogTemplate& t, WindowRef) {
    Open& w = create(events, t, true);
    auto found = scripts_.find(t.id);
    if (found == scripts_.end() || found->second.empty()) {
        if (!w.ended) {
            error("dialog " + std::to_string(t.id) + " opened without a script");
            w.ended = true;
            w.endCode = id::Cancel;
        }
    } else {
        DialogScript script = std::move(found->second.front());
        found->second.pop_front();
        for (const auto& step : script.steps()) {
            if (w.ended) break;
            if (!runStep(w, step)) {
                w.ended = true;
                w.endCode = id::Cancel;
                break;
            }
        }
        if (!w.ended) {
            error("the script of dialog " + std::to_string(t.id) + " ended with the dialog open");
            w.ended = true;
            w.endCode = id::Cancel;
        }
    }
    int code = w.endCode;
    close(&w);
    return code;
}

void HeadlessHost::endModal(WindowRef window, int code) {
    Open* w = openOf(window);
    if (w == nullptr || !w->modal || w->ended) return;
    w->ended = true;
    w->endCode = code;
}

WindowRef HeadlessHost::createModeless(DialogEvents& events, const DialogTemplate& t, WindowRef) {
    return &create(events, t, false);
}

void HeadlessHost::destroyWindow(WindowRef window) {
    Open* w = openOf(window);
    if (w != nullptr && !w->modal) close(w);
}

void HeadlessHost::setTitle(WindowRef window, const std::string& title) {
    if (Open* w = openOf(window)) w->title = title;
}

std::string HeadlessHost::title(WindowRef window) {
    Open* w = openOf(window);
    return w != nullptr ? w->title : std::string();
}

Rect HeadlessHost::windowRect(WindowRef window) {
    Open* w = openOf(window);
    return w != nullptr ? Rect{w->x, w->y, w->cx, w->cy} : Rect{};
}

void HeadlessHost::placeWindow(WindowRef window, int x, int y, bool topmost) {
    if (Open* w = openOf(window)) {
        w->x = x;
        w->y = y;
        w->topmost = topmost;
    }
}

// --- control state ---------------------------------------------------------------------

void HeadlessHost::setText(WindowRef window, int id, const std::string& text) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return;
    if (c->kind == ControlKind::ComboBox) {
        if (c->isEditableCombo()) c->text = text; // a drop-down list has no text of its own
        return;
    }
    c->text = text;
    // An edit reports programmatic changes too; the dialog ignores them while exchanging data.
    if (c->kind == ControlKind::Edit) command(*openOf(window), id, Notify::EditChange);
}

std::string HeadlessHost::text(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return {};
    if (c->kind == ControlKind::ComboBox && !c->isEditableCombo())
        return c->curSel >= 0 ? c->items[c->curSel].text : std::string();
    return c->text;
}

void HeadlessHost::limitText(WindowRef window, int id, int maxChars) {
    if (HeadlessControl* c = ctl(window, id)) c->limit = maxChars;
}

void HeadlessHost::selectAllText(WindowRef window, int id) {
    if (HeadlessControl* c = ctl(window, id)) c->textSelected = true;
}

void HeadlessHost::enable(WindowRef window, int id, bool on) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return;
    c->enabled = on;
    Open* w = openOf(window);
    if (!on && w->focus == id) focusTo(*w, 0); // a disabled control cannot keep the focus
}

bool HeadlessHost::isEnabled(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr && c->enabled;
}

void HeadlessHost::show(WindowRef window, int id, bool on) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return;
    c->visible = on;
    Open* w = openOf(window);
    if (!on && w->focus == id) focusTo(*w, 0);
}

bool HeadlessHost::isVisible(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr && c->visible;
}

void HeadlessHost::setCheck(WindowRef window, int id, int state) {
    if (HeadlessControl* c = ctl(window, id)) c->check = state;
}

int HeadlessHost::check(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr ? c->check : 0;
}

int HeadlessHost::itemCount(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr ? static_cast<int>(c->items.size()) : 0;
}

std::string HeadlessHost::itemText(WindowRef window, int id, int index) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
    return c->items[index].text;
}

int HeadlessHost::insertItem(WindowRef window, int id, int index, const std::string& text) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return -1;
    int count = static_cast<int>(c->items.size());
    if (index < 0 || index > count) index = count;
    c->items.insert(c->items.begin() + index, HeadlessItem{text, 0, false});
    if (c->curSel >= index) ++c->curSel;
    return index;
}

int HeadlessHost::deleteItem(WindowRef window, int id, int index) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return -1;
    c->items.erase(c->items.begin() + index);
    if (c->curSel == index)
        c->curSel = -1;
    else if (c->curSel > index)
        --c->curSel;
    return static_cast<int>(c->items.size());
}

void HeadlessHost::resetItems(WindowRef window, int id) {
    if (HeadlessControl* c = ctl(window, id)) {
        c->items.clear();
        c->curSel = -1;
        if (c->kind == ControlKind::ComboBox && !c->isEditableCombo()) c->text.clear();
    }
}

int HeadlessHost::curSel(WindowRef window, int id) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr ? c->curSel : -1;
}

void HeadlessHost::setCurSel(WindowRef window, int id, int index) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr) return;
    c->curSel = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
    if (c->isEditableCombo()) c->text = c->curSel >= 0 ? c->items[c->curSel].text : std::string();
}

bool HeadlessHost::isSelected(WindowRef window, int id, int index) {
    HeadlessControl* c = ctl(window, id);
    return c != nullptr && index >= 0 && index < static_cast<int>(c->items.size()) &&
           c->items[index].selected;
}

void HeadlessHost::setSelected(WindowRef window, int id, int index, bool on) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return;
    c->items[index].selected = on;
    if (on) c->curSel = index; // the caret follows the last selected item
}

uintptr_t HeadlessHost::itemData(WindowRef window, int id, int index) {
    HeadlessControl* c = ctl(window, id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return 0;
    return c->items[index].data;
}

void HeadlessHost::setItemData(WindowRef window, int id, int index, uintptr_t data) {
    HeadlessControl* c = ctl(window, id);
    if (c != nullptr && index >= 0 && index < static_cast<int>(c->items.size()))
        c->items[index].data = data;
}

void HeadlessHost::setFocus(WindowRef window, int id) {
    Open* w = openOf(window);
    if (w == nullptr) return;
    const HeadlessControl* c = w->find(id);
    if (c == nullptr || !c->focusable()) return;
    // Only the active window holds the focus; the others remember it for later.
    if (w != stack_.back().get()) {
        w->savedFocus = id;
        return;
    }
    focusTo(*w, id);
}

FocusTarget HeadlessHost::focus(WindowRef window) {
    Open* w = openOf(window);
    if (w == nullptr || w->focus == 0) return {};
    const HeadlessControl* c = w->find(w->focus);
    return {w->focus, c != nullptr && c->isEditableCombo()};
}

void HeadlessHost::setDefaultButton(WindowRef window, int id) {
    if (Open* w = openOf(window)) w->defaultButton = id;
}

int HeadlessHost::defaultButton(WindowRef window) {
    Open* w = openOf(window);
    return w != nullptr ? w->defaultButton : 0;
}

void HeadlessHost::showHelp(WindowRef, const std::string& file, uint32_t command, uint32_t data) {
    helps.push_back({file, command, data});
    trace.push_back("help " + std::to_string(data));
}

void HeadlessHost::beginWaitCursor() {
    ++waitCursorDepth;
    ++waitCursorShows;
}

void HeadlessHost::endWaitCursor() {
    if (waitCursorDepth > 0) --waitCursorDepth;
}

// --- message boxes ---------------------------------------------------------------------

int HeadlessHost::messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                             uint32_t style) {
    Open* ownerWindow = openOf(owner);
    HeadlessBox box{owner, ownerWindow != nullptr ? ownerWindow->templateId : uint16_t(0),
                    text,  caption,
                    style, safeAnswer(style)};
    trace.push_back("box " + text);
    if (boxDepth_ >= kMaxBoxDepth) {
        error("message boxes nest endlessly: " + text);
        boxes.push_back(box);
        return box.answer;
    }
    ++boxDepth_;
    Open* active = stack_.empty() ? nullptr : stack_.back().get();
    int saved = takeFocus(active);

    auto pick = std::find_if(answers_.begin(), answers_.end(), [&](const Answer& a) {
        return !a.match.empty() && text.find(a.match) != std::string::npos;
    });
    if (pick == answers_.end())
        pick = std::find_if(answers_.begin(), answers_.end(),
                            [](const Answer& a) { return a.match.empty(); });
    std::function<void(const HeadlessBox&)> during;
    if (pick != answers_.end()) {
        if (answerFits(style, pick->button))
            box.answer = pick->button;
        else
            error("answer " + std::to_string(pick->button) + " is no button of the box \"" + text +
                  "\"");
        during = std::move(pick->during);
        answers_.erase(pick);
    }
    boxes.push_back(box);
    if (during) during(box);

    giveFocus(active, saved);
    --boxDepth_;
    return box.answer;
}

// --- the user --------------------------------------------------------------------------

bool HeadlessHost::userCan(Open& w, int id, const char* what, HeadlessControl*& c) {
    c = w.find(id);
    std::string where =
        std::string(what) + " " + std::to_string(id) + " in dialog " + std::to_string(w.templateId);
    if (c == nullptr) {
        error("cannot " + where + ": no such control");
        return false;
    }
    if (!c->visible || !c->enabled) {
        error("cannot " + where + ": the control is " + (c->visible ? "disabled" : "hidden"));
        return false;
    }
    return true;
}

void HeadlessHost::selectItem(Open& w, HeadlessControl& c, int index) {
    if (multiSel(c)) {
        for (auto& item : c.items)
            item.selected = false;
        c.items[index].selected = true;
        c.curSel = index;
    } else {
        c.curSel = index;
        if (c.kind == ControlKind::ComboBox) c.text = c.items[index].text;
    }
    command(w, c.id, Notify::SelChange);
}

bool HeadlessHost::runStep(Open& w, const DialogScript::Step& s) {
    using K = DialogScript::Kind;
    HeadlessControl* c = nullptr;
    auto focusOn = [&](int id) {
        focusTo(w, id);
        return openOf(&w) != nullptr;
    };
    switch (s.kind) {
    case K::Type: {
        if (!userCan(w, s.id, "type into", c)) return false;
        bool editable =
            (c->kind == ControlKind::Edit && !(c->style & cs::ReadOnly)) || c->isEditableCombo();
        if (!editable) {
            error("cannot type into " + std::to_string(s.id) + ": it takes no typing");
            return false;
        }
        focusOn(s.id);
        c = w.find(s.id);
        c->text = c->limit > 0 && static_cast<int>(s.text.size()) > c->limit
                      ? s.text.substr(0, c->limit)
                      : s.text;
        c->textSelected = false;
        if (c->kind == ControlKind::ComboBox) c->curSel = -1;
        command(w, s.id, Notify::EditChange);
        return true;
    }
    case K::SetChecked:
        if (!userCan(w, s.id, "check", c)) return false;
        if ((c->check == 1) == (s.index == 1)) return true;
        [[fallthrough]];
    case K::Click: {
        if (!userCan(w, s.id, "click", c)) return false;
        if (!isButton(c->kind)) {
            error("cannot click " + std::to_string(s.id) + ": it is no button");
            return false;
        }
        w.pressed = s.id;
        focusOn(s.id);
        if (w.pressed != s.id) { // a box or a focus move took the focus on the way
            trace.push_back("lost click " + std::to_string(s.id));
            return true;
        }
        w.pressed = 0;
        c = w.find(s.id);
        if (c->kind == ControlKind::CheckBox) {
            c->check = c->check == 1 ? 0 : 1;
        } else if (c->kind == ControlKind::RadioButton) {
            // An automatic radio button clears the others of its group.
            auto self = std::find_if(w.controls.begin(), w.controls.end(),
                                     [&](const HeadlessControl& x) { return x.id == s.id; });
            auto first = self;
            while (first != w.controls.begin() && !(first->style & cs::Group) &&
                   std::prev(first)->kind == ControlKind::RadioButton)
                --first;
            for (auto it = first; it != w.controls.end() && it->kind == ControlKind::RadioButton;
                 ++it) {
                if (it != first && (it->style & cs::Group)) break;
                it->check = 0;
            }
            self->check = 1;
        }
        command(w, s.id, Notify::Clicked);
        return true;
    }
    case K::SelectIndex:
    case K::SelectText:
    case K::DoubleClick: {
        if (!userCan(w, s.id, "select in", c)) return false;
        if (c->kind != ControlKind::ListBox && c->kind != ControlKind::ComboBox) {
            error("cannot select in " + std::to_string(s.id) + ": it is no list");
            return false;
        }
        int index = s.index;
        if (s.kind == K::SelectText) {
            const HeadlessControl* list = c;
            index = findItem(
                static_cast<int>(list->items.size()), [&](int i) { return list->items[i].text; },
                -1, s.text, true);
        }
        if (index < 0 || index >= static_cast<int>(c->items.size())) {
            error("cannot select \"" + s.text + "\" (" + std::to_string(s.index) + ") in " +
                  std::to_string(s.id) + ": no such item");
            return false;
        }
        focusOn(s.id);
        c = w.find(s.id);
        selectItem(w, *c, index);
        if (s.kind == K::DoubleClick && c->kind == ControlKind::ListBox)
            command(w, s.id, Notify::DoubleClicked);
        return true;
    }
    case K::SelectItems: {
        if (!userCan(w, s.id, "select in", c)) return false;
        if (!multiSel(*c)) {
            error("cannot select several items in " + std::to_string(s.id));
            return false;
        }
        for (int i : s.indexes)
            if (i < 0 || i >= static_cast<int>(c->items.size())) {
                error("no item " + std::to_string(i) + " in " + std::to_string(s.id));
                return false;
            }
        focusOn(s.id);
        c = w.find(s.id);
        for (auto& item : c->items)
            item.selected = false;
        for (int i : s.indexes) {
            c->items[i].selected = true;
            c->curSel = i;
        }
        command(w, s.id, Notify::SelChange);
        return true;
    }
    case K::DropDown:
        if (!userCan(w, s.id, "drop down", c)) return false;
        if (c->kind != ControlKind::ComboBox) {
            error("cannot drop down " + std::to_string(s.id) + ": it is no combo box");
            return false;
        }
        focusOn(s.id);
        command(w, s.id, Notify::DropDown);
        return true;
    case K::Focus:
        if (!userCan(w, s.id, "focus", c)) return false;
        if (!c->focusable()) {
            error("cannot focus " + std::to_string(s.id));
            return false;
        }
        focusOn(s.id);
        return true;
    case K::Scroll:
        if (!userCan(w, s.id, "scroll", c)) return false;
        if (c->kind != ControlKind::ScrollBar) {
            error("cannot scroll " + std::to_string(s.id) + ": it is no scroll bar");
            return false;
        }
        trace.push_back("scroll " + std::to_string(s.id));
        w.events->dispatchScroll(s.id, s.scroll);
        return true;
    case K::Enter: {
        // A focused push button is the default for the moment; otherwise the default
        // button, which does nothing while disabled; without one, OK.
        const HeadlessControl* f = w.find(w.focus);
        if (f != nullptr && isPush(f->kind)) {
            command(w, f->id, Notify::Clicked);
        } else if (w.defaultButton != 0) {
            const HeadlessControl* d = w.find(w.defaultButton);
            if (d == nullptr || d->enabled) command(w, w.defaultButton, Notify::Clicked);
        } else {
            command(w, ctl::Ok, Notify::Clicked);
        }
        return true;
    }
    case K::Escape:
        command(w, ctl::Cancel, Notify::Clicked);
        return true;
    case K::CloseBox: {
        if (!(w.style & ds::SysMenu)) {
            error("dialog " + std::to_string(w.templateId) + " has no close box");
            return false;
        }
        const HeadlessControl* cancel = w.find(ctl::Cancel);
        if (cancel == nullptr || cancel->enabled) command(w, ctl::Cancel, Notify::Clicked);
        return true;
    }
    case K::F1:
        trace.push_back("f1");
        w.events->dispatchHelpRequest();
        return true;
    case K::Then:
        if (s.fn) s.fn(w);
        return true;
    }
    return true;
}

} // namespace lntc
