// The default media table as a product process builds and queries it, and the paper sizes its
// values name.
#include "library/accessors.h"
#include "media/default_media.h"
#include "media/paper_sizes.h"
#include "store/models.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string names(const DefaultMedia& m) {
    std::string out;
    for (uint16_t i = 0; i < m.NumPaperSizes; ++i)
        out += std::string(m.PaperSizes[i].szName) + ":" +
               std::to_string(m.PaperSizes[i].usOrientation) + " ";
    return out;
}
std::string trays(const DefaultMedia& m) {
    std::string out;
    for (const MediaTray& tray : m.Trays)
        out += std::to_string(tray.usPaperSizeIndex) + "/" + std::to_string(tray.usPriority) + " ";
    return out;
}
// Papers, trays and the three tray-name lists in one line.
std::string describe(const DefaultMedia& m) {
    std::string out = names(m) + "| " + trays(m);
    for (const MediaTrayList* l : {&m.EjectTrays, &m.QDTrays, &m.PSTrays}) {
        out += "| " + std::to_string(l->usNumTrayNames) + " [";
        for (uint16_t i = 0; i < l->usNumTrayNames; ++i)
            out += std::string(l->szTrayName[i]) + ",";
        out += "] " + std::to_string(l->usTrayNameIndex) + " ";
    }
    return out;
}
const char* const kNoMedia = "| 65535/0 65535/0 65535/0 | 0 [] 65535 | 0 [] 65535 | 0 [] 65535 ";

class DefaultMediaTable : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    // Sets the process up as a product process does before asking for media; an older ODR
    // reports no release, which makes OdrGeneration 1.
    void start(bool olderOdr = false) {
        t = std::make_unique<TestLibrary>(machine);
        if (olderOdr)
            t->product.setDirectoryJson(R"({ "default": "Alpha:Quendal", "odrs": [
                { "domain": "Alpha", "organization": "Quendal", "queues": [],
                  "systemDefaults": { "release": null, "charset": 2, "systemWord": 0 } } ] })");
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0u);
        ASSERT_EQ(c->OdrGeneration, olderOdr ? 1 : 2);
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
        return t->lib().defaultMedia[static_cast<size_t>(ModelIndexOfKey(key))];
    }
};

QueueRecord queue(const char* printer, const char* alias = "") {
    QueueRecord q{};
    setField(q.Printer, printer);
    setField(q.PrinterAlias, alias);
    return q;
}

TEST_F(DefaultMediaTable, AMissingMediaKeyTellsTheUserWhatToRunOnEveryQuery) {
    machine.registry.setString(productPath("General"), "ConfigDir", "d:\\site\\cfg");
    start();
    EXPECT_EQ(GetDefaultMedia(t->lib()), 0);
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    ASSERT_EQ(t->host.shown.size(), 1u);
    EXPECT_EQ(t->host.shown[0].caption + ": " + t->host.shown[0].text,
              "Configuration Error: The \\\"Default Media\\\" key is missing from the Registry.  "
              "Please contact your system administrator immediately to run the following "
              "program:\nLNTKEY 'Default Media' d:\\site\\cfg\\lntmedia.key");
    QueueRecord q = queue("HP_LASERJET_4M");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &q, "LETTER") + GetPaperOrientation(t->lib(), &q, "A4"),
              0);
    EXPECT_EQ(t->host.shown.size(), 3u);

    // Without the shared configuration nothing is built, and that is logged, not shown.
    TestLibrary fresh(machine);
    EXPECT_EQ(GetDefaultMedia(fresh.lib()), 0);
    EXPECT_TRUE(fresh.logged("LNTC: Error mapping view of shared memory"));
    EXPECT_TRUE(fresh.host.shown.empty());
}

