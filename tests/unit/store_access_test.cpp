// Accessors, saving and deleting, as the print server and a configuration run use them.
#include "library/accessors.h"
#include "store/initialise.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/save.h"
#include "support/locales.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace lntc;
using namespace lntc::test;

namespace {

class StoreAccess : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    void start() {
        t = std::make_unique<TestLibrary>(machine);
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0u);
    }
    void addQueue(const std::string& name, const std::string& printer,
                  const std::string& alias = "") {
        machine.registry.setString(productPath("Queues\\" + name), "Printer", printer);
        if (!alias.empty())
            machine.registry.setString(productPath("Queues\\" + name), "PrinterAlias", alias);
    }
    const QueueRecord* queue(const char* name) {
        const QueueRecord* q = nullptr;
        return GetQueue(t->lib(), name, &q, LNTC_QUEUE_VERSION) == 0 ? q : nullptr;
    }
    std::optional<std::string> regString(const std::string& key, const std::string& name) {
        return getString(machine.registry, productPath(key), name);
    }
    QueueRecord newQueue(const char* name, const char* printer) {
        QueueRecord q{};
        setField(q.Name, name);
        setField(q.Printer, printer);
        q.PrintDest = 1;
        q.QDDefaultTray = -1;
        q.EjectTray = -1;
        q.PSDefaultTray = -1;
        q.OverscanAmt = 5.0;
        setField(q.Tray1_Top, "A4, 1");
        return q;
    }
    uint16_t queueCount() {
        const ServerConfig* c = nullptr;
        GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION);
        return c->QueueCount;
    }
};

TEST_F(StoreAccess, VersionChecksAndNullArguments) {
    start();
    const ServerConfig* c = reinterpret_cast<const ServerConfig*>(0x1);
    EXPECT_EQ(GetConfig(t->lib(), &c, 2002), LNTC_E_VERSION);
    EXPECT_EQ(c, reinterpret_cast<const ServerConfig*>(0x1)); // nothing stored
    EXPECT_EQ(GetConfig(t->lib(), nullptr, LNTC_CONFIG_VERSION), LNTC_E_ARGUMENT);
    const QueueRecord* q = nullptr;
    EXPECT_EQ(GetQueue(t->lib(), "X", &q, 3003), LNTC_E_VERSION);
    EXPECT_EQ(GetQueue(t->lib(), nullptr, &q, LNTC_QUEUE_VERSION), LNTC_E_NO_QUEUE);
    EXPECT_EQ(GetQueue(t->lib(), "X", nullptr, LNTC_QUEUE_VERSION), LNTC_E_ARGUMENT);
    EXPECT_EQ(GetQueueName(t->lib(), 0, nullptr), LNTC_E_ARGUMENT);
    EXPECT_EQ(RetainFiles(t->lib(), nullptr, 1), LNTC_E_NO_QUEUE);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), nullptr), 0u);
}

TEST_F(StoreAccess, AccessorsBeforeInitialisationFindNothing) {
    addQueue("A", "HP_LASERJET_4M");
    TestLibrary fresh(machine);
    const char* name = nullptr;
    const QueueRecord* q = nullptr;
    EXPECT_EQ(GetQueueName(fresh.lib(), 0, &name), LNTC_E_NO_QUEUE);
    EXPECT_EQ(GetQueue(fresh.lib(), "A", &q, LNTC_QUEUE_VERSION), LNTC_E_NO_QUEUE);
    EXPECT_EQ(RetainFiles(fresh.lib(), "A", 1), LNTC_E_NO_QUEUE);
}

