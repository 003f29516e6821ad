#include "ui/win32/dialog_template.h"

#include "platform/win32/text.h"
#include "ui/address_edit.h"

#include <windows.h>

#include <string>

namespace lntc::win32 {

namespace {

// The predefined classes, by the atoms the template format gives them.
constexpr uint16_t kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083,
                   kScrollBar = 0x0084, kComboBox = 0x0085;
// Ten rows of an 8-point font under the closed box.
constexpr int kDroppedRows = 10 * 8;

class Writer {
  public:
    std::vector<uint8_t> bytes;
    void word(uint16_t v) { raw(&v, sizeof v); }
    void dword(uint32_t v) { raw(&v, sizeof v); }
    void text(const std::wstring& s) {
        raw(s.c_str(), (s.size() + 1) * sizeof(wchar_t)); // with its terminating zero
    }
    void atom(uint16_t a) {
        word(0xFFFF);
        word(a);
    }
    void align(size_t to) {
        while (bytes.size() % to != 0)
            bytes.push_back(0);
    }

  private:
    void raw(const void* p, size_t n) {
        auto* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
};

uint16_t classAtom(ControlKind k) {
    switch (k) {
    case ControlKind::Static:
    case ControlKind::Picture:
        return kStatic;
    case ControlKind::Edit:
        return kEdit;
    case ControlKind::ListBox:
        return kListBox;
    case ControlKind::ComboBox:
        return kComboBox;
    case ControlKind::ScrollBar:
        return kScrollBar;
    default:
        return kButton;
    }
}

} // namespace

uint32_t DialogStyle(const DialogTemplate& t) {
    // Hidden until the dialog has initialised it; the host shows it.
    uint32_t s = WS_POPUP | DS_SETFONT;
    if (t.style & ds::Caption) s |= WS_CAPTION | DS_MODALFRAME;
    if (t.style & ds::SysMenu) s |= WS_SYSMENU;
    if (t.style & ds::Centered) s |= DS_CENTER;
    return s;
}

uint32_t ControlStyle(const ControlTemplate& c) {
    const uint32_t b = c.style;
    uint32_t s = WS_CHILD;
    if (!(b & cs::Hidden)) s |= WS_VISIBLE;
    if (b & cs::Disabled) s |= WS_DISABLED;
    if (b & cs::Group) s |= WS_GROUP;
    if (b & cs::TabStop) s |= WS_TABSTOP;
    if (b & cs::VScroll) s |= WS_VSCROLL;
    if (b & cs::Border) s |= WS_BORDER;
    switch (c.kind) {
    case ControlKind::Static:
        s |= (b & cs::Center) ? SS_CENTER : (b & cs::Right) ? SS_RIGHT : SS_LEFT;
        if (b & cs::Sunken) s |= SS_SUNKEN;
        if (b & cs::NoPrefix) s |= SS_NOPREFIX;
        break;
    case ControlKind::Picture:
        s |= SS_BLACKFRAME;
        break;
    case ControlKind::GroupBox:
        s |= BS_GROUPBOX;
        break;
    case ControlKind::PushButton:
        s |= BS_PUSHBUTTON;
        break;
    case ControlKind::DefPushButton:
        s |= BS_DEFPUSHBUTTON;
        break;
    // Not the automatic kinds: the model checks them.
    case ControlKind::CheckBox:
        s |= BS_CHECKBOX;
        break;
    case ControlKind::RadioButton:
        s |= BS_RADIOBUTTON;
        break;
    case ControlKind::Edit:
        s |= ES_LEFT | WS_BORDER;
        if (b & cs::AutoHScroll) s |= ES_AUTOHSCROLL;
        if (b & cs::ReadOnly) s |= ES_READONLY;
        if (b & cs::MultiLine) s |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (b & cs::Number) s |= ES_NUMBER;
        if (b & cs::Password) s |= ES_PASSWORD;
        break;
    // The model keeps the order it is told: the system does not sort.
    case ControlKind::ListBox:
        s |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        if (b & cs::ExtendedSel) s |= LBS_EXTENDEDSEL;
        if (b & cs::MultiSel) s |= LBS_MULTIPLESEL;
        break;
    case ControlKind::ComboBox:
        s |= (b & cs::DropDownList) ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
        if (b & cs::AutoHScroll) s |= CBS_AUTOHSCROLL;
        break;
    case ControlKind::ScrollBar:
        s |= (b & cs::Vertical) ? SBS_VERT : SBS_HORZ;
        break;
    case ControlKind::AddressEdit:
        s = AddressEditStyle(s | WS_BORDER);
        break;
    }
    return s;
}

std::vector<uint8_t> BuildDialogTemplate(const DialogTemplate& t) {
    Writer w;
    w.word(1);      // version
    w.word(0xFFFF); // the extended form
    w.dword(0);     // help id
    w.dword(0);     // extended style
    w.dword(DialogStyle(t));
    w.word(static_cast<uint16_t>(t.controls.size()));
    for (int16_t v : {int16_t(0), int16_t(0), t.cx, t.cy})
        w.word(static_cast<uint16_t>(v));
    w.word(0); // no menu
    w.word(0); // the dialog class
    w.text(wideFromText(t.title != nullptr ? t.title : ""));
    w.word(t.fontPoints > 0 ? t.fontPoints : 8);
    w.word(FW_NORMAL);
    w.bytes.push_back(0); // not italic
    w.bytes.push_back(DEFAULT_CHARSET);
    w.text(wideFromText(t.fontName != nullptr ? t.fontName : "MS Sans Serif"));
    for (const ControlTemplate& c : t.controls) {
        w.align(4);
        w.dword(0); // help id
        const bool sunkenField = c.kind == ControlKind::Edit || c.kind == ControlKind::AddressEdit;
        w.dword(sunkenField ? WS_EX_CLIENTEDGE : 0);
        w.dword(ControlStyle(c));
        int16_t cy = c.cy;
        if (c.kind == ControlKind::ComboBox) cy = static_cast<int16_t>(cy + kDroppedRows);
        for (int16_t v : {c.x, c.y, c.cx, cy})
            w.word(static_cast<uint16_t>(v));
        w.dword(c.id);
        if (c.kind == ControlKind::AddressEdit)
            w.text(wideFromText(kAddressEditClass));
        else
            w.atom(classAtom(c.kind));
        w.text(wideFromText(c.caption != nullptr ? c.caption : ""));
        w.word(0); // no creation data
    }
    return w.bytes;
}

} // namespace lntc::win32
