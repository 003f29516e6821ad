#include "resources/templates.h"

#include "resources/ids.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <tuple>
#include <vector>

namespace lntc {
namespace {

using K = ControlKind;

// Layout conventions, in dialog units: 7 from the dialog's edges, push buttons 50 x 14, single
// line fields and closed combo boxes 12 high, labels 8 high and 2 below the top of the field
// they name, check and radio boxes 10 high.
constexpr uint32_t kTab = cs::TabStop;
constexpr uint32_t kFirst = cs::Group | cs::TabStop; // starts a group in the tab order
constexpr uint32_t kEdit = kFirst | cs::AutoHScroll;
constexpr uint32_t kNumber = kFirst | cs::Number;
constexpr uint32_t kSpin = cs::Vertical;
constexpr uint32_t kPickList = kFirst | cs::DropDownList | cs::VScroll;
constexpr uint32_t kEditList = kFirst | cs::DropDown | cs::VScroll | cs::AutoHScroll;
constexpr uint32_t kList = kFirst | cs::VScroll | cs::Border;
constexpr uint32_t kField = cs::Sunken | cs::NoPrefix; // read-only value shown in a frame

constexpr uint32_t kModal = ds::Modal | ds::Caption | ds::SysMenu;
constexpr const char* kFont = "MS Sans Serif";
constexpr uint16_t kPoints = 8;

constexpr ControlTemplate kOkButton(int16_t x, int16_t y, bool isDefault = true) {
    return {ctl::Ok, isDefault ? K::DefPushButton : K::PushButton, "OK", x, y, 50, 14, kFirst};
}
constexpr ControlTemplate kCancelButton(int16_t x, int16_t y) {
    return {ctl::Cancel, K::PushButton, "Cancel", x, y, 50, 14, kFirst};
}
constexpr ControlTemplate kHelpButton(int16_t x, int16_t y) {
    return {ctl::Help, K::PushButton, "&Help", x, y, 50, 14, kFirst};
}

// Main configuration dialog: the ODR name on top, the two queue lists side by side with the
// queue's model and description under them, the dialog's own buttons in a column on the right.
constexpr ControlTemplate kMain[] = {
    {mainctl::OdrNameLabel, K::Static, "Default &ODR Name:", 7, 9, 70, 8, 0},
    {mainctl::OdrName, K::Edit, nullptr, 80, 7, 150, 12, kEdit},
    {ctl::Static, K::GroupBox, "Lintora Queue Configuration", 7, 28, 235, 204, 0},
    {mainctl::ToConfigureLabel, K::Static, "Quendal &Queues to Configure:", 14, 40, 107, 8, 0},
    {mainctl::ToConfigure, K::ListBox, nullptr, 14, 50, 107, 120, kList | cs::Sorted},
    {mainctl::CurrentLabel, K::Static, "&Current Quendal Queues:", 128, 40, 107, 8, 0},
    {mainctl::Current, K::ListBox, nullptr, 128, 50, 107, 120, kList | cs::Sorted},
    {mainctl::ModelLabel, K::Static, "Printer &Model:", 14, 180, 50, 8, 0},
    {mainctl::Model, K::ComboBox, nullptr, 66, 178, 169, 12, kPickList | cs::Sorted},
    {mainctl::DescriptionLabel, K::Static, "D&escription:", 14, 196, 50, 8, 0},
    {mainctl::Description, K::Edit, nullptr, 66, 194, 169, 12, kEdit},
    {mainctl::Configure, K::DefPushButton, "C&onfigure...", 129, 212, 50, 14, kFirst},
    {mainctl::Delete, K::PushButton, "&Delete", 185, 212, 50, 14, kFirst},
    kOkButton(249, 7, false),
    kCancelButton(249, 24),
    {mainctl::Fonts, K::PushButton, "&Fonts...", 249, 50, 50, 14, kFirst},
    {mainctl::Options, K::PushButton, "O&ptions...", 249, 67, 50, 14, kFirst},
    kHelpButton(249, 93),
    {mainctl::Note, K::Static, "NOTE:  This PC is installed as a standalone Print Server only.", 7,
     239, 292, 10, cs::NoPrefix},
};

constexpr ControlTemplate kNewQueue[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {newqueuectl::QueueName, K::Static, nullptr, 90, 7, 127, 12, kField},
    {ctl::Static, K::Static,
     "Select CREATE to configure the new queue.\n\nSelect IMPORT to initialize the new queue "
     "with the configuration of an existing queue.",
     7, 30, 210, 40, 0},
    {ctl::Ok, K::DefPushButton, "&Create", 224, 7, 50, 14, kFirst},
    {newqueuectl::Import, K::PushButton, "&Import", 224, 24, 50, 14, kFirst},
    kCancelButton(224, 41),
    kHelpButton(224, 65),
};

constexpr ControlTemplate kImportQueue[] = {
    {ctl::Static, K::Static, "Import Quendal Queue Configuration", 7, 9, 228, 8, 0},
    {ctl::Static, K::Static, "&From:", 7, 32, 24, 8, 0},
    {importctl::From, K::ComboBox, nullptr, 34, 30, 201, 12, kPickList | cs::Sorted},
    {ctl::Static, K::Static, "To:", 7, 54, 24, 8, 0},
    {importctl::To, K::Static, nullptr, 34, 52, 201, 12, kField},
    kOkButton(40, 90),
    kCancelButton(96, 90),
    kHelpButton(152, 90),
};

constexpr ControlTemplate kPrinterConfig[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 76, 8, 0},
    {printerctl::QueueName, K::Static, nullptr, 86, 7, 188, 12, kField},
    {ctl::Static, K::GroupBox, "Printer Connectivity", 7, 26, 150, 72, 0},
    {printerctl::PrintManager, K::RadioButton, "Print Manager Printer &Queue", 14, 38, 136, 10,
     kFirst},
    {printerctl::TcpDirect, K::RadioButton, "&TCP Direct Port", 14, 50, 136, 10, 0},
    {printerctl::OtherPort, K::RadioButton, "Othe&r/Parallel Port", 14, 62, 136, 10, 0},
    {printerctl::Configure, K::PushButton, "C&onfigure...", 100, 78, 50, 14, kFirst},
    {ctl::Static, K::GroupBox, "PostScript", 164, 26, 110, 72, 0},
    {ctl::Static, K::GroupBox, "Image Data Encoding", 171, 38, 96, 53, 0},
    {printerctl::RawBinary, K::RadioButton, "Raw &Binary", 178, 50, 82, 10, kFirst},
    {printerctl::AsciiHex, K::RadioButton, "ASCII He&x", 178, 62, 82, 10, 0},
    {printerctl::Ascii85, K::RadioButton, "ASCII &85", 178, 74, 82, 10, 0},
    {ctl::Static, K::Static, "&Wait Timeout (sec):", 7, 110, 72, 8, 0},
    {printerctl::WaitTimeout, K::Edit, nullptr, 82, 108, 28, 12, kNumber},
    {printerctl::WaitTimeoutSpin, K::ScrollBar, nullptr, 110, 108, 9, 12, kSpin},
    {printerctl::CenterImage, K::CheckBox, "&Center Image on Print", 164, 109, 110, 10, kFirst},
    kOkButton(7, 128),
    kCancelButton(63, 128),
    {printerctl::Media, K::PushButton, "&Media...", 119, 128, 50, 14, kFirst},
    {printerctl::Options, K::PushButton, "O&ptions..", 175, 128, 50, 14, kFirst},
    kHelpButton(231, 128),
};

constexpr ControlTemplate kTcpDirect[] = {
    {ctl::Static, K::Static, "Printer TCP Direct Port &Name:", 7, 9, 126, 8, 0},
    {tcpctl::PortName, K::ComboBox, nullptr, 136, 7, 120, 12, kEditList | cs::Sorted},
    {ctl::Static, K::Static, "Printer TCP Direct Port &Address:", 7, 27, 126, 8, 0},
    {tcpctl::Address, K::AddressEdit, nullptr, 136, 25, 80, 13, kFirst},
    {tcpctl::SocketLabel, K::Static, "Printer &Socket Number:", 7, 46, 126, 8, 0},
    {tcpctl::Socket, K::Edit, nullptr, 136, 44, 36, 12, kNumber},
    kOkButton(50, 66),
    kCancelButton(106, 66),
    kHelpButton(162, 66),
};

constexpr ControlTemplate kNewTcpPort[] = {
    {ctl::Static, K::Static, "TCP Direct Port Name:", 7, 9, 90, 8, 0},
    {newportctl::PortName, K::Static, nullptr, 100, 7, 150, 12, kField},
    {ctl::Static, K::Static, "TCP Direct Port Address:", 7, 25, 90, 8, 0},
    {newportctl::Address, K::Static, nullptr, 100, 23, 150, 12, kField},
    {ctl::Static, K::Static,
     "The specified TCP direct port name does not exist.  Do you wish to add it to the "
     "etc\\hosts file?",
     7, 44, 243, 18, cs::NoPrefix},
    {ctl::Ok, K::DefPushButton, "&Yes", 47, 70, 50, 14, kFirst},
    {ctl::Cancel, K::PushButton, "&No", 103, 70, 50, 14, kFirst},
    kHelpButton(159, 70),
};

constexpr ControlTemplate kPrintManager[] = {
    {ctl::Static, K::Static, "&Print Manager Printer Name:", 7, 9, 110, 8, 0},
    {pmctl::Printer, K::ComboBox, nullptr, 7, 19, 240, 12, kEditList | cs::Sorted},
    {ctl::Static, K::Static,
     "Please run Print Manager to create the desired printer if it does not already exist.  "
     "Then, return to this dialog and choose Refresh to redisplay the latest printer list.",
     7, 38, 240, 24, 0},
    {ctl::Static, K::Static,
     "NOTE:\nIf you want this printer to print to an HP Network Port, you must first install "
     "the DLC Protocol via the Network icon on the Control Panel, then reboot the server and "
     "resume Lintora Configuration.",
     7, 67, 240, 40, 0},
    {ctl::Static, K::Static, "Other protocols may be required for Generic PostScript printers.", 7,
     112, 240, 8, 0},
    kOkButton(254, 7),
    kCancelButton(254, 24),
    {pmctl::Refresh, K::PushButton, "&Refresh", 254, 41, 50, 14, kFirst},
    kHelpButton(254, 65),
};

constexpr ControlTemplate kOtherPort[] = {
    {ctl::Static, K::Static, "&Port Name:", 7, 9, 44, 8, 0},
    {portctl::Port, K::ComboBox, nullptr, 54, 7, 127, 12, kEditList | cs::Sorted},
    kOkButton(13, 30),
    kCancelButton(69, 30),
    kHelpButton(125, 30),
};

// One input tray of the paper tray dialog: a frame holding the Available box, the priority
// buttons and the paper size, at x within the "Paper Tray Configuration" frame.
// clang-format off
#define LNTC_TRAY_CONTROLS(x, base, caption)                                                     \
    {ctl::Static, K::GroupBox, nullptr, (x), 38, 100, 72, 0},                                    \
    {(base), K::CheckBox, (caption), (x) + 7, 48, 86, 10, kFirst},                               \
    {(base) + 1, K::Static, "Priority:", (x) + 7, 65, 30, 8, 0},                                 \
    {(base) + 2, K::RadioButton, "1", (x) + 39, 64, 16, 10, kFirst},                             \
    {(base) + 3, K::RadioButton, "2", (x) + 57, 64, 16, 10, 0},                                  \
    {(base) + 4, K::RadioButton, "3", (x) + 75, 64, 16, 10, 0},                                  \
    {(base) + 5, K::Static, "Paper Size:", (x) + 7, 80, 50, 8, 0},                               \
    {(base) + 6, K::ComboBox, nullptr, (x) + 7, 90, 86, 12, kPickList}
// clang-format on

constexpr ControlTemplate kTrayMedia[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {trayctl::QueueName, K::Static, nullptr, 90, 7, 160, 12, kField},
    {ctl::Static, K::GroupBox, "Paper Tray Configuration", 7, 26, 328, 92, 0},
    LNTC_TRAY_CONTROLS(14, trayctl::TopAvailable, "&Top Tray Available"),
    LNTC_TRAY_CONTROLS(121, trayctl::BottomAvailable, "&Bottom Tray Available"),
    LNTC_TRAY_CONTROLS(228, trayctl::ThirdAvailable, "Thir&d Tray Available"),
    {trayctl::EjectAvailable, K::CheckBox, "&Eject Tray Available:", 228, 128, 100, 10,
     kFirst | cs::Hidden},
    {trayctl::EjectTray, K::ComboBox, nullptr, 228, 142, 100, 12, kPickList | cs::Hidden},
    {trayctl::QdTrayLabel, K::Static, "&Quendal Job Default Tray:", 7, 130, 104, 8, 0},
    {trayctl::QdTray, K::ComboBox, nullptr, 114, 128, 100, 12, kPickList},
    {ctl::Static, K::Static, "Best Available &Overscan (%):", 7, 148, 104, 8, 0},
    {trayctl::Overscan, K::Edit, nullptr, 114, 146, 30, 12, kEdit},
    {trayctl::OverscanSpin, K::ScrollBar, nullptr, 144, 146, 9, 12, kSpin},
    kOkButton(173, 168),
    kCancelButton(229, 168),
    kHelpButton(285, 168),
};

#undef LNTC_TRAY_CONTROLS

constexpr ControlTemplate kQueueOptions[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {qoptctl::QueueName, K::Static, nullptr, 90, 7, 160, 12, kField},
    {ctl::Static, K::GroupBox, "Print Destination", 7, 26, 130, 52, 0},
    {qoptctl::PrinterOnly, K::RadioButton, "&Printer Only", 14, 38, 116, 10, kFirst},
    {qoptctl::DiskOnly, K::RadioButton, "&Disk Only", 14, 50, 116, 10, 0},
    {qoptctl::PrinterAndDisk, K::RadioButton, "Printer &and Disk", 14, 62, 116, 10, 0},
    {qoptctl::DuplexGroup, K::GroupBox, "Duplex Printing", 144, 26, 150, 82, 0},
    {qoptctl::DuplexAvailable, K::CheckBox, "Duple&x Printing Available", 151, 38, 136, 10, kFirst},
    {qoptctl::AlwaysDuplex, K::CheckBox, "Al&ways Print Duplex", 151, 50, 136, 10, kFirst},
    {qoptctl::SameBinding, K::CheckBox, "Always Print for the Same &Binding:", 151, 62, 136, 10,
     kFirst | cs::Hidden | cs::Disabled},
    {qoptctl::TopEdgeBinding, K::RadioButton, "&Top Edge Binding", 161, 74, 120, 10,
     kFirst | cs::Hidden | cs::Disabled},
    {qoptctl::LeftEdgeBinding, K::RadioButton, "&Left Edge Binding", 161, 86, 120, 10,
     cs::Hidden | cs::Disabled},
    {qoptctl::AlternateOrientation, K::CheckBox, "Use Alternate &Orientation Mode", 7, 86, 130, 10,
     kFirst},
    {ctl::Static, K::Static, "Printe&r Timeout (min):", 7, 102, 80, 8, 0},
    {qoptctl::Timeout, K::Edit, nullptr, 90, 100, 24, 12, kNumber},
    {qoptctl::TimeoutSpin, K::ScrollBar, nullptr, 114, 100, 9, 12, kSpin},
    kOkButton(76, 118),
    kCancelButton(132, 118),
    {qoptctl::Advanced, K::PushButton, "Ad&vanced...", 188, 118, 50, 14, kFirst},
    kHelpButton(244, 118),
};

constexpr ControlTemplate kAdvancedQueueOptions[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {advctl::QueueName, K::Static, nullptr, 90, 7, 160, 12, kField},
    {advctl::DisplayXform, K::CheckBox,
     "Use &Display Transform Parameter when Rotating Quendal Tiled Images", 7, 28, 270, 10, kFirst},
    {advctl::Rotate180, K::CheckBox, "&Rotate All Documents with Additional 180 Degrees", 7, 42,
     270, 10, kFirst},
    kOkButton(61, 62),
    kCancelButton(117, 62),
    kHelpButton(173, 62),
};

constexpr ControlTemplate kLargeDocConfig[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 76, 8, 0},
    {largedocctl::QueueName, K::Static, nullptr, 86, 7, 188, 12, kField},
    {ctl::Static, K::Static, "&Initialization Timeout:", 7, 29, 76, 8, 0},
    {largedocctl::InitTimeout, K::Edit, nullptr, 86, 27, 28, 12, kNumber},
    {largedocctl::InitTimeoutSpin, K::ScrollBar, nullptr, 114, 27, 9, 12, kSpin},
    kOkButton(7, 48),
    kCancelButton(63, 48),
    {largedocctl::Media, K::PushButton, "&Media...", 119, 48, 50, 14, kFirst},
    {largedocctl::Options, K::PushButton, "O&ptions...", 175, 48, 50, 14, kFirst},
    kHelpButton(231, 48),
};