TEST_F(StoreAccess, SlotsWithHolesAndExactNames) {
    for (const char* n : {"A", "B", "C", "D", "E"})
        addQueue(n, "HP_LASERJET_4M");
    start();
    ASSERT_EQ(DeleteQueueRecord(t->lib(), "B"), 0);
    const char* name = nullptr;
    EXPECT_EQ(GetQueueName(t->lib(), 1, &name), LNTC_E_NO_QUEUE);
    ASSERT_EQ(GetQueueName(t->lib(), 2, &name), 0u);
    EXPECT_STREQ(name, "C");
    EXPECT_EQ(GetQueueName(t->lib(), -1, &name), LNTC_E_NO_QUEUE);
    EXPECT_EQ(GetQueueName(t->lib(), 16, &name), LNTC_E_NO_QUEUE);
    EXPECT_EQ(queue("c"), nullptr); // names compare exactly
    EXPECT_EQ(queueCount(), 4);
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\B")));

    QueueRecord f = newQueue("F", "HP_LASERJET_4M");
    ASSERT_EQ(SaveQueueRecord(t->lib(), f, true), 0);
    ASSERT_EQ(GetQueueName(t->lib(), 1, &name), 0u);
    EXPECT_STREQ(name, "F"); // the hole is filled first
    EXPECT_EQ(queueCount(), 5);
}

TEST_F(StoreAccess, RetainFilesChangesSharedMemoryOnly) {
    for (int i = 0; i < 16; ++i)
        addQueue("Q" + std::to_string(100 + i), "HP_LASERJET_4M");
    start();
    const char* last = nullptr;
    ASSERT_EQ(GetQueueName(t->lib(), 15, &last), 0u);
    std::string name = last;
    machine.clock.time += 60;
    ASSERT_EQ(RetainFiles(t->lib(), name.c_str(), 1), 0u);
    EXPECT_EQ(queue(name.c_str())->PrintDest, 3u);
    EXPECT_EQ(queue(name.c_str())->UpdateTime, machine.clock.now());
    ASSERT_EQ(RetainFiles(t->lib(), name.c_str(), 0), 0u);
    EXPECT_EQ(queue(name.c_str())->PrintDest, 1u);
    EXPECT_EQ(RetainFiles(t->lib(), "NOPE", 1), LNTC_E_NO_QUEUE);

    // Another process on the machine sees the flag.
    TestLibrary other(machine);
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(other.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    ASSERT_EQ(RetainFiles(other.lib(), name.c_str(), 1), 0u);
    EXPECT_EQ(queue(name.c_str())->PrintDest, 3u);
    EXPECT_FALSE(regString("Queues\\" + name, "PrintDest").has_value());
}

TEST_F(StoreAccess, PostScriptAndModelLookups) {
    addQueue("PLUS", "HP_LASERJET_4MPLUS");
    addQueue("ALIAS", "OTHER", "GENERIC_POSTSCRIPT");
    addQueue("BARE", "OTHER");
    addQueue("LOWER", "hp_laserjet_4m");
    addQueue("RICOH", "RICOH_LP-M20");
    start();
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "PLUS"), 1u);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "ALIAS"), 8u);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "BARE"), 0u);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "LOWER"), 0u);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "RICOH"), 0u);
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "MISSING"), 0u);
    EXPECT_EQ(ModelIndexOfQueue(*queue("PLUS")), 2);
    EXPECT_EQ(ModelIndexOfQueue(*queue("ALIAS")), 14);
    EXPECT_EQ(ModelIndexOfQueue(*queue("BARE")), -1);
    EXPECT_EQ(ModelIndexOfQueue(*queue("LOWER")), -1);
    char module[32];
    ModelModuleName(2, module);
    EXPECT_STREQ(module, "LJA");
    ModelModuleName(-1, module);
    EXPECT_STREQ(module, "NONE");
    ModelModuleName(15, module);
    EXPECT_STREQ(module, "NONE");
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C  (C-size)"), 7);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C (C-size)"), -1);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "3M 689 INTL  (A2-size)"), 9);
}

TEST_F(StoreAccess, NeedKanjiDiskFondsReadsAndClears) {
    machine.registry.setDword(productPath("Fonts"), "NeedKanjiDiskFonts", 1);
    start();
    EXPECT_EQ(NeedKanjiDiskFonts(t->lib(), 0), 1u);
    EXPECT_EQ(NeedKanjiDiskFonts(t->lib(), 1), 1u);
    EXPECT_EQ(NeedKanjiDiskFonts(t->lib(), 1), 0u);
    EXPECT_TRUE(t->product.errors.empty()); // deleting a missing value is no failure
}

