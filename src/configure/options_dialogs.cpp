#include "configure/options_dialogs.h"
#include "configure/directories.h"
#include "configure/font_rules.h"
#include "library/services.h"
#include "media/paper_sizes.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/records.h"
#include "store/registry_access.h"

#include <algorithm>
#include <cctype>

namespace lntc {

namespace {

// A number typed outside the range comes back to its nearer end.
constexpr SpinRange kPointSizeSpin{.low = kPointSizeRange.low,
                                   .high = kPointSizeRange.high,
                                   .outside = SpinOutside::Clamp,
                                   .isSigned = true};
constexpr SpinRange kQueueDepthSpin{
    .low = limit::QueueDepth.low, .high = limit::QueueDepth.high, .outside = SpinOutside::Clamp};

struct CharsetButton {
    int button;
    uint16_t code;
};
// In the order OK looks for the checked one; Quendal Intl (2) is what none of them means.
constexpr CharsetButton kCharsetButtons[] = {{fontctl::Iso8859_1, charset::Iso8859_1},
                                             {fontctl::Iso8859_7, charset::Iso8859_7},
                                             {fontctl::ShiftJis, charset::ShiftJis},
                                             {fontctl::HpRoman8, charset::HpRoman8}};

} // namespace

// --- fonts ---------------------------------------------------------------------------------

FontsDialog::FontsDialog(const Services& svc, Dialog* parent, ServerConfig& working)
    : HelpDialog(svc.ui, dlg::Fonts, parent), svc_(svc), working_(working),
      autoDownload_(working.AutoDownload != 0 ? 1 : 0), fontName_(fieldText(working.DefaultFont)),
      fontDir_(fieldText(working.FontDir)), alwaysDefault_(working.UseDocCharSet == 0 ? 1 : 0) {}

void FontsDialog::doDataExchange(DataExchange& dx) {
    ddxCheck(dx, fontctl::AlwaysDefaultCharset, alwaysDefault_);
    // The size of the "default" font is neither shown nor stored: a disabled field the user
    // cannot mend must not hold the dialog open.
    if (!dx.saving() || isEnabled(fontctl::PointSize)) {
        ddxInt(dx, fontctl::PointSize, pointSize_);
        ddvRange(dx, pointSize_, kPointSizeRange);
    }
    ddxText(dx, fontctl::FontDir, fontDir_);
    ddvMaxChars(dx, fontDir_, sizeof working_.FontDir - 1);
    ddxCBString(dx, fontctl::FontName, fontName_);
    ddvMaxChars(dx, fontName_, sizeof working_.DefaultFont - 1);
    ddxCheck(dx, fontctl::AutoDownload, autoDownload_);
}

bool FontsDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    int button = fontctl::QuendalIntl;
    for (const CharsetButton& c : kCharsetButtons)
        if (working_.FormerCharset == c.code) button = c.button;
    checkRadioButton(fontctl::QuendalIntl, fontctl::HpRoman8, button);
    for (const CharsetButton& c : kCharsetButtons)
        if (c.code != charset::Iso8859_1) enable(c.button, CharsetAvailable(working_, c.code));

    resetContent(fontctl::FontName);
    for (const std::string& name : OfferedFontNames(working_))
        addString(fontctl::FontName, name);
    std::string base;
    int points = kDefaultPointSize;
    SplitDefaultFont(fieldText(working_.DefaultFont), base, points);
    setCurSel(fontctl::FontName, std::max(findStringExact(fontctl::FontName, -1, base), 0));
    setDlgItemInt(fontctl::PointSize, points);
    updateFontControls();

    setWindowText(fontctl::FontDir, std::string(fieldText(working_.FontDir)));
    resetContent(fontctl::FontFiles);
    for (const auto& font : working_.Fonts) {
        if (fieldText(font).empty()) break;
        addString(fontctl::FontFiles, std::string(fieldText(font)));
    }
    enable(fontctl::FontFiles, isChecked(fontctl::AutoDownload) == 1);
    applyReadOnlyRegistry();
    return true;
}

uint16_t FontsDialog::checkedCharset() {
    for (const CharsetButton& c : kCharsetButtons)
        if (isChecked(c.button) == 1) return c.code;
    return charset::QuendalIntl; // what none of them means
}

void FontsDialog::updateFontControls() {
    const bool on = FontChoiceOpen(working_, checkedCharset());
    if (!on) setCurSel(fontctl::FontName, findStringExact(fontctl::FontName, -1, kDefaultFontName));
    for (int id : {fontctl::PcodeGroup, fontctl::FontNameLabel, fontctl::FontName})
        enable(id, on);
    const bool sized = !equalsIgnoreCase(windowText(fontctl::FontName), kDefaultFontName);
    for (int id : {fontctl::PointSizeLabel, fontctl::PointSize, fontctl::PointSizeSpin})
        enable(id, sized);
}

void FontsDialog::onCommand(int id, Notify code) {
    if (code == Notify::Clicked && id >= fontctl::QuendalIntl && id <= fontctl::HpRoman8)
        updateFontControls();
    else if (code == Notify::SelChange && id == fontctl::FontName)
        updateFontControls();
    else if (code == Notify::Clicked && id == fontctl::AutoDownload)
        enable(fontctl::FontFiles, isChecked(fontctl::AutoDownload) == 1);
    else if (code == Notify::SelChange && id == fontctl::FontFiles)
        setCurSel(fontctl::FontFiles, -1); // the list only shows the fonts
}

void FontsDialog::onScroll(int id, Scroll code) {
    if (id == fontctl::PointSizeSpin) spin(fontctl::PointSize, code, kPointSizeSpin);
}

