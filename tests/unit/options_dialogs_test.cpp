// The fonts and general options dialogs through the headless host, and the directory
// operations they share on the fake file system.
#include "configure/directories.h"
#include "configure/options_dialogs.h"
#include "resources/formats.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "support/test_library.h"
#include "support/ui_support.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;
namespace fc = fontctl;
namespace gc = genctl;

class OptionsDialogs : public ::testing::Test, public HeadlessLibrary {
  protected:
    ServerConfig cfg{};

    OptionsDialogs() : HeadlessLibrary(false) {}
    void SetUp() override {
        machine.files.cwd = "C:\\work";
        for (const char* dir : {"C:\\work", "C:\\fonts", "C:\\cache", "C:\\tmp"})
            machine.files.addFolder(dir);
        machine.files.addFolder("C:\\locked", true);
        machine.files.addFile("C:\\file.txt", "x");
        setField(cfg.FontDir, "C:\\fonts");
        setField(cfg.DefaultFont, "default");
        setField(cfg.PrimaryCacheDir, "C:\\cache");
        setField(cfg.TempFilesDir, "C:\\tmp");
        std::tie(cfg.QueueDepth, cfg.TimeFormat, cfg.OdrGeneration) = std::tuple(5, 2, 1);
    }
    // What the two dialogs store.
    std::string record() const {
        return formatMessage("%u doc%u %s %s auto%u|%s|%s|pages %u time %u switches %u%u%u%u",
                             cfg.FormerCharset, cfg.UseDocCharSet, cfg.DefaultFont, cfg.FontDir,
                             cfg.AutoDownload, cfg.PrimaryCacheDir, cfg.TempFilesDir,
                             cfg.QueueDepth, cfg.TimeFormat, cfg.VerboseOnStartup,
                             cfg.VerifyChecksum, cfg.EnableNotes, cfg.SuppressAnnotations);
    }
};

// The fonts dialog as the user sees it: each charset button (X checked, x checked but
// disabled, o open, - disabled), the font names with the choice in [], the size, and whether
// the name's three and the size's three controls are enabled.
std::string fontState(const ModelWindow& w) {
    std::string s;
    for (int id = fc::QuendalIntl; id <= fc::HpRoman8; ++id)
        s += w.at(id).check ? (w.at(id).enabled ? 'X' : 'x') : (w.at(id).enabled ? 'o' : '-');
    const ModelControl& names = w.at(fc::FontName);
    for (int i = 0; i < static_cast<int>(names.items.size()); ++i) {
        const std::string& name = names.items[static_cast<size_t>(i)].text;
        s += " " + (i == names.curSel ? "[" + name + "]" : name);
    }
    s += " " + w.at(fc::PointSize).text + " ";
    for (int id : {fc::PcodeGroup, fc::FontNameLabel, fc::FontName, fc::PointSizeLabel,
                   fc::PointSize, fc::PointSizeSpin})
        s += w.at(id).enabled ? '1' : '0';
    return s;
}

Check fontsShow(std::string expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(fontState(w), expected); };
}