TEST_F(StoreAccess, SaveWritesWhatTheModelClassOwns) {
    machine.registry.setString(productPath("Queues\\MAIL"), "Tray1/Top", "LEGAL, 1");
    addQueue("MAIL", "HP_LASERJET_4M");
    start();
    QueueRecord q = *queue("MAIL");
    setField(q.Printer, "RICOH_LP-M32");
    q.EjectTray = 4;
    q.QDDefaultTray = 1;
    q.PSDefaultTray = -1; // not chosen yet
    q.OverscanAmt = 5.0;
    setField(q.Description, "mail room");
    machine.clock.time += 5;
    ASSERT_EQ(SaveQueueRecord(t->lib(), q, false), 0);
    EXPECT_EQ(regString("Queues\\MAIL", "ImageHardware"), "ENGB");
    EXPECT_EQ(regString("Queues\\MAIL", "EjectTray"), "LOWER_OFFSET");
    EXPECT_EQ(regString("Queues\\MAIL", "QDDefaultTray"), "BOTTOM");
    EXPECT_FALSE(regString("Queues\\MAIL", "PSDefaultTray").has_value());
    EXPECT_EQ(regString("Queues\\MAIL", "OverscanAmt"), "5.0");
    EXPECT_EQ(regString("Queues\\MAIL", "Description"), "mail room");
    EXPECT_FALSE(regString("Queues\\MAIL", "DataEncode").has_value());
    EXPECT_EQ(regString("Queues\\MAIL", "Tray1/Top"), "LEGAL, 1"); // left from before
    EXPECT_FALSE(regString("Queues\\MAIL", "PrinterAlias").has_value());
    EXPECT_STREQ(queue("MAIL")->Description, "mail room");
    EXPECT_STREQ(queue("MAIL")->ImageHardware, "ENGB");
    EXPECT_EQ(queue("MAIL")->UpdateTime, machine.clock.now());
    EXPECT_EQ(queueCount(), 1);

    QueueRecord plot = newQueue("PLOT", "XEROX_8840C");
    setField(plot.BestAvailPaperSizes, "C,B");
    plot.BestAvailPaperSizesCnt = 2;
    ASSERT_EQ(SaveQueueRecord(t->lib(), plot, true), 0);
    EXPECT_EQ(regString("Queues\\PLOT", "BestAvailPaperSizes"), "C,B");
    EXPECT_EQ(getDword(machine.registry, productPath("Queues\\PLOT"), "BestAvailPaperSizesCnt"),
              2u);
    EXPECT_FALSE(regString("Queues\\PLOT", "QDDefaultTray").has_value());
    EXPECT_FALSE(regString("Queues\\PLOT", "Tray1/Top").has_value());
    EXPECT_EQ(regString("Queues\\PLOT", "ImageHardware"), "LDPX");

    QueueRecord ps = newQueue("PS", "OTHER");
    setField(ps.PrinterAlias, "GENERIC_POSTSCRIPT");
    ps.Connectivity = 1;
    ps.DataEncode = 7; // outside the table: no keyword is invented
    ASSERT_EQ(SaveQueueRecord(t->lib(), ps, true), 0);
    EXPECT_EQ(regString("Queues\\PS", "PrinterAlias"), "GENERIC_POSTSCRIPT");
    EXPECT_EQ(regString("Queues\\PS", "Connectivity"), "TCP_DIRECT");
    EXPECT_EQ(regString("Queues\\PS", "Tray1/Top"), "A4, 1");
    EXPECT_EQ(regString("Queues\\PS", "PrintDest"), "PRINTER_ONLY");
    EXPECT_FALSE(regString("Queues\\PS", "DataEncode").has_value());
    EXPECT_FALSE(regString("Queues\\PS", "QDDefaultTray").has_value());
    EXPECT_EQ(regString("Queues\\PS", "ImageHardware"), "GNX");
    EXPECT_EQ(queueCount(), 3);

    // What was saved loads back the same in a fresh fill.
    t.reset();
    TestLibrary again(machine);
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(again.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    const QueueRecord* mail = nullptr;
    ASSERT_EQ(GetQueue(again.lib(), "MAIL", &mail, LNTC_QUEUE_VERSION), 0u);
    EXPECT_EQ(mail->EjectTray, 4);
    EXPECT_EQ(mail->PSDefaultTray, 0);
}

// A program with a decimal comma reads and writes the registry's "7.5" as every other does,
// and keeps its own locale.
TEST_F(StoreAccess, OverscanIsReadAndWrittenInTheCLocaleWhateverTheProgramsLocale) {
    GermanProcessLocale german;
    if (!german.active()) GTEST_SKIP() << "no German locale could be made for the test";
    addQueue("MAIL", "HP_LASERJET_4M");
    machine.registry.setString(productPath("Queues\\MAIL"), "OverscanAmt", "7.5");
    start();
    ASSERT_NE(queue("MAIL"), nullptr);
    EXPECT_EQ(queue("MAIL")->OverscanAmt, 7.5);
    QueueRecord q = *queue("MAIL");
    q.OverscanAmt = 2.5;
    ASSERT_EQ(SaveQueueRecord(t->lib(), q, false), 0);
    EXPECT_EQ(regString("Queues\\MAIL", "OverscanAmt"), "2.5");
    EXPECT_EQ(GermanProcessLocale::printed(5.5), "5,5");
}

TEST_F(StoreAccess, SaveAndDeleteRefuseWhatHasNoSlot) {
    for (int i = 0; i < 16; ++i)
        addQueue("Q" + std::to_string(i), "HP_LASERJET_4M");
    start();
    QueueRecord extra = newQueue("EXTRA", "HP_LASERJET_4M");
    EXPECT_EQ(SaveQueueRecord(t->lib(), extra, true), -1);
    ASSERT_EQ(t->host.shown.size(), 1u);
    EXPECT_EQ(t->host.shown[0].text, "Maximum number of queues (16) exceeded.");
    EXPECT_EQ(t->host.shown[0].caption, "Configuration Error");
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\EXTRA")));

    QueueRecord ghost = newQueue("GHOST", "HP_LASERJET_4M");
    EXPECT_EQ(SaveQueueRecord(t->lib(), ghost, false), -1);
    EXPECT_EQ(t->host.shown.back().text, "Error locating the GHOST queue information.");
    EXPECT_EQ(DeleteQueueRecord(t->lib(), "GHOST"), -1);
    EXPECT_EQ(t->host.shown.back().text, "Error locating the GHOST queue information.");
    EXPECT_EQ(queueCount(), 16);
}

TEST_F(StoreAccess, SaveServerConfigWritesTheListedValues) {
    machine.registry.setString(productPath("Fonts"), "Font4", "old.2ps");
    start();
    const ServerConfig* shared = nullptr;
    ASSERT_EQ(GetConfig(t->lib(), &shared, LNTC_CONFIG_VERSION), 0u);
    ServerConfig c = *shared;
    setField(c.Fonts[0], "a.2ps");
    setField(c.Fonts[1], "b.2ps");
    setField(c.Fonts[2], "");
    setField(c.Fonts[3], "d.2ps");
    c.FormerCharset = 30;
    c.QueueDepth = 12;
    c.FormScaling = 1;
    c.QueueCount = 9; // a stale working copy must not change the shared count
    setField(c.TempFilesDir, "c:\\temp");
    ASSERT_EQ(SaveServerConfig(t->lib(), c), 0);
    EXPECT_EQ(regString("Fonts", "Font1"), "a.2ps");
    EXPECT_EQ(regString("Fonts", "Font2"), "b.2ps");
    EXPECT_FALSE(regString("Fonts", "Font3").has_value());
    EXPECT_EQ(regString("Fonts", "Font4"), "old.2ps"); // not deleted
    EXPECT_EQ(regString("Fonts", "FormerCharset"), "Shift_JIS");
    EXPECT_EQ(getDword(machine.registry, productPath("General"), "QueueDepth"), 12u);
    EXPECT_FALSE(getDword(machine.registry, productPath("General"), "FormScaling").has_value());
    EXPECT_FALSE(regString("General", "DefaultODR").has_value());
    EXPECT_EQ(regString("General", "TempFilesDir"), "c:\\temp");
    EXPECT_EQ(shared->QueueDepth, 12);
    EXPECT_EQ(shared->QueueCount, 0);
    EXPECT_EQ(shared->Magic, LNTC_MAGIC);

    c.FormerCharset = 99;
    ASSERT_EQ(SaveServerConfig(t->lib(), c), 0);
    EXPECT_EQ(regString("Fonts", "FormerCharset"), "");
}

TEST_F(StoreAccess, DeleteRegistryEntryForms) {
    start();
    MemoryRegistry& r = machine.registry;
    r.setString(productPath("General"), "V", "x");
    r.setString(productPath("Queues\\A"), "V", "x");
    r.setString(productPath("Queues\\A"), "W", "y");
    r.setString(productPath("Queues\\B"), "V", "x");
    r.setString(productPath("Other"), "V", "x");
    Library& lib = t->lib();
    EXPECT_EQ(DeleteRegistryEntry(lib, nullptr, "General", nullptr), -1);
    EXPECT_EQ(DeleteRegistryEntry(lib, nullptr, nullptr, "V"), -1);
    EXPECT_EQ(getString(r, productPath("General"), "V"), "x");
    EXPECT_EQ(DeleteRegistryEntry(lib, nullptr, "General", "V"), 0);
    EXPECT_FALSE(getString(r, productPath("General"), "V").has_value());
    EXPECT_EQ(DeleteRegistryEntry(lib, "Queues", "A", "V"), 0);
    EXPECT_FALSE(getString(r, productPath("Queues\\A"), "V").has_value());
    EXPECT_EQ(getString(r, productPath("Queues\\A"), "W"), "y");
    EXPECT_EQ(DeleteRegistryEntry(lib, "Queues", "B", nullptr), 0);
    EXPECT_FALSE(r.hasKey(productPath("Queues\\B")));
    EXPECT_TRUE(r.hasKey(productPath("Queues\\A")));
    EXPECT_EQ(DeleteRegistryEntry(lib, "Other", nullptr, nullptr), 0);
    EXPECT_FALSE(r.hasKey(productPath("Other")));
    EXPECT_EQ(DeleteRegistryEntry(lib, "Queues", "Missing", nullptr), 0);
    EXPECT_TRUE(t->product.errors.empty());
}

TEST_F(StoreAccess, ValueTableByIdentifier) {
    start();
    Library& lib = t->lib();
    char text[8];
    EXPECT_EQ(ReadStringById(lib, 1234, "defaulted-long", text, sizeof text), err::FileNotFound);
    EXPECT_STREQ(text, "default"); // cut to size - 1
    EXPECT_EQ(ReadDwordById(lib, 1234, 99), 99u);
    EXPECT_NE(WriteDwordById(lib, 1234, 5), 0u);
    EXPECT_EQ(WriteCharsetById(lib, 4100, 42), 0u);
    EXPECT_EQ(regString("Fonts", "FormerCharset"), "HP_Roman8");
    EXPECT_EQ(ReadCharsetById(lib, 4100, 2), 42);
    EXPECT_EQ(WriteDwordById(lib, 4303, 3), 0u);
    EXPECT_EQ(ReadDwordById(lib, 4303, 10), 3u);
}

TEST_F(StoreAccess, WriteFailuresAreLoggedAndTheSaveGoesOn) {
    addQueue("A", "HP_LASERJET_4M");
    start();
    QueueRecord q = *queue("A");
    setField(q.Description, "new text");
    machine.registry.failNext(MemoryRegistry::Op::SetValue, err::AccessDenied);
    ASSERT_EQ(SaveQueueRecord(t->lib(), q, false), 0);
    EXPECT_TRUE(t->logged("LNTC: Error setting registration key"));
    EXPECT_EQ(regString("Queues\\A", "Description"), "new text");
    EXPECT_STREQ(queue("A")->Description, "new text");
}

} // namespace
