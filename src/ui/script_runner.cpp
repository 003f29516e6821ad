#include "ui/script_runner.h"

#include "ui/list_rules.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <map>

namespace lntc {

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// A caption or a name as the script compares them: no "&" marks, any case, without trailing
// dots or ":".
std::string normalName(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') out += s[++i];
            continue;
        }
        out += lower(s[i]);
    }
    out = trimmed(out);
    // Some captions end in "..", one dot short.
    while (!out.empty() && out.back() == '.')
        out.pop_back();
    if (out.ends_with(":")) out.pop_back();
    return trimmed(out);
}

std::string inQuotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

bool allDigits(std::string_view s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "[n]" with n from 1; 0 when the text is none.
int nthSuffix(std::string_view s) {
    if (s.size() < 3 || s.front() != '[' || s.back() != ']') return 0;
    std::string_view digits = s.substr(1, s.size() - 2);
    return allDigits(digits) ? std::stoi(std::string(digits)) : 0;
}

// The words of one line, or why it has none.
std::optional<std::string> splitWords(std::string_view line, std::vector<ScriptWord>& words) {
    size_t i = 0;
    while (true) {
        while (i < line.size() && isSpace(line[i]))
            ++i;
        if (i == line.size()) return std::nullopt;
        ScriptWord w;
        if (line[i] == '"') {
            w.quoted = true;
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    w.text += line[++i];
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    w.text += line[i];
                }
            }
            if (!closed) return "the string " + inQuotes(w.text) + " has no closing quote";
            if (i < line.size() && line[i] == '[') {
                size_t end = line.find(']', i);
                w.nth = end == std::string_view::npos ? 0 : nthSuffix(line.substr(i, end - i + 1));
                if (w.nth == 0) return "\"[\" after a string must start an index such as [2]";
                i = end + 1;
            }
        } else {
            size_t end = i;
            while (end < line.size() && !isSpace(line[end]))
                ++end;
            std::string_view bare = line.substr(i, end - i);
            if (bare.front() == '#') {
                if (!allDigits(bare.substr(1))) return std::nullopt; // a comment
                w.id = std::stoi(std::string(bare.substr(1)));
            }
            w.text = bare;
            size_t open = bare.rfind('[');
            if (w.id < 0 && open != std::string_view::npos && open > 0) {
                if (int n = nthSuffix(bare.substr(open)); n > 0) {
                    w.nth = n;
                    w.text = bare.substr(0, open);
                }
            }
            i = end;
        }
        if (i < line.size() && !isSpace(line[i])) return "a space must follow " + inQuotes(w.text);
        words.push_back(std::move(w));
    }
}

struct Syntax {
    int names;                         // leading control names
    int minArgs;                       // all words after the verb (and after the kind of a check)
    int maxArgs;                       // -1: any number
    std::vector<std::string> keywords; // the allowed words after the names, if fixed
};

const std::map<std::string, Syntax>& actionSyntax() {
    static const std::map<std::string, Syntax> table = {
        {"type", {1, 2, 2, {}}},
        {"focus", {1, 1, 1, {}}},
        {"select", {1, 2, 2, {}}},
        {"select+", {1, 2, 2, {}}},
        {"doubleclick", {1, 2, 2, {}}},
        {"click", {1, 1, 1, {}}},
        {"check", {1, 1, 1, {}}},
        {"uncheck", {1, 1, 1, {}}},
        {"spin", {1, 2, 3, {}}},
        {"key", {0, 1, 1, {"enter", "escape", "f1"}}},
        {"close", {0, 0, 0, {}}},
        {"answer", {0, 1, 1, {"yes", "no", "ok", "cancel", "retry", "abort", "ignore"}}},
    };
    return table;
}

const std::map<std::string, Syntax>& checkSyntax() {
    static const std::map<std::string, Syntax> table = {
        {"dialog", {0, 1, 1, {}}},    {"box", {0, 1, 1, {}}},     {"text", {1, 2, 2, {}}},
        {"selected", {1, 1, -1, {}}}, {"items", {1, 1, -1, {}}},  {"checked", {1, 1, 1, {}}},
        {"unchecked", {1, 1, 1, {}}}, {"enabled", {1, 1, 1, {}}}, {"disabled", {1, 1, 1, {}}},
        {"hidden", {1, 1, 1, {}}},    {"visible", {1, 1, 1, {}}}, {"focus", {1, 1, 1, {}}},
        {"default", {1, 1, 1, {}}},
    };
    return table;
}

