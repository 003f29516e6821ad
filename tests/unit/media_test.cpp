// The default media table as a product process builds and queries it, the paper sizes its values
// name, and the three paper media dialogs through the headless host.
#include "library/accessors.h"
#include "media/default_media.h"
#include "media/media_dialogs.h"
#include "media/paper_sizes.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/ui_support.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;
using Texts = std::vector<std::string>;

namespace {

// Papers, trays and (with lists) the three tray-name lists in one line.
std::string describe(const DefaultMedia& m, bool lists = true) {
    std::string out;
    for (uint16_t i = 0; i < m.NumPaperSizes; ++i)
        out += std::string(m.PaperSizes[i].szName) + ":" +
               std::to_string(m.PaperSizes[i].usOrientation) + " ";
    out += "|";
    for (const MediaTray& tray : m.Trays)
        out += " " + std::to_string(tray.usPaperSizeIndex) + "/" + std::to_string(tray.usPriority);
    for (const MediaTrayList* l : {&m.EjectTrays, &m.QDTrays, &m.PSTrays}) {
        if (!lists) break;
        out += " | " + std::to_string(l->usNumTrayNames) + " [";
        for (uint16_t i = 0; i < l->usNumTrayNames; ++i)
            out += std::string(l->szTrayName[i]) + ",";
        out += "] " + std::to_string(l->usTrayNameIndex);
    }
    return out;
}

class DefaultMediaTable : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    // Sets the process up as a product process does before asking for media; an older ODR reports
    // no release, which makes OdrGeneration 1.
    void start(bool olderOdr = false) {
        t = std::make_unique<TestLibrary>(machine);
        if (olderOdr)
            t->product.setDirectoryJson(R"({ "default": "Alpha:Quendal", "odrs": [
                { "domain": "Alpha", "organization": "Quendal", "queues": [],
                  "systemDefaults": { "release": null, "charset": 2, "systemWord": 0 } } ] })");
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0u);
    }
    // Values of a model's subkey: "#" a number, else a string; papers as a list.
    void set(const std::string& model, std::vector<std::pair<std::string, std::string>> values,
             const std::vector<std::string>& papers = {}) {
        const std::string key = productPath("Default Media\\" + model);
        if (!papers.empty())
            values.push_back({"NumPaperSizes", "#" + std::to_string(papers.size())});
        for (size_t i = 0; i < papers.size(); ++i)
            values.push_back({"PaperSize" + std::to_string(i), papers[i]});
        for (const auto& [name, v] : values) {
            if (v[0] == '#')
                machine.registry.setDword(key, name, std::stoul(v.substr(1), nullptr, 0));
            else
                machine.registry.setString(key, name, v);
        }
    }
    const DefaultMedia& model(const char* key) {
        return t->lib().defaultMedia()[static_cast<size_t>(ModelIndexOfKey(key))];
    }
};

QueueRecord queue(const char* printer, const char* alias = "") {
    QueueRecord q{};
    setField(q.Printer, printer);
    setField(q.PrinterAlias, alias);
    return q;
}

