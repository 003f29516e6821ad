// The default media table as a product process builds and queries it.
#include "library/accessors.h"
#include "media/default_media.h"
#include "media/paper_sizes.h"
#include "store/models.h"
#include "store/records.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <string>

using namespace lntc;
using namespace lntc::test;

namespace {

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
    // Values of a model's subkey: "#" a number, else a string.
    void set(const std::string& model, std::vector<std::pair<std::string, std::string>> values) {
        const std::string key = productPath("Default Media\\" + model);
        for (const auto& [name, v] : values) {
            if (v[0] == '#')
                machine.registry.setDword(key, name, std::stoul(v.substr(1), nullptr, 0));
            else
                machine.registry.setString(key, name, v);
        }
    }
    void papers(const std::string& model, std::vector<std::string> values) {
        set(model, {{"NumPaperSizes", "#" + std::to_string(values.size())}});
        for (size_t i = 0; i < values.size(); ++i)
            set(model, {{"PaperSize" + std::to_string(i), values[i]}});
    }
    const DefaultMedia& model(const char* key) {
        return t->lib().defaultMedia[static_cast<size_t>(ModelIndexOfKey(key))];
    }
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
            out +=
                std::to_string(tray.usPaperSizeIndex) + "/" + std::to_string(tray.usPriority) + " ";
        return out;
    }
    std::string list(const MediaTrayList& l) {
        std::string out = std::to_string(l.usNumTrayNames) + " [";
        for (uint16_t i = 0; i < l.usNumTrayNames; ++i)
            out += std::string(l.szTrayName[i]) + ",";
        return out + "] " + std::to_string(l.usTrayNameIndex);
    }
    QueueRecord queue(const char* printer, const char* alias = "") {
        QueueRecord q{};
        setField(q.Printer, printer);
        setField(q.PrinterAlias, alias);
        return q;
    }
};

TEST_F(DefaultMediaTable, AMissingMediaKeyTellsTheUserWhatToRunOnEveryQuery) {
    machine.registry.setString(productPath("General"), "ConfigDir", "d:\\site\\cfg");
    start();
    EXPECT_EQ(GetDefaultMedia(t->lib()), 0);
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    ASSERT_EQ(t->host.shown.size(), 1u);
    EXPECT_EQ(t->host.shown[0].text,
              "The \\\"Default Media\\\" key is missing from the Registry.  Please contact your "
              "system administrator immediately to run the following program:\nLNTKEY "
              "'Default Media' d:\\site\\cfg\\lntmedia.key");
    EXPECT_EQ(t->host.shown[0].caption, "Configuration Error");
    QueueRecord q = queue("HP_LASERJET_4M");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &q, "LETTER"), 0);
    EXPECT_EQ(GetPaperOrientation(t->lib(), &q, "A4"), 0);
    EXPECT_EQ(t->host.shown.size(), 3u);

    // Without the shared configuration nothing is built, and that is logged, not shown.
    TestLibrary fresh(machine);
    EXPECT_EQ(GetDefaultMedia(fresh.lib()), 0);
    EXPECT_TRUE(fresh.logged("LNTC: Error mapping view of shared memory"));
    EXPECT_TRUE(fresh.host.shown.empty());
}

