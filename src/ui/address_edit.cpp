#include "ui/address_edit.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstdio>

namespace lntc {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isSeparator(char c) {
    return c == '\t' || c == '.';
}

// Longest field a digit may make, and the value a too-long group of set text gets.
constexpr unsigned kMaxByte = 255;

const char kProcedureTag = 0;

} // namespace

AddressEdit::AddressEdit(AddressEditEvents* events) : events_(events) {
    setText("");
}

int AddressEdit::setText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    unsigned values[4] = {0, 0, 0, 0};
    size_t i = 0;
    for (int group = 0; group < 4 && i < text.size(); ++group) {
        unsigned value = 0;
        for (; i < text.size() && text[i] != '.'; ++i) {
            // Saturate rather than overflow on a long run of digits.
            if (isDigit(text[i])) value = std::min(value * 10 + (text[i] - '0'), 1000u);
        }
        // More than three digits cannot be shown in a field: such a byte is cut like a typed one.
        values[group] = value > 999 ? kMaxByte : value;
        if (i < text.size()) ++i;
    }
    char buffer[kFieldTextMax + 1];
    std::snprintf(buffer, sizeof buffer, "%u\t.%u\t.%u\t.%u", values[0], values[1], values[2],
                  values[3]);
    text_ = buffer;
    start_ = end_ = 0;
    if (events_) {
        events_->textChanged();
        events_->selectionChanged(false);
    }
    return 1;
}

size_t AddressEdit::getText(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0) return 0;
    size_t n = 0;
    for (char c : text_) {
        if (n + 1 >= size) break;
        if (c != '\t') buffer[n++] = c;
    }
    buffer[n] = '\0';
    return n;
}

std::string AddressEdit::text() const {
    std::string out;
    for (char c : text_)
        if (c != '\t') out.push_back(c);
    return out;
}

std::string_view AddressEdit::field(int index) const {
    std::string_view t = text_;
    size_t from = 0;
    for (int i = 0; i < index; ++i) {
        size_t dot = t.find('.', from);
        if (dot == std::string_view::npos) return {};
        from = dot + 1;
    }
    size_t to = t.find('\t', from);
    return t.substr(from, (to == std::string_view::npos ? t.size() : to) - from);
}

void AddressEdit::setSelection(size_t anchor, size_t caret, bool scroll) {
    anchor = std::min(anchor, text_.size());
    caret = std::min(caret, text_.size());
    select(std::min(anchor, caret), std::max(anchor, caret), scroll);
}

void AddressEdit::select(size_t s, size_t e, bool scroll) {
    start_ = std::min(s, text_.size());
    end_ = std::clamp(e, start_, text_.size());
    if (events_) events_->selectionChanged(scroll);
}

size_t AddressEdit::fieldStart(size_t p) const {
    if (p == 0) return 0;
    size_t dot = text_.rfind('.', std::min(p, text_.size()) - 1);
    return dot == std::string::npos ? 0 : dot + 1;
}

size_t AddressEdit::fieldEnd(size_t p) const {
    size_t tab = text_.find('\t', p);
    return tab == std::string::npos ? text_.size() : tab;
}

void AddressEdit::refresh() {
    start_ = std::min(start_, text_.size());
    end_ = std::clamp(end_, start_, text_.size());
    if (events_) events_->textChanged();
}

void AddressEdit::selectNextField(size_t p) {
    size_t dot = text_.find('.', p);
    size_t from = dot == std::string::npos ? text_.size() : dot + 1;
    size_t to = from;
    while (to < text_.size() && to - from < 3 && text_[to] != '\t')
        ++to;
    select(from, to, false);
}

void AddressEdit::selectPreviousField(size_t p) {
    size_t from = p == 0 ? 0 : fieldStart(p - 1);
    size_t to = from;
    while (to < text_.size() && to - from < 3 && text_[to] != '\t')
        ++to;
    select(from, to, false);
}

size_t AddressEdit::deleteRange(size_t s, size_t e) {
    e = std::min(e, text_.size());
    s = std::min(s, e);
    // A start between a TAB and its dot would write a separator over the dot: begin at the
    // TAB instead. The separator is rewritten in place, so nothing more is removed.
    if (s < text_.size() && text_[s] == '.' && s > 0) --s;
    if (e > 0 && text_[e - 1] == '\t') --e; // a separator is never removed
    e = std::max(e, s);
    size_t f = fieldStart(e);
    std::string out = text_.substr(0, s);
    size_t read = s;
    while (f > read) {
        size_t dot = text_.find('.', read);
        read = dot == std::string::npos ? f : std::min(dot + 1, f);
        out += "\t.";
    }
    out.append(text_, e, std::string::npos);
    text_ = std::move(out);
    return s;
}

