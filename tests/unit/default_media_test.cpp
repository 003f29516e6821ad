// The default media table as a product process builds and queries it.
#include "media/default_media.h"
#include "media/paper_sizes.h"
#include "library/accessors.h"
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

const char* const kOlderOdrDirectory = R"({
  "default": "Alpha:Quendal",
  "odrs": [ { "domain": "Alpha", "organization": "Quendal",
              "systemDefaults": { "release": null, "charset": 2, "systemWord": 0 },
              "queues": [] } ] })";

std::string mediaKey(const std::string& model) {
    return productPath("Default Media\\" + model);
}

class DefaultMediaTable : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    // Sets the process up as a product process does before asking for media.
    void start(bool olderOdr = false) {
        t = std::make_unique<TestLibrary>(machine);
        if (olderOdr) t->product.setDirectoryJson(kOlderOdrDirectory);
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0u);
        ASSERT_EQ(c->OdrGeneration, olderOdr ? 1 : 2);
    }
    void papers(const std::string& model, std::initializer_list<const char*> values) {
        machine.registry.setDword(mediaKey(model), "NumPaperSizes",
                                  static_cast<uint32_t>(values.size()));
        int i = 0;
        for (const char* v : values)
            machine.registry.setString(mediaKey(model), "PaperSize" + std::to_string(i++), v);
    }
    const DefaultMedia& model(const char* key) {
        int index = ModelIndexOfKey(key);
        EXPECT_GE(index, 0);
        return t->lib().defaultMedia[static_cast<size_t>(index)];
    }
    QueueRecord queue(const char* printer, const char* alias = "") {
        QueueRecord q{};
        setField(q.Name, "Q1");
        setField(q.Printer, printer);
        setField(q.PrinterAlias, alias);
        return q;
    }
};

void expectEmptyList(const MediaTrayList& list) {
    EXPECT_EQ(list.usNumTrayNames, 0);
    EXPECT_EQ(list.usTrayNameIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(list.szTrayName[0][0], '\0');
}

} // namespace

TEST_F(DefaultMediaTable, MissingMediaKeyTellsTheUserWhatToRunAndRetriesOnEveryQuery) {
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
}

TEST_F(DefaultMediaTable, WithoutTheSharedConfigurationNothingIsBuilt) {
    papers("OTHER", {"LETTER, 0"});
    t = std::make_unique<TestLibrary>(machine);
    EXPECT_EQ(GetDefaultMedia(t->lib()), 0);
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    EXPECT_TRUE(t->logged("LNTC: Error mapping view of shared memory"));
    EXPECT_TRUE(t->host.shown.empty());
}