constexpr ControlTemplate kEjectMedia[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {ejectctl::QueueName, K::Static, nullptr, 90, 7, 147, 12, kField},
    {ctl::Static, K::GroupBox, "Eject Tray Options", 7, 26, 230, 64, 0},
    {ejectctl::EjectTrayLabel, K::Static, "&Eject Tray:", 14, 40, 100, 8, 0},
    {ejectctl::EjectTray, K::ComboBox, nullptr, 124, 38, 106, 12, kPickList},
    {ejectctl::Switch, K::CheckBox, "Eject Tray &Switch", 14, 55, 100, 10, kFirst},
    {ejectctl::PagesLabel, K::Static, "&Number of Pages Before Switch:", 14, 72, 108, 8,
     cs::Disabled},
    {ejectctl::Pages, K::Edit, nullptr, 124, 70, 30, 12, kNumber | cs::Disabled},
    {ejectctl::PagesSpin, K::ScrollBar, nullptr, 154, 70, 9, 12, kSpin | cs::Disabled},
    {ejectctl::QdTrayLabel, K::Static, "&Quendal Job Default Tray:", 7, 100, 110, 8, 0},
    {ejectctl::QdTray, K::ComboBox, nullptr, 124, 98, 106, 12, kPickList},
    {ejectctl::PsTrayLabel, K::Static, "&PostScript Job Default Tray:", 7, 118, 110, 8, 0},
    {ejectctl::PsTray, K::ComboBox, nullptr, 124, 116, 106, 12, kPickList},
    {ctl::Static, K::Static, "Best Available &Overscan (%):", 7, 136, 110, 8, 0},
    {ejectctl::Overscan, K::Edit, nullptr, 124, 134, 30, 12, kEdit},
    {ejectctl::OverscanSpin, K::ScrollBar, nullptr, 154, 134, 9, 12, kSpin},
    kOkButton(244, 7),
    kCancelButton(244, 24),
    kHelpButton(244, 48),
};

