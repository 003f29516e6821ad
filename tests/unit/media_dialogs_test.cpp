// The three paper media dialogs through the headless host.
#include "library/accessors.h"
#include "media/media_dialogs.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "store/models.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

constexpr uint16_t kNone = LNTC_MEDIA_NONE;
using Check = std::function<void(const ModelWindow&)>;

void setTrayList(MediaTrayList& list, uint16_t index) {
    list.usNumTrayNames = 3;
    const char* names[] = {"Top", "Bottom", "Third"};
    for (int i = 0; i < 3; ++i)
        setField(list.szTrayName[i], names[i]);
    list.usTrayNameIndex = index;
}

// Papers LETTER, LEGAL, A4; the three trays as given; tray-name lists of three names.
DefaultMedia modelMedia(MediaTray top, MediaTray bottom, MediaTray third) {
    DefaultMedia m{};
    m.NumPaperSizes = 3;
    const char* names[] = {"LETTER", "LEGAL", "A4"};
    for (int i = 0; i < 3; ++i)
        setField(m.PaperSizes[i].szName, names[i]);
    m.Trays[0] = top;
    m.Trays[1] = bottom;
    m.Trays[2] = third;
    setTrayList(m.EjectTrays, 1);
    setTrayList(m.QDTrays, 0);
    setTrayList(m.PSTrays, kNone);
    return m;
}

class MediaDialogs : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;
    QueueRecord q{};
    DefaultMedia media = modelMedia({0, 1}, {kNone, 0}, {2, 2});

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
        setField(q.Name, "LASER");
        setField(q.Printer, "HP_LASERJET_4M");
        q.OverscanAmt = 5.0;
    }
    Library& lib() { return t.lib(); }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : host.boxes)
            out.push_back(b.text);
        return out;
    }
    bool unchanged(const QueueRecord& before) const {
        return std::memcmp(&q, &before, sizeof q) == 0;
    }
};

Check text(int id, const char* expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).text, expected); };
}

TEST_F(MediaDialogs, TheMergeTakesStoredTraysAndFillsWhatIsEmptyFromTheModel) {
    lib().defaultMedia.reset(new DefaultMedia[kModelCount]);
    lib().defaultMedia[1] = media; // HP_LASERJET_4M
    setField(q.Tray1_Top, "LETTER, 1");
    setField(q.Tray2_Bottom, "NONE");
    q.EjectTray = q.PSDefaultTray = -1;
    q.QDDefaultTray = 2;
    DefaultMedia state{};
    TrayMediaDialog prepare(lib(), nullptr, q, state, true);
    EXPECT_EQ(state.Trays[1].usPaperSizeIndex, kNone);
    EXPECT_EQ(state.Trays[2].usPaperSizeIndex, 2);
    EXPECT_STREQ(q.Tray3_Third, "A4, 2");
    EXPECT_EQ(q.EjectTray, 1);                   // the model's
    EXPECT_EQ(state.QDTrays.usTrayNameIndex, 2); // the stored one wins
    EXPECT_EQ(q.PSDefaultTray, 0);               // neither has one: the fallback
    struct Case {
        const char* stored;
        uint16_t paper, priority;
    } cases[] = {{"LETTER, 1", 0, 1},
                 {"legal,3", 1, 3},
                 {"B4, 2", 0, 2},
                 {"A4", 2, 0},
                 {" none ", kNone, 0}};
    for (const Case& c : cases) {
        setField(q.Tray1_Top, c.stored);
        MergeQueueMedia(lib(), q, state);
        EXPECT_EQ(state.Trays[0].usPaperSizeIndex, c.paper) << c.stored;
        EXPECT_EQ(state.Trays[0].usPriority, c.priority) << c.stored;
    }
}

// Ranks of Top, Bottom, Third (-1: absent), before and after one click, and how many
// priority buttons each tray then has enabled.
struct RuleCase {
    const char* what;
    int start[3];
    int tray, button; // button 0: the tray's Available box
    int end[3];
    int enabled[3];
};

int radioId(int tray, int p) {
    return trayctl::TopPriority1 + tray * trayctl::TrayStride + p - 1;
}

