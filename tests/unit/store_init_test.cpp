// The first fill of the shared records, their defaults, and what later processes see.
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

using namespace lntc;
using namespace lntc::test;

namespace {

const char* kOdrDirectory = R"({
  "default": "Alpha:Quendal",
  "odrs": [ { "domain": "Alpha", "organization": "Quendal", "answers": true,
              "systemDefaults": { "release": RELEASE, "charset": 42, "systemWord": 77 },
              "queues": [] } ] })";

std::string directoryWithRelease(const std::string& release) {
    std::string json = kOdrDirectory;
    json.replace(json.find("RELEASE"), 7, release);
    return json;
}

class StoreInit : public ::testing::Test {
protected:
    FakeMachine machine;

    const ServerConfig* config(TestLibrary& t, uint32_t* status = nullptr) {
        const ServerConfig* c = nullptr;
        uint32_t rc = GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION);
        if (status) *status = rc;
        return c;
    }
    void addQueue(const std::string& name, const std::string& printer) {
        machine.registry.setString(productPath("Queues\\" + name), "Printer", printer);
    }
};

TEST_F(StoreInit, EmptyRegistryGivesExactlyTheDefaults) {
    TestLibrary t(machine);
    t.product.setDirectoryJson(directoryWithRelease("\"3.1.0\""));
    uint32_t status = 1;
    const ServerConfig* c = config(t, &status);
    ASSERT_EQ(status, 0u);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Magic, LNTC_MAGIC);
    EXPECT_EQ(c->EnableNotes, 1);
    EXPECT_EQ(c->LogonRetries, 10);
    EXPECT_STREQ(c->PrimaryCacheDir, "c:\\qdsw_local\\tmp");
    EXPECT_EQ(c->QueueDepth, 5);
    EXPECT_EQ(c->SuppressAnnotations, 0);
    EXPECT_STREQ(c->TempFilesDir, "c:\\qdsw_local\\tmp");
    EXPECT_EQ(c->VerboseOnStartup, 0);
    EXPECT_EQ(c->VerifyChecksum, 0);
    EXPECT_EQ(c->AutoDownload, 1);
    EXPECT_STREQ(c->DefaultFont, "default");
    EXPECT_EQ(c->FormerCharset, 2);
    EXPECT_EQ(c->UseDocCharSet, 1);
    EXPECT_STREQ(c->DefaultODR, "DefaultODR");
    EXPECT_STREQ(c->Domain, "Alpha");
    EXPECT_STREQ(c->Organization, "Quendal");
    EXPECT_STREQ(c->ConfigDir, "c:\\qdsw_local\\sd");
    EXPECT_STREQ(c->FontDir, "c:\\qdsw_local\\fonts");
    EXPECT_STREQ(c->Fonts[0], "lg.2ps");
    EXPECT_STREQ(c->Fonts[1], "prestige.2ps");
    EXPECT_STREQ(c->Fonts[2], "cournarr.2ps");
    EXPECT_STREQ(c->Fonts[3], "iso.2ps");
    for (int i = 4; i < LNTC_FONT_COUNT; ++i) EXPECT_STREQ(c->Fonts[i], "") << i;
    EXPECT_EQ(c->QueueCount, 0);
    EXPECT_EQ(c->TimeFormat, 1);
    EXPECT_STREQ(c->TimeString, "%m/%d/%y,  %I:%M:%S %p");
    EXPECT_EQ(c->InstalledKanji, 0u);
    EXPECT_EQ(c->InstalledGreek, 0u);
    EXPECT_EQ(c->UpdateTime, machine.clock.now());
    EXPECT_EQ(c->FormScaling, 0);
    EXPECT_EQ(c->COLDScaleFactor, 100);
    // The ODR's system defaults.
    EXPECT_EQ(c->OdrRelease, 310);
    EXPECT_EQ(c->OdrGeneration, 2);
    EXPECT_EQ(c->SystemCharset, 42);
    EXPECT_EQ(c->OdrSystemWord, 77u);
    // A missing Queues key is no failure.
    EXPECT_TRUE(t.product.errors.empty());
}