TEST_F(DefaultMediaTable, QueriesBuildTheTableABuildReplacesItAFailedOneKeepsItAndSaysWhatToRun) {
    machine.registry.setString(productPath("General"), "ConfigDir", "d:\\site\\cfg");
    set("HP_LASERJET_4M", {}, {"LETTER, 0", "LETTER_L, 1"});
    set("GENERIC_POSTSCRIPT", {}, {"A4, 1", "A4, 0"});
    start();
    EXPECT_EQ(t->lib().defaultMedia(), nullptr);
    const QueueRecord hp = queue("HP_LASERJET_4M");
    // clang-format off
    const std::tuple<QueueRecord, const char*, int16_t> cases[] = {
        {hp, "letter_l", 1}, // builds the table first; case is ignored
        {hp, "LETTER", 0}, {hp, "A4", 0}, {hp, "LETTER ", 0}, {hp, nullptr, 0}, {queue("hp_laserjet_4m"), "LETTER_L", 0},
        {queue("OTHER", "GENERIC_POSTSCRIPT"), "a4", 1}, {queue("NO_SUCH_MODEL"), "LETTER_L", 0}}; // the first match wins
    // clang-format on
    for (const auto& [q, paper, orientation] : cases)
        EXPECT_EQ(GetPaperOrientation(t->lib().services(), &q, paper), orientation)
            << q.Printer << " " << (paper ? paper : "(null)");
    EXPECT_EQ(GetPaperOrientation(t->lib().services(), nullptr, "LETTER_L"), 0);
    set("OTHER", {}, {"A4, 1", "A3, 1"});
    ASSERT_EQ(GetDefaultMedia(t->lib().services()), 1);
    machine.registry.deleteTree(kLocalMachine, productPath("Default Media"));
    EXPECT_EQ(GetDefaultMedia(t->lib().services()), 0);
    EXPECT_EQ(describe(model("OTHER"), false), "A4:1 A3:1 | 65535/0 65535/0 65535/0");
    EXPECT_EQ(t->host.shown.size(), 1u);
    t->unload();
    EXPECT_EQ(t->lib().defaultMedia(), nullptr);

    // Another process: without its shared configuration nothing is built, and that is logged; with
    // it, every query tries again and says what to run.
    TestLibrary other(machine);
    EXPECT_EQ(GetDefaultMedia(other.lib().services()), 0);
    EXPECT_TRUE(other.logged("LNTC: Error mapping view of shared memory"));
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(other.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    for (const char* paper : {"LETTER_L", "A4"})
        EXPECT_EQ(GetPaperOrientation(other.lib().services(), &hp, paper), 0);
    ASSERT_EQ(other.host.shown.size(), 2u);
    EXPECT_EQ(other.host.shown[1].caption + ": " + other.host.shown[1].text,
              "Configuration Error: The \\\"Default Media\\\" key is missing from the Registry.  "
              "Please contact your system administrator immediately to run the following "
              "program:\nLNTKEY 'Default Media' d:\\site\\cfg\\lntmedia.key");
}

// Counts and indices past what the record holds are cut or dropped, never read past (the
// values themselves are the paper sizes' test); a value of the wrong type reads as its default.
// An older ODR has no Executive paper: the trays' indices follow the papers that remain.
TEST_F(DefaultMediaTable, KeepsBadCountsAndIndicesInsideTheRecordAndAnOlderOdrDropsExecutive) {
    std::vector<std::pair<std::string, std::string>> values = {
        {"TrayPS/TrayNameIndex", "#10"},
        {"TrayPS/NumTrayNames", "#0x10003"}, // over 16 bits
        {"TrayQD/NumTrayNames", "#2"},
        {"TrayQD/TrayNameIndex", "#2"}};
    for (int i = 0; i < 12; ++i)
        values.push_back({"TrayPS/TrayName" + std::to_string(i), std::string(100, 'a' + i)});
    set("GENERIC_POSTSCRIPT", values, std::vector<std::string>(40, "A4"));
    set("GENERIC_POSTSCRIPT", {{"NumPaperSizes", "#1000"}});
    set("OTHER", {{"NumPaperSizes", "2"}});
    set("RICOH_LP-M20",
        {{"Tray0/PaperSizeIndex", "#2"},
         {"Tray1/PaperSizeIndex", "#1"},
         {"Tray2/PaperSizeIndex", "#3"}},
        {"LETTER, 1", "Executive, 1", "B, 0", "A4, 1"});
    start(true);
    ASSERT_EQ(GetDefaultMedia(t->lib().services()), 1);
    const DefaultMedia& m = model("GENERIC_POSTSCRIPT");
    EXPECT_EQ(std::string(m.PSTrays.szTrayName[9]), std::string(63, 'j'));
    EXPECT_EQ(
        std::vector<int>({m.NumPaperSizes, m.PSTrays.usNumTrayNames, m.PSTrays.usTrayNameIndex,
                          m.QDTrays.usTrayNameIndex, model("OTHER").NumPaperSizes}),
        std::vector<int>(
            {LNTC_MEDIA_PAPER_SIZES, LNTC_MEDIA_TRAY_NAMES, LNTC_MEDIA_NONE, LNTC_MEDIA_NONE, 0}));
    EXPECT_TRUE(t->logged("LNTC: Queried value is not an integer") && t->host.shown.empty());
    EXPECT_EQ(describe(model("RICOH_LP-M20"), false), "LETTER:1 B:0 A4:1 | 1/0 65535/0 2/0");
    EXPECT_EQ(model("RICOH_LP-M20").PaperSizes[3].szName[0], '\0');
    t.reset(), start(false); // a later generation keeps it
    ASSERT_EQ(GetDefaultMedia(t->lib().services()), 1);
    EXPECT_EQ(describe(model("RICOH_LP-M20"), false),
              "LETTER:1 Executive:1 B:0 A4:1 | 2/0 1/0 3/0");
}

TEST(PaperSizes, TheCatalogueNamesIdsAndValuesIgnoringCaseAndSeparators) {
    // clang-format off
    const std::pair<const char*, uint16_t> names[] = {
        {"letter", 5}, {"B_l", 14}, {"FOLIO", 0}, {"UNKNOWN", 0}, {"LETTER ", 0}, {"", 0}, {nullptr, 0}}; // every exact name: below
    const std::pair<std::string, std::string> values[] = { // the name, then the orientation
        {"A4,1", "A4 1"}, {"A4 1", "A4 1"}, {"A4, 1", "A4 1"}, {",,A4\t\t1\n", "A4 1"}, {"   LETTER\t0", "LETTER 0"},
        {"LEGAL 1 trailing words", "LEGAL 1"}, {"LETTER", "LETTER 0"}, {" ,\t", " 0"}, {"", " 0"}, {"B x", "B 0"},
        {std::string(100, 'N') + ",1", std::string(63, 'N') + " 1"},
        {std::string("A3\0 1", 5), "A3 0"}}; // the value ends at a NUL, as a C string
    const std::pair<const char*, int32_t> decimals[] = { // as atoi converts, but without overflow
        {"99", 99}, {"  -5x", -5}, {"+7", 7}, {"abc", 0}, {"", 0},
        {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
    // clang-format on
    for (const auto& [name, id] : names)
        EXPECT_EQ(PaperSizeNameToId(name), id) << (name ? name : "(null)");
    EXPECT_EQ(std::string(PaperSizeName(0)) + PaperSizeName(47) + PaperSizeName(0xFFFF),
              "UNKNOWNUNKNOWNUNKNOWN");
    std::string catalogue;
    for (uint16_t id = 0; id < kPaperSizeCount; ++id) {
        char sizes[64] = {};
        char* end = std::to_chars(sizes, sizes + 30, kPaperSizes[id].width).ptr;
        std::to_chars(std::copy_n(" x ", 3, end), sizes + sizeof sizes - 1, kPaperSizes[id].height);
        catalogue += std::to_string(id) + " " + PaperSizeName(id) + " " + sizes + "\n";
        if (id > 0) {
            EXPECT_EQ(PaperSizeNameToId(PaperSizeName(id)), id);
        }
    }
    EXPECT_EQ(catalogue, goldenText("paper-sizes.txt"));
    for (const auto& [value, parsed] : values) {
        MediaPaperSize e;
        std::memset(&e, 0x5A, sizeof e); // stale bytes must not show through
        ParsePaperSizeValue(value, e);
        EXPECT_EQ(e.szName + std::string(" ") + std::to_string(e.usOrientation), parsed) << value;
    }
    for (const auto& [text, value] : decimals)
        EXPECT_EQ(decimalValue(text), value) << text;
}

constexpr uint16_t kNone = LNTC_MEDIA_NONE;
constexpr Scroll up = Scroll::LineUp, down = Scroll::LineDown;

// Papers LETTER, LEGAL, A4; the three trays as given; tray-name lists of three names.
DefaultMedia modelMedia(MediaTray top, MediaTray bottom, MediaTray third) {
    const MediaTrayList l{3, {"Tray 1", "Tray 2", "Tray 3"}, 1};
    DefaultMedia m{3, {{"LETTER", 0}, {"LEGAL", 0}, {"A4", 0}}, {top, bottom, third}, l, l, l};
    m.QDTrays.usTrayNameIndex = 0;
    m.PSTrays.usTrayNameIndex = kNone;
    return m;
}

// The media values of a queue in one line.
std::string stored(const QueueRecord& q) {
    return formatMessage("%s|%s|%s|qd %d eject %d ps %d switch %u pages %u overscan %.2f",
                         q.Tray1_Top, q.Tray2_Bottom, q.Tray3_Third, q.QDDefaultTray, q.EjectTray,
                         q.PSDefaultTray, q.EjectTraySwitch, q.EjectTrayPages, q.OverscanAmt);
}

struct MediaDialogs : ::testing::Test, HeadlessLibrary {
    QueueRecord q{};
    DefaultMedia media = modelMedia({0, 1}, {kNone, 0}, {2, 2});

    MediaDialogs() : HeadlessLibrary(false) {
        setField(q.Name, "LASER");
        setField(q.Printer, "HP_LASERJET_4M");
        q.OverscanAmt = 5.0;
    }
};

TEST_F(MediaDialogs, TheMergeTakesStoredTraysAndFillsWhatIsEmptyFromTheModel) {
    t.lib().setDefaultMedia(std::make_unique<DefaultMedia[]>(kModelCount));
    t.lib().defaultMedia()[1] = media; // HP_LASERJET_4M
    setField(q.Tray1_Top, "LETTER, 1");
    setField(q.Tray2_Bottom, "NONE");
    q.EjectTray = q.PSDefaultTray = -1;
    q.QDDefaultTray = 2;
    DefaultMedia state{};
    MergeQueueMedia(t.lib().services(), q, state);
    // Eject from the model, the stored Quendal tray wins, neither has a PostScript one.
    EXPECT_EQ(stored(q), "LETTER, 1|NONE|A4, 2|qd 2 eject 1 ps 0 switch 0 pages 0 overscan 5.00");
    EXPECT_EQ(describe(state),
              "LETTER:0 LEGAL:0 A4:0 | 0/1 65535/0 2/2 | 3 [Tray 1,Tray 2,Tray "
              "3,] 1 | 3 [Tray 1,Tray 2,Tray 3,] 2 | 3 [Tray 1,Tray 2,Tray 3,] 65535");
    // clang-format off
    const std::tuple<const char*, uint16_t, uint16_t> cases[] = {
        {"LETTER, 1", 0, 1}, {"legal,3", 1, 3}, {"B, 2", 0, 2}, {"A4", 2, 0}, {" none ", kNone, 0}};
    // clang-format on
    for (const auto& [value, paper, priority] : cases) {
        setField(q.Tray1_Top, value);
        MergeQueueMedia(t.lib().services(), q, state);
        EXPECT_EQ(std::make_pair(state.Trays[0].usPaperSizeIndex, state.Trays[0].usPriority),
                  std::make_pair(paper, priority))
            << value;
    }

    // A stored tray index stays only where the model's list has that entry (three names; the
    // PostScript list has no default, so its combo stays disabled): the queue's and the lists'.
    const std::pair<std::tuple<int16_t, int16_t, int16_t>, const char*> indices[] = {
        {{-1, -1, -1}, "1 0 0 | 1 0 65535"},
        {{2, 2, 0}, "2 2 0 | 2 2 65535"},
        {{3, 5, 1}, "1 0 0 | 1 0 65535"}};
    for (const auto& [values, expected] : indices) {
        std::tie(q.EjectTray, q.QDDefaultTray, q.PSDefaultTray) = values;
        MergeQueueMedia(t.lib().services(), q, state);
        EXPECT_EQ(formatMessage("%d %d %d | %u %u %u", q.EjectTray, q.QDDefaultTray,
                                q.PSDefaultTray, state.EjectTrays.usTrayNameIndex,
                                state.QDTrays.usTrayNameIndex, state.PSTrays.usTrayNameIndex),
                  expected);
    }
}

// Ranks of Top, Bottom, Third (-1: absent) before one click (button 0: the tray's Available box);
// after it, each tray's rank and how many of its priority buttons are enabled.
TEST_F(MediaDialogs, AvailabilityReRankAndPriorityRules) {
    const auto available = [](int tray) {
        return trayctl::TopAvailable + tray * trayctl::TrayStride;
    };
    const auto radio = [](int tray, int p) {
        return trayctl::TopPriority1 + tray * trayctl::TrayStride + p - 1;
    };
    // clang-format off
    const std::tuple<const char*, std::array<int, 3>, int, int, const char*> cases[] = {
        {"Top takes 2 from Bottom", {1, 2, 3}, 0, 2, "2:3 1:3 3:3 "},
        {"Third takes 1 from Top", {1, 2, 3}, 2, 1, "3:3 2:3 1:3 "},
        {"Bottom takes 3 from Third", {1, 2, 3}, 1, 3, "1:3 3:3 2:3 "},
        {"clearing Top re-ranks", {1, 2, 3}, 0, 0, "-1:0 1:2 2:2 "},
        {"clearing the middle one", {1, 2, 3}, 1, 0, "1:2 -1:0 2:2 "},
        {"two left, clearing one", {-1, 1, 2}, 1, 0, "-1:0 -1:0 1:0 "},
        {"checking Bottom beside Top", {1, -1, -1}, 1, 0, "1:3 2:3 -1:0 "},
        {"checking the only tray", {-1, -1, -1}, 2, 0, "-1:0 -1:0 1:0 "},
        {"checking a third tray", {2, 1, -1}, 2, 0, "2:3 1:3 3:3 "},
        {"two trays swap", {1, 2, -1}, 0, 2, "2:2 1:2 -1:0 "},
        {"with two trays 3 is no free rank", {-1, 1, 2}, 1, 1, "-1:0 1:2 2:2 "}}; // clang-format on
    for (const auto& [what, start, tray, button, end] : cases) {
        MediaTray trays[3];
        for (int i = 0; i < 3; ++i)
            trays[i] = {start[i] < 0 ? kNone : uint16_t{0}, uint16_t(std::max(start[i], 0))};
        media = modelMedia(trays[0], trays[1], trays[2]);
        TrayMediaDialog d(t.lib().services(), nullptr, q, media);
        auto& s = host.script(dlg::TrayMedia).click(button ? radio(tray, button) : available(tray));
        s.then([&](const ModelWindow& w) {
             std::string got;
             for (int i = 0, rank = -1, on = 0; i < 3; ++i, rank = -1, on = 0) {
                 for (int p = 1; p <= 3; ++p) {
                     rank = w.at(radio(i, p)).check == 1 ? p : rank;
                     on += w.at(radio(i, p)).enabled ? 1 : 0;
                 }
                 got += std::to_string(w.at(available(i)).check ? rank : -1) + ":" +
                        std::to_string(on) + " ";
             }
             EXPECT_EQ(got, end) << what;
         }).cancel();
        d.doModal();
    }
}

TEST_F(MediaDialogs, TrayOkChecksEverythingBeforeItWritesAnythingOverscanKeepsOneDecimal) {
    const std::string before = stored(q);
    TrayMediaDialog refused(t.lib().services(), nullptr, q, media);
    auto& r = host.script(dlg::TrayMedia);
    // clang-format off
    const std::pair<const char*, const char*> typed[] = {
        {"3.14159", "3.1"}, {" 7 ", "7.0"}, {"1e1", "10.0"}, {"10.05", nullptr}, {"-0.1", nullptr}, {"abc", nullptr}, {"nan", nullptr}, {"11", nullptr}};
    // clang-format on
    for (auto [input, shown] : typed)
        r.type(trayctl::Overscan, input)
            .focus(trayctl::QdTray)
            .then(textIs(trayctl::Overscan, shown ? shown : input));
    // Bottom is absent and cannot be the default; a refused overscan keeps the dialog open.
    r.select(trayctl::QdTray, 1).ok().select(trayctl::QdTray, 0).ok();
    r.cancel().cancel(); // leaving the field says so again, and that click is lost
    EXPECT_EQ(refused.doModal(), id::Cancel);
    EXPECT_EQ(stored(q), before);
    const std::string range = "Please enter a number between 0.0 and 10.0.";
    EXPECT_EQ(takeBoxes(), (Texts{range, range, range, range, range,
                                  "The specified Quendal Job Default Tray is not available.",
                                  "Please enter a number between 0 and 10.", range}));

    q.OverscanAmt = 9.9;
    TrayMediaDialog d(t.lib().services(), nullptr, q, media);
    const int spin = trayctl::OverscanSpin;
    auto& s = host.script(dlg::TrayMedia).then(textIs(trayctl::Overscan, "9.9"));
    s.scroll(spin, up).scroll(spin, up).then(textIs(trayctl::Overscan, "10.0"));
    s.type(trayctl::Overscan, "0.1").scroll(spin, down).scroll(spin, down);
    s.scroll(spin, Scroll::PageUp).then(textIs(trayctl::Overscan, "0.0"));
    s.select(trayctl::QdTray, 2)
        .select(trayctl::ThirdPaper, 1)
        .click(trayctl::BottomAvailable)
        .ok(); // Bottom comes in 3rd
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(stored(q),
              "LETTER, 1|LETTER, 3|LEGAL, 2|qd 2 eject -1 ps 0 switch 0 pages 0 overscan 0.00");
    EXPECT_EQ(takeBoxes(), Texts{});

    // The second visit starts where the first ended. Without Quendal-job trays none is stored; the
    // generic PostScript model reminds of the paper orientations.
    setField(q.Printer, "GENERIC_POSTSCRIPT");
    media.QDTrays.usTrayNameIndex = kNone;
    TrayMediaDialog again(t.lib().services(), nullptr, q, media);
    host.script(dlg::TrayMedia)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(trayctl::BottomPriority3).check, 1);
            EXPECT_FALSE(w.at(trayctl::QdTray).enabled);
            EXPECT_EQ(w.title, "Generic PostScript Level 2 Paper Media");
        })
        .ok();
    EXPECT_EQ(again.doModal(), id::Ok);
    EXPECT_EQ(q.QDDefaultTray, -1);
    EXPECT_EQ(takeBoxes().at(0).rfind("You must edit the Default Media key", 0), 0u);
}