constexpr ControlTemplate kBestAvailMedia[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {bestctl::QueueName, K::Static, nullptr, 90, 7, 147, 12, kField},
    {bestctl::EjectTrayLabel, K::Static, "&Eject Tray:", 7, 29, 124, 8, cs::Disabled},
    {bestctl::EjectTray, K::ComboBox, nullptr, 134, 27, 103, 12, kPickList | cs::Disabled},
    {ctl::Static, K::Static, "&Quendal Job Default Paper Size:", 7, 47, 124, 8, 0},
    {bestctl::QdPaper, K::ComboBox, nullptr, 134, 45, 103, 12, kPickList},
    {ctl::Static, K::Static, "&PostScript Job Default Paper Size:", 7, 65, 124, 8, 0},
    {bestctl::PsPaper, K::ComboBox, nullptr, 134, 63, 103, 12, kPickList},
    {ctl::Static, K::Static, "Best Available &Overscan (%):", 7, 83, 124, 8, 0},
    {bestctl::Overscan, K::Edit, nullptr, 134, 81, 30, 12, kEdit},
    {bestctl::OverscanSpin, K::ScrollBar, nullptr, 164, 81, 9, 12, kSpin},
    {ctl::Static, K::GroupBox, "Best Available Paper Sizes", 7, 100, 280, 98, 0},
    {ctl::Static, K::Static, "&Current Paper Sizes:", 14, 112, 96, 8, 0},
    {bestctl::Current, K::ListBox, nullptr, 14, 122, 96, 68, kList | cs::ExtendedSel},
    {ctl::Static, K::Static, "&Additional Paper Sizes:", 184, 112, 96, 8, 0},
    {bestctl::Additional, K::ListBox, nullptr, 184, 122, 96, 68, kList | cs::ExtendedSel},
    {bestctl::Remove, K::PushButton, "&Remove -->", 122, 136, 50, 14, kFirst},
    {bestctl::Add, K::PushButton, "<-- Ad&d", 122, 158, 50, 14, kFirst},
    kOkButton(294, 7),
    kCancelButton(294, 24),
    kHelpButton(294, 48),
};