TEST_F(StoreInit, KanjiAndGreekFontDefaults) {
    machine.registry.setDword(productPath("Fonts"), "InstalledKanji", 1);
    {
        TestLibrary t(machine);
        const ServerConfig* c = config(t);
        ASSERT_NE(c, nullptr);
        EXPECT_STREQ(c->Fonts[4], "notdeffo.2ps");
        EXPECT_STREQ(c->Fonts[5], "mincho00.2ps");
        EXPECT_STREQ(c->Fonts[12], "mincho07.2ps");
        EXPECT_STREQ(c->Fonts[13], "gothic00.2ps");
        EXPECT_STREQ(c->Fonts[19], "gothic06.2ps");
        EXPECT_STREQ(c->Fonts[20], "");
        EXPECT_EQ(c->FormerCharset, 30);
        EXPECT_STREQ(c->DefaultFont, "Mincho16");
    }
    FakeMachine both;
    both.registry.setDword(productPath("Fonts"), "InstalledKanji", 1);
    both.registry.setDword(productPath("Fonts"), "InstalledGreek", 1);
    both.registry.setString(productPath("Fonts"), "Font6", "custom.2ps");
    TestLibrary t(both);
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    EXPECT_EQ(c->FormerCharset, 17);
    EXPECT_STREQ(c->DefaultFont, "GrkSwiss16");
    EXPECT_STREQ(c->Fonts[5], "custom.2ps"); // a stored value beats the default
    EXPECT_STREQ(c->Fonts[20], "grkhelv.2ps");
    EXPECT_STREQ(c->Fonts[21], "grktime.2ps");
    EXPECT_STREQ(c->Fonts[22], "");

    FakeMachine greek;
    greek.registry.setDword(productPath("Fonts"), "InstalledGreek", 1);
    TestLibrary g(greek);
    ASSERT_EQ(GetConfig(g.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    EXPECT_STREQ(c->Fonts[4], "grkhelv.2ps");
    EXPECT_STREQ(c->Fonts[5], "grktime.2ps");
}

TEST_F(StoreInit, BadValuesReadAsDefaultsAndAreLogged) {
    MemoryRegistry& r = machine.registry;
    r.setString(productPath("General"), "TimeFormat", "3");          // wrong type
    r.setString(productPath("General"), "ConfigDir", std::string(300, 'x')); // too long
    r.setString(productPath("General"), "TempFilesDir", std::string(255, 't'));
    r.setString(productPath("Fonts"), "FormerCharset", "iso_8859_7"); // case ignored
    r.setDword(productPath("General"), "DefaultODR", 5);               // wrong type
    TestLibrary t(machine);
    const ServerConfig* c = config(t);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->TimeFormat, 1);
    EXPECT_STREQ(c->ConfigDir, "c:\\qdsw_local\\sd");
    EXPECT_EQ(std::strlen(c->TempFilesDir), 255u);
    EXPECT_EQ(c->FormerCharset, 17);
    EXPECT_STREQ(c->DefaultODR, "DefaultODR");
    EXPECT_TRUE(t.logged("LNTC: Queried value is not an integer"));
    EXPECT_TRUE(t.logged("LNTC: Error querying registration key"));
    EXPECT_TRUE(t.logged("LNTC: Queried key value is not a string"));

    FakeMachine other;
    other.registry.setString(productPath("Fonts"), "FormerCharset", "KOI8");
    TestLibrary u(other);
    ASSERT_NE(config(u), nullptr);
    EXPECT_EQ(config(u)->FormerCharset, 2);
}

TEST_F(StoreInit, QueueValuesLoadWithKeywordsAndDefaults) {
    const std::string q = productPath("Queues\\LASER");
    MemoryRegistry& r = machine.registry;
    r.setString(q, "Printer", std::string(70, 'P'));
    r.setString(q, "PrintDest", "PRINTER_AND_DISK");
    r.setString(q, "EjectTray", "NOWHERE");
    r.setString(q, "Connectivity", "tcp_direct"); // keywords are case-sensitive
    r.setString(q, "DataEncode", "ASCII_85");
    r.setString(q, "DuplexBinding", "TOP_EDGE");
    r.setString(q, "QDDefaultTray", "THIRD");
    r.setString(q, "OverscanAmt", "abc");
    r.setString(q, "Tray2/Bottom", "");
    r.setDword(q, "CenterImage", 0x00050001);
    r.setDword(q, "WaitTimeout", 0x12345678);
    const std::string d = productPath("Queues\\DISK");
    r.setString(d, "PrintDest", "DISK_ONLY");
    r.setString(d, "OverscanAmt", "7.5");
    const std::string e = productPath("Queues\\EMPTY");
    r.setString(e, "PrintDest", "");

    TestLibrary t(machine);
    ASSERT_NE(config(t), nullptr);
    EXPECT_EQ(config(t)->QueueCount, 3);
    auto queue = [&](const char* name) {
        const QueueRecord* rec = nullptr;
        EXPECT_EQ(GetQueue(t.lib(), name, &rec, LNTC_QUEUE_VERSION), 0u) << name;
        return rec;
    };
    const QueueRecord* laser = queue("LASER");
    ASSERT_NE(laser, nullptr);
    EXPECT_EQ(std::strlen(laser->Printer), 63u);
    EXPECT_EQ(laser->PrintDest, 3u);
    EXPECT_EQ(laser->EjectTray, 2);
    EXPECT_EQ(laser->Connectivity, 2u);
    EXPECT_EQ(laser->DataEncode, 2u);
    EXPECT_EQ(laser->DuplexBinding, 2u);
    EXPECT_EQ(laser->QDDefaultTray, 2);
    EXPECT_EQ(laser->OverscanAmt, 0.0);
    EXPECT_STREQ(laser->Tray1_Top, "LETTER, 1");
    EXPECT_STREQ(laser->Tray2_Bottom, "NONE");
    EXPECT_STREQ(laser->Tray3_Third, "NONE");
    EXPECT_EQ(laser->CenterImage, 1u);      // the low 16 bits
    EXPECT_EQ(laser->WaitTimeout, 0x5678); // u16 takes the low bits
    EXPECT_EQ(laser->EjectTraySwitch, 1u);
    EXPECT_EQ(laser->EjectTrayPages, 1000);
    EXPECT_EQ(laser->PaperTrays, 3);
    EXPECT_EQ(laser->UpdateTime, machine.clock.now());
    EXPECT_NE(laser->GlobalArea, 0u);
    const QueueRecord* disk = queue("DISK");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->PrintDest, 2u);
    EXPECT_DOUBLE_EQ(disk->OverscanAmt, 7.5);
    EXPECT_NE(disk->GlobalArea, laser->GlobalArea);
    const QueueRecord* empty = queue("EMPTY");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->PrintDest, 1u);
    EXPECT_DOUBLE_EQ(empty->OverscanAmt, 5.0);
}