TEST_F(DefaultMediaTable, ReadsEveryValueOfAModelAndDefaultsForMissingModels) {
    papers("HP_LASERJET_4M", {"A4,1", "   LETTER\t0", "LEGAL 1"});
    // clang-format off
    set("HP_LASERJET_4M", {{"Tray0/PaperSizeIndex", "#1"}, {"Tray0/Priority", "#2"},
                           {"Tray2/PaperSizeIndex", "#0"}, {"Tray2/Priority", "#1"},
                           {"TrayEJ/NumTrayNames", "#2"}, {"TrayEJ/TrayName0", "Side"},
                           {"TrayEJ/TrayName1", "Upper Home"}, {"TrayEJ/TrayNameIndex", "#1"},
                           {"TrayQD/NumTrayNames", "#1"}, {"TrayQD/TrayName0", "Top"},
                           {"TrayQD/TrayNameIndex", "#0"}});
    // clang-format on
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_TRUE(t->host.shown.empty());
    const DefaultMedia& m = model("HP_LASERJET_4M");
    EXPECT_EQ(names(m), "A4:1 LETTER:0 LEGAL:1 ");
    EXPECT_EQ(trays(m), "1/2 65535/0 0/1 ");
    EXPECT_EQ(list(m.EjectTrays), "2 [Side,Upper Home,] 1");
    EXPECT_EQ(list(m.QDTrays), "1 [Top,] 0");
    EXPECT_EQ(list(m.PSTrays), "0 [] 65535");

    // Entry 14 is the generic PostScript model; its subkey is missing.
    const DefaultMedia& ps = t->lib().defaultMedia[14];
    EXPECT_EQ(ps.NumPaperSizes, 0);
    EXPECT_EQ(trays(ps), "65535/0 65535/0 65535/0 ");
    for (const MediaTrayList* l : {&ps.EjectTrays, &ps.QDTrays, &ps.PSTrays})
        EXPECT_EQ(list(*l), "0 [] 65535");
}

TEST_F(DefaultMediaTable, AnOlderOdrDropsExecutiveAndTheTraysFollowTheirPaper) {
    // clang-format off
    const struct {
        bool olderOdr;
        std::vector<std::string> stored;
        std::string read;
        std::string trays; // stored indices 2, 1, 3 in trays 0, 1, 2
    } cases[] = {
        {true, {"LETTER, 0", "LEGAL, 0", "executive, 1"}, "LETTER:0 LEGAL:0 ", "65535/0 1/0 65535/0 "},
        {false, {"LETTER, 0", "LEGAL, 0", "executive, 1"}, "LETTER:0 LEGAL:0 executive:1 ", "2/0 1/0 65535/0 "},
        {true, {"LETTER, 1", "Executive, 1", "B, 0", "A4, 1"}, "LETTER:1 B:0 A4:1 ", "1/0 65535/0 2/0 "},
    };
    // clang-format on
    for (const auto& c : cases) {
        papers("RICOH_LP-M20", c.stored);
        set("RICOH_LP-M20", {{"Tray0/PaperSizeIndex", "#2"},
                             {"Tray1/PaperSizeIndex", "#1"},
                             {"Tray2/PaperSizeIndex", "#3"}});
        start(c.olderOdr);
        ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
        const DefaultMedia& m = model("RICOH_LP-M20");
        EXPECT_EQ(names(m), c.read);
        EXPECT_EQ(m.PaperSizes[m.NumPaperSizes].szName[0], '\0');
        EXPECT_EQ(trays(m), c.trays) << c.read;
        t.reset(); // the last process goes, and the records are filled afresh
    }
}