constexpr ControlTemplate kOtherModel[] = {
    {ctl::Static, K::Static, "Quendal Queue Name:", 7, 9, 80, 8, 0},
    {othermodelctl::QueueName, K::Static, nullptr, 90, 7, 164, 12, kField},
    {ctl::Static, K::Static, "Printer &Model:", 7, 33, 80, 8, 0},
    {othermodelctl::Model, K::ComboBox, nullptr, 90, 31, 164, 12, kPickList},
    kOkButton(49, 91),
    kCancelButton(105, 91),
    kHelpButton(161, 91),
};

constexpr ControlTemplate kFonts[] = {
    {ctl::Static, K::GroupBox, "Character Sets", 7, 7, 150, 105, 0},
    {ctl::Static, K::GroupBox, "Default Character Set", 14, 19, 136, 71, 0},
    {fontctl::QuendalIntl, K::RadioButton, "Quendal &Intl", 21, 31, 110, 10, kFirst},
    {fontctl::Iso8859_1, K::RadioButton, "ISO 8859-&1", 21, 42, 110, 10, 0},
    {fontctl::Iso8859_7, K::RadioButton, "ISO 8859-&7", 21, 53, 110, 10, 0},
    {fontctl::ShiftJis, K::RadioButton, "Shift-&JIS", 21, 64, 110, 10, 0},
    {fontctl::HpRoman8, K::RadioButton, "HP &Roman8", 21, 75, 110, 10, 0},
    {fontctl::AlwaysDefaultCharset, K::CheckBox, "Always &Use Default Character Set", 14, 96, 136,
     10, kFirst},
    {fontctl::PcodeGroup, K::GroupBox, "Default Pcode Font", 7, 118, 150, 54, 0},
    {fontctl::FontNameLabel, K::Static, "Font &Name:", 14, 133, 44, 8, 0},
    {fontctl::FontName, K::ComboBox, nullptr, 60, 131, 90, 12, kPickList},
    {fontctl::PointSizeLabel, K::Static, "&Point Size:", 14, 151, 44, 8, 0},
    {fontctl::PointSize, K::Edit, nullptr, 60, 149, 24, 12, kNumber},
    {fontctl::PointSizeSpin, K::ScrollBar, nullptr, 84, 149, 9, 12, kSpin},
    {ctl::Static, K::GroupBox, "PostScript Printer Fonts", 164, 7, 116, 165, 0},
    {ctl::Static, K::Static, "Font &Directory:", 171, 19, 60, 8, 0},
    {fontctl::FontDir, K::Edit, nullptr, 171, 29, 102, 12, kEdit},
    {fontctl::AutoDownload, K::CheckBox, "&Automatically Download:", 171, 47, 102, 10, kFirst},
    {fontctl::FontFiles, K::ListBox, nullptr, 171, 60, 102, 105, kList},
    kOkButton(287, 7),
    kCancelButton(287, 24),
    kHelpButton(287, 48),
};