TEST_F(MediaDialogs, AvailabilityReRankAndPriorityRules) {
    const RuleCase cases[] = {
        {"Top takes 2 from Bottom", {1, 2, 3}, 0, 2, {2, 1, 3}, {3, 3, 3}},
        {"Third takes 1 from Top", {1, 2, 3}, 2, 1, {3, 2, 1}, {3, 3, 3}},
        {"Bottom takes 3 from Third", {1, 2, 3}, 1, 3, {1, 3, 2}, {3, 3, 3}},
        {"clearing Top re-ranks", {1, 2, 3}, 0, 0, {-1, 1, 2}, {0, 2, 2}},
        {"clearing the middle one", {1, 2, 3}, 1, 0, {1, -1, 2}, {2, 0, 2}},
        {"two left, clearing one", {-1, 1, 2}, 1, 0, {-1, -1, 1}, {0, 0, 0}},
        {"checking Bottom beside Top", {1, -1, -1}, 1, 0, {1, 2, -1}, {3, 3, 0}},
        {"checking the only tray", {-1, -1, -1}, 2, 0, {-1, -1, 1}, {0, 0, 0}},
        {"checking a third tray", {2, 1, -1}, 2, 0, {2, 1, 3}, {3, 3, 3}},
        {"two trays swap", {1, 2, -1}, 0, 2, {2, 1, -1}, {2, 2, 0}},
        {"with two trays 3 is no free rank", {-1, 1, 2}, 1, 1, {-1, 1, 2}, {0, 2, 2}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        MediaTray trays[3];
        for (int i = 0; i < 3; ++i)
            trays[i] = c.start[i] < 0 ? MediaTray{kNone, 0}
                                      : MediaTray{0, static_cast<uint16_t>(c.start[i])};
        media = modelMedia(trays[0], trays[1], trays[2]);
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        int clicked = c.button == 0 ? trayctl::TopAvailable + c.tray * trayctl::TrayStride
                                    : radioId(c.tray, c.button);
        host.script(dlg::TrayMedia)
            .click(clicked)
            .then([&](const ModelWindow& w) {
                for (int i = 0; i < 3; ++i) {
                    int shown = 0, enabled = 0;
                    for (int p = 1; p <= 3; ++p) {
                        if (w.at(radioId(i, p)).check == 1) shown = p;
                        enabled += w.at(radioId(i, p)).enabled ? 1 : 0;
                    }
                    bool present = w.at(trayctl::TopAvailable + i * trayctl::TrayStride).check;
                    EXPECT_EQ(present ? shown : -1, c.end[i]) << "tray " << i;
                    EXPECT_EQ(enabled, c.enabled[i]) << "tray " << i;
                }
            })
            .cancel();
        d.doModal();
    }
}

TEST_F(MediaDialogs, TheOverscanFieldKeepsOneDecimalWithinItsRange) {
    const std::pair<const char*, const char*> typed[] = {
        {"3.14159", "3.1"}, {" 7 ", "7.0"},   {"1e1", "10.0"},  {"10.05", nullptr},
        {"-0.1", nullptr},  {"abc", nullptr}, {"nan", nullptr}, {"", nullptr}};
    for (auto [input, shown] : typed) {
        host.boxes.clear();
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        host.script(dlg::TrayMedia)
            .type(trayctl::Overscan, input)
            .focus(trayctl::QdTray)
            .then(text(trayctl::Overscan, shown ? shown : input))
            .cancel();
        d.doModal();
        EXPECT_EQ(boxTexts(), shown ? std::vector<std::string>{}
                                    : std::vector<std::string>{"Please enter a number between "
                                                               "0.0 and 10.0."})
            << input;
    }
    q.OverscanAmt = 9.9;
    TrayMediaDialog d(lib(), nullptr, q, media, false);
    host.script(dlg::TrayMedia)
        .then(text(trayctl::Overscan, "9.9"))
        .scroll(trayctl::OverscanSpin, Scroll::LineUp)
        .scroll(trayctl::OverscanSpin, Scroll::LineUp)
        .then(text(trayctl::Overscan, "10.0"))
        .type(trayctl::Overscan, "0.1")
        .scroll(trayctl::OverscanSpin, Scroll::LineDown)
        .scroll(trayctl::OverscanSpin, Scroll::LineDown)
        .scroll(trayctl::OverscanSpin, Scroll::PageUp)
        .then(text(trayctl::Overscan, "0.0"))
        .cancel();
    d.doModal();
}

TEST_F(MediaDialogs, TrayOkChecksEverythingBeforeItWritesAnything) {
    const QueueRecord before = q;
    // Bottom is absent and cannot be the default; a refused overscan keeps the dialog open.
    for (auto step :
         {std::function<void(DialogScript&)>([](DialogScript& s) { s.select(trayctl::QdTray, 1); }),
          std::function<void(DialogScript&)>(
              [](DialogScript& s) { s.type(trayctl::Overscan, "11"); })}) {
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        DialogScript& s = host.script(dlg::TrayMedia);
        step(s);
        s.ok().cancel();
        EXPECT_EQ(d.doModal(), id::Cancel);
        EXPECT_TRUE(unchanged(before));
    }
    EXPECT_EQ(boxTexts().at(0), "The specified Quendal Job Default Tray is not available.");
    host.boxes.clear();
    TrayMediaDialog d(lib(), nullptr, q, media, false);
    host.script(dlg::TrayMedia)
        .select(trayctl::QdTray, 2)
        .select(trayctl::ThirdPaper, 1)
        .click(trayctl::BottomAvailable) // comes in ranked 3
        .type(trayctl::Overscan, "2.5")
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_STREQ(q.Tray1_Top, "LETTER, 1");
    EXPECT_STREQ(q.Tray2_Bottom, "LETTER, 3");
    EXPECT_STREQ(q.Tray3_Third, "LEGAL, 2");
    EXPECT_EQ(q.QDDefaultTray, 2);
    EXPECT_EQ(q.EjectTray, -1);
    EXPECT_DOUBLE_EQ(q.OverscanAmt, 2.5);
    EXPECT_TRUE(host.boxes.empty());

    // The second visit starts where the first ended. Without Quendal-job trays none is
    // stored; the generic PostScript model reminds of the paper orientations.
    setField(q.Printer, "GENERIC_POSTSCRIPT");
    media.QDTrays.usTrayNameIndex = kNone;
    TrayMediaDialog again(lib(), nullptr, q, media, false);
    host.script(dlg::TrayMedia)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(trayctl::BottomPriority3).check, 1);
            EXPECT_FALSE(w.at(trayctl::QdTray).enabled);
            EXPECT_EQ(w.title, "Generic PostScript Level 2 Paper Media");
        })
        .ok();
    EXPECT_EQ(again.doModal(), id::Ok);
    EXPECT_EQ(q.QDDefaultTray, -1);
    EXPECT_EQ(boxTexts().at(0).rfind("You must edit the Default Media key", 0), 0u);
}