std::optional<std::string> checkWords(const std::string& verb, const Syntax& syntax,
                                      std::vector<ScriptWord>& args) {
    const int count = static_cast<int>(args.size());
    if (count < syntax.minArgs || (syntax.maxArgs >= 0 && count > syntax.maxArgs))
        return verb + " takes " +
               (syntax.minArgs == syntax.maxArgs ? std::to_string(syntax.minArgs)
                : syntax.maxArgs < 0
                    ? "at least " + std::to_string(syntax.minArgs)
                    : std::to_string(syntax.minArgs) + " to " + std::to_string(syntax.maxArgs)) +
               (syntax.maxArgs == 1 ? " word" : " words") + ", not " + std::to_string(count);
    for (int i = 0; i < count; ++i) {
        ScriptWord& w = args[i];
        if (i < syntax.names) {
            if (w.id < 0 && w.text.empty()) return verb + " needs a control name";
            continue;
        }
        // Past the names everything is text, written as it stands.
        if (w.quoted && w.nth > 0) return "only control names take an index such as [2]";
        if (!w.quoted && (w.nth > 0 || w.id >= 0)) {
            w.text =
                w.id >= 0 ? "#" + std::to_string(w.id) : w.text + "[" + std::to_string(w.nth) + "]";
            w.nth = 0;
            w.id = -1;
        }
        if (!syntax.keywords.empty()) {
            std::string word = lowered(w.text);
            if (std::find(syntax.keywords.begin(), syntax.keywords.end(), word) ==
                syntax.keywords.end())
                return inQuotes(w.text) + " is not one of the words " + verb + " takes";
            w.text = word;
        }
    }
    return std::nullopt;
}

int buttonOf(const std::string& word) {
    static const std::map<std::string, int> buttons = {
        {"ok", id::Ok},         {"cancel", id::Cancel}, {"abort", id::Abort}, {"retry", id::Retry},
        {"ignore", id::Ignore}, {"yes", id::Yes},       {"no", id::No}};
    auto it = buttons.find(word);
    return it == buttons.end() ? 0 : it->second;
}

const char* answerName(int button) {
    static const char* names[] = {"", "ok", "cancel", "abort", "retry", "ignore", "yes", "no"};
    return button >= 1 && button <= 7 ? names[button] : "";
}

const char* buttonsName(uint32_t style) {
    static const char* names[] = {"ok",          "okcancel", "abortretryignore",
                                  "yesnocancel", "yesno",    "retrycancel"};
    uint32_t type = style & mb::TypeMask;
    return type < 6 ? names[type] : "unknown";
}

const char* iconName(uint32_t style) {
    switch (style & mb::IconMask) {
    case mb::IconHand:
        return "stop";
    case mb::IconQuestion:
        return "question";
    case mb::IconExclamation:
        return "exclamation";
    case mb::IconAsterisk:
        return "information";
    default:
        return "none";
    }
}

// A static drawn as a field shows a value, not a caption.
bool isField(const ModelControl& c) {
    return c.kind == ControlKind::Static && (c.style & cs::Sunken);
}

// Controls that the label before them names rather than a caption of their own; read-only
// fields too, as a person reads them.
bool namedByLabel(const ModelControl& c) {
    return c.kind == ControlKind::Edit || c.kind == ControlKind::ListBox ||
           c.kind == ControlKind::ComboBox || c.kind == ControlKind::AddressEdit || isField(c);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts)
        out += (out.empty() ? "" : " ") + inQuotes(t);
    return out.empty() ? "nothing" : out;
}

} // namespace