constexpr ControlTemplate kGeneralOptions[] = {
    {ctl::Static, K::GroupBox, "File Location", 7, 7, 260, 78, 0},
    {ctl::Static, K::Static, "Executable File Root Directory:", 14, 20, 112, 8, 0},
    {genctl::ExecutableRoot, K::Static, "C:\\QDSW", 128, 18, 132, 12, kField},
    {ctl::Static, K::Static, "Data File Root Directory:", 14, 36, 112, 8, 0},
    {genctl::DataRoot, K::Static, "C:\\QDSW_LOCAL", 128, 34, 132, 12, kField},
    {ctl::Static, K::Static, "&Primary Cache:", 14, 52, 112, 8, 0},
    {genctl::PrimaryCache, K::Edit, nullptr, 128, 50, 132, 12, kEdit},
    {ctl::Static, K::Static, "&Temporary Files:", 14, 68, 112, 8, 0},
    {genctl::TempFiles, K::Edit, nullptr, 128, 66, 132, 12, kEdit},
    {ctl::Static, K::Static, "Maximum Allowed Pages Per Quendal &Queue:", 7, 97, 156, 8, 0},
    {genctl::QueueDepth, K::Edit, nullptr, 166, 95, 24, 12, kNumber},
    {genctl::QueueDepthSpin, K::ScrollBar, nullptr, 190, 95, 9, 12, kSpin},
    {ctl::Static, K::Static, "&Date/Time Format:", 7, 115, 156, 8, 0},
    {genctl::TimeFormat, K::ComboBox, nullptr, 166, 113, 120, 12, kPickList},
    {genctl::Verbose, K::CheckBox, "&Verbose Mode on Startup", 7, 133, 150, 10, kFirst},
    {genctl::VerifyChecksum, K::CheckBox, "Verify Image &Checksum", 7, 146, 150, 10, kFirst},
    {genctl::EnableNotes, K::CheckBox, "&Enable Margin Notes and Highlights", 7, 159, 150, 10,
     kFirst | cs::Disabled},
    {genctl::SuppressAnnotations, K::CheckBox, "&Suppress Annotations", 7, 172, 150, 10, kFirst},
    kOkButton(274, 7),
    kCancelButton(274, 24),
    kHelpButton(274, 48),
};

