#include "ui/headless_host.h"

#include "ui/list_rules.h"

#include <algorithm>

namespace lntc {

namespace {} // namespace

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
DialogScript& DialogScript::tab(bool forward) {
    return add({Kind::Tab, 0, forward ? 1 : 0, {}, {}, {}, {}});
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
DialogScript& DialogScript::then(std::function<void(const ModelWindow&)> fn) {
    return add({Kind::Then, 0, -1, {}, {}, {}, std::move(fn)});
}

// --- host ------------------------------------------------------------------------------

HeadlessHost::HeadlessHost() : model_(*this) {}
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

const ModelWindow* HeadlessHost::openWindow(uint16_t templateId) const {
    const auto& open = model_.open();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if ((*it)->templateId == templateId) return it->get();
    return nullptr;
}

const ModelWindow* HeadlessHost::closed(uint16_t templateId, size_t n) const {
    for (const auto& w : closedWindows)
        if (w->templateId == templateId && n-- == 0) return w.get();
    return nullptr;
}

void HeadlessHost::showHelp(WindowRef, const std::string& file, uint32_t command, uint32_t data) {
    helps.push_back({file, command, data});
    trace.push_back("help " + std::to_string(data));
    if (user_ != nullptr) user_->helpShown(data);
}

bool HeadlessHost::buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow*) {
    // Dialog units of the default font in pixels.
    window.rect = {0, 0, t.cx * 6 / 4, t.cy * 13 / 8};
    return true;
}

void HeadlessHost::windowClosed(std::unique_ptr<ModelWindow> window) {
    if (user_ != nullptr) user_->closed(*window);
    closedWindows.push_back(std::move(window));
}

void HeadlessHost::runModalLoop(ModelWindow& w) {
    if (user_ != nullptr) {
        user_->runModal(w);
        model_.endModal(&w, id::Cancel);
        return;
    }
    auto found = scripts_.find(w.templateId);
    if (found == scripts_.end() || found->second.empty()) {
        error("dialog " + std::to_string(w.templateId) + " opened without a script");
    } else {
        DialogScript script = std::move(found->second.front());
        found->second.pop_front();
        bool refused = false;
        size_t ran = 0;
        for (const auto& step : script.steps()) {
            if (w.ended || (refused = !runStep(w, step))) break;
            ++ran;
        }
        // Steps after the one that ended the dialog would never run: their checks would pass
        // unseen.
        if (w.ended && ran < script.steps().size())
            error("dialog " + std::to_string(w.templateId) + " ended with " +
                  std::to_string(script.steps().size() - ran) + " steps of its script left");
        if (!w.ended && !refused)
            error("the script of dialog " + std::to_string(w.templateId) +
                  " ended with the dialog open");
    }
    model_.endModal(&w, id::Cancel);
}

// --- message boxes ---------------------------------------------------------------------

int HeadlessHost::showBox(const BoxRequest& request) {
    HeadlessBox box{request.owner,
                    request.ownerWindow != nullptr ? request.ownerWindow->templateId : uint16_t(0),
                    request.text,
                    request.caption,
                    request.style,
                    safeAnswer(request.style)};
    if (user_ != nullptr) {
        box.answer = user_->answerBox(box);
        boxes.push_back(box);
        return box.answer;
    }
    auto pick = std::find_if(answers_.begin(), answers_.end(), [&](const Answer& a) {
        return !a.match.empty() && box.text.find(a.match) != std::string::npos;
    });
    if (pick == answers_.end())
        pick = std::find_if(answers_.begin(), answers_.end(),
                            [](const Answer& a) { return a.match.empty(); });
    std::function<void(const HeadlessBox&)> during;
    if (pick != answers_.end()) {
        if (BoxHasButton(box.style, pick->button))
            box.answer = pick->button;
        else
            error("answer " + std::to_string(pick->button) + " is no button of the box \"" +
                  box.text + "\"");
        during = std::move(pick->during);
        answers_.erase(pick);
    }
    boxes.push_back(box);
    if (during) during(box);
    return box.answer;
}

void HeadlessHost::refuseBox(const BoxRequest& request) {
    error("message boxes nest endlessly: " + request.text);
    boxes.push_back({request.owner, 0, request.text, request.caption, request.style,
                     safeAnswer(request.style)});
}

// --- the user --------------------------------------------------------------------------

ModelControl* HeadlessHost::userCan(ModelWindow& w, int id, const char* what) {
    ModelControl* c = w.find(id);
    std::string where =
        std::string(what) + " " + std::to_string(id) + " in dialog " + std::to_string(w.templateId);
    if (c == nullptr) {
        error("cannot " + where + ": no such control");
        return nullptr;
    }
    if (!c->visible || !c->enabled) {
        error("cannot " + where + ": the control is " + (c->visible ? "disabled" : "hidden"));
        return nullptr;
    }
    return c;
}

void HeadlessHost::typeKeys(ModelWindow& w, int id, const std::string& text) {
    // Tab selects the whole text of a field it enters; the keys then go one by one through the
    // control's rules, which cut a byte above 255 (with its message box) and refuse a fourth
    // digit.
    model_.userFocus(w, id);
    if (w.ended) return;
    model_.selectAllText(&w, id);
    for (char key : text) {
        if (w.ended) return;
        model_.userChar(w, id, key);
    }
}

bool HeadlessHost::runStep(ModelWindow& w, const DialogScript::Step& s) {
    using K = DialogScript::Kind;
    ModelControl* c = nullptr;
    auto refuse = [&](const std::string& why) {
        error("dialog " + std::to_string(w.templateId) + ", control " + std::to_string(s.id) +
              ": cannot " + why);
        return false;
    };
    switch (s.kind) {
    case K::Type:
        if ((c = userCan(w, s.id, "type into")) == nullptr) return false;
        if (!takesText(c->kind, c->style) || (c->style & cs::ReadOnly))
            return refuse("type into it");
        if (c->address) {
            typeKeys(w, s.id, s.text);
            return true;
        }
        if (c->limit > 0 && s.text.size() > static_cast<size_t>(c->limit)) {
            model_.userType(w, s.id, s.text.substr(0, c->limit));
            // The control takes no more: each key past its limit only beeps.
            for (size_t i = c->limit; i < s.text.size(); ++i)
                beep();
            return true;
        }
        model_.userType(w, s.id, s.text);
        return true;
    case K::SetChecked:
        if ((c = userCan(w, s.id, "check")) == nullptr) return false;
        if ((c->check == 1) == (s.index == 1)) return true;
        [[fallthrough]];
    case K::Click:
        if ((c = userCan(w, s.id, "click")) == nullptr) return false;
        if (!isButton(c->kind)) return refuse("click it: no button");
        model_.userClick(w, s.id);
        return true;
    case K::SelectIndex:
    case K::SelectText:
    case K::DoubleClick: {
        if ((c = userCan(w, s.id, "select in")) == nullptr) return false;
        if (!isListKind(c->kind)) return refuse("select in it: no list");
        int index = s.index;
        if (s.kind == K::SelectText)
            index = findItem(
                static_cast<int>(c->items.size()), [&](int i) { return c->items[i].text; }, -1,
                s.text, true);
        if (index < 0 || index >= static_cast<int>(c->items.size()))
            return refuse("select \"" + s.text + "\" (" + std::to_string(s.index) +
                          "): no such item");
        if (s.kind == K::DoubleClick)
            model_.userDoubleClick(w, s.id, index);
        else
            model_.userSelect(w, s.id, index);
        return true;
    }
    case K::SelectItems:
        if ((c = userCan(w, s.id, "select in")) == nullptr) return false;
        if (!c->multiSelect()) return refuse("select several items: a single-selection list");
        for (int i : s.indexes)
            if (i < 0 || i >= static_cast<int>(c->items.size()))
                return refuse("select item " + std::to_string(i) + ": no such item");
        model_.userSelectItems(w, s.id, s.indexes, s.indexes.empty() ? -1 : s.indexes.back());
        return true;
    case K::DropDown:
        if ((c = userCan(w, s.id, "drop down")) == nullptr) return false;
        if (c->kind != ControlKind::ComboBox) return refuse("drop it down: no combo box");
        model_.userDropDown(w, s.id);
        return true;
    case K::Focus:
        if ((c = userCan(w, s.id, "focus")) == nullptr) return false;
        if (!c->focusable()) return refuse("focus it");
        model_.userFocus(w, s.id);
        return true;
    case K::Tab:
        model_.userTab(w, s.index == 1);
        return true;
    case K::Scroll:
        if ((c = userCan(w, s.id, "scroll")) == nullptr) return false;
        if (c->kind != ControlKind::ScrollBar) return refuse("scroll it: no scroll bar");
        model_.userScroll(w, s.id, s.scroll);
        return true;
    case K::Enter:
        model_.userEnter(w);
        return true;
    case K::Escape:
        model_.userEscape(w);
        return true;
    case K::CloseBox:
        if (model_.userCloseBox(w)) return true;
        error("dialog " + std::to_string(w.templateId) + " has no close box");
        return false;
    case K::F1:
        model_.userHelp(w);
        return true;
    case K::Then:
        if (s.fn) s.fn(w);
        return true;
    }
    return true;
}

} // namespace lntc
