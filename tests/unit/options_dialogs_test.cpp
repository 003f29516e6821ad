// The fonts and general options dialogs through the headless host, and the directory
// operations they share on the fake file system.
#include "configure/directories.h"
#include "configure/options_dialogs.h"
#include "platform/errors.h"
#include "resources/ids.h"
#include "store/records.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;

class OptionsDialogs : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    ServerConfig cfg{};

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
        machine.files.cwd = "C:\\work";
        for (const char* dir : {"C:\\work", "C:\\fonts", "C:\\cache", "C:\\tmp"})
            machine.files.addFolder(dir);
        machine.files.addFolder("C:\\locked", true);
        machine.files.addFile("C:\\file.txt", "x");
        setField(cfg.FontDir, "C:\\fonts");
        setField(cfg.DefaultFont, "default");
        setField(cfg.PrimaryCacheDir, "C:\\cache");
        setField(cfg.TempFilesDir, "C:\\tmp");
        cfg.QueueDepth = 5;
        cfg.TimeFormat = 2;
        cfg.OdrGeneration = 1;
    }
    Library& lib() { return t.lib(); }
    Texts boxTexts() const {
        Texts out;
        for (const auto& b : host.boxes)
            out.push_back(b.text);
        return out;
    }
    std::string fonts() const {
        return std::to_string(cfg.FormerCharset) + " doc " + std::to_string(cfg.UseDocCharSet) +
               " " + cfg.DefaultFont + " " + cfg.FontDir + " auto " +
               std::to_string(cfg.AutoDownload);
    }
    std::string options() const {
        return std::string(cfg.PrimaryCacheDir) + "|" + cfg.TempFilesDir + "|pages " +
               std::to_string(cfg.QueueDepth) + " time " + std::to_string(cfg.TimeFormat) +
               " switches " + std::to_string(cfg.VerboseOnStartup) +
               std::to_string(cfg.VerifyChecksum) + std::to_string(cfg.EnableNotes) +
               std::to_string(cfg.SuppressAnnotations);
    }
};

// The entry a drop-down list shows.
std::string picked(const ModelWindow& w, int id) {
    const ModelControl& c = w.at(id);
    return c.curSel >= 0 ? c.items.at(static_cast<size_t>(c.curSel)).text : "";
}

std::function<void(const ModelWindow&)> shows(int id, const char* text) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).text, text) << id; };
}

// --- directories -----------------------------------------------------------------------------

TEST_F(OptionsDialogs, CompletePathGivesADriveAndOnTheCurrentDriveAnAbsoluteDirectory) {
    struct Case {
        const char* cwd;
        const char* typed;
        const char* full;
    };
    const Case cases[] = {
        {"C:\\work", " \tcache\r\n", "C:\\work\\cache"},
        {"C:\\work", "\\abs\\dir", "C:\\abs\\dir"},
        {"C:\\work", "c:rel", "c:\\work\\rel"}, // the drive letter in either case
        {"C:\\work", "D:rel", "D:rel"},         // another drive keeps its relative directory
        {"C:\\work", "D:\\x", "D:\\x"},
        {"C:\\work", "C:\\x", "C:\\x"},
        {"C:\\", "tmp", "C:\\tmp"}, // no doubled "\" at the root
        {"C:\\work", "", "C:\\work"},
        {"Z:\\home\\u", "C:x", "C:x"},
        {"", "tmp", "C:.\\tmp"}, // the current directory cannot be had
    };
    for (const Case& c : cases) {
        machine.files.cwd = c.cwd;
        CompletedPath p = CompletePath(lib(), c.typed);
        EXPECT_EQ(p.full(), c.full) << c.cwd << " + '" << c.typed << "'";
        EXPECT_EQ(p.drive.size(), 2u);
    }
}