ParsedScript ParseScript(std::string_view text) {
    ParsedScript out;
    size_t start = 0;
    while (start < text.size() && !out.failure) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const int number = ++out.lines;
        std::vector<ScriptWord> words;
        std::optional<std::string> why = splitWords(line, words);
        if (!why && words.empty()) continue;
        ScriptAction a;
        a.line = number;
        if (!why) {
            if (words.front().quoted || words.front().nth > 0 || words.front().id >= 0)
                why = "a line starts with an action such as click or type";
            else
                a.verb = lowered(words.front().text);
        }
        const Syntax* syntax = nullptr;
        if (!why) {
            words.erase(words.begin());
            if (a.verb == "expect") {
                auto found = checkSyntax().end();
                if (!words.empty() && !words.front().quoted)
                    found = checkSyntax().find(lowered(words.front().text));
                if (found == checkSyntax().end()) {
                    why = "expect takes dialog, box, text, selected, items, checked, unchecked, "
                          "enabled, disabled, hidden, visible, focus or default";
                } else {
                    a.what = found->first;
                    syntax = &found->second;
                    words.erase(words.begin());
                }
            } else if (auto found = actionSyntax().find(a.verb); found != actionSyntax().end()) {
                syntax = &found->second;
            } else {
                why = inQuotes(a.verb) + " is no action";
            }
        }
        if (!why) why = checkWords(a.what.empty() ? a.verb : "expect " + a.what, *syntax, words);
        if (!why && a.verb == "spin") {
            std::string way = lowered(words[1].text);
            if (way != "up" && way != "down")
                why = "spin goes up or down, not " + inQuotes(words[1].text);
            else if (words.size() == 3 &&
                     (!allDigits(words[2].text) || std::stoi(words[2].text) < 1 ||
                      std::stoi(words[2].text) > 10000))
                why =
                    "the count of spin is a number from 1 to 10000, not " + inQuotes(words[2].text);
            words[1].text = way;
        }
        if (why) {
            out.failure = ScriptFailure{number, *why};
            out.actions.clear();
            break;
        }
        a.args = std::move(words);
        out.actions.push_back(std::move(a));
    }
    return out;
}

// --- the runner ------------------------------------------------------------------------

ScriptRunner::ScriptRunner(HeadlessHost& host, ParsedScript script)
    : host_(host), script_(std::move(script)) {
    if (script_.failure) failure_ = script_.failure;
}

ScriptRunner::~ScriptRunner() {
    host_.setUser(nullptr);
}

int ScriptRunner::run(const std::function<int()>& body) {
    struct Attach {
        HeadlessHost& host;
        ~Attach() { host.setUser(nullptr); }
    } attach{host_};
    host_.setUser(this);
    int result = body();
    failed();
    return result;
}

bool ScriptRunner::failed() {
    if (!failure_ && next_ < script_.actions.size())
        fail(script_.actions[next_].line, "no window is open");
    return failure_.has_value();
}

void ScriptRunner::fail(int line, std::string message) {
    if (!failure_) failure_ = ScriptFailure{line, std::move(message)};
}

std::string ScriptRunner::front(const ModelWindow* w) const {
    if (box_ != nullptr) return "the message box " + inQuotes(box_->text);
    if (w == nullptr) return "no window";
    return "dialog " + inQuotes(w->title) + " (" + std::to_string(w->templateId) + ")";
}

const ScriptAction* ScriptRunner::take() {
    if (failure_) return nullptr;
    if (next_ == script_.actions.size()) {
        fail(script_.lines, "the script ends while " + front(host_.model().active()) + " is open");
        return nullptr;
    }
    const ScriptAction* a = &script_.actions[next_++];
    line_ = a->line;
    return a;
}

void ScriptRunner::shown(const ModelWindow& w) {
    Event e;
    e.kind = Event::Dialog;
    e.line = line_;
    e.id = w.templateId;
    e.title = w.title;
    events_.push_back(std::move(e));
}

void ScriptRunner::closed(const ModelWindow& w) {
    if (!w.modal) return;
    Event e;
    e.kind = Event::End;
    e.id = w.templateId;
    e.result = w.endCode;
    events_.push_back(std::move(e));
}

void ScriptRunner::helpShown(uint32_t context) {
    Event e;
    e.kind = Event::Help;
    e.id = static_cast<int>(context);
    events_.push_back(std::move(e));
}