TEST_F(OptionsDialogs, DirectoriesAreCompletedWithTheDriveAndValidatedByMode) {
    // clang-format off
    const char* const paths[][3] = {
        // Current directory, typed, completed.
        {"C:\\work", " \tcache\r\n", "C:\\work\\cache"}, {"C:\\work", "\\abs\\dir", "C:\\abs\\dir"},
        {"C:\\work", "c:rel", "c:\\work\\rel"}, // the drive letter in either case
        {"C:\\work", "D:rel", "D:rel"},         // another drive keeps its relative directory
        {"C:\\work", "", "C:\\work"}, {"C:\\", "tmp", "C:\\tmp"}, // no doubled "\" at the root
        {"", "tmp", "C:.\\tmp"},                 // the current directory cannot be had
    };
    // clang-format on
    for (const auto& [cwd, typed, full] : paths) {
        machine.files.cwd = cwd;
        EXPECT_EQ(CompletePath(lib().services(), typed).full(), full)
            << cwd << " + '" << typed << "'";
    }

    // ValidateDirectory by mode and what the path is.
    const std::string ask = "Path doesn't exist.  Do you wish to create ";
    const std::string isFile =
        "The path specifies an existing file.  Please enter a directory name instead.";
    // clang-format off
    const struct { const char* dir; uint32_t mode; int answer; uint32_t createError; bool valid; Texts boxes, created; } cases[] = {
        // The directory, the mode, the answer to the creation question.
        {"\\locked", 4, 0, 0, true, {}, {}},
        {"\\file.txt", 4, 0, 0, false, {isFile}, {}},
        {"\\new\\sub", 4, 0, 0, false, {"Path 'C:\\new\\sub' doesn't exist."}, {}},
        {"\\new\\sub", 6, id::No, 0, false, {ask + "'C:\\new\\sub'?"}, {}},
        {"\\new", 6, id::Yes, err::AccessDenied, false, {ask + "'C:\\new'?", systemErrorText(err::AccessDenied)}, {}},
        // Steps out of a folder are not made first.
        {"\\a\\..\\b\\.\\c", 6, id::Yes, 0, true, {ask + "'C:\\a\\..\\b\\.\\c'?"}, {"C:\\b", "C:\\b\\c"}},
        {"\\file.txt\\sub", 6, id::Yes, 0, false, {ask + "'C:\\file.txt\\sub'?", systemErrorText(err::PathNotFound)}, {}},
        {"\\none", 0, 0, 0, false, {systemErrorText(err::FileNotFound)}, {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + " mode " + std::to_string(c.mode));
        machine.files.createError = c.createError;
        machine.files.created.clear();
        if (c.answer) host.answer(c.answer);
        EXPECT_EQ(ValidateDirectory(lib().services(), nullptr, "C:", c.dir, c.mode), c.valid);
        const char* caption = c.answer ? "Path Status" : "Configuration Error";
        EXPECT_EQ(host.boxes.empty() ? "" : host.boxes[0].caption, c.boxes.empty() ? "" : caption);
        EXPECT_EQ(std::pair(takeBoxes(), machine.files.created), std::pair(c.boxes, c.created));
    }
}

TEST_F(OptionsDialogs, FontRulesAndOkThatChecksEverythingBeforeItWritesAnythingAndTheOpening) {
    std::tie(cfg.InstalledKanji, cfg.FormerCharset, cfg.UseDocCharSet) = std::tuple(1, 30, 1);
    setField(cfg.DefaultFont, "Mincho16");
    setField(cfg.Fonts[0], "Courier");
    setField(cfg.Fonts[1], "Helvetica");
    setField(cfg.Fonts[3], "AfterAGap"); // after a gap: not listed
    auto files = [](bool enabled, int check) {
        return [=](const ModelWindow& w) {
            const ModelControl& f = w.at(fc::FontFiles);
            EXPECT_EQ(std::tuple(f.itemTexts(), f.enabled, f.curSel,
                                 w.at(fc::AlwaysDefaultCharset).check),
                      std::tuple(Texts{"Courier", "Helvetica"}, enabled, -1, check));
        };
    };
    const std::string longName(250, 'd'); // exists, but too long once completed
    DialogScript& s = host.script(dlg::Fonts);
    s.then(files(false, 0)).then(fontsShow("oo-X- default [Mincho] Gothic 16 111111"));
    s.click(fc::Iso8859_1).then(fontsShow("oX-o- [default] Mincho Gothic 16 000000"));
    s.click(fc::ShiftJis).then(fontsShow("oo-X- [default] Mincho Gothic 16 111000"));
    s.select(fc::FontName, "gothic")
        .type(fc::PointSize, "5")
        .scroll(fc::PointSizeSpin, Scroll::PageUp);
    s.then(fontsShow("oo-X- default Mincho [Gothic] 5 111111"));
    s.type(fc::PointSize, "31").ok().then(focusIs(fc::PointSize)); // refused
    s.type(fc::PointSize, "30").click(fc::AutoDownload).select(fc::FontFiles, 1);
    s.click(fc::AlwaysDefaultCharset).then(files(true, 1));
    s.type(fc::FontDir, "\\nope").ok().then(focusIs(fc::FontDir)); // refused
    s.type(fc::FontDir, longName).ok().then(focusIs(fc::FontDir)); // refused
    s.type(fc::FontDir, "  sub ").ok();
    machine.files.addFolder("C:\\work\\sub");
    machine.files.addFolder("C:\\work\\" + longName);
    const std::string before = record();
    for (const char* refusal : {"between", "nope", "255"})
        host.answerWhen(refusal, id::Ok, [&](const HeadlessBox&) { EXPECT_EQ(record(), before); });
    EXPECT_EQ(RunFontsDialog(lib().services(), nullptr, cfg), id::Ok);
    const std::string stored = "30 doc0 %s C:\\work\\sub auto1|C:\\cache|C:\\tmp|pages 5 time 2 "
                               "switches 0000";
    EXPECT_EQ(record(), formatMessage(stored.c_str(), "Gothic30"));
    EXPECT_EQ(takeBoxes(),
              Texts({"Please enter an integer between 5 and 30.", "Path 'C:\\nope' doesn't exist.",
                     "Please enter no more than 255 characters."}));

    // Without Kanji or Greek fonts the size is not stored, whatever the field holds.
    cfg.InstalledKanji = 0;
    setField(cfg.DefaultFont, "default99");
    host.script(dlg::Fonts).ok();
    EXPECT_EQ(RunFontsDialog(lib().services(), nullptr, cfg), id::Ok);
    EXPECT_EQ(record(), formatMessage(stored.c_str(), "default"));

    // Opening with the stored charset, and the stored font split into name and size.
    // clang-format off
    const struct { uint32_t kanji, greek; uint16_t system, former; const char *font, *shown; } cases[] = {
        {0, 0, 2, 2, "Mincho16", "Xo--- [default] 16 000000"},
        {0, 1, 42, 17, "GrkDutch", "ooX-o default GrkSwiss [GrkDutch] 16 111111"},
        {1, 0, 2, 11, "Mincho12", "oX-o- [default] Mincho Gothic 12 000000"},
        {1, 1, 2, 42, "grkswiss9", "oooox [default] Mincho Gothic GrkSwiss GrkDutch 9 000000"},
        {1, 1, 2, 99, "Unknown7", "Xooo- [default] Mincho Gothic GrkSwiss GrkDutch 7 000000"},
        {1, 1, 2, 17, "grkswiss9x", "ooXo- default Mincho Gothic [GrkSwiss] GrkDutch 9 111111"},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::tie(cfg.InstalledKanji, cfg.InstalledGreek) = std::pair(c.kanji, c.greek);
        std::tie(cfg.SystemCharset, cfg.FormerCharset) = std::pair(c.system, c.former);
        setField(cfg.DefaultFont, c.font);
        host.script(dlg::Fonts).then(fontsShow(c.shown)).cancel();
        EXPECT_EQ(RunFontsDialog(lib().services(), nullptr, cfg), id::Cancel);
    }
}

TEST_F(OptionsDialogs, OptionsOpenWithTheRootsFormatAndNotesSwitchAndOkChecksBeforeItWrites) {
    // Opening shows the installed roots, the format and the notes switch.
    // Format and generation; the roots, the chosen format and whether the notes switch is enabled;
    // what OK stores.
    const std::tuple<uint16_t, uint16_t, const char*, const char*> cases[] = {
        {2, 1, "C:\\QDSW C:\\QDSW_LOCAL 1 1", "time 2 switches 0010"},
        {4, 0, "D:\\QDSW2 E:\\LOCAL 0 0", "time 1 switches 0050"},
        {3, 1, "D:\\QDSW2 E:\\LOCAL 2 1", "time 3 switches 0010"},
    };
    for (const auto& [format, generation, shown, stored] : cases) {
        // The notes switch is kept as it is while it cannot be changed.
        std::tie(cfg.TimeFormat, cfg.OdrGeneration, cfg.EnableNotes) =
            std::tuple(format, generation, 5);
        auto& s = host.script(dlg::GeneralOptions).then([&](const ModelWindow& w) {
            EXPECT_EQ(formatMessage("%s %s %d %d", w.at(gc::ExecutableRoot).text.c_str(),
                                    w.at(gc::DataRoot).text.c_str(), w.at(gc::TimeFormat).curSel,
                                    w.at(gc::EnableNotes).enabled),
                      shown);
        });
        s.ok();
        EXPECT_EQ(RunGeneralOptionsDialog(lib().services(), nullptr, cfg), id::Ok);
        EXPECT_EQ(record().substr(record().find("time")), stored);
        machine.registry.setString(kOdrRootPath, "QDSW_LIB", "D:\\QDSW2");
        machine.registry.setString(kOdrRootPath, "QDSW_LOCAL", "E:\\LOCAL");
    }

    DialogScript& s = host.script(dlg::GeneralOptions);
    s.type(gc::QueueDepth, "0").ok(); // refused by the range check, as is 21
    s.type(gc::QueueDepth, "21").ok();
    s.type(gc::TempFiles, "\\locked").ok().then(focusIs(gc::TempFiles)); // read-only
    s.type(gc::PrimaryCache, "spool").type(gc::TempFiles, "tmp2");
    s.ok().then([](const ModelWindow& w) { // both created when asked, the limit refused again
        EXPECT_EQ(w.at(gc::PrimaryCache).text + "|" + w.at(gc::TempFiles).text,
                  "C:\\work\\spool|C:\\work\\tmp2");
    });
    s.type(gc::QueueDepth, "20").select(gc::TimeFormat, 2).click(gc::Verbose);
    s.click(gc::EnableNotes).click(gc::SuppressAnnotations).ok();
    const std::string before = record();
    host.answerWhen("spool", id::Yes, [&](const HeadlessBox&) { EXPECT_EQ(record(), before); });
    host.answerWhen("tmp2", id::Yes);
    EXPECT_EQ(RunGeneralOptionsDialog(lib().services(), nullptr, cfg), id::Ok);
    const char* range = "Please enter an integer between 1 and 20.";
    EXPECT_EQ(takeBoxes(),
              Texts({range, range, "Path 'C:\\locked' is read only.",
                     "Path doesn't exist.  Do you wish to create 'C:\\work\\spool'?",
                     "Path doesn't exist.  Do you wish to create 'C:\\work\\tmp2'?", range}));
    EXPECT_EQ(record(), "0 doc0 default C:\\fonts auto0|C:\\work\\spool|C:\\work\\tmp2|pages 20 "
                        "time 3 switches 1001"); // the notes switch was on

    // A read-only registry leaves only Cancel in both dialogs.
    t.makeRegistryReadOnly();
    for (uint16_t d : {dlg::Fonts, dlg::GeneralOptions})
        host.script(d).then([](auto& w) { EXPECT_FALSE(w.at(ctl::Ok).enabled); }).cancel();
    EXPECT_EQ(RunFontsDialog(lib().services(), nullptr, cfg), id::Cancel);
    EXPECT_EQ(RunGeneralOptionsDialog(lib().services(), nullptr, cfg), id::Cancel);
}

} // namespace