TEST_F(OptionsDialogs, ValidateDirectoryByModeAndWhatThePathIs) {
    const std::string ask = "Path doesn't exist.  Do you wish to create ";
    const std::string noAccess = systemErrorText(err::AccessDenied);
    struct Case {
        const char* dir;
        uint32_t mode;
        int answer; // to the creation question
        uint32_t createError;
        bool valid;
        Texts boxes;
        Texts created;
    };
    const Case cases[] = {
        {"\\cache", 6, 0, 0, true, {}, {}},
        {"\\locked", 6, 0, 0, false, {"Path 'C:\\locked' is read only."}, {}},
        {"\\locked", 4, 0, 0, true, {}, {}},
        {"\\file.txt",
         4,
         0,
         0,
         false,
         {"The path specifies an existing file.  Please enter a directory name instead."},
         {}},
        {"\\new\\sub", 4, 0, 0, false, {"Path 'C:\\new\\sub' doesn't exist."}, {}},
        {"\\new\\sub", 6, id::Yes, 0, true, {ask + "'C:\\new\\sub'?"}, {"C:\\new", "C:\\new\\sub"}},
        {"\\new\\sub", 6, id::No, 0, false, {ask + "'C:\\new\\sub'?"}, {}},
        {"\\new", 6, id::Yes, err::AccessDenied, false, {ask + "'C:\\new'?", noAccess}, {}},
        // Steps out of a folder are not made first.
        {"\\a\\..\\b\\.\\c",
         6,
         id::Yes,
         0,
         true,
         {ask + "'C:\\a\\..\\b\\.\\c'?"},
         {"C:\\b", "C:\\b\\c"}},
        {"\\file.txt\\sub",
         6,
         id::Yes,
         0,
         false,
         {ask + "'C:\\file.txt\\sub'?", systemErrorText(err::PathNotFound)},
         {}},
        {"\\new", 0, 0, 0, false, {systemErrorText(err::FileNotFound)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + " mode " + std::to_string(c.mode));
        FakeMachine fresh;
        TestLibrary other{fresh};
        other.lib().setHost(host);
        fresh.files.addFolder("C:\\cache");
        fresh.files.addFolder("C:\\locked", true);
        fresh.files.addFile("C:\\file.txt", "x");
        fresh.files.createError = c.createError;
        host.boxes.clear();
        if (c.answer) host.answer(c.answer);
        EXPECT_EQ(ValidateDirectory(other.lib(), nullptr, "C:", c.dir, c.mode), c.valid);
        EXPECT_EQ(boxTexts(), c.boxes);
        EXPECT_EQ(fresh.files.created, c.created);
        EXPECT_EQ(host.boxes.empty() ? "" : host.boxes[0].caption, c.boxes.empty() ? ""
                                                                   : c.answer
                                                                       ? "Path Status"
                                                                       : "Configuration Error");
    }
}

// --- fonts ---------------------------------------------------------------------------------

TEST_F(OptionsDialogs, FontsOpenWithTheStoredCharsetAndFontSplitIntoNameAndSize) {
    struct Case {
        uint32_t kanji, greek;
        uint16_t system, former;
        const char* font;
        int checked;
        bool jis, greekSet, roman8; // enabled
        Texts names;
        const char* selected;
        const char* size;
        bool nameOn, sizeOn;
    };
    const Texts kanji = {"default", "Mincho", "Gothic"};
    const Texts both = {"default", "Mincho", "Gothic", "GrkSwiss", "GrkDutch"};
    const Case cases[] = {
        {0,
         0,
         2,
         2,
         "Mincho16",
         fontctl::QuendalIntl,
         false,
         false,
         false,
         {"default"},
         "default",
         "16",
         false,
         false},
        {1, 0, 2, 30, "Gothic24", fontctl::ShiftJis, true, false, false, kanji, "Gothic", "24",
         true, true},
        {0,
         1,
         42,
         17,
         "GrkDutch",
         fontctl::Iso8859_7,
         false,
         true,
         true,
         {"default", "GrkSwiss", "GrkDutch"},
         "GrkDutch",
         "16",
         true,
         true},
        {1, 0, 2, 11, "Mincho12", fontctl::Iso8859_1, true, false, false, kanji, "default", "12",
         false, false},
        {1, 1, 2, 42, "grkswiss9", fontctl::HpRoman8, true, true, false, both, "default", "9",
         false, false},
        {1, 1, 2, 99, "Unknown7", fontctl::QuendalIntl, true, true, false, both, "default", "7",
         false, false},
        {1, 1, 2, 17, "grkswiss9x", fontctl::Iso8859_7, true, true, false, both, "GrkSwiss", "9",
         true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        cfg.InstalledKanji = c.kanji;
        cfg.InstalledGreek = c.greek;
        cfg.SystemCharset = c.system;
        cfg.FormerCharset = c.former;
        setField(cfg.DefaultFont, c.font);
        host.script(dlg::Fonts)
            .then([&](const ModelWindow& w) {
                int checked = 0;
                for (int id = fontctl::QuendalIntl; id <= fontctl::HpRoman8; ++id)
                    if (w.at(id).check) checked = checked ? -1 : id;
                EXPECT_EQ(checked, c.checked);
                EXPECT_EQ(std::vector<bool>({w.at(fontctl::ShiftJis).enabled,
                                             w.at(fontctl::Iso8859_7).enabled,
                                             w.at(fontctl::HpRoman8).enabled}),
                          std::vector<bool>({c.jis, c.greekSet, c.roman8}));
                EXPECT_EQ(w.at(fontctl::FontName).itemTexts(), c.names);
                EXPECT_EQ(picked(w, fontctl::FontName), c.selected);
                EXPECT_EQ(w.at(fontctl::PointSize).text, c.size);
                for (int id : {fontctl::PcodeGroup, fontctl::FontNameLabel, fontctl::FontName})
                    EXPECT_EQ(w.at(id).enabled, c.nameOn) << id;
                for (int id : {fontctl::PointSizeLabel, fontctl::PointSize, fontctl::PointSizeSpin})
                    EXPECT_EQ(w.at(id).enabled, c.sizeOn) << id;
            })
            .cancel();
        EXPECT_EQ(RunFontsDialog(lib(), nullptr, cfg), id::Cancel);
        EXPECT_EQ(cfg.DefaultFont, std::string(c.font));
    }
}

TEST_F(OptionsDialogs, FontRulesFollowTheCharsetTheNameAndTheDownloadSwitch) {
    cfg.InstalledKanji = 1;
    cfg.FormerCharset = 30;
    cfg.UseDocCharSet = 1;
    setField(cfg.DefaultFont, "Mincho16");
    setField(cfg.Fonts[0], "Courier");
    setField(cfg.Fonts[1], "Helvetica");
    setField(cfg.Fonts[3], "AfterAGap");
    auto state = [](const char* name, bool nameOn, bool sizeOn) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(picked(w, fontctl::FontName), name);
            EXPECT_EQ(w.at(fontctl::FontName).enabled, nameOn);
            EXPECT_EQ(w.at(fontctl::PointSizeSpin).enabled, sizeOn);
        };
    };
    host.script(dlg::Fonts)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(fontctl::FontFiles).itemTexts(), Texts({"Courier", "Helvetica"}));
            EXPECT_FALSE(w.at(fontctl::FontFiles).enabled);
            EXPECT_EQ(w.at(fontctl::AlwaysDefaultCharset).check, 0);
        })
        .then(state("Mincho", true, true))
        .click(fontctl::Iso8859_1)
        .then(state("default", false, false))
        .click(fontctl::ShiftJis)
        .then(state("default", true, false))
        .select(fontctl::FontName, "gothic")
        .then(state("Gothic", true, true))
        .type(fontctl::PointSize, "29")
        .scroll(fontctl::PointSizeSpin, Scroll::LineUp)
        .scroll(fontctl::PointSizeSpin, Scroll::LineUp)
        .then(shows(fontctl::PointSize, "30"))
        .type(fontctl::PointSize, "6")
        .scroll(fontctl::PointSizeSpin, Scroll::LineDown)
        .scroll(fontctl::PointSizeSpin, Scroll::LineDown)
        .scroll(fontctl::PointSizeSpin, Scroll::PageUp)
        .then(shows(fontctl::PointSize, "5"))
        .type(fontctl::PointSize, "40")
        .scroll(fontctl::PointSizeSpin, Scroll::LineDown)
        .then(shows(fontctl::PointSize, "30"))
        .click(fontctl::AutoDownload)
        .select(fontctl::FontFiles, 1)
        .then([](const ModelWindow& w) {
            EXPECT_TRUE(w.at(fontctl::FontFiles).enabled);
            EXPECT_EQ(w.at(fontctl::FontFiles).curSel, -1);
        })
        .click(fontctl::AlwaysDefaultCharset)
        .type(fontctl::FontDir, "  sub ")
        .ok();
    machine.files.addFolder("C:\\work\\sub");
    EXPECT_EQ(RunFontsDialog(lib(), nullptr, cfg), id::Ok);
    EXPECT_EQ(fonts(), "30 doc 0 Gothic30 C:\\work\\sub auto 1");
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(OptionsDialogs, FontsOkChecksEverythingBeforeItWritesAnything) {
    cfg.InstalledGreek = 1;
    cfg.FormerCharset = 17;
    setField(cfg.DefaultFont, "GrkDutch12");
    const std::string before = fonts();
    const std::string longName(250, 'd'); // exists, but too long once completed
    machine.files.addFolder("C:\\work\\" + longName);
    struct Case {
        int field;
        const char* text;
        const char* box;
        const char* shown; // the field's text after OK
    };
    const Case cases[] = {
        {fontctl::PointSize, "31", "Please enter an integer between 5 and 30.", "31"},
        {fontctl::PointSize, "4", "Please enter an integer between 5 and 30.", "4"},
        {fontctl::FontDir, "\\nope", "Path 'C:\\nope' doesn't exist.", "\\nope"},
        {fontctl::FontDir, "\\file.txt",
         "The path specifies an existing file.  Please enter a directory name instead.",
         "\\file.txt"},
        {fontctl::FontDir, longName.c_str(), "Please enter no more than 255 characters.", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        host.boxes.clear();
        host.script(dlg::Fonts)
            .type(c.field, c.text)
            .ok()
            .then([&](const ModelWindow& w) {
                EXPECT_EQ(w.focus, c.field);
                EXPECT_EQ(w.at(c.field).text, c.shown ? c.shown : w.at(c.field).text);
            })
            .cancel();
        EXPECT_EQ(RunFontsDialog(lib(), nullptr, cfg), id::Cancel);
        EXPECT_EQ(boxTexts(), Texts{c.box});
        EXPECT_EQ(fonts(), before);
    }
    // Without Kanji or Greek fonts the size is not stored, whatever the field holds.
    cfg.InstalledGreek = 0;
    cfg.FormerCharset = 2;
    setField(cfg.DefaultFont, "default99");
    host.script(dlg::Fonts).ok();
    EXPECT_EQ(RunFontsDialog(lib(), nullptr, cfg), id::Ok);
    EXPECT_EQ(fonts(), "2 doc 0 default C:\\fonts auto 0");
}

// --- general options -----------------------------------------------------------------------

TEST_F(OptionsDialogs, OptionsOpenWithTheInstalledRootsTheFormatAndTheNotesSwitch) {
    struct Case {
        bool key;
        uint16_t format, generation;
        const char* executable;
        int selected;
        bool notes;
        const char* stored;
    };
    const Case cases[] = {
        {false, 2, 1, "C:\\QDSW", 1, true, "C:\\cache|C:\\tmp|pages 5 time 2 switches 0010"},
        {true, 0, 2, "D:\\QDSW2", 0, false, "C:\\cache|C:\\tmp|pages 5 time 1 switches 0050"},
        {true, 4, 0, "D:\\QDSW2", 0, false, "C:\\cache|C:\\tmp|pages 5 time 1 switches 0050"},
        {true, 3, 1, "D:\\QDSW2", 2, true, "C:\\cache|C:\\tmp|pages 5 time 3 switches 0010"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (c.key) {
            RegKey key = kNoKey;
            ASSERT_EQ(machine.registry.createKey(kLocalMachine,
                                                 "SOFTWARE\\Quendal\\ODR\\CurrentVersion",
                                                 RegAccess::Write, key),
                      0u);
            const char root[] = "D:\\QDSW2";
            machine.registry.setValue(key, "QDSW_LIB", regtype::Sz, root, sizeof root);
            machine.registry.closeKey(key);
        }
        cfg.TimeFormat = c.format;
        cfg.OdrGeneration = c.generation;
        cfg.EnableNotes = 5; // kept as it is while the switch cannot be changed
        host.script(dlg::GeneralOptions)
            .then([&](const ModelWindow& w) {
                EXPECT_EQ(w.at(genctl::ExecutableRoot).text, c.executable);
                EXPECT_EQ(w.at(genctl::DataRoot).text, "C:\\QDSW_LOCAL");
                EXPECT_EQ(w.at(genctl::TimeFormat).itemTexts(),
                          Texts({"mm/dd/yy, 12hh:mm:ss  (AM/PM)", "dd/mm/yy, 12hh:mm:ss  (AM/PM)",
                                 "mm/dd/yy, 24hh:mm:ss"}));
                EXPECT_EQ(w.at(genctl::TimeFormat).curSel, c.selected);
                EXPECT_EQ(w.at(genctl::EnableNotes).enabled, c.notes);
            })
            .ok();
        EXPECT_EQ(RunGeneralOptionsDialog(lib(), nullptr, cfg), id::Ok);
        EXPECT_EQ(options(), c.stored);
    }
}

TEST_F(OptionsDialogs, OptionsPageLimitScrollAndOkWithEveryCheck) {
    host.script(dlg::GeneralOptions)
        .type(genctl::QueueDepth, "19")
        .scroll(genctl::QueueDepthSpin, Scroll::LineUp)
        .scroll(genctl::QueueDepthSpin, Scroll::LineUp)
        .then(shows(genctl::QueueDepth, "20"))
        .type(genctl::QueueDepth, "2")
        .scroll(genctl::QueueDepthSpin, Scroll::LineDown)
        .scroll(genctl::QueueDepthSpin, Scroll::LineDown)
        .scroll(genctl::QueueDepthSpin, Scroll::PageDown)
        .then(shows(genctl::QueueDepth, "1"))
        .type(genctl::QueueDepth, "21")
        .ok() // refused by the range check
        .type(genctl::TempFiles, "\\locked")
        .ok() // read-only
        .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, genctl::TempFiles); })
        .type(genctl::PrimaryCache, "c:\\file.txt")
        .ok() // a file
        .then([](const ModelWindow& w) { EXPECT_EQ(w.focus, genctl::PrimaryCache); })
        .type(genctl::PrimaryCache, "spool")
        .type(genctl::TempFiles, "tmp2")
        .ok() // both created when asked, then the page limit is refused again
        .then(shows(genctl::PrimaryCache, "C:\\work\\spool"))
        .then(shows(genctl::TempFiles, "C:\\work\\tmp2"))
        .type(genctl::QueueDepth, "20")
        .select(genctl::TimeFormat, 2)
        .click(genctl::Verbose)
        .click(genctl::EnableNotes)
        .click(genctl::SuppressAnnotations)
        .ok();
    const std::string before = options();
    host.answerWhen("spool", id::Yes, [&](const HeadlessBox&) { EXPECT_EQ(options(), before); });
    host.answerWhen("tmp2", id::Yes);
    EXPECT_EQ(RunGeneralOptionsDialog(lib(), nullptr, cfg), id::Ok);
    const char* range = "Please enter an integer between 1 and 20.";
    EXPECT_EQ(boxTexts(),
              Texts({range, "Path 'C:\\locked' is read only.",
                     "The path specifies an existing file.  Please enter a directory name "
                     "instead.",
                     "Path doesn't exist.  Do you wish to create 'C:\\work\\spool'?",
                     "Path doesn't exist.  Do you wish to create 'C:\\work\\tmp2'?", range}));
    EXPECT_EQ(machine.files.created, Texts({"C:\\work\\spool", "C:\\work\\tmp2"}));
    EXPECT_EQ(options(), "C:\\work\\spool|C:\\work\\tmp2|pages 20 time 3 switches 1011");
}

TEST_F(OptionsDialogs, ReadOnlyRegistryDisablesOkInBoth) {
    lib().readOnlyRegistry = true;
    auto readOnly = [](const ModelWindow& w) {
        EXPECT_FALSE(w.at(ctl::Ok).enabled);
        EXPECT_EQ(w.defaultButton, ctl::Cancel);
    };
    host.script(dlg::Fonts).then(readOnly).cancel();
    host.script(dlg::GeneralOptions).then(readOnly).cancel();
    EXPECT_EQ(RunFontsDialog(lib(), nullptr, cfg), id::Cancel);
    EXPECT_EQ(RunGeneralOptionsDialog(lib(), nullptr, cfg), id::Cancel);
}

} // namespace