void ScriptRunner::runModal(ModelWindow& w) {
    while (!w.ended) {
        const ScriptAction* a = take();
        if (a == nullptr) return;
        ModelWindow* in = host_.model().active();
        if (in == nullptr) return; // cannot be: this window is open
        act(*a, *in);
    }
}

int ScriptRunner::answerBox(const HeadlessBox& box) {
    Event e;
    e.kind = Event::Box;
    e.line = line_;
    e.title = box.caption;
    e.text = box.text;
    e.buttons = buttonsName(box.style);
    e.icon = iconName(box.style);
    size_t index = events_.size();
    events_.push_back(std::move(e));

    // What the box leads to belongs to the action that showed it, not to its answer.
    const int line = line_;
    const HeadlessBox* outer = box_;
    box_ = &box;
    int answer = 0;
    while (answer == 0) {
        const ScriptAction* a = take();
        if (a == nullptr) {
            answer = safeAnswer(box.style);
        } else if (a->verb == "answer") {
            int button = buttonOf(a->args[0].text);
            if (BoxHasButton(box.style, button))
                answer = button;
            else
                fail(a->line,
                     "the message box " + inQuotes(box.text) + " has no button " + a->args[0].text);
        } else if (a->verb == "expect" && a->what == "box") {
            expect(*a, host_.model().active());
        } else {
            fail(a->line,
                 "the message box " + inQuotes(box.text) + " is in front; answer it first");
        }
    }
    box_ = outer;
    line_ = line;
    events_[index].answer = answerName(answer);
    return answer;
}

ModelControl* ScriptRunner::resolve(const ScriptAction& a, ModelWindow& w, const ScriptWord& name) {
    if (name.id >= 0) {
        if (ModelControl* c = w.find(name.id)) return c;
        fail(a.line, front(&w) + " has no control #" + std::to_string(name.id));
        return nullptr;
    }
    const std::string wanted = normalName(name.text);
    std::vector<ModelControl*> fits;
    for (size_t i = 0; i < w.controls.size(); ++i) {
        ModelControl& c = w.controls[i];
        const ModelControl* label = i > 0 ? &w.controls[i - 1] : nullptr;
        if (isButton(c.kind)
                ? normalName(c.text) == wanted
                : namedByLabel(c) && label != nullptr && label->kind == ControlKind::Static &&
                      !isField(*label) && normalName(label->text) == wanted)
            fits.push_back(&c);
    }
    if (fits.empty()) {
        fail(a.line, front(&w) + " has no control named " + inQuotes(name.text));
        return nullptr;
    }
    if (name.nth > static_cast<int>(fits.size())) {
        fail(a.line, front(&w) + " has " + std::to_string(fits.size()) + " controls named " +
                         inQuotes(name.text) + ", not " + std::to_string(name.nth));
        return nullptr;
    }
    if (name.nth == 0 && fits.size() > 1) {
        fail(a.line, inQuotes(name.text) + " names " + std::to_string(fits.size()) +
                         " controls; say which with [1] to [" + std::to_string(fits.size()) + "]");
        return nullptr;
    }
    return fits[name.nth > 0 ? name.nth - 1 : 0];
}

ModelControl* ScriptRunner::usable(const ScriptAction& a, ModelWindow& w, const ScriptWord& name) {
    ModelControl* c = resolve(a, w, name);
    if (c != nullptr && (!c->visible || !c->enabled)) {
        fail(a.line, "cannot " + a.verb + " " + inQuotes(name.text) + ": it is " +
                         (c->visible ? "disabled" : "hidden"));
        return nullptr;
    }
    return c;
}

bool ScriptRunner::perform(ModelWindow& w, DialogScript::Step step) {
    const size_t errors = host_.scriptErrors.size();
    if (host_.perform(w, step)) return true;
    fail(line_, host_.scriptErrors.size() > errors ? host_.scriptErrors.back()
                                                   : "the window refused the action");
    return false;
}