TEST_F(MediaDialogs, EjectDialogSwitchPagesAndItsSixValues) {
    setField(q.Printer, "RICOH_LP-M20");
    q.EjectTrayPages = 999;
    const QueueRecord before = q;
    for (const char* bad : {"0", "1001"}) {
        EjectMediaDialog d(lib(), nullptr, q, media, false);
        host.script(dlg::EjectMedia)
            .click(ejectctl::Switch)
            .type(ejectctl::Pages, bad)
            .ok()
            .cancel();
        EXPECT_EQ(d.doModal(), id::Cancel);
        EXPECT_TRUE(unchanged(before)) << bad;
    }
    EjectMediaDialog d(lib(), nullptr, q, media, false);
    auto pages = [](const char* shown, bool on) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(w.at(ejectctl::Pages).text, shown);
            EXPECT_EQ(w.at(ejectctl::PagesSpin).enabled, on);
            EXPECT_FALSE(w.at(ejectctl::PsTray).enabled); // its list has no default
        };
    };
    host.script(dlg::EjectMedia)
        .then(pages("999", false))
        .click(ejectctl::Switch)
        .scroll(ejectctl::PagesSpin, Scroll::LineUp)
        .scroll(ejectctl::PagesSpin, Scroll::LineUp)
        .then(pages("1000", true))
        .type(ejectctl::Pages, "2")
        .scroll(ejectctl::PagesSpin, Scroll::LineDown)
        .scroll(ejectctl::PagesSpin, Scroll::LineDown)
        .then(pages("1", true))
        .select(ejectctl::EjectTray, 2)
        .select(ejectctl::QdTray, 1)
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(q.EjectTraySwitch, 1u);
    EXPECT_EQ(q.EjectTrayPages, 1);
    EXPECT_EQ(q.EjectTray, 2);
    EXPECT_EQ(q.QDDefaultTray, 1);
    EXPECT_EQ(q.PSDefaultTray, -1);
    EXPECT_EQ(media.EjectTrays.usTrayNameIndex, 2);
}

class BestAvail : public MediaDialogs {
  protected:
    void SetUp() override {
        MediaDialogs::SetUp();
        setField(q.Printer, "XEROX_8840C"); // LETTER, LETTER_L, B, B_L, C; best LETTER, B, C
        const ServerConfig* config = nullptr;
        GetConfig(lib(), &config, LNTC_CONFIG_VERSION);
    }
    void installFile() {
        machine.files.addFile("C:\\qdsw_local\\sd\\ldpx.cfg",
                              readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/ldpx.cfg"));
    }
    static Check lists(std::vector<std::string> current, std::vector<std::string> additional) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(w.at(bestctl::Current).itemTexts(), current);
            EXPECT_EQ(w.at(bestctl::Additional).itemTexts(), additional);
        };
    }
};