TEST_F(DefaultMediaTable, ReadsEveryValueOfAModelAndDefaultsForMissingModels) {
    // clang-format off
    set("HP_LASERJET_4M",
        {{"Tray0/PaperSizeIndex", "#1"}, {"Tray0/Priority", "#2"}, {"Tray2/PaperSizeIndex", "#0"},
         {"Tray2/Priority", "#1"}, {"TrayEJ/NumTrayNames", "#2"}, {"TrayEJ/TrayName0", "Side"},
         {"TrayEJ/TrayName1", "Upper Home"}, {"TrayEJ/TrayNameIndex", "#1"},
         {"TrayQD/NumTrayNames", "#1"}, {"TrayQD/TrayName0", "Top"}, {"TrayQD/TrayNameIndex", "#0"}},
        {"A4,1", "   LETTER\t0", "LEGAL 1"});
    // clang-format on
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_TRUE(t->host.shown.empty());
    EXPECT_EQ(describe(model("HP_LASERJET_4M")),
              "A4:1 LETTER:0 LEGAL:1 | 1/2 65535/0 0/1 | 2 [Side,Upper Home,] 1 | 1 [Top,] 0 | 0 "
              "[] 65535 ");
    EXPECT_EQ(describe(t->lib().defaultMedia[14]), kNoMedia); // the generic PostScript model's
}

TEST_F(DefaultMediaTable, AnOlderOdrDropsExecutiveAndTheTraysFollowTheirPaper) {
    // Stored paper indices 2, 1, 3 in trays 0, 1, 2.
    // clang-format off
    const std::tuple<bool, std::vector<std::string>, const char*> cases[] = {
        {true, {"LETTER, 0", "LEGAL, 0", "executive, 1"}, "LETTER:0 LEGAL:0 | 65535/0 1/0 65535/0 "},
        {false, {"LETTER, 0", "LEGAL, 0", "executive, 1"}, "LETTER:0 LEGAL:0 executive:1 | 2/0 1/0 65535/0 "},
        {true, {"LETTER, 1", "Executive, 1", "B, 0", "A4, 1"}, "LETTER:1 B:0 A4:1 | 1/0 65535/0 2/0 "}};
    // clang-format on
    for (const auto& [olderOdr, stored, read] : cases) {
        set("RICOH_LP-M20",
            {{"Tray0/PaperSizeIndex", "#2"},
             {"Tray1/PaperSizeIndex", "#1"},
             {"Tray2/PaperSizeIndex", "#3"}},
            stored);
        start(olderOdr);
        ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
        const DefaultMedia& m = model("RICOH_LP-M20");
        EXPECT_EQ(names(m) + "| " + trays(m), read);
        EXPECT_EQ(m.PaperSizes[m.NumPaperSizes].szName[0], '\0');
        t.reset(); // the last process goes, and the records are filled afresh
    }
}