TEST_F(DefaultMediaTable, ReadsEveryValueOfAModelAndDefaultsForMissingModels) {
    const std::string k = mediaKey("HP_LASERJET_4M");
    papers("HP_LASERJET_4M", {"A4,1", "   LETTER\t0", "LEGAL 1"});
    machine.registry.setDword(k, "Tray0/PaperSizeIndex", 1);
    machine.registry.setDword(k, "Tray0/Priority", 2);
    machine.registry.setDword(k, "Tray2/PaperSizeIndex", 0);
    machine.registry.setDword(k, "Tray2/Priority", 1);
    machine.registry.setDword(k, "TrayEJ/NumTrayNames", 2);
    machine.registry.setString(k, "TrayEJ/TrayName0", "Side");
    machine.registry.setString(k, "TrayEJ/TrayName1", "Upper Home");
    machine.registry.setDword(k, "TrayEJ/TrayNameIndex", 1);
    machine.registry.setDword(k, "TrayQD/NumTrayNames", 1);
    machine.registry.setString(k, "TrayQD/TrayName0", "Top");
    machine.registry.setDword(k, "TrayQD/TrayNameIndex", 0);
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_TRUE(t->host.shown.empty());

    const DefaultMedia& m = model("HP_LASERJET_4M");
    ASSERT_EQ(m.NumPaperSizes, 3);
    EXPECT_STREQ(m.PaperSizes[0].szName, "A4");
    EXPECT_EQ(m.PaperSizes[0].usOrientation, 1);
    EXPECT_STREQ(m.PaperSizes[1].szName, "LETTER");
    EXPECT_EQ(m.PaperSizes[1].usOrientation, 0);
    EXPECT_STREQ(m.PaperSizes[2].szName, "LEGAL");
    EXPECT_EQ(m.PaperSizes[2].usOrientation, 1);
    EXPECT_EQ(m.Trays[0].usPaperSizeIndex, 1);
    EXPECT_EQ(m.Trays[0].usPriority, 2);
    EXPECT_EQ(m.Trays[1].usPaperSizeIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(m.Trays[1].usPriority, 0);
    EXPECT_EQ(m.Trays[2].usPaperSizeIndex, 0);
    EXPECT_EQ(m.Trays[2].usPriority, 1);
    EXPECT_EQ(m.EjectTrays.usNumTrayNames, 2);
    EXPECT_STREQ(m.EjectTrays.szTrayName[0], "Side");
    EXPECT_STREQ(m.EjectTrays.szTrayName[1], "Upper Home");
    EXPECT_EQ(m.EjectTrays.usTrayNameIndex, 1);
    EXPECT_EQ(m.QDTrays.usNumTrayNames, 1);
    EXPECT_STREQ(m.QDTrays.szTrayName[0], "Top");
    EXPECT_EQ(m.QDTrays.usTrayNameIndex, 0);
    expectEmptyList(m.PSTrays);

    // Entry 14 is the generic PostScript model; its subkey is missing.
    const DefaultMedia& ps = t->lib().defaultMedia[14];
    EXPECT_EQ(ps.NumPaperSizes, 0);
    for (const MediaTray& tray : ps.Trays) {
        EXPECT_EQ(tray.usPaperSizeIndex, LNTC_MEDIA_NONE);
        EXPECT_EQ(tray.usPriority, 0);
    }
    expectEmptyList(ps.EjectTrays);
    expectEmptyList(ps.QDTrays);
    expectEmptyList(ps.PSTrays);
}

TEST_F(DefaultMediaTable, OlderOdrGenerationDropsExecutive) {
    papers("HP_LASERJET_4M", {"LETTER, 0", "LEGAL, 0", "executive, 1"});
    start(true);
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    const DefaultMedia& m = model("HP_LASERJET_4M");
    ASSERT_EQ(m.NumPaperSizes, 2);
    EXPECT_STREQ(m.PaperSizes[0].szName, "LETTER");
    EXPECT_STREQ(m.PaperSizes[1].szName, "LEGAL");
    EXPECT_EQ(m.PaperSizes[2].szName[0], '\0');

    t.reset(); // the last process goes, and the records are filled afresh
    start(false);
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(model("HP_LASERJET_4M").NumPaperSizes, 3);
    EXPECT_STREQ(model("HP_LASERJET_4M").PaperSizes[2].szName, "executive");
}

TEST_F(DefaultMediaTable, ExecutiveInsideTheListKeepsTheEntriesBehindItAndTheirTrays) {
    const std::string k = mediaKey("RICOH_LP-M20");
    papers("RICOH_LP-M20", {"LETTER, 1", "Executive, 1", "B, 0", "A4, 1"});
    machine.registry.setDword(k, "Tray0/PaperSizeIndex", 2); // B
    machine.registry.setDword(k, "Tray1/PaperSizeIndex", 1); // Executive
    machine.registry.setDword(k, "Tray2/PaperSizeIndex", 3); // A4
    start(true);
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    const DefaultMedia& m = model("RICOH_LP-M20");
    ASSERT_EQ(m.NumPaperSizes, 3);
    EXPECT_STREQ(m.PaperSizes[0].szName, "LETTER");
    EXPECT_STREQ(m.PaperSizes[1].szName, "B");
    EXPECT_STREQ(m.PaperSizes[2].szName, "A4");
    EXPECT_EQ(m.PaperSizes[2].usOrientation, 1);
    EXPECT_STREQ(m.PaperSizes[m.Trays[0].usPaperSizeIndex].szName, "B");
    EXPECT_EQ(m.Trays[1].usPaperSizeIndex, LNTC_MEDIA_NONE);
    EXPECT_STREQ(m.PaperSizes[m.Trays[2].usPaperSizeIndex].szName, "A4");
}

TEST_F(DefaultMediaTable, BadStoredValuesStayInsideTheRecord) {
    const std::string k = mediaKey("GENERIC_POSTSCRIPT");
    machine.registry.setDword(k, "NumPaperSizes", 1000);
    for (int i = 0; i < 40; ++i)
        machine.registry.setString(k, "PaperSize" + std::to_string(i),
                                   i == 0 ? std::string(200, 'N') + ",1" : "A4");
    machine.registry.setDword(k, "Tray0/PaperSizeIndex", 29);
    machine.registry.setDword(k, "Tray1/PaperSizeIndex", 30);
    machine.registry.setDword(k, "TrayPS/NumTrayNames", 0x10003); // more than 16 bits hold
    for (int i = 0; i < 12; ++i)
        machine.registry.setString(k, "TrayPS/TrayName" + std::to_string(i),
                                   std::string(100, static_cast<char>('a' + i)));
    machine.registry.setDword(k, "TrayPS/TrayNameIndex", 10);
    machine.registry.setDword(k, "TrayQD/NumTrayNames", 2);
    machine.registry.setDword(k, "TrayQD/TrayNameIndex", 2);
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    const DefaultMedia& m = model("GENERIC_POSTSCRIPT");
    EXPECT_EQ(m.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    EXPECT_EQ(std::string(m.PaperSizes[0].szName), std::string(63, 'N'));
    EXPECT_EQ(m.PaperSizes[0].usOrientation, 1);
    EXPECT_EQ(m.PaperSizes[1].usOrientation, 0); // no orientation token
    EXPECT_STREQ(m.PaperSizes[29].szName, "A4");
    EXPECT_EQ(m.Trays[0].usPaperSizeIndex, 29);
    EXPECT_EQ(m.Trays[1].usPaperSizeIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(m.PSTrays.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    EXPECT_EQ(std::string(m.PSTrays.szTrayName[9]), std::string(63, 'j'));
    EXPECT_EQ(m.PSTrays.usTrayNameIndex, LNTC_MEDIA_NONE);
    EXPECT_EQ(m.QDTrays.usTrayNameIndex, LNTC_MEDIA_NONE);
    // The next model's record is untouched by the overlong values.
    EXPECT_EQ(t->lib().defaultMedia[13].NumPaperSizes, 0);
}

TEST_F(DefaultMediaTable, ValuesOfTheWrongTypeReadAsDefaultsAndAreLogged) {
    const std::string k = mediaKey("OTHER");
    machine.registry.setString(k, "NumPaperSizes", "2");
    machine.registry.setDword(mediaKey("XEROX_8840C"), "NumPaperSizes", 1);
    machine.registry.setDword(mediaKey("XEROX_8840C"), "PaperSize0", 5);
    machine.registry.setString(mediaKey("XEROX_8840C"), "Tray0/PaperSizeIndex", "0");
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(model("OTHER").NumPaperSizes, 0);
    EXPECT_EQ(model("XEROX_8840C").NumPaperSizes, 1);
    EXPECT_STREQ(model("XEROX_8840C").PaperSizes[0].szName, "");
    EXPECT_EQ(model("XEROX_8840C").Trays[0].usPaperSizeIndex, LNTC_MEDIA_NONE);
    EXPECT_TRUE(t->logged("LNTC: Queried value is not an integer"));
    EXPECT_TRUE(t->logged("LNTC: Queried key value is not a string"));
    EXPECT_EQ(machine.registry.openHandleCount(), 1u); // only the library's root stays open
}

TEST_F(DefaultMediaTable, SecondBuildReplacesTheTable) {
    papers("OTHER", {"LETTER, 0"});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(model("OTHER").NumPaperSizes, 1);
    papers("OTHER", {"A4, 1", "A3, 1"});
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    EXPECT_EQ(model("OTHER").NumPaperSizes, 2);
    EXPECT_STREQ(model("OTHER").PaperSizes[0].szName, "A4");
    // A failed rebuild keeps the table that was there.
    machine.registry.deleteTree(kLocalMachine, productPath("Default Media"));
    EXPECT_EQ(GetDefaultMedia(t->lib()), 0);
    ASSERT_NE(t->lib().defaultMedia, nullptr);
    EXPECT_EQ(model("OTHER").NumPaperSizes, 2);
}

TEST_F(DefaultMediaTable, OrientationOfAPaperOnAQueuesModel) {
    papers("HP_LASERJET_4M", {"LETTER, 0", "LETTER_L, 1"});
    papers("GENERIC_POSTSCRIPT", {"A4, 1", "A4, 0"});
    start();
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
    QueueRecord hp = queue("HP_LASERJET_4M");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &hp, "letter_l"), 1); // builds the table first
    EXPECT_NE(t->lib().defaultMedia, nullptr);
    EXPECT_EQ(GetPaperOrientation(t->lib(), &hp, "LETTER"), 0);
    EXPECT_EQ(GetPaperOrientation(t->lib(), &hp, "A4"), 0);
    EXPECT_EQ(GetPaperOrientation(t->lib(), &hp, "LETTER "), 0);

    QueueRecord other = queue("OTHER", "GENERIC_POSTSCRIPT");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &other, "a4"), 1); // the first match wins
    QueueRecord unknown = queue("NO_SUCH_MODEL");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &unknown, "LETTER_L"), 0);
    QueueRecord lower = queue("hp_laserjet_4m");
    EXPECT_EQ(GetPaperOrientation(t->lib(), &lower, "LETTER_L"), 0);
    EXPECT_EQ(GetPaperOrientation(t->lib(), nullptr, "LETTER_L"), 0);
    EXPECT_EQ(GetPaperOrientation(t->lib(), &hp, nullptr), 0);
    EXPECT_TRUE(t->host.shown.empty());
}

TEST_F(DefaultMediaTable, UnloadFreesTheTable) {
    papers("OTHER", {"LETTER, 0"});
    start();
    ASSERT_EQ(GetDefaultMedia(t->lib()), 1);
    t->unload();
    EXPECT_EQ(t->lib().defaultMedia, nullptr);
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
