#include "ui/window_model.h"

#include "ui/list_rules.h"

#include <algorithm>
#include <stdexcept>

namespace lntc {

bool BoxHasButton(uint32_t style, int button) {
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

namespace {

// Boxes nest only through handlers that show boxes while a box is up; this deep is a loop.
constexpr int kMaxBoxDepth = 16;

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

bool validIndex(const ModelControl& c, int index) {
    return index >= 0 && index < static_cast<int>(c.items.size());
}

} // namespace

// --- windows and controls --------------------------------------------------------------

std::vector<std::string> ModelControl::itemTexts() const {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.text);
    return out;
}

const ModelControl* ModelWindow::find(int id) const {
    for (const auto& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

ModelControl* ModelWindow::find(int id) {
    for (auto& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

const ModelControl& ModelWindow::at(int id) const {
    if (const ModelControl* c = find(id)) return *c;
    throw std::out_of_range("dialog " + std::to_string(templateId) + " has no control " +
                            std::to_string(id));
}

int ModelWindow::firstTabStop() const {
    for (const auto& c : controls)
        if (c.focusable() && (c.style & cs::TabStop)) return c.id;
    for (const auto& c : controls)
        if (c.focusable()) return c.id;
    return 0;
}

int ModelWindow::nextTabStop(int from, bool forward) const {
    const int n = static_cast<int>(controls.size());
    int start = forward ? -1 : n;
    for (int i = 0; i < n; ++i)
        if (controls[i].id == from) start = i;
    for (int k = 1; k <= n; ++k) {
        int i = ((start + (forward ? k : -k)) % n + n) % n;
        if (controls[i].focusable() && (controls[i].style & cs::TabStop)) return controls[i].id;
    }
    return 0;
}

std::vector<ModelControl*> ModelWindow::radioGroupOf(int id) {
    std::vector<ModelControl*> group;
    auto self = std::find_if(controls.begin(), controls.end(),
                             [&](const ModelControl& c) { return c.id == id; });
    if (self == controls.end() || self->kind != ControlKind::RadioButton) return group;
    auto first = self;
    while (first != controls.begin() && !(first->style & cs::Group) &&
           std::prev(first)->kind == ControlKind::RadioButton)
        --first;
    for (auto it = first; it != controls.end() && it->kind == ControlKind::RadioButton; ++it) {
        if (it != first && (it->style & cs::Group)) break;
        group.push_back(&*it);
    }
    return group;
}

// The address control's logic reports to the model, which passes it on.
class WindowModel::AddressLink : public AddressEditEvents {
  public:
    AddressLink(WindowModel& model, ModelWindow& window, int id)
        : model_(model), window_(window), id_(id) {}
    long notifyBadInput() override {
        model_.toolkit_.note("notify " + std::to_string(id_));
        return window_.events != nullptr ? window_.events->dispatchControlNotify(
                                               id_, static_cast<uint16_t>(kBadInputNotification))
                                         : 0;
    }
    void beep() override { model_.toolkit_.beep(); }
    void invalidAddressByte() override {
        if (window_.events != nullptr) window_.events->dispatchInvalidAddressByte(id_);
    }
    void textChanged() override { changed(Changed::Text); }
    void selectionChanged(bool) override { changed(Changed::TextSelection); }

  private:
    void changed(Changed what) {
        // The control reports its first text while it is being built.
        if (ModelControl* c = window_.find(id_); c != nullptr && c->address)
            model_.mirror(window_, c, what);
    }
    WindowModel& model_;
    ModelWindow& window_;
    int id_;
};

WindowModel::WindowModel(Toolkit& toolkit) : toolkit_(toolkit) {}
WindowModel::~WindowModel() = default;

ModelWindow* WindowModel::find(WindowRef window) const {
    for (const auto& w : stack_)
        if (w.get() == window) return w.get();
    return nullptr;
}

ModelControl* WindowModel::control(WindowRef window, int id) const {
    ModelWindow* w = find(window);
    return w != nullptr ? w->find(id) : nullptr;
}

void WindowModel::notifyFocus(ModelWindow& w, int id, bool gained) {
    if (!gained && w.pressed == id) w.pressed = 0;
    toolkit_.note(std::string(gained ? "focus+ " : "focus- ") + std::to_string(id));
    if (w.events != nullptr) w.events->dispatchFocus(id, gained);
}

void WindowModel::command(ModelWindow& w, int id, Notify code) {
    toolkit_.note(std::string(notifyName(code)) + " " + std::to_string(id));
    if (w.events != nullptr) w.events->dispatchCommand(id, code);
}

void WindowModel::focusTo(ModelWindow& w, int id) {
    int previous = w.focus;
    if (previous == id) return;
    w.focus = id;
    if (previous != 0) notifyFocus(w, previous, false);
    if (w.focus != id || !isOpen(w)) return; // the kill-focus handler moved it elsewhere
    if (id != 0) notifyFocus(w, id, true);
    if (w.focus == id && isOpen(w)) mirror(w, nullptr, Changed::Focus);
}

int WindowModel::takeFocus(ModelWindow* w) {
    if (w == nullptr) return 0;
    int saved = w->focus;
    if (saved != 0) {
        w->focus = 0;
        notifyFocus(*w, saved, false);
    }
    return saved;
}

void WindowModel::giveFocus(ModelWindow* w, int saved) {
    if (w == nullptr || !isOpen(*w) || w->focus != 0) return;
    const ModelControl* c = w->find(saved);
    int target = c != nullptr && c->focusable() ? saved : w->firstTabStop();
    if (target != 0) focusTo(*w, target);
}

ModelWindow* WindowModel::openWindow(DialogEvents& events, const DialogTemplate& t,
                                     WindowRef parent, bool modal) {
    auto owned = std::make_unique<ModelWindow>();
    ModelWindow& w = *owned;
    w.events = &events;
    w.templateId = t.id;
    w.title = t.title != nullptr ? t.title : "";
    w.style = t.style;
    w.modal = modal;
    w.controls.reserve(t.controls.size());
    for (const ControlTemplate& ct : t.controls) {
        ModelControl c;
        c.id = ct.id;
        c.kind = ct.kind;
        c.style = ct.style;
        c.text = ct.caption != nullptr ? ct.caption : "";
        c.enabled = !(ct.style & cs::Disabled);
        c.visible = !(ct.style & cs::Hidden);
        if (ct.kind == ControlKind::DefPushButton && w.defaultButton == 0) w.defaultButton = ct.id;
        w.controls.push_back(std::move(c));
    }
    for (ModelControl& c : w.controls) {
        if (c.kind != ControlKind::AddressEdit) continue;
        c.addressLink = std::make_unique<AddressLink>(*this, w, c.id);
        c.address = std::make_unique<AddressEdit>(c.addressLink.get());
    }
    if (!toolkit_.buildWindow(w, t, find(parent))) return nullptr;

    if (ModelWindow* previous = active()) previous->savedFocus = takeFocus(previous);
    stack_.push_back(std::move(owned));
    toolkit_.note((modal ? "open " : "create ") + std::to_string(t.id));
    if (events.dispatchInit(&w) && isOpen(w)) {
        int first = w.firstTabStop();
        if (first != 0) focusTo(w, first);
    }
    if (!isOpen(w)) return nullptr;
    toolkit_.showWindow(w);
    return &w;
}

void WindowModel::close(ModelWindow* w) {
    auto it = std::find_if(stack_.begin(), stack_.end(),
                           [&](const std::unique_ptr<ModelWindow>& p) { return p.get() == w; });
    if (it == stack_.end()) return;
    bool wasActive = std::next(it) == stack_.end();
    std::unique_ptr<ModelWindow> owned = std::move(*it);
    stack_.erase(it);
    toolkit_.note("end " + std::to_string(owned->templateId) + " " +
                  std::to_string(owned->endCode));
    owned->events = nullptr; // the dialog may go before the toolkit lets go of the window
    toolkit_.windowClosed(std::move(owned));
    if (wasActive && !stack_.empty()) giveFocus(stack_.back().get(), stack_.back()->savedFocus);
}

int WindowModel::runModal(DialogEvents& events, const DialogTemplate& t, WindowRef parent) {
    ModelWindow* w = openWindow(events, t, parent, true);
    if (w == nullptr) return -1;
    if (!w->ended) toolkit_.runModalLoop(*w);
    int code = w->endCode;
    close(w);
    return code;
}

void WindowModel::endModal(WindowRef window, int code) {
    ModelWindow* w = find(window);
    if (w == nullptr || !w->modal || w->ended) return;
    w->ended = true;
    w->endCode = code;
    toolkit_.modalEnded(*w);
}

WindowRef WindowModel::createModeless(DialogEvents& events, const DialogTemplate& t,
                                      WindowRef parent) {
    return openWindow(events, t, parent, false);
}

void WindowModel::destroyWindow(WindowRef window) {
    ModelWindow* w = find(window);
    if (w != nullptr && !w->modal) close(w);
}

int WindowModel::messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                            uint32_t style) {
    BoxRequest box{owner, find(owner), text, caption, style};
    toolkit_.note("box " + text);
    if (boxDepth_ >= kMaxBoxDepth) {
        toolkit_.refuseBox(box);
        return safeAnswer(style);
    }
    ++boxDepth_;
    ModelWindow* act = active();
    int saved = takeFocus(act);
    int answer = toolkit_.showBox(box);
    giveFocus(act, saved);
    --boxDepth_;
    return answer;
}

void WindowModel::setTitle(WindowRef window, const std::string& title) {
    if (ModelWindow* w = find(window)) {
        w->title = title;
        mirror(*w, nullptr, Changed::Title);
    }
}

std::string WindowModel::title(WindowRef window) const {
    ModelWindow* w = find(window);
    return w != nullptr ? w->title : std::string();
}

Rect WindowModel::windowRect(WindowRef window) const {
    ModelWindow* w = find(window);
    return w != nullptr ? w->rect : Rect{};
}

void WindowModel::placeWindow(WindowRef window, int x, int y, bool topmost) {
    if (ModelWindow* w = find(window)) {
        w->rect.x = x;
        w->rect.y = y;
        w->topmost = topmost;
        mirror(*w, nullptr, Changed::Placement);
    }
}

// --- control state ---------------------------------------------------------------------

void WindowModel::setText(WindowRef window, int id, const std::string& text) {
    ModelWindow* w = find(window);
    ModelControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    if (c->address) {
        c->address->setText(text);
        return;
    }
    if (c->kind == ControlKind::ComboBox && !c->editableCombo()) return; // no text of its own
    c->text = text;
    mirror(*w, c, Changed::Text);
    // An edit reports programmatic changes too; the dialog ignores them while exchanging data.
    if (c->kind == ControlKind::Edit) command(*w, id, Notify::EditChange);
}

std::string WindowModel::text(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    if (c == nullptr) return {};
    if (c->address) return c->address->text();
    if (c->kind == ControlKind::ComboBox && !c->editableCombo())
        return validIndex(*c, c->curSel) ? c->items[c->curSel].text : std::string();
    return c->text;
}

void WindowModel::limitText(WindowRef window, int id, int maxChars) {
    if (ModelControl* c = control(window, id)) {
        c->limit = std::max(0, maxChars);
        mirror(*find(window), c, Changed::Limit);
    }
}

void WindowModel::selectAllText(WindowRef window, int id) {
    ModelControl* c = control(window, id);
    if (c == nullptr) return;
    if (c->address) {
        c->address->setSelection(0, c->address->length());
        return;
    }
    c->textSelected = true;
    mirror(*find(window), c, Changed::TextSelection);
}

void WindowModel::enable(WindowRef window, int id, bool on) {
    ModelWindow* w = find(window);
    ModelControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    c->enabled = on;
    // A disabled control cannot keep the focus; it goes to no control, not to the next one.
    if (!on && w->focus == id) focusTo(*w, 0);
    mirror(*w, c, Changed::Enabled);
}

bool WindowModel::isEnabled(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    return c != nullptr && c->enabled;
}

void WindowModel::show(WindowRef window, int id, bool on) {
    ModelWindow* w = find(window);
    ModelControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr) return;
    c->visible = on;
    if (!on && w->focus == id) focusTo(*w, 0);
    mirror(*w, c, Changed::Visible);
}

bool WindowModel::isVisible(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    return c != nullptr && c->visible;
}

void WindowModel::setCheck(WindowRef window, int id, int state) {
    if (ModelControl* c = control(window, id)) {
        c->check = state;
        mirror(*find(window), c, Changed::Check);
    }
}

int WindowModel::check(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    return c != nullptr ? c->check : 0;
}

int WindowModel::itemCount(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    return c != nullptr ? static_cast<int>(c->items.size()) : 0;
}

std::string WindowModel::itemText(WindowRef window, int id, int index) const {
    const ModelControl* c = control(window, id);
    return c != nullptr && validIndex(*c, index) ? c->items[index].text : std::string();
}

int WindowModel::insertItem(WindowRef window, int id, int index, const std::string& text) {
    ModelControl* c = control(window, id);
    if (c == nullptr || !isListKind(c->kind)) return -1;
    int count = static_cast<int>(c->items.size());
    if (count >= kListMaxItems) return kListErrSpace;
    if (index < 0 || index > count) index = count;
    c->items.insert(c->items.begin() + index, ModelItem{text, 0, false});
    if (c->curSel >= index) ++c->curSel;
    mirror(*find(window), c, Changed::ItemInserted, index);
    return index;
}

int WindowModel::insertItems(WindowRef window, int id, const std::vector<int>& at,
                             std::vector<std::string> texts) {
    ModelControl* c = control(window, id);
    if (c == nullptr || !isListKind(c->kind) || at.size() != texts.size()) return -1;
    const size_t total = c->items.size() + texts.size();
    if (total > static_cast<size_t>(kListMaxItems)) return kListErrSpace;
    for (size_t i = 0; i < at.size(); ++i)
        if (at[i] < 0 || static_cast<size_t>(at[i]) >= total || (i > 0 && at[i] <= at[i - 1]))
            return -1;
    if (texts.empty()) return 0;
    // One pass, however many items there are: the list is built anew around the old items.
    std::vector<ModelItem> merged;
    merged.reserve(total);
    size_t old = 0, added = 0;
    int curSel = -1;
    for (size_t k = 0; k < total; ++k) {
        if (added < at.size() && static_cast<size_t>(at[added]) == k) {
            merged.push_back(ModelItem{std::move(texts[added++]), 0, false});
        } else {
            if (static_cast<int>(old) == c->curSel) curSel = static_cast<int>(k);
            merged.push_back(std::move(c->items[old++]));
        }
    }
    c->items = std::move(merged);
    c->curSel = curSel;
    mirror(*find(window), c, Changed::ItemsAdded);
    return static_cast<int>(texts.size());
}

int WindowModel::deleteItem(WindowRef window, int id, int index) {
    ModelControl* c = control(window, id);
    if (c == nullptr || !validIndex(*c, index)) return -1;
    c->items.erase(c->items.begin() + index);
    if (c->curSel == index)
        c->curSel = -1;
    else if (c->curSel > index)
        --c->curSel;
    mirror(*find(window), c, Changed::ItemDeleted, index);
    return static_cast<int>(c->items.size());
}

void WindowModel::resetItems(WindowRef window, int id) {
    if (ModelControl* c = control(window, id)) {
        c->items.clear();
        c->curSel = -1; // an editable combo keeps its text
        mirror(*find(window), c, Changed::ItemsReset);
    }
}

int WindowModel::curSel(WindowRef window, int id) const {
    const ModelControl* c = control(window, id);
    return c != nullptr ? c->curSel : -1;
}

void WindowModel::setCurSel(WindowRef window, int id, int index) {
    ModelControl* c = control(window, id);
    if (c == nullptr) return;
    c->curSel = validIndex(*c, index) ? index : -1;
    if (c->editableCombo()) c->text = c->curSel >= 0 ? c->items[c->curSel].text : std::string();
    mirror(*find(window), c, Changed::Selection);
}

bool WindowModel::isSelected(WindowRef window, int id, int index) const {
    const ModelControl* c = control(window, id);
    if (c == nullptr || !validIndex(*c, index)) return false;
    return c->multiSelect() ? c->items[index].selected : c->curSel == index;
}

void WindowModel::setSelected(WindowRef window, int id, int index, bool on) {
    ModelControl* c = control(window, id);
    if (c == nullptr || !c->multiSelect() || !validIndex(*c, index)) return;
    c->items[index].selected = on;
    if (on) c->curSel = index; // the caret follows the last selected item
    mirror(*find(window), c, Changed::Selection);
}

uintptr_t WindowModel::itemData(WindowRef window, int id, int index) const {
    const ModelControl* c = control(window, id);
    return c != nullptr && validIndex(*c, index) ? c->items[index].data : 0;
}

void WindowModel::setItemData(WindowRef window, int id, int index, uintptr_t data) {
    ModelControl* c = control(window, id);
    if (c != nullptr && validIndex(*c, index)) c->items[index].data = data;
}

void WindowModel::setFocus(WindowRef window, int id) {
    ModelWindow* w = find(window);
    const ModelControl* c = w != nullptr ? w->find(id) : nullptr;
    if (c == nullptr || !c->focusable()) return;
    if (w != active()) {
        w->savedFocus = id;
        return;
    }
    focusTo(*w, id);
}

FocusTarget WindowModel::focus(WindowRef window) const {
    ModelWindow* w = find(window);
    if (w == nullptr || w->focus == 0) return {};
    const ModelControl* c = w->find(w->focus);
    return {w->focus, c != nullptr && c->editableCombo()};
}

void WindowModel::setDefaultButton(WindowRef window, int id) {
    if (ModelWindow* w = find(window)) {
        w->defaultButton = id;
        mirror(*w, nullptr, Changed::DefaultButton);
    }
}

int WindowModel::defaultButton(WindowRef window) const {
    ModelWindow* w = find(window);
    return w != nullptr ? w->defaultButton : 0;
}

// --- the user --------------------------------------------------------------------------

void WindowModel::userFocus(ModelWindow& w, int id) {
    focusTo(w, id);
}

void WindowModel::userTab(ModelWindow& w, bool forward) {
    int next = w.nextTabStop(w.focus, forward);
    if (next == 0) return;
    focusTo(w, next);
    // The dialog manager selects the text of a control tabbed into, so that typing replaces it.
    ModelControl* c = w.focus == next && isOpen(w) ? w.find(next) : nullptr;
    if (c != nullptr && c->address) c->address->setSelection(0, c->address->length(), false);
}

void WindowModel::userPress(ModelWindow& w, int id) {
    w.pressed = id;
    focusTo(w, id);
}

bool WindowModel::userRelease(ModelWindow& w, int id) {
    bool counts = w.pressed == id;
    w.pressed = 0;
    // A box or a focus move took the focus on the way: the click does not count.
    if (!counts) toolkit_.note("lost click " + std::to_string(id));
    return counts;
}

void WindowModel::userActivate(ModelWindow& w, int id) {
    ModelControl* c = w.find(id);
    if (c == nullptr) return;
    if (c->kind == ControlKind::CheckBox) {
        c->check = c->check == 1 ? 0 : 1;
        mirror(w, c, Changed::Check);
    } else if (c->kind == ControlKind::RadioButton) {
        // An automatic radio button clears the others of its group.
        for (ModelControl* r : w.radioGroupOf(id)) {
            r->check = r == c ? 1 : 0;
            mirror(w, r, Changed::Check);
        }
    }
    command(w, id, Notify::Clicked);
}

bool WindowModel::userClick(ModelWindow& w, int id) {
    userPress(w, id);
    if (!userRelease(w, id)) return false;
    userActivate(w, id);
    return true;
}

void WindowModel::userType(ModelWindow& w, int id, const std::string& text) {
    focusTo(w, id);
    ModelControl* c = w.find(id);
    if (c == nullptr) return;
    if (c->address) {
        c->address->paste(text);
    } else {
        c->text = text;
        mirror(w, c, Changed::Text);
    }
    c->textSelected = false;
    if (c->editableCombo() && c->curSel != -1) { // typed text selects nothing
        c->curSel = -1;
        mirror(w, c, Changed::Selection);
    }
    command(w, id, Notify::EditChange);
}

void WindowModel::userSelect(ModelWindow& w, int id, int index) {
    focusTo(w, id);
    ModelControl* c = w.find(id);
    if (c == nullptr || !validIndex(*c, index)) return;
    if (c->multiSelect()) {
        for (auto& item : c->items)
            item.selected = false;
        c->items[index].selected = true;
    } else if (c->editableCombo()) {
        c->text = c->items[index].text;
    }
    c->curSel = index;
    mirror(w, c, Changed::Selection);
    command(w, id, Notify::SelChange);
}

void WindowModel::userSelectItems(ModelWindow& w, int id, const std::vector<int>& indexes,
                                  int caret) {
    focusTo(w, id);
    ModelControl* c = w.find(id);
    if (c == nullptr) return;
    for (auto& item : c->items)
        item.selected = false;
    for (int i : indexes)
        if (validIndex(*c, i)) c->items[i].selected = true;
    c->curSel = validIndex(*c, caret) ? caret : -1;
    mirror(w, c, Changed::Selection);
    command(w, id, Notify::SelChange);
}

void WindowModel::userDoubleClick(ModelWindow& w, int id, int index) {
    ModelControl* c = w.find(id);
    if (c == nullptr) return;
    // The first click of the two selects the item, unless it is selected already.
    if (c->curSel != index || (c->multiSelect() && !isSelected(&w, id, index)))
        userSelect(w, id, index);
    if (c->kind == ControlKind::ListBox && validIndex(*c, index) && isOpen(w))
        command(w, id, Notify::DoubleClicked);
}

void WindowModel::userDropDown(ModelWindow& w, int id) {
    focusTo(w, id);
    command(w, id, Notify::DropDown);
}

void WindowModel::userCloseUp(ModelWindow& w, int id) {
    command(w, id, Notify::CloseUp);
}

void WindowModel::userScroll(ModelWindow& w, int id, Scroll code) {
    toolkit_.note("scroll " + std::to_string(id));
    if (w.events != nullptr) w.events->dispatchScroll(id, code);
}

void WindowModel::userEnter(ModelWindow& w) {
    // A focused push button is the default for the moment; otherwise the default button,
    // which does nothing while disabled; without one, OK.
    const ModelControl* f = w.find(w.focus);
    if (f != nullptr && isPushButton(f->kind)) {
        command(w, f->id, Notify::Clicked);
    } else if (w.defaultButton != 0) {
        const ModelControl* d = w.find(w.defaultButton);
        if (d == nullptr || d->enabled) command(w, w.defaultButton, Notify::Clicked);
    } else {
        command(w, ctl::Ok, Notify::Clicked);
    }
}

void WindowModel::userEscape(ModelWindow& w) {
    command(w, ctl::Cancel, Notify::Clicked);
}

bool WindowModel::userCloseBox(ModelWindow& w) {
    if (!(w.style & ds::SysMenu)) return false;
    const ModelControl* cancel = w.find(ctl::Cancel);
    if (cancel == nullptr || cancel->enabled) command(w, ctl::Cancel, Notify::Clicked);
    return true;
}

void WindowModel::userHelp(ModelWindow& w) {
    toolkit_.note("f1");
    if (w.events != nullptr) w.events->dispatchHelpRequest();
}

Handling WindowModel::userChar(ModelWindow& w, int id, char c) {
    ModelControl* control = w.find(id);
    if (control == nullptr || !control->address) return Handling::Default;
    std::string before = control->address->fieldText();
    Handling h = control->address->character(c);
    if (isOpen(w) && control->address->fieldText() != before) command(w, id, Notify::EditChange);
    return h;
}

Handling WindowModel::userKey(ModelWindow& w, int id, EditKey key, bool down) {
    ModelControl* control = w.find(id);
    if (control == nullptr || !control->address) return Handling::Default;
    std::string before = control->address->fieldText();
    Handling h = down ? control->address->keyDown(key) : control->address->keyUp(key);
    if (isOpen(w) && control->address->fieldText() != before) command(w, id, Notify::EditChange);
    return h;
}

} // namespace lntc