TEST_F(DefaultMediaTable, BadStoredValuesStayInsideTheRecord) {
    std::vector<std::string> sizes(40, "A4");
    sizes[0] = std::string(200, 'N') + ",1";
    std::vector<std::pair<std::string, std::string>> values = {
        {"Tray0/PaperSizeIndex", "#29"}, {"Tray1/PaperSizeIndex", "#30"},
        {"TrayPS/TrayNameIndex", "#10"}, {"TrayPS/NumTrayNames", "#0x10003"}, // over 16 bits
        {"TrayQD/NumTrayNames", "#2"},   {"TrayQD/TrayNameIndex", "#2"}};
    for (int i = 0; i < 12; ++i)
        values.push_back({"TrayPS/TrayName" + std::to_string(i), std::string(100, 'a' + i)});
    set("GENERIC_POSTSCRIPT", values, sizes);
    set("GENERIC_POSTSCRIPT", {{"NumPaperSizes", "#1000"}});
    // Values of the wrong type read as their defaults, and that is logged.
    set("OTHER", {{"NumPaperSizes", "2"}});
    set("XEROX_8840C",
        {{"NumPaperSizes", "#1"}, {"PaperSize0", "#5"}, {"Tray0/PaperSizeIndex", "0"}});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    const DefaultMedia& m = model("GENERIC_POSTSCRIPT");
    EXPECT_EQ(m.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    std::string stored = std::string(63, 'N') + ":1 "; // the rest have no orientation token
    for (int i = 1; i < LNTC_MEDIA_PAPER_SIZES; ++i)
        stored += "A4:0 ";
    EXPECT_EQ(names(m), stored);
    EXPECT_EQ(trays(m), "29/0 65535/0 65535/0 ");
    EXPECT_EQ(m.PSTrays.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    EXPECT_EQ(std::string(m.PSTrays.szTrayName[9]), std::string(63, 'j'));
    EXPECT_EQ(m.PSTrays.usTrayNameIndex + m.QDTrays.usTrayNameIndex, 2 * LNTC_MEDIA_NONE);
    EXPECT_EQ(t->lib().defaultMedia[13].NumPaperSizes, 0); // the next model is untouched
    EXPECT_EQ(model("OTHER").NumPaperSizes, 0);
    EXPECT_EQ(names(model("XEROX_8840C")) + "| " + trays(model("XEROX_8840C")),
              ":0 | 65535/0 65535/0 65535/0 ");
    EXPECT_TRUE(t->logged("LNTC: Queried value is not an integer"));
    EXPECT_TRUE(t->logged("LNTC: Queried key value is not a string"));
    EXPECT_EQ(machine.registry.openHandleCount(), 1u); // only the library's root stays open
}

TEST_F(DefaultMediaTable, ASecondBuildReplacesTheTableAFailedOneKeepsItUnloadFreesIt) {
    set("OTHER", {}, {"LETTER, 0"});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(names(model("OTHER")), "LETTER:0 ");
    set("OTHER", {}, {"A4, 1", "A3, 1"});
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(names(model("OTHER")), "A4:1 A3:1 ");
    machine.registry.deleteTree(kLocalMachine, productPath("Default Media"));
    EXPECT_EQ(GetDefaultMedia(t->lib()), 0);
    ASSERT_NE(t->lib().defaultMedia, nullptr);
    EXPECT_EQ(names(model("OTHER")), "A4:1 A3:1 ");
    t->unload();
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
}

TEST_F(DefaultMediaTable, OrientationOfAPaperOnAQueuesModel) {
    set("HP_LASERJET_4M", {}, {"LETTER, 0", "LETTER_L, 1"});
    set("GENERIC_POSTSCRIPT", {}, {"A4, 1", "A4, 0"});
    start();
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    const std::tuple<QueueRecord, const char*, int16_t> cases[] = {
        {queue("HP_LASERJET_4M"), "letter_l", 1}, // builds the table first; case is ignored
        {queue("HP_LASERJET_4M"), "LETTER", 0},
        {queue("HP_LASERJET_4M"), "A4", 0},
        {queue("HP_LASERJET_4M"), "LETTER ", 0},
        {queue("OTHER", "GENERIC_POSTSCRIPT"), "a4", 1}, // the first match wins
        {queue("NO_SUCH_MODEL"), "LETTER_L", 0},
        {queue("hp_laserjet_4m"), "LETTER_L", 0},
        {queue("HP_LASERJET_4M"), nullptr, 0},
    };
    for (const auto& [q, paper, orientation] : cases)
        EXPECT_EQ(GetPaperOrientation(t->lib(), &q, paper), orientation)
            << q.Printer << " " << (paper ? paper : "(null)");
    EXPECT_EQ(GetPaperOrientation(t->lib(), nullptr, "LETTER_L"), 0);
    EXPECT_TRUE(t->host.shown.empty());
}

TEST(DefaultMediaDemo, EveryModelHasConsistentMedia) {
    FakeMachine machine;
    importRegText(machine.registry,
                  readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/default-media.reg"));
    TestLibrary t(machine);
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    ASSERT_EQ(GetDefaultMedia(t.lib()), 1);
    for (size_t i = 0; i < kModelCount; ++i) {
        const DefaultMedia& m = t.lib().defaultMedia[i];
        const char* key = kPrinterModels[i].key;
        const uint32_t flags = kPrinterModels[i].classFlags;
        ASSERT_GT(m.NumPaperSizes, 0) << key;
        for (uint16_t p = 0; p < m.NumPaperSizes; ++p)
            EXPECT_TRUE(PaperSizeNameToId(m.PaperSizes[p].szName) &&
                        m.PaperSizes[p].usOrientation <= 1)
                << key << " " << p;
        EXPECT_NE(m.Trays[0].usPaperSizeIndex, LNTC_MEDIA_NONE) << key;
        for (const MediaTray& tray : m.Trays)
            EXPECT_EQ(tray.usPaperSizeIndex != LNTC_MEDIA_NONE,
                      tray.usPriority >= 1 && tray.usPriority <= 3)
                << key;
        EXPECT_TRUE(m.QDTrays.usNumTrayNames > 0 && m.QDTrays.usTrayNameIndex == 0) << key;
        // PostScript trays only for models that take PostScript.
        EXPECT_EQ(m.PSTrays.usNumTrayNames > 0, takesPostScript(flags)) << key;
        EXPECT_TRUE(!isRicoh(flags) || m.EjectTrays.usNumTrayNames == 7) << key;
    }
}

TEST(PaperSizes, NamesAndIdsMapBothWaysIgnoringCaseAndLandscapeRowsSwapTheirTwin) {
    const std::pair<const char*, uint16_t> names[] = {
        {"letter", 5},        {"LETTER", 5}, {"Letter", 5},  {"executive", 3}, {"B_l", 14},
        {"universal2_L", 12}, {"FOLIO", 0},  {"UNKNOWN", 0}, {"LETTER ", 0},   {"", 0},
        {nullptr, 0}};
    for (const auto& [name, id] : names)
        EXPECT_EQ(PaperSizeNameToId(name), id) << (name ? name : "(null)");
    const std::pair<uint16_t, const char*> ids[] = {{46, "B4_L"},     {5, "LETTER"},
                                                    {3, "Executive"}, {0, "UNKNOWN"},
                                                    {47, "UNKNOWN"},  {0xFFFF, "UNKNOWN"}};
    for (const auto& [id, name] : ids)
        EXPECT_STREQ(PaperSizeName(id), name) << id;
    for (uint16_t id = 1; id < kPaperSizeCount; ++id) {
        const PaperSizeInfo& row = kPaperSizes[id];
        EXPECT_EQ(PaperSizeNameToId(row.name), id) << row.name;
        const std::string name = row.name;
        const PaperSizeInfo& twin = kPaperSizes[id - 1];
        if (!name.ends_with("_L"))
            EXPECT_LT(row.width, row.height) << row.name;
        else
            EXPECT_TRUE(name == twin.name + std::string("_L") && row.width == twin.height &&
                        row.height == twin.width)
                << row.name;
    }
}

TEST(PaperSizeValue, NameAndOrientationWithAnySeparatorsAndSafeWhenMissingOrLong) {
    // clang-format off
    const std::tuple<std::string, std::string, uint16_t> cases[] = {
        {"A4,1", "A4", 1}, {"A4 1", "A4", 1}, {"A4, 1", "A4", 1}, {",,A4\t\t1\n", "A4", 1},
        {"   LETTER\t0", "LETTER", 0}, {"LEGAL 1 trailing words", "LEGAL", 1}, {"LETTER", "LETTER", 0},
        {" ,\t", "", 0}, {"", "", 0}, {"B x", "B", 0}, {std::string(100, 'N') + ",1", std::string(63, 'N'), 1},
        {std::string("A3\0 1", 5), "A3", 0}}; // the value ends at a NUL, as a C string
    // clang-format on
    for (const auto& [value, name, orientation] : cases) {
        MediaPaperSize e;
        std::memset(&e, 0x5A, sizeof e); // stale bytes must not show through
        ParsePaperSizeValue(value, e);
        EXPECT_EQ(e.szName + std::string(":") + std::to_string(e.usOrientation),
                  name + ":" + std::to_string(orientation))
            << value;
    }
    // As atoi converts, but without overflow.
    const std::pair<const char*, int32_t> decimals[] = {{"99", 99},
                                                        {"  -5x", -5},
                                                        {"+7", 7},
                                                        {"abc", 0},
                                                        {"", 0},
                                                        {"99999999999999999999", 2147483647},
                                                        {"-99999999999999999999", -2147483647 - 1}};
    for (const auto& [text, value] : decimals)
        EXPECT_EQ(decimalValue(text), value) << text;
}

} // namespace