TEST_F(StoreInit, AtMostSixteenQueuesAndLongNamesKeepTheirSlot) {
    for (int i = 0; i < 20; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Q%02d", i);
        addQueue(name, "HP_LASERJET_4M");
    }
    TestLibrary t(machine);
    ASSERT_NE(config(t), nullptr);
    EXPECT_EQ(config(t)->QueueCount, 16);
    const char* name = nullptr;
    ASSERT_EQ(GetQueueName(t.lib(), 15, &name), 0u);
    EXPECT_STREQ(name, "Q15"); // enumeration order
    EXPECT_EQ(GetQueueName(t.lib(), 16, &name), LNTC_E_NO_QUEUE);

    FakeMachine m2;
    const std::string longName(45, 'L');
    m2.registry.setString(productPath("Queues\\" + longName), "Printer", "HP_LASERJET_4M");
    m2.registry.setString(productPath("Queues\\SHORT"), "Printer", "GENERIC_POSTSCRIPT");
    TestLibrary u(m2);
    const ServerConfig* c = config(u);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->QueueCount, 2);
    ASSERT_EQ(GetQueueName(u.lib(), 0, &name), 0u);
    EXPECT_EQ(std::string(name), longName.substr(0, 39));
    const QueueRecord* rec = nullptr;
    EXPECT_EQ(GetQueue(u.lib(), longName.c_str(), &rec, LNTC_QUEUE_VERSION), LNTC_E_NO_QUEUE);
}

