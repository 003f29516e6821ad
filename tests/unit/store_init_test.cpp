// The first fill of the shared records, the defaults that follow the installed fonts and the
// ODR, and what later processes see.
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/registry_access.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string directoryWithRelease(const std::string& release) {
    return R"({ "default": "Alpha:Quendal", "odrs": [ { "domain": "Alpha",
        "organization": "Quendal", "queues": [], "systemDefaults":
        { "release": )" +
           release + R"(, "charset": 42, "systemWord": 77 } } ] })";
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
    void addQueue(const std::string& name, const std::string& printer = "HP_LASERJET_4M") {
        machine.registry.setString(productPath("Queues\\" + name), "Printer", printer);
    }
};

TEST_F(StoreInit, FontDefaultsFollowTheInstalledFonts) {
    const struct {
        uint32_t kanji, greek;
        std::vector<std::pair<int, const char*>> fonts; // Font<n> and what it loads as
        uint16_t charset;
        const char* font;
    } cases[] = {
        // clang-format off
        {0, 0, {{1, "lg.2ps"}, {2, "prestige.2ps"}, {3, "cournarr.2ps"}, {4, "iso.2ps"}, {5, ""}},
         2, "default"},
        {1, 0, {{5, "notdeffo.2ps"}, {6, "mincho00.2ps"}, {13, "mincho07.2ps"},
                {14, "gothic00.2ps"}, {20, "gothic06.2ps"}, {21, ""}}, 30, "Mincho16"},
        {0, 1, {{4, "iso.2ps"}, {5, "grkhelv.2ps"}, {6, "grktime.2ps"}, {7, ""}}, 17, "GrkSwiss16"},
        {1, 1, {{20, "gothic06.2ps"}, {21, "grkhelv.2ps"}, {22, "grktime.2ps"}, {25, "last.2ps"}},
         17, "GrkSwiss16"},
        // clang-format on
    };
    for (const auto& k : cases) {
        FakeMachine m;
        m.registry.setDword(productPath("Fonts"), "InstalledKanji", k.kanji);
        m.registry.setDword(productPath("Fonts"), "InstalledGreek", k.greek);
        m.registry.setString(productPath("Fonts"), "Font25", "last.2ps"); // beats any default
        TestLibrary t(m);
        const ServerConfig* c = config(t);
        ASSERT_NE(c, nullptr);
        for (const auto& [n, font] : k.fonts)
            EXPECT_STREQ(c->Fonts[n - 1], font) << k.kanji << k.greek << " Font" << n;
        EXPECT_EQ(c->FormerCharset, k.charset) << k.kanji << k.greek;
        EXPECT_STREQ(c->DefaultFont, k.font) << k.kanji << k.greek;
    }
}

TEST_F(StoreInit, AtMostSixteenQueuesAndLongNamesKeepTheirSlot) {
    for (int i = 0; i < 20; ++i)
        addQueue("Q" + std::to_string(100 + i));
    TestLibrary t(machine);
    ASSERT_NE(config(t), nullptr);
    EXPECT_EQ(config(t)->QueueCount, 16);
    const char* name = nullptr;
    ASSERT_EQ(GetQueueName(t.lib(), 15, &name), 0u);
    EXPECT_STREQ(name, "Q115"); // enumeration order
    EXPECT_EQ(GetQueueName(t.lib(), 16, &name), LNTC_E_NO_QUEUE);
    const QueueRecord *a = nullptr, *b = nullptr;
    ASSERT_EQ(GetQueue(t.lib(), "Q100", &a, LNTC_QUEUE_VERSION), 0u);
    ASSERT_EQ(GetQueue(t.lib(), "Q101", &b, LNTC_QUEUE_VERSION), 0u);
    EXPECT_EQ(a->UpdateTime, machine.clock.now());
    EXPECT_NE(a->GlobalArea, 0u); // each queue has an area of its own
    EXPECT_NE(a->GlobalArea, b->GlobalArea);

    FakeMachine m2;
    const std::string longName(45, 'L');
    m2.registry.setString(productPath("Queues\\" + longName), "Printer", "HP_LASERJET_4M");
    m2.registry.setString(productPath("Queues\\SHORT"), "Printer", "GENERIC_POSTSCRIPT");
    TestLibrary u(m2);
    ASSERT_NE(config(u), nullptr);
    EXPECT_EQ(config(u)->QueueCount, 2);
    ASSERT_EQ(GetQueueName(u.lib(), 0, &name), 0u);
    EXPECT_EQ(std::string(name), longName.substr(0, 39));
    EXPECT_EQ(GetQueue(u.lib(), longName.c_str(), &a, LNTC_QUEUE_VERSION), LNTC_E_NO_QUEUE);
}

