#include "ui/dialog.h"

#include "platform/c_locale.h"
#include "resources/formats.h"
#include "resources/framework_strings.h"
#include "resources/value_range.h"
#include "ui/address_edit.h"
#include "ui/list_rules.h"
#include "ui/message_box.h"
#include "ui/window_model.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <numeric>
#include <type_traits>

namespace lntc {

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A whole decimal number within [lo, hi], blanks around it allowed. Unlike the classic
// framework, a number too large for its type is refused instead of saturated.
bool parseInteger(std::string_view text, bool allowSign, int64_t lo, int64_t hi, int64_t& out) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || (text.front() == '-' && !allowSign)) return false;
    int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool isEditKind(const ControlTemplate* c) {
    return c != nullptr && takesText(c->kind, c->style);
}

bool isMultiSelect(const ControlTemplate* c) {
    return c != nullptr && lntc::isMultiSelect(c->kind, c->style);
}

} // namespace

bool parseReal(std::string_view text, double& out) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double v = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool spinStep(Scroll code, double& value, const SpinRange& r) {
    constexpr double kMargin = 1e-9; // below any step, so whole numbers compare exactly
    if (code == Scroll::LineUp && value <= r.high - r.step + kMargin)
        value += r.step;
    else if (code == Scroll::LineDown && value >= r.low + r.step - kMargin)
        value -= r.step;
    else
        return false;
    if (r.outside == SpinOutside::Clamp) value = std::clamp(value, r.low, r.high);
    return true;
}

// --- data exchange ---------------------------------------------------------------------

void DataExchange::prepareControl(int id, bool isEdit) {
    lastControl_ = id;
    lastIsEdit_ = isEdit;
}

void DataExchange::fail() {
    if (save_ && lastControl_ != 0) {
        dialog_.setFocus(lastControl_);
        if (lastIsEdit_) dialog_.selectAllText(lastControl_);
    }
    failed_ = true;
}

void DataExchange::failWith(uint32_t messageId, const std::string& arg1, const std::string& arg2) {
    failWithText(fillFrameworkArgs(dialog_.context().strings().load(messageId), arg1, arg2));
}

void DataExchange::failWithText(const std::string& text) {
    UiContext& lib = dialog_.context();
    lib.host().messageBox(dialog_.window(), text, lib.strings().load(fwstr::AppName),
                          mb::Ok | mb::IconExclamation);
    fail();
}

void ddxText(DataExchange& dx, int id, std::string& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, isEditKind(d.control(id)));
    if (dx.saving())
        value = d.windowText(id);
    else
        d.setWindowText(id, value);
}

namespace {

// Both integer exchanges: the text of the control within the type's whole range.
template <typename T> void exchangeInteger(DataExchange& dx, int id, T& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, true);
    if (!dx.saving()) {
        d.setWindowText(id, std::to_string(value));
        return;
    }
    int64_t v = 0;
    if (!parseInteger(d.windowText(id), std::is_signed_v<T>, std::numeric_limits<T>::min(),
                      std::numeric_limits<T>::max(), v)) {
        dx.failWith(fwstr::ParseInt);
        return;
    }
    value = static_cast<T>(v);
}

} // namespace

void ddxInt(DataExchange& dx, int id, int& value) {
    exchangeInteger(dx, id, value);
}

void ddxUInt(DataExchange& dx, int id, uint32_t& value) {
    exchangeInteger(dx, id, value);
}

void ddxDouble(DataExchange& dx, int id, double& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, true);
    if (!dx.saving()) {
        d.setWindowText(id, formatFrameworkReal(value));
        return;
    }
    double v = 0;
    if (!parseReal(d.windowText(id), v)) {
        dx.failWith(fwstr::ParseReal);
        return;
    }
    value = v;
}

void ddxCheck(DataExchange& dx, int id, int& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, false);
    if (dx.saving()) {
        value = d.isChecked(id);
    } else {
        if (value < 0 || value > 2) value = 0; // not a state a check box can show
        d.check(id, value);
    }
}