constexpr ControlTemplate kWait[] = {
    {waitctl::Message, K::Static, nullptr, 8, 8, 124, 44, cs::Center | cs::NoPrefix},
};

constexpr ControlTemplate kOdrAddress[] = {
    {ctl::Static, K::Static, "ODR Name:", 7, 9, 40, 8, 0},
    {odrctl::OdrName, K::Static, nullptr, 50, 7, 168, 12, kField},
    {ctl::Static, K::Static,
     "Configuration tried to establish communication with the above ODR, but the ODR did not "
     "respond.\n\nPlease enter the TCP address of the ODR, so that Configuration can try to "
     "establish communication directly.",
     7, 27, 211, 50, 0},
    {ctl::Static, K::Static, "TCP &Address of ODR:", 7, 91, 78, 8, 0},
    {odrctl::Address, K::AddressEdit, nullptr, 88, 89, 80, 13, kFirst},
    kOkButton(31, 118),
    kCancelButton(87, 118),
    kHelpButton(143, 118),
};

// Titles that the dialog replaces with the model's name at run time keep a neutral one here.
constexpr DialogTemplate kTemplates[] = {
    {dlg::Main, "Lintora Configuration", 306, 256, kModal, kFont, kPoints, kMain},
    {dlg::NewQueue, "New Quendal Queue", 281, 100, kModal, kFont, kPoints, kNewQueue},
    {dlg::ImportQueue, "Import Quendal Queue", 242, 111, kModal, kFont, kPoints, kImportQueue},
    {dlg::PrinterConfig, "Printer Configuration", 288, 149, kModal, kFont, kPoints, kPrinterConfig},
    {dlg::TcpDirect, "TCP Direct Connectivity", 263, 87, kModal, kFont, kPoints, kTcpDirect},
    {dlg::NewTcpPort, "New TCP Direct Port Name", 257, 91, kModal, kFont, kPoints, kNewTcpPort},
    {dlg::PrintManager, "Print Manager Connectivity", 311, 127, kModal, kFont, kPoints,
     kPrintManager},
    {dlg::OtherPort, "Other/Parallel Port Connectivity", 188, 51, kModal, kFont, kPoints,
     kOtherPort},
    {dlg::TrayMedia, "Paper Media", 342, 189, kModal, kFont, kPoints, kTrayMedia},
    {dlg::QueueOptions, "Queue Options", 301, 139, kModal, kFont, kPoints, kQueueOptions},
    {dlg::AdvancedQueueOptions, "Advanced Queue Options", 284, 83, kModal, kFont, kPoints,
     kAdvancedQueueOptions},
    {dlg::LargeDocConfig, "Printer Configuration", 288, 69, kModal, kFont, kPoints,
     kLargeDocConfig},
    {dlg::EjectMedia, "Paper Media", 301, 153, kModal, kFont, kPoints, kEjectMedia},
    {dlg::BestAvailMedia, "Paper Media", 351, 205, kModal, kFont, kPoints, kBestAvailMedia},
    {dlg::OtherModel, "Other Printer Model", 261, 112, kModal, kFont, kPoints, kOtherModel},
    {dlg::Fonts, "Fonts and Character Sets", 344, 179, kModal, kFont, kPoints, kFonts},
    {dlg::GeneralOptions, "General Options", 331, 189, kModal, kFont, kPoints, kGeneralOptions},
    {dlg::Wait, nullptr, 140, 60, ds::Popup | ds::Centered, kFont, kPoints, kWait},
    {dlg::OdrAddress, "TCP Address of ODR", 225, 139, kModal, kFont, kPoints, kOdrAddress},
};

constexpr auto kTemplatePointers = [] {
    std::array<const DialogTemplate*, std::size(kTemplates)> out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = &kTemplates[i];
    return out;
}();

} // namespace

const DialogTemplate* builtinTemplate(uint16_t id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

std::span<const DialogTemplate* const> builtinTemplates() {
    return kTemplatePointers;
}

bool templateCompatible(const DialogTemplate& localised, const DialogTemplate& builtin) {
    if (localised.id != builtin.id || localised.cx <= 0 || localised.cy <= 0) return false;
    auto identified = [](std::span<const ControlTemplate> controls) {
        std::vector<std::tuple<uint16_t, ControlKind, uint32_t>> out;
        for (const ControlTemplate& c : controls) {
            if (c.id != ctl::Static) out.push_back(std::tuple(c.id, c.kind, c.style));
        }
        return out;
    };
    auto a = identified(localised.controls);
    auto b = identified(builtin.controls);
    for (auto* list : {&a, &b}) {
        for (auto& [id, kind, style] : *list)
            style &= cs::Behaviour;
        std::sort(list->begin(), list->end());
    }
    return a == b;
}

} // namespace lntc