TEST_F(BestAvail, TheFileFillsEmptyValuesAndMovesRebuildTheSourceInItsOrder) {
    installFile();
    BestAvailMediaDialog first(lib(), nullptr, q);
    EXPECT_STREQ(q.QDDefaultPaperSize, "C");
    EXPECT_STREQ(q.PSDefaultPaperSize, "B");
    EXPECT_STREQ(q.BestAvailPaperSizes, "LETTER,B,C");
    EXPECT_EQ(q.BestAvailPaperSizesCnt, 3);

    setField(q.BestAvailPaperSizes, "B,C"); // stored values stay
    BestAvailMediaDialog d(lib(), nullptr, q);
    host.script(dlg::BestAvailMedia)
        .then(lists({"B", "C"}, {"LETTER", "LETTER_L", "B_L"}))
        .selectItems(bestctl::Current, {0})
        .click(bestctl::Remove)
        .then(lists({"C"}, {"LETTER", "LETTER_L", "B_L", "B"}))
        .selectItems(bestctl::Additional, {0, 2})
        .click(bestctl::Add)
        .then(lists({"C", "LETTER", "B_L"}, {"LETTER_L", "B"}))
        .selectItems(bestctl::Current, {0, 1, 2})
        .click(bestctl::Remove) // the last ones
        .then([](const ModelWindow& w) {
            EXPECT_FALSE(w.at(bestctl::Remove).enabled);
            EXPECT_EQ(w.focus, ctl::Ok);
        })
        .ok()                                // refused: the list is empty
        .doubleClick(bestctl::Additional, 1) // selects and adds at once
        .then(lists({"B"}, {"LETTER", "LETTER_L", "B_L", "C"}))
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"You must have at least one paper size "
                                                   "listed in the Current Paper Sizes (Best "
                                                   "Available) list box."});
    EXPECT_STREQ(q.BestAvailPaperSizes, "B");
    EXPECT_EQ(q.BestAvailPaperSizesCnt, 1);
}

TEST_F(BestAvail, AnUnreadableFileIsSaidTwiceAndGivesTheFallbacks) {
    setField(q.BestAvailPaperSizes, "B");
    BestAvailMediaDialog d(lib(), nullptr, q);
    EXPECT_STREQ(q.QDDefaultPaperSize, "C");
    EXPECT_STREQ(q.PSDefaultPaperSize, "LETTER");
    EXPECT_STREQ(q.BestAvailPaperSizes, "LETTER,B,C");
    host.script(dlg::BestAvailMedia).then(lists({}, {})).cancel();
    d.doModal();
    ASSERT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[0], boxTexts()[1]);
    EXPECT_EQ(boxTexts()[0].rfind("Error reading the Large Document Printer LDPX.CFG", 0), 0u);
}

TEST_F(BestAvail, NamesThatDoNotFitTheFieldAreLeftOutAndLogged) {
    installFile();
    std::string many;
    for (int i = 0; i < 28; ++i)
        many += "LETTER_L,";
    setField(q.BestAvailPaperSizes, many); // 251 characters once joined
    BestAvailMediaDialog d(lib(), nullptr, q);
    host.script(dlg::BestAvailMedia).selectItems(bestctl::Additional, {0}).click(bestctl::Add).ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(q.BestAvailPaperSizesCnt, 28);
    EXPECT_TRUE(t.logged("LNTC: 1 best-available paper sizes of queue LASER do not fit its list "
                         "and were left out"));
}

TEST(MediaHelp, EveryControlThatTakesTheFocusHasItsTopic) {
    const std::string help =
        readTextFile(std::string(LNTC_SOURCE_DIR) + "/src/resources/help/liblntc.hlp.txt");
    for (uint16_t id :
         {dlg::TrayMedia, dlg::EjectMedia, dlg::BestAvailMedia, dlg::TcpDirect, dlg::NewTcpPort}) {
        for (const ControlTemplate& c : builtinTemplate(id)->controls) {
            bool focusable = c.kind != ControlKind::Static && c.kind != ControlKind::GroupBox &&
                             !(c.style & cs::Hidden);
            if (!focusable) continue;
            EXPECT_TRUE(findHelpTopic(help, c.id).has_value()) << id << ": " << c.id;
        }
    }
}

} // namespace