TEST_F(StoreInit, OdrDefaultsAndTheReleaseThatDecidesTheSearchPath) {
    const struct {
        std::string release;
        std::optional<std::string> path; // before; nullopt: unset
        uint16_t expected;
        const char* after;
    } cases[] = {
        {"\"3.1.0\"", "/usr/bin", 310, "/usr/bin"},
        {"\"3.0.9\"", "/usr/bin", 309, "/opt/lnt.d/lib/ps1:/usr/bin"},
        {"null", "/usr/bin", 301, "/opt/lnt.d/lib/ps1:/usr/bin"},
        // No empty entry (the current directory) when there was no PATH to follow.
        {"\"3.0.9\"", "", 309, "/opt/lnt.d/lib/ps1"},
        {"\"3.0.9\"", std::nullopt, 309, "/opt/lnt.d/lib/ps1"},
    };
    for (const auto& k : cases) {
        FakeMachine m;
        TestLibrary t(m, false);
        t.env.module = "/opt/lnt.d/lib/liblntc.so";
        m.modules.folder = "/opt/lnt.d/lib";
        if (k.path) t.env.set("PATH", *k.path);
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        EXPECT_EQ(t->helpFilePath, "/opt/lnt.d/lib/liblntc.HLP");
        t.product.setDirectoryJson(directoryWithRelease(k.release));
        uint32_t status = 1;
        const ServerConfig* c = config(t, &status);
        ASSERT_NE(c, nullptr) << k.release;
        EXPECT_EQ(status, 0u);
        EXPECT_EQ(c->OdrRelease, k.expected) << k.release;
        EXPECT_EQ(c->OdrGeneration, k.release == "null" ? 1 : 2);
        EXPECT_EQ(t.env.get("PATH").value_or("(unset)"), k.after)
            << k.release << " " << k.path.value_or("(unset)");
        EXPECT_EQ(std::string(c->Domain) + ":" + c->Organization, "Alpha:Quendal");
        EXPECT_EQ(c->SystemCharset, 42);
        EXPECT_EQ(c->OdrSystemWord, 77u);
        EXPECT_EQ(c->Magic, LNTC_MAGIC);
        EXPECT_EQ(c->UpdateTime, m.clock.now());
        EXPECT_TRUE(t.product.errors.empty()); // a missing Queues key is no failure
    }
}

TEST_F(StoreInit, NameServiceFailuresAreReportedToTheFillerAndStick) {
    addQueue("LASER");
    TestLibrary first(machine);
    first.product.scriptLinkResult(0x9C000001);
    uint32_t status = 0;
    // The filled records come with the status, so that an administrator can look at them.
    const ServerConfig* filled = config(first, &status);
    EXPECT_EQ(status, 0x9C000001u);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled->QueueCount, 1);
    EXPECT_EQ(config(first, &status), filled);
    EXPECT_EQ(status, 0x9C000001u);
    const ServerConfig* c = nullptr;
    EXPECT_EQ(GetConfig(first.lib(), &c, 2002), 0x9C000001u); // a wrong version: no address
    EXPECT_EQ(c, nullptr);

    FakeMachine m;
    TestLibrary t(m);
    t.product.setDirectoryJson(R"({"odrs": []})"); // no ODR: the lookup finds nothing
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
    EXPECT_EQ(t.product.errors.back().text,
              "LNTC: Error 8 creating file mapping for configuration data");
    EXPECT_EQ(config(t, &status), nullptr);
    EXPECT_EQ(status, LNTC_E_SECTION);
}

TEST_F(StoreInit, AnAbandonedFillIsRedoneAndAStalledOneWaitedForButNeverTakenAsDone) {
    using FS = Section::FillState;
    addQueue("LASER");
    TestLibrary filler(machine);
    ASSERT_NE(config(filler), nullptr);
    machine.registry.setString(productPath("Queues\\LASER"), "Description", "refilled");
    const struct {
        std::vector<FS> answers;
        uint32_t status;
        std::vector<std::string> logged;
        const char* description;
    } cases[] = {
        {{FS::MustFill}, 0, {}, "refilled"}, // the filler died before it marked the fill done
        {{FS::StillFilling, FS::Filled}, 0, {"LNTC: Still waiting"}, nullptr},
        {{FS::StillFilling, FS::StillFilling},
         LNTC_E_SECTION,
         {"LNTC: Still waiting", "LNTC: Gave up waiting"},
         nullptr},
    };
    for (const auto& c : cases) {
        machine.sections.fillScript.assign(c.answers.begin(), c.answers.end());
        TestLibrary next(machine);
        uint32_t status = 1;
        const ServerConfig* got = config(next, &status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(got == nullptr, c.status != 0);
        std::vector<std::string> texts = next.loggedTexts();
        ASSERT_EQ(texts.size(), c.logged.size());
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(texts[i].rfind(c.logged[i], 0), 0u) << texts[i];
        const QueueRecord* q = nullptr;
        if (c.description) {
            ASSERT_EQ(GetQueue(next.lib(), "LASER", &q, LNTC_QUEUE_VERSION), 0u);
            EXPECT_STREQ(q->Description, c.description);
        }
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
    EXPECT_TRUE(t.product.errors.empty());
}

TEST_F(StoreInit, TheRootOpensForWritingWithoutTheWriteLockOrElseReadOnly) {
    const struct {
        bool rootExists, readOnly;
        uint32_t createAnswers; // 0: creating works
        uint32_t load;
    } cases[] = {
        {true, false, err::Busy, 0}, // a writer holds the store: the existing root opens
        {false, false, 0, 0},        {false, false, err::Busy, err::Busy},
        {true, true, 0, 0},          {false, true, 0, err::AccessDenied},
    };
    for (const auto& k : cases) {
        FakeMachine m;
        if (k.rootExists) m.registry.setString(productPath("General"), "ConfigDir", "d:\\sd");
        if (k.createAnswers) m.registry.failNext(MemoryRegistry::Op::CreateKey, k.createAnswers);
        m.registry.setReadOnly(k.readOnly);
        TestLibrary t(m);
        EXPECT_EQ(t.loadStatus != 0, k.load != 0) << k.rootExists << k.readOnly;
        EXPECT_EQ(t->readOnlyRegistry, k.readOnly && k.load == 0);
        EXPECT_EQ(t.logged("LNTC: Error creating registration key"), k.readOnly || k.load != 0);
        EXPECT_EQ(m.registry.hasKey(kProductRootPath), k.load == 0);
        if (k.load == 0) {
            EXPECT_STREQ(config(t)->ConfigDir, k.rootExists ? "d:\\sd" : "c:\\qdsw_local\\sd");
        }
    }
}

} // namespace