TEST_F(StoreInit, OdrReleaseDecidesTheSearchPath) {
    struct Case {
        std::string release;
        std::optional<std::string> path; // before; nullopt: unset
        uint16_t expected;
        const char* after;
    };
    const Case cases[] = {
        {"3.1.0", "/usr/bin", 310, "/usr/bin"},
        {"3.0.9", "/usr/bin", 309, "/opt/lintora/lib/ps1:/usr/bin"},
        {"null", "/usr/bin", 301, "/opt/lintora/lib/ps1:/usr/bin"},
        // No empty entry (the current directory) when there was no PATH to follow.
        {"3.0.9", "", 309, "/opt/lintora/lib/ps1"},
        {"3.0.9", std::nullopt, 309, "/opt/lintora/lib/ps1"},
    };
    for (const Case& k : cases) {
        FakeMachine m;
        TestLibrary t(m, false);
        t.env.module = ("/opt/lintora/lib/liblntc.so");
        if (k.path) t.env.set("PATH", *k.path);
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        t.product.setDirectoryJson(directoryWithRelease(k.release == "null" ? "null"
                                                                            : "\"" + k.release + "\""));
        const ServerConfig* c = config(t);
        ASSERT_NE(c, nullptr) << k.release;
        EXPECT_EQ(c->OdrRelease, k.expected) << k.release;
        EXPECT_EQ(c->OdrGeneration, k.release == "null" ? 1 : 2);
        EXPECT_EQ(t.env.get("PATH").value_or("(unset)"), k.after)
            << k.release << " " << k.path.value_or("(unset)");
    }
}

TEST_F(StoreInit, RlkFailureGoesToTheFillerOnlyAndRecordsAreFilledAllTheSame) {
    addQueue("LASER", "HP_LASERJET_4M");
    TestLibrary first(machine);
    first.product.scriptLinkResult(0x9C000001);
    uint32_t status = 0;
    // The filled records come with the status, so that an administrator can look at them.
    const ServerConfig* filled = config(first, &status);
    EXPECT_EQ(status, 0x9C000001u);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled->QueueCount, 1);
    EXPECT_EQ(filled->OdrRelease, 268);
    // The status sticks; a wrong version gets no address.
    EXPECT_EQ(config(first, &status), filled);
    EXPECT_EQ(status, 0x9C000001u);
    const ServerConfig* c = nullptr;
    EXPECT_EQ(GetConfig(first.lib(), &c, 2002), 0x9C000001u);
    EXPECT_EQ(c, nullptr);
    EXPECT_TRUE(first.logged("LNTC: Error linking to RLK abstract"));

    TestLibrary second(machine);
    const ServerConfig* seen = config(second, &status);
    EXPECT_EQ(status, 0u);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->Magic, LNTC_MAGIC);
    EXPECT_EQ(seen->QueueCount, 1);
    EXPECT_EQ(seen->OdrRelease, 268);
    const QueueRecord* q = nullptr;
    EXPECT_EQ(GetQueue(second.lib(), "LASER", &q, LNTC_QUEUE_VERSION), 0u);
}

TEST_F(StoreInit, OdrLookupFailureIsSystemLogged) {
    TestLibrary t(machine);
    t.product.setDirectoryJson(R"({"odrs": []})"); // no ODR: the lookup finds nothing
    uint32_t status = 0;
    config(t, &status);
    EXPECT_NE(status, 0u);
    ASSERT_EQ(t.product.sysLogs.size(), 1u);
    EXPECT_EQ(t.product.sysLogs[0].text, "LNTC: Unable to retrieve ODR system default values.");
    EXPECT_EQ(t.product.sysLogs[0].code, status);
}

TEST_F(StoreInit, SectionFailuresAreLoggedAndStick) {
    TestLibrary t(machine);
    machine.sections.openError = 8;
    uint32_t status = 0;
    EXPECT_EQ(config(t, &status), nullptr);
    EXPECT_EQ(status, LNTC_E_SECTION);
    ASSERT_FALSE(t.product.errors.empty());
    EXPECT_EQ(t.product.errors.back().code, LNTC_E_SECTION);
    EXPECT_EQ(t.product.errors.back().text, "LNTC: Error 8 creating file mapping for configuration data");
    const ServerConfig* c = nullptr;
    EXPECT_EQ(GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION), LNTC_E_SECTION);
}

TEST_F(StoreInit, AnAbandonedFillIsRedoneByTheNextProcess) {
    addQueue("LASER", "HP_LASERJET_4M");
    TestLibrary dead(machine);
    ASSERT_NE(config(dead), nullptr);
    // The filler died before it marked the fill done: the next process finds that out.
    machine.sections.fillScript.push_back(Section::FillState::MustFill);
    machine.registry.setString(productPath("Queues\\LASER"), "Description", "refilled");
    TestLibrary next(machine);
    ASSERT_NE(config(next), nullptr);
    const QueueRecord* q = nullptr;
    ASSERT_EQ(GetQueue(next.lib(), "LASER", &q, LNTC_QUEUE_VERSION), 0u);
    EXPECT_STREQ(q->Description, "refilled");
}