TEST_F(MediaDialogs, EjectDialogSwitchPagesAndItsSixValues) {
    setField(q.Printer, "RICOH_LP-M20");
    q.EjectTrayPages = 999;
    EjectMediaDialog d(t.lib().services(), nullptr, q, media);
    auto pages = [](const char* shown, bool on) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(w.at(ejectctl::Pages).text, shown);
            EXPECT_EQ(w.at(ejectctl::PagesSpin).enabled, on);
            EXPECT_FALSE(w.at(ejectctl::PsTray).enabled); // its list has no default
        };
    };
    auto& s = host.script(dlg::EjectMedia).then(pages("999", false)).click(ejectctl::Switch);
    s.then(pages("999", true)).type(ejectctl::Pages, "0").ok().type(ejectctl::Pages, "1001").ok();
    s.then(
        [&, before = stored(q)](const ModelWindow&) { EXPECT_EQ(stored(q), before); }); // refused
    s.type(ejectctl::Pages, "1").select(ejectctl::EjectTray, 2).select(ejectctl::QdTray, 1).ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(takeBoxes().size(), 2u);
    EXPECT_EQ(stored(q), "|||qd 1 eject 2 ps -1 switch 1 pages 1 overscan 5.00");
    EXPECT_EQ(media.EjectTrays.usTrayNameIndex, 2);
}