void ddxRadio(DataExchange& dx, int id, int& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, false);
    std::vector<int> group = d.radioGroup(id);
    if (dx.saving()) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (d.isChecked(group[i])) {
                value = static_cast<int>(i);
                break;
            }
    } else {
        for (size_t i = 0; i < group.size(); ++i)
            d.check(group[i], static_cast<int>(i) == value ? 1 : 0);
    }
}

void ddxCBString(DataExchange& dx, int id, std::string& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, isEditKind(d.control(id)));
    if (dx.saving()) {
        value = d.windowText(id);
    } else if (d.selectString(id, -1, value) < 0) {
        d.setWindowText(id, value); // a drop-down list ignores it
    }
}

void ddxCBIndex(DataExchange& dx, int id, int& index) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, false);
    if (dx.saving())
        index = d.getCurSel(id);
    else
        d.setCurSel(id, index);
}

void ddxLBString(DataExchange& dx, int id, std::string& value) {
    if (dx.failed()) return;
    Dialog& d = dx.dialog();
    dx.prepareControl(id, false);
    if (dx.saving()) {
        int i = d.getCurSel(id);
        value = i >= 0 ? d.getText(id, i) : std::string();
    } else {
        d.selectString(id, -1, value); // no match leaves the selection as it is
    }
}

void ddvMaxChars(DataExchange& dx, const std::string& value, int maxChars) {
    if (dx.failed()) return;
    if (!dx.saving()) {
        dx.dialog().limitText(dx.lastControl(), maxChars);
        return;
    }
    if (value.size() > static_cast<size_t>(maxChars))
        dx.failWithText(MaxCharsMessage(dx.dialog().context().strings(), maxChars));
}

void ddvMinMaxInt(DataExchange& dx, int value, int minValue, int maxValue) {
    ddvRange(dx, value, {static_cast<double>(minValue), static_cast<double>(maxValue)});
}

void ddvMinMaxUInt(DataExchange& dx, uint32_t value, uint32_t minValue, uint32_t maxValue) {
    ddvRange(dx, value, {static_cast<double>(minValue), static_cast<double>(maxValue)});
}

void ddvMinMaxDouble(DataExchange& dx, double value, double minValue, double maxValue) {
    ddvRange(dx, value, {minValue, maxValue});
}

void ddvRange(DataExchange& dx, uint32_t value, const ValueRange& range) {
    if (dx.failed() || !dx.saving()) return;
    if (!range.holds(value))
        dx.failWithText(IntegerRangeMessage(dx.dialog().context().strings(), range));
}

void ddvRange(DataExchange& dx, int value, const ValueRange& range) {
    if (dx.failed() || !dx.saving()) return;
    if (!range.holds(value))
        dx.failWithText(IntegerRangeMessage(dx.dialog().context().strings(), range));
}

void ddvRange(DataExchange& dx, double value, const ValueRange& range) {
    if (dx.failed() || !dx.saving()) return;
    if (!range.holds(value))
        dx.failWithText(NumberRangeMessage(dx.dialog().context().strings(), range));
}

// --- dialog ----------------------------------------------------------------------------

Dialog::Dialog(UiContext& lib, uint16_t templateId, Dialog* parent)
    : ui_(lib), templateId_(templateId), parent_(parent),
      template_(lib.templates().find(templateId)) {}

Dialog::~Dialog() {
    if (WindowModel* m = windows(); m != nullptr && !modal_) m->destroyWindow(window_);
}

Host& Dialog::host() {
    return ui_.host();
}

WindowModel* Dialog::windows() {
    return window_ != nullptr ? ui_.host().windows() : nullptr;
}

template <class F> void Dialog::guarded(const char* what, F&& f) {
    // No exception may unwind into the host's event loop.
    try {
        f();
    } catch (const std::exception& e) {
        ui_.logError(0, templateId_, std::string("LNTC: dialog ") + what + " failed: " + e.what());
    } catch (...) {
        ui_.logError(0, templateId_, std::string("LNTC: dialog ") + what + " failed");
    }
}