std::string AddressEdit::cut() {
    std::string taken;
    for (size_t i = start_; i < end_; ++i)
        if (text_[i] != '\t') taken.push_back(text_[i]);
    if (start_ == end_) return taken;
    size_t at = deleteRange(start_, end_);
    refresh();
    select(at, at, true);
    return taken;
}

void AddressEdit::badInput() {
    long answer = events_ ? events_->notifyBadInput() : 0;
    if (answer != -1 && events_) events_->beep();
}

void AddressEdit::typeDigit(char digit) {
    size_t s = start_, e = end_;
    // Separators at the start of a selection are not the typist's to overwrite: the digit
    // goes to the first selected digit position.
    while (s < e && isSeparator(text_[s]))
        ++s;
    // A caret between a TAB and its dot stands at the start of the next field.
    if (s == e && s < text_.size() && text_[s] == '.') e = ++s;

    size_t before = s - fieldStart(s);
    if (s == e) {
        size_t after = fieldEnd(s) - s;
        if (before + after >= 3) {
            badInput();
            return;
        }
        text_.insert(s, 1, digit);
    } else {
        if (s + (3 - before) < e) e = s + (3 - before);
        deleteRange(s + 1, e);
        text_[s] = digit;
    }

    size_t from = fieldStart(s), to = fieldEnd(s);
    unsigned value = 0;
    for (size_t i = from; i < to; ++i)
        value = value * 10 + (text_[i] - '0');
    bool tooBig = value > kMaxByte;
    if (tooBig) text_.replace(from, 3, "255");
    refresh();
    if (tooBig && events_) events_->invalidAddressByte();
    select(s + 1, s + 1, false);
}

Handling AddressEdit::character(char c) {
    if (isDigit(c)) {
        typeDigit(c);
    } else if (c == '.' || c == ' ') {
        selectNextField(start_);
    } else if (c == '\b') {
        size_t s = start_, e = end_;
        if (s == e && s > 0 && text_[s - 1] == '.') {
            selectPreviousField(s);
        } else {
            if (s == e && s > 0) --s;
            s = deleteRange(s, e);
            refresh();
            select(s, s, true);
        }
    } else if (c == '\t' || c == '\r' || c == 0x1B) {
        return Handling::Default;
    } else {
        badInput();
    }
    return Handling::Handled;
}

Handling AddressEdit::keyDown(EditKey key) {
    size_t s = start_, e = end_;
    switch (key) {
    case EditKey::Shift:
        shift_ = true;
        return Handling::Default;
    case EditKey::Left:
    case EditKey::Up:
        if (s == e && s > 0 && text_[s - 1] == '.')
            selectPreviousField(s);
        else if (shift_)
            select(s > 0 ? s - 1 : s, e, true);
        else if (e > 0)
            select(e - 1, e - 1, true);
        return Handling::Handled;
    case EditKey::Right:
    case EditKey::Down:
        if (s < text_.size()) {
            if (text_[s] == '\t')
                selectNextField(s);
            else if (shift_)
                select(s, e < text_.size() ? e + 1 : e, true);
            else
                select(s + 1, s + 1, true);
        }
        return Handling::Handled;
    case EditKey::Delete:
        // At the end of the text there is nothing after the caret to take.
        if (s == e) e = std::min(s + 1, text_.size());
        s = deleteRange(s, e);
        refresh();
        select(s, s, true);
        return Handling::Handled;
    // What the edit control underneath does with these; they change only the selection.
    case EditKey::Home:
        select(0, shift_ ? e : 0, true);
        return Handling::Handled;
    case EditKey::End:
        select(shift_ ? s : text_.size(), text_.size(), true);
        return Handling::Handled;
    case EditKey::Other:
        break;
    }
    return Handling::Default;
}

Handling AddressEdit::keyUp(EditKey key) {
    if (key == EditKey::Shift) shift_ = false;
    return Handling::Default;
}

bool IsValidFieldText(std::string_view text) {
    if (text.size() > kFieldTextMax) return false;
    size_t i = 0;
    for (int field = 0; field < 4; ++field) {
        size_t digits = 0;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
        if (digits > 3) return false;
        if (field == 3) break;
        if (text.substr(i, 2) != "\t.") return false;
        i += 2;
    }
    return i == text.size();
}

uint32_t AddressEditStyle(uint32_t style) {
    return (style & 0xFFFF0000u) | kEditMultiline;
}

WindowClasses::Procedure AddressEditProcedure() {
    return &kProcedureTag;
}

bool RegisterAddressEditClass(WindowClasses& classes) {
    if (!classes.find(WindowClasses::kEditClass)) return false;
    if (auto existing = classes.find(kAddressEditClass)) return *existing == AddressEditProcedure();
    return classes.registerClass(kAddressEditClass, AddressEditProcedure()) == err::Success;
}

} // namespace lntc