void FontsDialog::onOK() {
    const CompletedPath dir = CompletePath(svc_, windowText(fontctl::FontDir));
    if (!ValidateDirectory(svc_, window(), dir.drive, dir.directory, dirmode::MustExist)) {
        setFocus(fontctl::FontDir);
        return;
    }
    setWindowText(fontctl::FontDir, dir.full());
    // Every check before anything is written: a dialog that stays open and is then
    // cancelled leaves the working record as it was.
    if (!updateData(true)) return;

    working_.FormerCharset = checkedCharset();
    working_.UseDocCharSet = alwaysDefault_ == 1 ? 0 : 1;
    setField(working_.DefaultFont, equalsIgnoreCase(fontName_, kDefaultFontName)
                                       ? fontName_
                                       : fontName_ + std::to_string(pointSize_));
    setField(working_.FontDir, fontDir_);
    working_.AutoDownload = static_cast<uint16_t>(autoDownload_ == 1 ? 1 : 0);
    endDialog(id::Ok);
}

int RunFontsDialog(const Services& svc, Dialog* parent, ServerConfig& working) {
    FontsDialog dialog(svc, parent, working);
    return dialog.doModal();
}

// --- general options -----------------------------------------------------------------------

GeneralOptionsDialog::GeneralOptionsDialog(const Services& svc, Dialog* parent,
                                           ServerConfig& working)
    : HelpDialog(svc.ui, dlg::GeneralOptions, parent), svc_(svc), working_(working),
      verifyChecksum_(working.VerifyChecksum != 0 ? 1 : 0),
      enableNotes_(working.EnableNotes != 0 ? 1 : 0),
      suppressAnnotations_(working.SuppressAnnotations != 0 ? 1 : 0),
      verbose_(working.VerboseOnStartup != 0 ? 1 : 0), queueDepth_(working.QueueDepth),
      tempDir_(fieldText(working.TempFilesDir)), cacheDir_(fieldText(working.PrimaryCacheDir)) {}

void GeneralOptionsDialog::doDataExchange(DataExchange& dx) {
    ddxText(dx, genctl::PrimaryCache, cacheDir_);
    ddvMaxChars(dx, cacheDir_, sizeof working_.PrimaryCacheDir - 1);
    ddxText(dx, genctl::TempFiles, tempDir_);
    ddvMaxChars(dx, tempDir_, sizeof working_.TempFilesDir - 1);
    ddxUInt(dx, genctl::QueueDepth, queueDepth_);
    ddvRange(dx, queueDepth_, limit::QueueDepth);
    ddxCheck(dx, genctl::Verbose, verbose_);
    ddxCheck(dx, genctl::VerifyChecksum, verifyChecksum_);
    ddxCheck(dx, genctl::EnableNotes, enableNotes_);
    ddxCheck(dx, genctl::SuppressAnnotations, suppressAnnotations_);
}

bool GeneralOptionsDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    {
        // Without the key or a value the template's texts stay.
        ValueReader odr(svc_.registry, kLocalMachine, kOdrRootPath);
        if (auto text = odr.text("QDSW_LIB"))
            setWindowText(genctl::ExecutableRoot, std::string(*text));
        if (auto text = odr.text("QDSW_LOCAL")) setWindowText(genctl::DataRoot, std::string(*text));
    }
    resetContent(genctl::TimeFormat);
    for (uint32_t s : {str::TimeFormat1, str::TimeFormat2, str::TimeFormat3})
        addString(genctl::TimeFormat, svc_.ui.strings().load(s));
    const int format = working_.TimeFormat;
    setCurSel(genctl::TimeFormat, limit::TimeFormat.holds(format) ? format - 1 : 0);
    enable(genctl::EnableNotes, working_.OdrGeneration == 1);
    applyReadOnlyRegistry();
    return true;
}

void GeneralOptionsDialog::onScroll(int id, Scroll code) {
    if (id == genctl::QueueDepthSpin) spin(genctl::QueueDepth, code, kQueueDepthSpin);
}

void GeneralOptionsDialog::onOK() {
    for (int field : {genctl::PrimaryCache, genctl::TempFiles}) {
        const CompletedPath dir = CompletePath(svc_, windowText(field));
        if (!ValidateDirectory(svc_, window(), dir.drive, dir.directory,
                               dirmode::OfferCreate | dirmode::MustExist)) {
            setFocus(field);
            return;
        }
        setWindowText(field, dir.full());
    }
    if (!updateData(true)) return;

    setField(working_.PrimaryCacheDir, cacheDir_);
    setField(working_.TempFilesDir, tempDir_);
    working_.QueueDepth = static_cast<uint16_t>(queueDepth_);
    const int format = getCurSel(genctl::TimeFormat);
    working_.TimeFormat = static_cast<uint16_t>(format >= 0 ? format + 1 : 1);
    working_.VerboseOnStartup = static_cast<uint16_t>(verbose_ == 1 ? 1 : 0);
    working_.VerifyChecksum = static_cast<uint16_t>(verifyChecksum_ == 1 ? 1 : 0);
    working_.SuppressAnnotations = static_cast<uint16_t>(suppressAnnotations_ == 1 ? 1 : 0);
    // A switch the administrator cannot change keeps its stored value exactly.
    if (isEnabled(genctl::EnableNotes))
        working_.EnableNotes = static_cast<uint16_t>(enableNotes_ == 1 ? 1 : 0);
    endDialog(id::Ok);
}

int RunGeneralOptionsDialog(const Services& svc, Dialog* parent, ServerConfig& working) {
    GeneralOptionsDialog dialog(svc, parent, working);
    return dialog.doModal();
}

} // namespace lntc
