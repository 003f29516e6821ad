// The three paper media dialogs through the headless host.
#include "library/accessors.h"
#include "media/media_dialogs.h"
#include "resources/ids.h"
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

using Texts = std::vector<std::string>;
constexpr uint16_t kNone = LNTC_MEDIA_NONE;
using Check = std::function<void(const ModelWindow&)>;

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
    const uint16_t defaults[] = {1, 0, kNone};
    MediaTrayList* lists[] = {&m.EjectTrays, &m.QDTrays, &m.PSTrays};
    for (int l = 0; l < 3; ++l) {
        lists[l]->usNumTrayNames = 3;
        for (int i = 0; i < 3; ++i)
            setField(lists[l]->szTrayName[i], std::string("Tray ") + char('1' + i));
        lists[l]->usTrayNameIndex = defaults[l];
    }
    return m;
}

// The media values of a queue in one line.
std::string stored(const QueueRecord& q) {
    char overscan[16];
    std::snprintf(overscan, sizeof overscan, "%.2f", q.OverscanAmt);
    return std::string(q.Tray1_Top) + "|" + q.Tray2_Bottom + "|" + q.Tray3_Third + "|qd " +
           std::to_string(q.QDDefaultTray) + " eject " + std::to_string(q.EjectTray) + " ps " +
           std::to_string(q.PSDefaultTray) + " switch " + std::to_string(q.EjectTraySwitch) +
           " pages " + std::to_string(q.EjectTrayPages) + " overscan " + overscan;
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
    Texts boxTexts() const {
        Texts out;
        for (const auto& b : host.boxes)
            out.push_back(b.text);
        return out;
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
    // Eject from the model, the stored Quendal tray wins, neither has a PostScript one.
    EXPECT_EQ(stored(q), "LETTER, 1|NONE|A4, 2|qd 2 eject 1 ps 0 switch 0 pages 0 overscan 5.00");
    EXPECT_EQ(std::vector<int>({state.Trays[1].usPaperSizeIndex, state.Trays[2].usPaperSizeIndex,
                                state.QDTrays.usTrayNameIndex}),
              std::vector<int>({kNone, 2, 2}));
    // clang-format off
    const std::tuple<const char*, uint16_t, uint16_t> cases[] = {
        {"LETTER, 1", 0, 1}, {"legal,3", 1, 3}, {"B, 2", 0, 2}, {"A4", 2, 0}, {" none ", kNone, 0}};
    // clang-format on
    for (const auto& [value, paper, priority] : cases) {
        setField(q.Tray1_Top, value);
        MergeQueueMedia(lib(), q, state);
        EXPECT_EQ(std::make_pair(state.Trays[0].usPaperSizeIndex, state.Trays[0].usPriority),
                  std::make_pair(paper, priority))
            << value;
    }
}

int radioId(int tray, int p) {
    return trayctl::TopPriority1 + tray * trayctl::TrayStride + p - 1;
}

// Ranks of Top, Bottom, Third (-1: absent) before and after one click (button 0: the tray's
// Available box), and how many priority buttons each tray then has enabled.
TEST_F(MediaDialogs, AvailabilityReRankAndPriorityRules) {
    struct RuleCase {
        const char* what;
        int start[3];
        int tray, button;
        int end[3];
        int enabled[3];
    };
    // clang-format off
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
        {"with two trays 3 is no free rank", {-1, 1, 2}, 1, 1, {-1, 1, 2}, {0, 2, 2}}};
    // clang-format on
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        MediaTray trays[3];
        for (int i = 0; i < 3; ++i)
            trays[i] = c.start[i] < 0 ? MediaTray{kNone, 0}
                                      : MediaTray{0, static_cast<uint16_t>(c.start[i])};
        media = modelMedia(trays[0], trays[1], trays[2]);
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        host.script(dlg::TrayMedia)
            .click(c.button == 0 ? trayctl::TopAvailable + c.tray * trayctl::TrayStride
                                 : radioId(c.tray, c.button))
            .then([&](const ModelWindow& w) {
                std::vector<int> ranks, enabled;
                for (int i = 0; i < 3; ++i) {
                    int shown = -1, on = 0;
                    for (int p = 1; p <= 3; ++p) {
                        if (w.at(radioId(i, p)).check == 1) shown = p;
                        on += w.at(radioId(i, p)).enabled ? 1 : 0;
                    }
                    ranks.push_back(
                        w.at(trayctl::TopAvailable + i * trayctl::TrayStride).check ? shown : -1);
                    enabled.push_back(on);
                }
                EXPECT_EQ(ranks, std::vector<int>(c.end, c.end + 3));
                EXPECT_EQ(enabled, std::vector<int>(c.enabled, c.enabled + 3));
            })
            .cancel();
        d.doModal();
    }
}

