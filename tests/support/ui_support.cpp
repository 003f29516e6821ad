#include "support/ui_support.h"

#include <gtest/gtest.h>

namespace lntc::test {

namespace {

using K = ControlKind;
constexpr uint32_t Tab = cs::TabStop;

constexpr ControlTemplate kValuesControls[] = {
    {ctl::Static, K::Static, "&Count:", 5, 5, 40, 8, 0},
    {tc::Count, K::Edit, nullptr, 50, 5, 40, 12, Tab | cs::Group},
    {tc::Name, K::Edit, nullptr, 50, 20, 80, 12, Tab},
    {tc::Ratio, K::Edit, nullptr, 50, 35, 40, 12, Tab},
    {tc::Radio1, K::RadioButton, "&One", 5, 50, 40, 10, Tab | cs::Group},
    {tc::Radio2, K::RadioButton, "&Two", 5, 60, 40, 10, 0},
    {tc::Radio3, K::RadioButton, "T&hree", 5, 70, 40, 10, 0},
    {tc::Other1, K::RadioButton, "&Left", 60, 50, 40, 10, Tab | cs::Group},
    {tc::Other2, K::RadioButton, "&Right", 60, 60, 40, 10, 0},
    {tc::Check, K::CheckBox, "&Always", 5, 85, 60, 10, Tab | cs::Group},
    {tc::Sorted, K::ListBox, nullptr, 5, 100, 80, 40, Tab | cs::Sorted | cs::VScroll},
    {tc::Extended, K::ListBox, nullptr, 90, 100, 80, 40, Tab | cs::ExtendedSel},
    {tc::DropList, K::ComboBox, nullptr, 5, 145, 80, 60, Tab | cs::DropDownList | cs::Sorted},
    {tc::Editable, K::ComboBox, nullptr, 90, 145, 80, 60, Tab | cs::DropDown},
    {tc::Spin, K::ScrollBar, nullptr, 92, 5, 8, 12, cs::Vertical},
    {tc::Address, K::AddressEdit, nullptr, 90, 85, 100, 12, Tab},
    {ctl::Ok, K::DefPushButton, "OK", 200, 5, 50, 14, Tab | cs::Group},
    {ctl::Cancel, K::PushButton, "Cancel", 200, 22, 50, 14, Tab},
    {ctl::Help, K::PushButton, "&Help", 200, 39, 50, 14, Tab},
};

constexpr ControlTemplate kWaitControls[] = {
    {tc::WaitText, K::Static, "", 10, 20, 120, 20, cs::Center},
};

const DialogTemplate kTemplates[] = {
    {kValuesTemplate, "Values", 260, 200, ds::Caption | ds::SysMenu | ds::Modal, "MS Sans Serif", 8,
     kValuesControls},
    {WaitDialog::kTemplateId, nullptr, 140, 60, ds::Popup, "MS Sans Serif", 8, kWaitControls},
};

} // namespace

const DialogTemplate* testTemplate(uint16_t id) {
    for (const auto& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}

std::vector<std::string> boxLines(const HeadlessHost& host) {
    std::vector<std::string> out;
    for (const HeadlessBox& b : host.boxes)
        out.push_back(b.text + "|" + b.caption + "|" + std::to_string(b.style) + "|" +
                      std::to_string(b.ownerTemplate));
    return out;
}

HeadlessLibrary::HeadlessLibrary(bool testTemplates) : t(machine) {
    t.lib().setHost(host);
    if (testTemplates) t.lib().templates().pushFront(testTemplate);
    host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
}

std::vector<std::string> HeadlessLibrary::takeBoxes(size_t n, bool withCaption) {
    std::vector<std::string> out;
    for (const HeadlessBox& b : host.boxes)
        out.push_back(((withCaption ? b.caption + ": " : "") + b.text).substr(0, n));
    host.boxes.clear();
    return out;
}

} // namespace lntc::test