void ScriptRunner::act(const ScriptAction& a, ModelWindow& w) {
    using K = DialogScript::Kind;
    DialogScript::Step step{};
    if (a.verb == "expect") return expect(a, &w);
    if (a.verb == "answer") return fail(a.line, "no message box is in front");
    if (a.verb == "key") {
        step.kind = a.args[0].text == "enter"    ? K::Enter
                    : a.args[0].text == "escape" ? K::Escape
                                                 : K::F1;
        perform(w, std::move(step));
        return;
    }
    if (a.verb == "close") {
        step.kind = K::CloseBox;
        perform(w, std::move(step));
        return;
    }
    ModelControl* c = usable(a, w, a.args[0]);
    if (c == nullptr) return;
    const std::string name = inQuotes(a.args[0].text);
    step.id = c->id;
    auto itemIndex = [&]() {
        int index = findItem(
            static_cast<int>(c->items.size()), [&](int i) { return c->items[i].text; }, -1,
            a.args[1].text, true);
        if (index < 0) fail(a.line, name + " has no item " + inQuotes(a.args[1].text));
        return index;
    };
    if (a.verb == "type") {
        if (!takesText(c->kind, c->style) || (c->style & cs::ReadOnly))
            return fail(a.line, "cannot type into " + name);
        // As a person could not: the field refuses the other keys.
        if ((c->style & cs::Number) &&
            a.args[1].text.find_first_not_of("0123456789") != std::string::npos)
            return fail(a.line, name + " takes digits only, not " + inQuotes(a.args[1].text));
        step.kind = K::Type;
        step.text = a.args[1].text;
    } else if (a.verb == "focus") {
        if (!c->focusable()) return fail(a.line, name + " cannot take the focus");
        step.kind = K::Focus;
    } else if (a.verb == "click") {
        if (!isButton(c->kind)) return fail(a.line, name + " is no button");
        step.kind = K::Click;
    } else if (a.verb == "check" || a.verb == "uncheck") {
        if (c->kind != ControlKind::CheckBox && c->kind != ControlKind::RadioButton)
            return fail(a.line, name + " is no check box or radio button");
        if (a.verb == "uncheck" && c->kind == ControlKind::RadioButton)
            return fail(a.line, "a radio button is unchecked by choosing another one");
        step.kind = K::SetChecked;
        step.index = a.verb == "check" ? 1 : 0;
    } else if (a.verb == "select" || a.verb == "doubleclick") {
        if (!isListKind(c->kind)) return fail(a.line, name + " is no list or combo box");
        if ((step.index = itemIndex()) < 0) return;
        step.kind = a.verb == "select" ? K::SelectIndex : K::DoubleClick;
    } else if (a.verb == "select+") {
        if (!c->multiSelect()) return fail(a.line, name + " takes one selected item only");
        int index = itemIndex();
        if (index < 0) return;
        for (int i = 0; i < static_cast<int>(c->items.size()); ++i)
            if (c->items[i].selected && i != index) step.indexes.push_back(i);
        step.indexes.push_back(index);
        step.kind = K::SelectItems;
    } else if (a.verb == "spin") {
        ModelControl* spin = c;
        if (c->kind != ControlKind::ScrollBar) {
            auto at = std::find_if(w.controls.begin(), w.controls.end(),
                                   [&](const ModelControl& x) { return &x == c; });
            spin = at + 1 != w.controls.end() && at[1].kind == ControlKind::ScrollBar ? &at[1]
                                                                                      : nullptr;
        }
        if (spin == nullptr) return fail(a.line, name + " has no spin beside it");
        if (!spin->visible || !spin->enabled)
            return fail(a.line, "the spin beside " + name + " is " +
                                    (spin->visible ? "disabled" : "hidden"));
        step.kind = K::Scroll;
        step.id = spin->id;
        step.scroll = a.args[1].text == "up" ? Scroll::LineUp : Scroll::LineDown;
        int count = a.args.size() == 3 ? std::stoi(a.args[2].text) : 1;
        for (int i = 0; i < count && !w.ended && !failure_; ++i)
            perform(w, step);
        return;
    }
    perform(w, std::move(step));
}