TEST_F(MediaDialogs, TheOverscanFieldKeepsOneDecimalWithinItsRange) {
    // clang-format off
    const std::pair<const char*, const char*> typed[] = {
        {"3.14159", "3.1"}, {" 7 ", "7.0"}, {"1e1", "10.0"}, {"10.05", nullptr}, {"-0.1", nullptr},
        {"abc", nullptr}, {"nan", nullptr}, {"", nullptr}};
    // clang-format on
    for (auto [input, shown] : typed) {
        host.boxes.clear();
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        host.script(dlg::TrayMedia)
            .type(trayctl::Overscan, input)
            .focus(trayctl::QdTray)
            .then(text(trayctl::Overscan, shown ? shown : input))
            .cancel();
        d.doModal();
        EXPECT_EQ(boxTexts(),
                  shown ? Texts{} : Texts{"Please enter a number between 0.0 and 10.0."})
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
    const std::string before = stored(q);
    // Bottom is absent and cannot be the default; a refused overscan keeps the dialog open.
    for (int step = 0; step < 2; ++step) {
        TrayMediaDialog d(lib(), nullptr, q, media, false);
        DialogScript& s = host.script(dlg::TrayMedia);
        if (step == 0) s.select(trayctl::QdTray, 1);
        if (step == 1) s.type(trayctl::Overscan, "11");
        s.ok().cancel();
        EXPECT_EQ(d.doModal(), id::Cancel);
        EXPECT_EQ(stored(q), before);
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
    EXPECT_EQ(stored(q), "LETTER, 1|LETTER, 3|LEGAL, 2|qd 2 eject -1 ps 0 switch 0 pages 0 "
                         "overscan 2.50");
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
    const std::string before = stored(q);
    for (const char* bad : {"0", "1001"}) {
        EjectMediaDialog d(lib(), nullptr, q, media, false);
        host.script(dlg::EjectMedia)
            .click(ejectctl::Switch)
            .type(ejectctl::Pages, bad)
            .ok()
            .cancel();
        EXPECT_EQ(d.doModal(), id::Cancel);
        EXPECT_EQ(stored(q), before) << bad;
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
    EXPECT_EQ(stored(q), "|||qd 1 eject 2 ps -1 switch 1 pages 1 overscan 5.00");
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
    // The queue's paper values in one line.
    std::string papers() const {
        return std::string(q.QDDefaultPaperSize) + "|" + q.PSDefaultPaperSize + "|" +
               q.BestAvailPaperSizes + "|" + std::to_string(q.BestAvailPaperSizesCnt);
    }
    static Check lists(Texts current, Texts additional) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(w.at(bestctl::Current).itemTexts(), current);
            EXPECT_EQ(w.at(bestctl::Additional).itemTexts(), additional);
        };
    }
};

TEST_F(BestAvail, TheFileFillsEmptyValuesAndMovesRebuildTheSourceInItsOrder) {
    installFile();
    BestAvailMediaDialog first(lib(), nullptr, q);
    EXPECT_EQ(papers(), "C|B|LETTER,B,C|3");

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
            EXPECT_TRUE(!w.at(bestctl::Remove).enabled && w.focus == ctl::Ok);
        })
        .ok()                                // refused: the list is empty
        .doubleClick(bestctl::Additional, 1) // selects and adds at once
        .then(lists({"B"}, {"LETTER", "LETTER_L", "B_L", "C"}))
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(boxTexts(), Texts{"You must have at least one paper size listed in the Current "
                                "Paper Sizes (Best Available) list box."});
    EXPECT_EQ(papers(), "C|B|B|1");
}

TEST_F(BestAvail, AnUnreadableFileIsSaidTwiceAndGivesTheFallbacks) {
    setField(q.BestAvailPaperSizes, "B");
    BestAvailMediaDialog d(lib(), nullptr, q);
    EXPECT_EQ(papers(), "C|LETTER|LETTER,B,C|3");
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

} // namespace
