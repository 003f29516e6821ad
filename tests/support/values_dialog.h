// A small dialog over template 500 that records what it is told.
#pragma once
#include "support/ui_support.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc::test {

class ValuesDialog : public HelpDialog {
  public:
    explicit ValuesDialog(Library& lib, Dialog* parent = nullptr)
        : HelpDialog(lib, kValuesTemplate, parent) {}
    uint32_t count = 5;
    std::string name = "abc";
    double ratio = 1.5;
    int radio = 1;
    int checked = 0;
    std::string typed;
    std::vector<std::string> events;
    std::function<void(ValuesDialog&)> atInit;
    std::function<void(ValuesDialog&, int)> atKillFocus;

  protected:
    void doDataExchange(DataExchange& dx) override {
        ddxUInt(dx, tc::Count, count);
        ddvMinMaxUInt(dx, count, 1, 20);
        ddxText(dx, tc::Name, name);
        ddvMaxChars(dx, name, 8);
        ddxDouble(dx, tc::Ratio, ratio);
        ddvMinMaxDouble(dx, ratio, 0.5, 9.5);
        ddxRadio(dx, tc::Radio1, radio);
        ddxCheck(dx, tc::Check, checked);
        ddxCBString(dx, tc::Editable, typed);
    }
    bool onInitDialog() override {
        for (const char* s : {"Gothic", "default", "Mincho"})
            addString(tc::DropList, s);
        for (const char* s : {"Alpha", "Beta", "Gamma"})
            addString(tc::Editable, s);
        HelpDialog::onInitDialog();
        applyReadOnlyRegistry();
        if (atInit) atInit(*this);
        return true;
    }
    void onSetFocus(int id) override { events.push_back("set " + std::to_string(id)); }
    void onKillFocus(int id) override {
        events.push_back("kill " + std::to_string(id));
        if (atKillFocus) atKillFocus(*this, id);
    }
    void onCommand(int id, Notify code) override {
        events.push_back("cmd " + std::to_string(id) + " " + std::to_string(int(code)));
    }
    long onControlNotify(int id, uint16_t code) override {
        events.push_back("notify " + std::to_string(id) + " " + std::to_string(code));
        return -1;
    }
    void onScroll(int id, Scroll code) override {
        bool ok = false;
        int64_t v = getDlgItemInt(tc::Count, &ok);
        if (ok && id == tc::Spin && code == Scroll::LineUp) setDlgItemInt(tc::Count, v + 1);
        if (ok && id == tc::Spin && code == Scroll::LineDown) setDlgItemInt(tc::Count, v - 1);
    }
};

// The events that start with one of the prefixes.
inline std::vector<std::string> only(const std::vector<std::string>& events,
                                     std::initializer_list<std::string_view> prefixes) {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](auto p) { return e.starts_with(p); }))
            out.push_back(e);
    return out;
}

} // namespace lntc::test