const ControlTemplate* Dialog::control(int id) const {
    if (template_ == nullptr) return nullptr;
    for (const ControlTemplate& c : template_->controls)
        if (c.id == id) return &c;
    return nullptr;
}

std::vector<int> Dialog::radioGroup(int id) const {
    std::vector<int> group;
    if (template_ == nullptr) return group;
    const auto& cs_ = template_->controls;
    size_t i = 0;
    while (i < cs_.size() && cs_[i].id != id)
        ++i;
    for (size_t k = i; k < cs_.size(); ++k) {
        const ControlTemplate& c = cs_[k];
        if (c.kind != ControlKind::RadioButton || (k != i && (c.style & cs::Group))) break;
        group.push_back(c.id);
    }
    return group;
}

bool Dialog::isList(int id) const {
    const ControlTemplate* c = control(id);
    return c != nullptr && isListKind(c->kind);
}

int Dialog::doModal() {
    WindowModel* m = host().windows();
    if (m == nullptr || template_ == nullptr || window_ != nullptr) return -1;
    modal_ = true;
    int code = m->runModal(*this, *template_, parent_ != nullptr ? parent_->window_ : nullptr);
    window_ = nullptr;
    modal_ = false;
    return code;
}

void Dialog::endDialog(int code) {
    if (WindowModel* m = windows(); m != nullptr && modal_) m->endModal(window_, code);
}

bool Dialog::createModeless() {
    WindowModel* m = host().windows();
    if (m == nullptr || template_ == nullptr || window_ != nullptr) return false;
    modal_ = false;
    WindowRef w =
        m->createModeless(*this, *template_, parent_ != nullptr ? parent_->window_ : nullptr);
    if (w == nullptr) window_ = nullptr;
    return w != nullptr;
}

void Dialog::destroyWindow() {
    WindowModel* m = windows();
    if (m == nullptr || modal_) return;
    WindowRef w = window_;
    window_ = nullptr;
    m->destroyWindow(w);
}

void Dialog::setTitle(const std::string& title) {
    if (WindowModel* m = windows()) m->setTitle(window_, title);
}
void Dialog::setWindowText(int id, const std::string& text) {
    if (WindowModel* m = windows()) m->setText(window_, id, text);
}
std::string Dialog::windowText(int id) {
    WindowModel* m = windows();
    return m ? m->text(window_, id) : std::string();
}

void Dialog::setDlgItemInt(int id, int64_t value, bool isSigned) {
    if (!isSigned) value = static_cast<uint32_t>(value);
    setWindowText(id, std::to_string(value));
}

int64_t Dialog::getDlgItemInt(int id, bool* translated, bool isSigned) {
    int64_t v = 0;
    bool ok = isSigned
                  ? parseInteger(windowText(id), true, std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max(), v)
                  : parseInteger(windowText(id), false, 0, std::numeric_limits<uint32_t>::max(), v);
    if (translated != nullptr) *translated = ok;
    return ok ? v : 0;
}

void Dialog::spin(int field, Scroll code, const SpinRange& range) {
    double value = 0;
    if (range.format == nullptr)
        value = static_cast<double>(getDlgItemInt(field, nullptr, range.isSigned));
    else if (!parseReal(windowText(field), value))
        value = 0;
    if (!spinStep(code, value, range)) return;
    if (range.format == nullptr)
        setDlgItemInt(field, static_cast<int64_t>(value), range.isSigned);
    else
        setWindowText(field, formatMessage(range.format, value));
}

void Dialog::enable(int id, bool on) {
    if (WindowModel* m = windows()) m->enable(window_, id, on);
}
bool Dialog::isEnabled(int id) {
    WindowModel* m = windows();
    return m && m->isEnabled(window_, id);
}
void Dialog::show(int id, bool on) {
    if (WindowModel* m = windows()) m->show(window_, id, on);
}
bool Dialog::isVisible(int id) {
    WindowModel* m = windows();
    return m && m->isVisible(window_, id);
}
void Dialog::check(int id, int state) {
    if (WindowModel* m = windows()) m->setCheck(window_, id, state);
}
int Dialog::isChecked(int id) {
    WindowModel* m = windows();
    return m ? m->check(window_, id) : 0;
}

