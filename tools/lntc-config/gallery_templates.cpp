#include "gallery_templates.h"

namespace lntc {

#ifdef LNTC_HAVE_BUILTIN_TEMPLATES

std::span<const DialogTemplate* const> galleryTemplates() {
    return builtinTemplates();
}

#else

namespace {

using K = ControlKind;
constexpr uint32_t Tab = cs::TabStop;

constexpr ControlTemplate kSampleControls[] = {
    {0xFFFF, K::Static, "&Name:", 7, 9, 40, 8, 0},
    {4001, K::Edit, nullptr, 50, 7, 90, 12, Tab | cs::Group},
    {0xFFFF, K::Static, "&Address:", 7, 25, 40, 8, 0},
    {4002, K::AddressEdit, nullptr, 50, 23, 90, 12, Tab},
    {0xFFFF, K::Static, "&Timeout (sec):", 7, 41, 50, 8, 0},
    {4003, K::Edit, nullptr, 60, 39, 30, 12, Tab | cs::Number},
    {4004, K::ScrollBar, nullptr, 90, 39, 8, 12, cs::Vertical},
    {0xFFFF, K::GroupBox, "Connectivity", 7, 56, 140, 46, 0},
    {4101, K::RadioButton, "Print &Manager", 14, 67, 120, 10, Tab | cs::Group},
    {4102, K::RadioButton, "&TCP Direct", 14, 78, 120, 10, 0},
    {4103, K::RadioButton, "&Other/Parallel", 14, 89, 120, 10, 0},
    {4200, K::CheckBox, "&Center Image on Print", 7, 107, 120, 10, Tab | cs::Group},
    {4300, K::ListBox, nullptr, 155, 7, 90, 50, Tab | cs::VScroll},
    {4400, K::ComboBox, nullptr, 155, 62, 90, 60, Tab | cs::DropDownList},
    {4401, K::ComboBox, nullptr, 155, 80, 90, 60, Tab | cs::DropDown},
    {ctl::Ok, K::DefPushButton, "OK", 255, 7, 50, 14, Tab | cs::Group},
    {ctl::Cancel, K::PushButton, "Cancel", 255, 24, 50, 14, Tab},
    {ctl::Help, K::PushButton, "&Help", 255, 41, 50, 14, Tab},
};

constexpr ControlTemplate kWaitControls[] = {
    {100, K::Static, "Please wait...", 10, 20, 120, 20, cs::Center},
};

constexpr DialogTemplate kSamples[] = {
    {1, "Sample of every control", 312, 125, ds::Caption | ds::SysMenu | ds::Modal, "MS Sans Serif",
     8, kSampleControls},
    {900, nullptr, 140, 60, ds::Popup, "MS Sans Serif", 8, kWaitControls},
};

constexpr const DialogTemplate* kSampleList[] = {&kSamples[0], &kSamples[1]};

} // namespace

std::span<const DialogTemplate* const> galleryTemplates() {
    return kSampleList;
}

#endif

} // namespace lntc