TEST_F(DefaultMediaTable, BadStoredValuesStayInsideTheRecord) {
    std::vector<std::string> sizes(40, "A4");
    sizes[0] = std::string(200, 'N') + ",1";
    papers("GENERIC_POSTSCRIPT", sizes);
    for (int i = 0; i < 12; ++i)
        set("GENERIC_POSTSCRIPT", {{"TrayPS/TrayName" + std::to_string(i),
                                    std::string(100, static_cast<char>('a' + i))}});
    // clang-format off
    set("GENERIC_POSTSCRIPT", {{"NumPaperSizes", "#1000"}, {"Tray0/PaperSizeIndex", "#29"},
                               {"Tray1/PaperSizeIndex", "#30"}, {"TrayPS/TrayNameIndex", "#10"},
                               {"TrayPS/NumTrayNames", "#0x10003"}, // more than 16 bits hold
                               {"TrayQD/NumTrayNames", "#2"}, {"TrayQD/TrayNameIndex", "#2"}});
    // clang-format on
    // Values of the wrong type read as their defaults, and that is logged.
    set("OTHER", {{"NumPaperSizes", "2"}});
    set("XEROX_8840C",
        {{"NumPaperSizes", "#1"}, {"PaperSize0", "#5"}, {"Tray0/PaperSizeIndex", "0"}});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    const DefaultMedia& m = model("GENERIC_POSTSCRIPT");
    EXPECT_EQ(m.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    EXPECT_EQ(std::string(m.PaperSizes[0].szName), std::string(63, 'N'));
    EXPECT_EQ(m.PaperSizes[0].usOrientation, 1);
    EXPECT_EQ(m.PaperSizes[1].usOrientation, 0); // no orientation token
    EXPECT_STREQ(m.PaperSizes[29].szName, "A4");
    EXPECT_EQ(trays(m), "29/0 65535/0 65535/0 ");
    EXPECT_EQ(m.PSTrays.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    EXPECT_EQ(std::string(m.PSTrays.szTrayName[9]), std::string(63, 'j'));
    EXPECT_EQ(m.PSTrays.usTrayNameIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(m.QDTrays.usTrayNameIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(t->lib().defaultMedia[13].NumPaperSizes, 0); // the next model is untouched
    EXPECT_EQ(model("OTHER").NumPaperSizes, 0);
    EXPECT_EQ(names(model("XEROX_8840C")), ":0 ");
    EXPECT_EQ(trays(model("XEROX_8840C")), "65535/0 65535/0 65535/0 ");
    EXPECT_TRUE(t->logged("LNTC: Queried value is not an integer"));
    EXPECT_TRUE(t->logged("LNTC: Queried key value is not a string"));
    EXPECT_EQ(machine.registry.openHandleCount(), 1u); // only the library's root stays open
}

TEST_F(DefaultMediaTable, ASecondBuildReplacesTheTableAFailedOneKeepsItUnloadFreesIt) {
    papers("OTHER", {"LETTER, 0"});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(names(model("OTHER")), "LETTER:0 ");
    papers("OTHER", {"A4, 1", "A3, 1"});
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
    papers("HP_LASERJET_4M", {"LETTER, 0", "LETTER_L, 1"});
    papers("GENERIC_POSTSCRIPT", {"A4, 1", "A4, 0"});
    start();
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    const struct {
        QueueRecord queue;
        const char* paper;
        int16_t orientation;
    } cases[] = {
        {queue("HP_LASERJET_4M"), "letter_l", 1}, // builds the table first; case is ignored
        {queue("HP_LASERJET_4M"), "LETTER", 0},
        {queue("HP_LASERJET_4M"), "A4", 0},
        {queue("HP_LASERJET_4M"), "LETTER ", 0},
        {queue("OTHER", "GENERIC_POSTSCRIPT"), "a4", 1}, // the first match wins
        {queue("NO_SUCH_MODEL"), "LETTER_L", 0},
        {queue("hp_laserjet_4m"), "LETTER_L", 0},
        {queue("HP_LASERJET_4M"), nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetPaperOrientation(t->lib(), &c.queue, c.paper), c.orientation)
            << c.queue.Printer << " " << (c.paper ? c.paper : "(null)");
    }
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
        uint32_t flags = kPrinterModels[i].classFlags;
        ASSERT_GT(m.NumPaperSizes, 0) << key;
        for (uint16_t p = 0; p < m.NumPaperSizes; ++p) {
            EXPECT_NE(PaperSizeNameToId(m.PaperSizes[p].szName), 0) << key << " " << p;
            EXPECT_LE(m.PaperSizes[p].usOrientation, 1) << key;
        }
        EXPECT_NE(m.Trays[0].usPaperSizeIndex, LNTC_MEDIA_NONE) << key;
        for (const MediaTray& tray : m.Trays) {
            bool present = tray.usPaperSizeIndex != LNTC_MEDIA_NONE;
            EXPECT_EQ(present, tray.usPriority >= 1 && tray.usPriority <= 3) << key;
        }
        EXPECT_GT(m.QDTrays.usNumTrayNames, 0) << key;
        EXPECT_EQ(m.QDTrays.usTrayNameIndex, 0) << key;
        // PostScript trays only for models that take PostScript.
        EXPECT_EQ(m.PSTrays.usNumTrayNames > 0, takesPostScript(flags)) << key;
        if (isRicoh(flags)) {
            EXPECT_EQ(m.EjectTrays.usNumTrayNames, 7) << key;
        }
    }
}

} // namespace