struct BestAvail : MediaDialogs {
    void SetUp() override {
        MediaDialogs::SetUp();
        setField(q.Printer, "XEROX_8840C"); // LETTER, LETTER_L, B, B_L, C; best LETTER, B, C
        const ServerConfig* config = nullptr;
        GetConfig(t.lib(), &config, LNTC_CONFIG_VERSION);
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

TEST_F(BestAvail, AnUnreadableFileIsSaidTwiceAndGivesTheFallbacks) {
    setField(q.BestAvailPaperSizes, "B");
    BestAvailMediaDialog d(t.lib().services(), nullptr, q);
    EXPECT_EQ(papers(), "C|LETTER|LETTER,B,C|3");
    host.script(dlg::BestAvailMedia).then(lists({}, {})).cancel();
    d.doModal();
    const Texts shown = takeBoxes();
    EXPECT_EQ(shown, Texts(2, shown.at(0)));
    EXPECT_EQ(shown[0].rfind("Error reading the Large Document Printer LDPX.CFG", 0), 0u);
}

TEST_F(BestAvail,
       TheFileFillsEmptyValuesMovesRebuildTheSourceInItsOrderAndNamesThatDoNotFitAreLeftOut) {
    machine.files.addFile("C:\\qdsw_local\\sd\\ldpx.cfg",
                          readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/ldpx.cfg"));
    BestAvailMediaDialog filled(t.lib().services(), nullptr, q); // the file fills empty values
    EXPECT_EQ(papers(), "C|B|LETTER,B,C|3");
    setField(q.BestAvailPaperSizes, "B,C"); // stored values stay
    BestAvailMediaDialog d(t.lib().services(), nullptr, q);
    auto& s =
        host.script(dlg::BestAvailMedia).then(lists({"B", "C"}, {"LETTER", "LETTER_L", "B_L"}));
    s.selectItems(bestctl::Current, {0}).click(bestctl::Remove);
    s.then(lists({"C"}, {"LETTER", "LETTER_L", "B_L", "B"}));
    s.selectItems(bestctl::Additional, {0, 2}).click(bestctl::Add);
    s.then(lists({"C", "LETTER", "B_L"}, {"LETTER_L", "B"}));
    s.selectItems(bestctl::Current, {0, 1, 2}).click(bestctl::Remove); // the last ones
    s.then([](const ModelWindow& w) {
        EXPECT_TRUE(!w.at(bestctl::Remove).enabled && w.focus == ctl::Ok);
    });
    s.ok(); // refused: the list is empty
    s.doubleClick(bestctl::Additional, 1).then(lists({"B"}, {"LETTER", "LETTER_L", "B_L", "C"}));
    s.ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(takeBoxes(), Texts{"You must have at least one paper size listed in the Current "
                                 "Paper Sizes (Best Available) list box."});
    EXPECT_EQ(papers(), "C|B|B|1");

    std::string many;
    for (int i = 0; i < 28; ++i)
        many += "LETTER_L,";
    setField(q.BestAvailPaperSizes, many); // 251 characters once joined
    BestAvailMediaDialog full(t.lib().services(), nullptr, q);
    host.script(dlg::BestAvailMedia).selectItems(bestctl::Additional, {0}).click(bestctl::Add).ok();
    EXPECT_EQ(full.doModal(), id::Ok);
    EXPECT_EQ(q.BestAvailPaperSizesCnt, 28);
    EXPECT_TRUE(t.logged("LNTC: 1 best-available paper sizes of queue LASER do not fit its list "
                         "and were left out"));
}

} // namespace
