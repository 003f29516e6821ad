// Dialog templates as data: what each dialog of the library shows, in dialog units.
#pragma once
#include <cstdint>
#include <span>

namespace lntc {

enum class ControlKind : uint8_t {
    Static,     // label text (style bits choose the alignment)
    GroupBox,   // frame with a caption
    PushButton, // button; DefPushButton marks the default one
    DefPushButton,
    CheckBox,    // auto check box
    RadioButton, // auto radio button; a Group bit starts a new group
    Edit,        // single-line text field (MultiLine for more)
    ListBox,
    ComboBox,    // DropDownList (choose only) or DropDown (editable)
    ScrollBar,   // up/down scroll bar beside a number field
    AddressEdit, // the four-field network address control ("lnt_tcp_edit")
    Picture,     // bitmap or frame
};

namespace cs {
inline constexpr uint32_t Disabled = 1u << 0;
inline constexpr uint32_t Hidden = 1u << 1;
inline constexpr uint32_t Group = 1u << 2; // starts a group (radio buttons, tab order)
inline constexpr uint32_t TabStop = 1u << 3;
inline constexpr uint32_t Sorted = 1u << 4;      // list and combo boxes
inline constexpr uint32_t ExtendedSel = 1u << 5; // list boxes
inline constexpr uint32_t MultiSel = 1u << 6;
inline constexpr uint32_t DropDownList = 1u << 7; // combo: pick from the list only
inline constexpr uint32_t DropDown = 1u << 8;     // combo: editable text with a list
inline constexpr uint32_t ReadOnly = 1u << 9;     // edits
inline constexpr uint32_t MultiLine = 1u << 10;
inline constexpr uint32_t Number = 1u << 11; // edits that take digits only
inline constexpr uint32_t AutoHScroll = 1u << 12;
inline constexpr uint32_t VScroll = 1u << 13;
inline constexpr uint32_t Vertical = 1u << 14; // scroll bars
inline constexpr uint32_t Center = 1u << 15;   // statics
inline constexpr uint32_t Right = 1u << 16;
inline constexpr uint32_t Sunken = 1u << 17;   // statics drawn as a read-only field
inline constexpr uint32_t NoPrefix = 1u << 18; // "&" is shown, not a mnemonic
inline constexpr uint32_t Password = 1u << 19;
inline constexpr uint32_t Border = 1u << 20;
// The bits the dialog logic relies on; a localised template may change the others.
inline constexpr uint32_t Behaviour =
    Disabled | Hidden | Sorted | ExtendedSel | MultiSel | DropDownList | DropDown | MultiLine;
} // namespace cs

// Dialog-level style bits.
namespace ds {
inline constexpr uint32_t Caption = 1u << 0; // title bar
inline constexpr uint32_t SysMenu = 1u << 1; // close box
inline constexpr uint32_t Modal = 1u << 2;
inline constexpr uint32_t Popup = 1u << 3; // no frame (the wait window)
inline constexpr uint32_t Centered = 1u << 4;
} // namespace ds

// Identifiers shared by every dialog.
namespace ctl {
inline constexpr uint16_t Ok = 1;
inline constexpr uint16_t Cancel = 2;
inline constexpr uint16_t Help = 57669; // the standard help command
inline constexpr uint16_t Static = 0xFFFF;
} // namespace ctl

struct ControlTemplate {
    uint16_t id;
    ControlKind kind;
    const char* caption; // with "&" mnemonics; nullptr for none
    // Dialog units. A combo box's cy is its closed height; how far the list drops is the host's
    // choice. Text in a static wraps at cx, and "\n" breaks a line.
    int16_t x, y, cx, cy;
    uint32_t style;
};

struct DialogTemplate {
    uint16_t id;
    const char* title;
    int16_t cx, cy;
    uint32_t style;
    const char* fontName; // "MS Sans Serif" unless the dialog says otherwise
    uint16_t fontPoints;
    std::span<const ControlTemplate> controls;
};

// The built-in template of an id, or nullptr.
const DialogTemplate* builtinTemplate(uint16_t id);
// Every built-in template, for listings and galleries.
std::span<const DialogTemplate* const> builtinTemplates();

// Whether a localised template can stand in for the built-in one: the same controls by id,
// kind and behaviour bits (the dialog logic addresses them), whatever their texts and places.
bool templateCompatible(const DialogTemplate& localised, const DialogTemplate& builtin);

} // namespace lntc