TEST_F(StoreInit, AStalledFillerIsWaitedForButNeverReportedAsSuccess) {
    using FS = Section::FillState;
    TestLibrary filler(machine);
    ASSERT_NE(config(filler), nullptr);
    struct Case {
        std::vector<FS> answers;
        uint32_t status;
        std::vector<std::string> logged;
    } cases[] = {
        {{FS::StillFilling, FS::Filled}, 0, {"LNTC: Still waiting"}},
        {{FS::StillFilling, FS::StillFilling},
         LNTC_E_SECTION,
         {"LNTC: Still waiting", "LNTC: Gave up waiting"}},
    };
    for (const Case& c : cases) {
        machine.sections.fillScript.assign(c.answers.begin(), c.answers.end());
        TestLibrary waiter(machine);
        uint32_t status = 1;
        const ServerConfig* got = config(waiter, &status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(got == nullptr, c.status != 0);
        std::vector<std::string> texts = waiter.loggedTexts();
        ASSERT_EQ(texts.size(), c.logged.size());
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(texts[i].rfind(c.logged[i], 0), 0u) << texts[i];
    }
}

TEST_F(StoreInit, UnloadChecksTheMarkerAndStopsTheBrokerItDidNotFind) {
    {
        TestLibrary t(machine);
        ASSERT_NE(config(t), nullptr);
        machine.processes.running.push_back({4242, "vxl_broker"}); // started after initialisation
        std::memset(machine.sections.memory("lnt_config_data")->data(), 0, 4);
        t.unload();
        EXPECT_TRUE(t.logged("A DLL has corrupted the configuration information."));
        EXPECT_EQ(machine.processes.terminated, std::vector<uint32_t>{4242});
    }
    FakeMachine m;
    m.processes.running.push_back({77, "VXL_BROKER"});
    TestLibrary t(m);
    ASSERT_NE(config(t), nullptr);
    t.unload();
    EXPECT_TRUE(m.processes.terminated.empty());
    EXPECT_FALSE(t.logged("A DLL has corrupted the configuration information."));
}

TEST_F(StoreInit, ReadOnlyRegistryFallsBackAndAMissingRootFailsTheLoad) {
    machine.registry.setString(productPath("General"), "ConfigDir", "d:\\sd");
    machine.registry.setReadOnly(true);
    TestLibrary t(machine);
    EXPECT_EQ(t.loadStatus, 0u);
    EXPECT_TRUE(t->readOnlyRegistry);
    EXPECT_TRUE(t.logged("LNTC: Error creating registration key"));
    ASSERT_NE(config(t), nullptr);
    EXPECT_STREQ(config(t)->ConfigDir, "d:\\sd");

    FakeMachine empty;
    empty.registry.setReadOnly(true);
    TestLibrary u(empty);
    EXPECT_NE(u.loadStatus, 0u);
}

TEST_F(StoreInit, LoadingTakesTheWriteLockOnlyToCreateAMissingRoot) {
    struct Case {
        bool rootExists;
        uint32_t createAnswers; // 0: creating works
        uint32_t load;
    };
    const Case cases[] = {
        {true, err::Busy, 0}, // a writer holds the store: the existing root opens all the same
        {false, 0, 0},
        {false, err::Busy, err::Busy},
    };
    for (const Case& k : cases) {
        FakeMachine m;
        if (k.rootExists) m.registry.setString(productPath("General"), "ConfigDir", "d:\\sd");
        if (k.createAnswers) m.registry.failNext(MemoryRegistry::Op::CreateKey, k.createAnswers);
        TestLibrary t(m);
        EXPECT_EQ(t.loadStatus, k.load) << k.rootExists << " " << k.createAnswers;
        EXPECT_FALSE(t->readOnlyRegistry);
        EXPECT_EQ(m.registry.hasKey(kProductRootPath), k.load == 0);
    }
}

TEST_F(StoreInit, HelpFileIsBesideTheLibrary) {
    TestLibrary t(machine, false);
    t.env.module = ("/opt/lintora.d/lib/liblntc.so");
    ASSERT_EQ(LoadLibrary(t.lib()), 0u);
    EXPECT_EQ(t->helpFilePath, "/opt/lintora.d/lib/liblntc.HLP");
}

} // namespace