void ScriptRunner::expect(const ScriptAction& a, ModelWindow* in) {
    const std::string& what = a.what;
    if (what == "box") {
        if (box_ == nullptr) return fail(a.line, "no message box is in front");
        if (box_->text.find(a.args[0].text) == std::string::npos)
            fail(a.line, "the message box " + inQuotes(box_->text) + " does not say " +
                             inQuotes(a.args[0].text));
        return;
    }
    if (box_ != nullptr || in == nullptr) return fail(a.line, front(in) + " is in front");
    ModelWindow& w = *in;
    if (what == "dialog") {
        const std::string& want = a.args[0].text;
        bool fits = allDigits(want) ? std::stoi(want) == w.templateId
                                    : normalName(want) == normalName(w.title);
        if (!fits) fail(a.line, "expected dialog " + inQuotes(want) + ", found " + front(&w));
        return;
    }
    ModelControl* c = resolve(a, w, a.args[0]);
    if (c == nullptr) return;
    const std::string name = inQuotes(a.args[0].text);
    auto differs = [&](const std::string& found, const std::string& wanted) {
        fail(a.line, name + ": expected " + wanted + ", found " + found);
    };
    if (what == "text") {
        std::string text = host_.model().text(&w, c->id);
        if (text != a.args[1].text) differs(inQuotes(text), inQuotes(a.args[1].text));
    } else if (what == "selected" || what == "items") {
        std::vector<std::string> found, wanted;
        for (size_t i = 1; i < a.args.size(); ++i)
            wanted.push_back(a.args[i].text);
        if (what == "items") {
            found = c->itemTexts();
        } else {
            for (int i = 0; i < static_cast<int>(c->items.size()); ++i)
                if (c->multiSelect() ? c->items[i].selected : i == c->curSel)
                    found.push_back(c->items[i].text);
            if (wanted.size() == 1 && wanted[0].empty()) wanted.clear(); // "": none
        }
        if (found != wanted) differs(joined(found), joined(wanted));
    } else if (what == "checked" || what == "unchecked") {
        if ((c->check == 1) != (what == "checked"))
            differs(c->check == 1   ? "checked"
                    : c->check == 0 ? "unchecked"
                                    : "indeterminate",
                    what);
    } else if (what == "enabled" || what == "disabled") {
        if (c->enabled != (what == "enabled")) differs(c->enabled ? "enabled" : "disabled", what);
    } else if (what == "visible" || what == "hidden") {
        if (c->visible != (what == "visible")) differs(c->visible ? "visible" : "hidden", what);
    } else if (what == "focus") {
        int focus = host_.model().focus(&w).control;
        if (focus != c->id)
            fail(a.line,
                 "expected the focus on " + name + ", found it on " +
                     (focus == 0 ? std::string("no control") : "#" + std::to_string(focus)));
    } else if (what == "default") {
        if (w.defaultButton != c->id)
            fail(a.line, "expected " + name + " as the default button, found " +
                             (w.defaultButton == 0 ? std::string("none")
                                                   : "#" + std::to_string(w.defaultButton)));
    }
}

std::string ScriptRunner::transcript(int result) const {
    nlohmann::ordered_json events = nlohmann::ordered_json::array();
    for (const Event& e : events_) {
        switch (e.kind) {
        case Event::Dialog:
            events.push_back(
                {{"line", e.line}, {"kind", "dialog"}, {"id", e.id}, {"title", e.title}});
            break;
        case Event::Box:
            events.push_back({{"line", e.line},
                              {"kind", "box"},
                              {"caption", e.title},
                              {"text", e.text},
                              {"buttons", e.buttons},
                              {"icon", e.icon},
                              {"answer", e.answer}});
            break;
        case Event::End:
            events.push_back({{"kind", "end"}, {"id", e.id}, {"result", e.result}});
            break;
        case Event::Help:
            events.push_back({{"kind", "help"}, {"context", e.id}});
            break;
        }
    }
    nlohmann::ordered_json out = {
        {"result", result}, {"error", nullptr}, {"events", std::move(events)}};
    if (failure_) out["error"] = {{"line", failure_->line}, {"message", failure_->message}};
    // Texts of the system are not always UTF-8: replace what is not.
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace lntc