void Dialog::checkRadioButton(int first, int last, int id) {
    for (int i = first; i <= last; ++i)
        if (control(i) != nullptr) check(i, i == id ? 1 : 0);
}

int Dialog::checkedRadioButton(int first, int last) {
    for (int i = first; i <= last; ++i)
        if (control(i) != nullptr && isChecked(i) == 1) return i;
    return 0;
}

void Dialog::limitText(int id, int maxChars) {
    if (WindowModel* m = windows()) m->limitText(window_, id, maxChars);
}

void Dialog::selectAllText(int id) {
    if (WindowModel* m = windows()) m->selectAllText(window_, id);
}

int Dialog::addString(int id, const std::string& text) {
    WindowModel* m = windows();
    if (!m || !isList(id)) return -1;
    int index = -1;
    if (control(id)->style & cs::Sorted)
        index = sortedInsertPosition(
            getCount(id), [&](int i) { return getText(id, i); }, text);
    return m->insertItem(window_, id, index, text);
}

int Dialog::addStrings(int id, std::vector<std::string> texts) {
    WindowModel* m = windows();
    if (!m || !isList(id)) return -1;
    const int count = getCount(id);
    // One by one, a full list refuses the later texts.
    const size_t room = static_cast<size_t>(std::max(0, kListMaxItems - count));
    if (texts.size() > room) texts.resize(room);
    std::vector<int> at(texts.size());
    if (control(id)->style & cs::Sorted) {
        sortLikeSortedBox(texts);
        // Each goes before the first item that is not below it, as addString puts it.
        const std::vector<ModelItem>& items = *listItems(id);
        size_t j = 0;
        for (size_t i = 0; i < texts.size(); ++i) {
            while (j < items.size() && compareNoCase(items[j].text, texts[i]) < 0)
                ++j;
            at[i] = static_cast<int>(i + j);
        }
    } else {
        std::iota(at.begin(), at.end(), count);
    }
    return m->insertItems(window_, id, at, std::move(texts));
}

int Dialog::insertString(int id, int index, const std::string& text) {
    WindowModel* m = windows();
    if (!m || !isList(id) || index < -1 || index > getCount(id)) return -1;
    return m->insertItem(window_, id, index, text);
}

int Dialog::deleteString(int id, int index) {
    WindowModel* m = windows();
    if (!m || !isList(id) || index < 0 || index >= getCount(id)) return -1;
    return m->deleteItem(window_, id, index);
}

void Dialog::resetContent(int id) {
    WindowModel* m = windows();
    if (m && isList(id)) m->resetItems(window_, id);
}

int Dialog::getCount(int id) {
    WindowModel* m = windows();
    return m && isList(id) ? m->itemCount(window_, id) : -1;
}

std::string Dialog::getText(int id, int index) {
    WindowModel* m = windows();
    if (!m || index < 0 || index >= getCount(id)) return {};
    return m->itemText(window_, id, index);
}

const std::vector<ModelItem>* Dialog::listItems(int id) {
    WindowModel* m = windows();
    const ModelWindow* w = m != nullptr && isList(id) ? m->find(window_) : nullptr;
    const ModelControl* c = w != nullptr ? w->find(id) : nullptr;
    return c != nullptr ? &c->items : nullptr;
}

int Dialog::findString(int id, int start, const std::string& text) {
    const std::vector<ModelItem>* items = listItems(id);
    if (items == nullptr) return -1;
    return findItem(
        static_cast<int>(items->size()),
        [&](int i) -> const std::string& { return (*items)[static_cast<size_t>(i)].text; }, start,
        text, false);
}

int Dialog::findStringExact(int id, int start, const std::string& text) {
    const std::vector<ModelItem>* items = listItems(id);
    if (items == nullptr) return -1;
    return findItem(
        static_cast<int>(items->size()),
        [&](int i) -> const std::string& { return (*items)[static_cast<size_t>(i)].text; }, start,
        text, true);
}

int Dialog::setCurSel(int id, int index) {
    WindowModel* m = windows();
    const ControlTemplate* c = control(id);
    if (!m || !isList(id) || isMultiSelect(c)) return -1;
    int count = getCount(id);
    if (index < 0 || index >= count) {
        // A list box keeps its selection on a bad index; a combo box clears it.
        if (index < 0 || c->kind == ControlKind::ComboBox) m->setCurSel(window_, id, -1);
        return -1;
    }
    m->setCurSel(window_, id, index);
    return index;
}

int Dialog::getCurSel(int id) {
    WindowModel* m = windows();
    return m && isList(id) ? m->curSel(window_, id) : -1;
}

int Dialog::selectString(int id, int start, const std::string& text) {
    if (isMultiSelect(control(id))) return -1;
    int index = findString(id, start, text);
    if (index >= 0) setCurSel(id, index);
    return index;
}

int Dialog::setSel(int id, int index, bool on) {
    WindowModel* m = windows();
    if (!m || !isMultiSelect(control(id))) return -1;
    int count = getCount(id);
    if (index == -1) {
        for (int i = 0; i < count; ++i)
            m->setSelected(window_, id, i, on);
        return 0;
    }
    if (index < 0 || index >= count) return -1;
    m->setSelected(window_, id, index, on);
    return 0;
}

bool Dialog::getSel(int id, int index) {
    WindowModel* m = windows();
    if (!m || index < 0 || index >= getCount(id)) return false;
    if (isMultiSelect(control(id))) return m->isSelected(window_, id, index);
    return getCurSel(id) == index;
}

int Dialog::getSelCount(int id) {
    WindowModel* m = windows();
    if (!m || !isMultiSelect(control(id))) return -1;
    int n = 0, count = getCount(id);
    for (int i = 0; i < count; ++i)
        n += m->isSelected(window_, id, i) ? 1 : 0;
    return n;
}

std::vector<int> Dialog::getSelItems(int id) {
    WindowModel* m = windows();
    std::vector<int> out;
    if (!m || !isMultiSelect(control(id))) return out;
    int count = getCount(id);
    for (int i = 0; i < count; ++i)
        if (m->isSelected(window_, id, i)) out.push_back(i);
    return out;
}

int Dialog::setItemData(int id, int index, uintptr_t data) {
    WindowModel* m = windows();
    if (!m || index < 0 || index >= getCount(id)) return -1;
    m->setItemData(window_, id, index, data);
    return 0;
}

uintptr_t Dialog::getItemData(int id, int index) {
    WindowModel* m = windows();
    if (!m || index < 0 || index >= getCount(id)) return 0;
    return m->itemData(window_, id, index);
}

void Dialog::setFocus(int id) {
    if (WindowModel* m = windows()) m->setFocus(window_, id);
}
FocusTarget Dialog::focusedWindow() {
    WindowModel* m = windows();
    return m ? m->focus(window_) : FocusTarget{};
}
int Dialog::focusedControl() {
    return focusedWindow().control;
}
void Dialog::setDefaultButton(int id) {
    if (WindowModel* m = windows()) m->setDefaultButton(window_, id);
}
int Dialog::defaultButton() {
    WindowModel* m = windows();
    return m ? m->defaultButton(window_) : 0;
}

bool Dialog::updateData(bool save) {
    DataExchange dx(*this, save);
    bool oldLockout = lockout_;
    lockout_ = true;
    bool threw = true;
    guarded("data exchange", [&] {
        doDataExchange(dx);
        threw = false;
    });
    lockout_ = oldLockout;
    return !threw && !dx.failed();
}

void Dialog::applyReadOnlyRegistry() {
    if (!ui_.registryReadOnly()) return;
    enable(ctl::Ok, false);
    setDefaultButton(ctl::Cancel);
}

bool Dialog::onInitDialog() {
    updateData(false);
    return true;
}

void Dialog::onOK() {
    if (!updateData(true)) return; // the failed check has put the focus on its control
    endDialog(id::Ok);
}

void Dialog::onCancel() {
    endDialog(id::Cancel);
}
void Dialog::onCommand(int, Notify) {}
void Dialog::onScroll(int, Scroll) {}
void Dialog::onSetFocus(int) {}
void Dialog::onKillFocus(int) {}
void Dialog::onHelp() {}
bool Dialog::onHelpRequest() {
    return false;
}
void Dialog::doDataExchange(DataExchange&) {}

bool Dialog::dispatchInit(WindowRef window) {
    window_ = window;
    bool defaultFocus = true;
    guarded("initialisation", [&] { defaultFocus = onInitDialog(); });
    return defaultFocus;
}

void Dialog::dispatchCommand(int id, Notify code) {
    if (lockout_) return;
    guarded("command", [&] {
        if (code == Notify::Clicked && id == ctl::Ok)
            onOK();
        else if (code == Notify::Clicked && id == ctl::Cancel)
            onCancel();
        else if (code == Notify::Clicked && id == ctl::Help)
            onHelp();
        else
            onCommand(id, code);
    });
}

void Dialog::dispatchScroll(int id, Scroll code) {
    if (lockout_) return;
    guarded("scroll", [&] { onScroll(id, code); });
}

void Dialog::dispatchFocus(int id, bool gained) {
    if (lockout_) return;
    guarded("focus", [&] {
        if (gained)
            onSetFocus(id);
        else
            onKillFocus(id);
    });
}

long Dialog::dispatchControlNotify(int id, uint16_t code) {
    long answer = 0;
    if (lockout_) return answer;
    guarded("notify", [&] { answer = onControlNotify(id, code); });
    return answer;
}

void Dialog::dispatchHelpRequest() {
    guarded("help", [&] { onHelpRequest(); });
}

void Dialog::dispatchInvalidAddressByte(int) {
    guarded("notify", [&] { ShowInvalidAddressByte(ui_, window_); });
}

// --- help dialog -----------------------------------------------------------------------

void HelpDialog::winHelp(uint32_t data, uint32_t command) {
    context().host().showHelp(window(), context().helpFile(), command, data);
}

void HelpDialog::onHelp() {
    winHelp(helpContext_, help::Context);
}

bool HelpDialog::onHelpRequest() {
    FocusTarget f = focusedWindow();
    // The edit inside an editable combo box asks for the combo's help. Without any focused
    // control the request falls back to the dialog's own context.
    uint32_t context = f.control != 0 ? static_cast<uint32_t>(f.control) : helpContext_;
    winHelp(context, help::Context);
    return true;
}

// --- wait dialog -----------------------------------------------------------------------

WaitDialog::WaitDialog(UiContext& lib, uint32_t messageId, Dialog* parent)
    : Dialog(lib, kTemplateId, parent) {
    if (auto text = lib.strings().find(messageId)) {
        message_ = *text;
    } else {
        message_ = lib.strings().load(str::MissingMessage);
        ErrorIdNoOwner(lib, str::MissingMessageId, static_cast<int>(messageId));
    }
    if (!createModeless()) return;
    if (const DialogTemplate* t = lib.templates().find(kTemplateId)) {
        for (const ControlTemplate& c : t->controls) {
            if (c.kind == ControlKind::Static) {
                setWindowText(c.id, message_);
                break;
            }
        }
    }
}

WaitDialog::~WaitDialog() {
    destroyWindow();
}

bool WaitDialog::onInitDialog() {
    WindowModel& h = *windows();
    Rect screen = h.screenRect();
    Rect own = h.windowRect(window());
    h.placeWindow(window(), screen.x + (screen.cx - own.cx) / 2,
                  screen.y + (screen.cy - own.cy) / 2, true);
    return true;
}

} // namespace lntc
