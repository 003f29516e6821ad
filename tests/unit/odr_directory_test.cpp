#include "product/odr_directory.h"
#include "support/fake_product.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace lntc {
namespace {

const char* kDirectory = R"({
  "default": "Beta:Quendal",
  "comment": "unknown keys are ignored",
  "odrs": [
    { "domain": "Alpha", "organization": "Quendal", "address": "127.0.0.1",
      "systemDefaults": { "release": "3.1.0", "charset": 2, "systemWord": 70000 },
      "queues": [ { "name": "LASER_1", "printServer": "MyHost" },
                  { "name": "OTHER_SITE", "printServer": "elsewhere" },
                  { "name": "NO_SERVER" } ] },
    { "domain": "Beta", "organization": "Quendal",
      "systemDefaults": { "release": null, "charset": 7, "foundCode": true },
      "queues": [ { "name": "Q1" }, { "name": "Q2" }, { "name": "Q3" },
                  { "name": "Q4" }, { "name": "Q5" } ] },
    { "domain": "Silent", "organization": "Quendal", "answers": false,
      "address": "10.1.2.3",
      "systemDefaults": { "release": "2.0.9" },
      "queues": [ { "name": "HUSH", "printServer": "myhost" } ] }
  ]
})";

RlkServerAddress address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return RlkServerAddress{0xFFFFFFFF, 0, static_cast<uint16_t>(a * 256 + b),
                            static_cast<uint16_t>(c * 256 + d), 0};
}

template <typename T> T at(const uint8_t* buffer, size_t offset) {
    T value;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

TEST(OdrDirectoryParse, ReadsAllFieldsOfAValidFile) {
    OdrDirectory d;
    std::string error;
    ASSERT_TRUE(parseOdrDirectory(kDirectory, d, error)) << error;
    EXPECT_EQ(d.defaultDomain, "Beta");
    EXPECT_EQ(d.defaultOrganization, "Quendal");
    ASSERT_EQ(d.odrs.size(), 3u);
    const Odr& alpha = d.odrs[0];
    EXPECT_TRUE(alpha.answers);
    ASSERT_TRUE(alpha.address.has_value());
    EXPECT_EQ(*alpha.address, (std::array<uint8_t, 4>{127, 0, 0, 1}));
    ASSERT_TRUE(alpha.release.has_value());
    EXPECT_EQ(std::tie(alpha.release->major, alpha.release->minor, alpha.release->patch),
              std::make_tuple(3u, 1u, 0u));
    EXPECT_EQ(alpha.charset, 2);
    EXPECT_EQ(alpha.systemWord, 70000u);
    ASSERT_EQ(alpha.queues.size(), 3u);
    EXPECT_EQ(alpha.queues[1].printServer.value_or(""), "elsewhere");
    EXPECT_FALSE(alpha.queues[2].printServer.has_value());
    EXPECT_FALSE(d.odrs[1].release.has_value());
    EXPECT_TRUE(d.odrs[1].foundCode);
    EXPECT_FALSE(d.odrs[2].answers);
    EXPECT_EQ(d.find("QUENDAL", "alpha"), &d.odrs[0]);
    EXPECT_EQ(d.find("Quendal", "Gamma"), nullptr);
}

TEST(OdrDirectoryParse, EmptyObjectAndShortReleasesAreAccepted) {
    OdrDirectory d;
    std::string error;
    ASSERT_TRUE(parseOdrDirectory("{}", d, error)) << error;
    EXPECT_TRUE(d.odrs.empty());
    EXPECT_TRUE(d.defaultDomain.empty());
    // Up to the edges of what the record holds.
    const std::tuple<const char*, uint32_t, uint32_t, uint32_t> releases[] = {
        {"4.2", 4, 2, 0}, {"655.3.5", 655, 3, 5}, {"0.9.9", 0, 9, 9}};
    for (const auto& [text, major, minor, patch] : releases) {
        ASSERT_TRUE(parseOdrDirectory(R"({"odrs":[{"domain":"A","organization":"O",
            "systemDefaults":{"release":")" +
                                          std::string(text) + "\"}}]}",
                                      d, error))
            << error;
        const OdrRelease& r = *d.odrs[0].release;
        EXPECT_EQ(std::tie(r.major, r.minor, r.patch), std::tie(major, minor, patch)) << text;
    }
}

TEST(OdrDirectoryParse, RejectsWrongTypesAndNamesTheKey) {
    const std::string odr = R"({"odrs":[{"domain":"A","organization":"O",)";
    const std::pair<std::string, const char*> cases[] = {
        {"{ not json", "parse"},
        {"[]", "top level"},
        {R"({"odrs": {}})", "odrs"},
        {R"({"default": "NoColon"})", "default"},
        {R"({"odrs":[{"domain":"A"}]})", "odrs[0].organization"},
        {odr + R"("answers":"no"}]})", "odrs[0].answers"},
        {odr + R"("address":"1.2.3"}]})", "address"},
        {odr + R"("address":"1.2.3.256"}]})", "address"},
        {odr + R"("systemDefaults":{"release":"3.x.0"}}]})", "release"},
        // Releases the 16-bit record number cannot hold, or only by carrying into the next
        // digit.
        {odr + R"("systemDefaults":{"release":"656.0.0"}}]})", "systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"655.3.6"}}]})", "systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"0.0.400"}}]})", "systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"3.10"}}]})", "systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"999999999.9.9"}}]})", "systemDefaults.release"},
        {odr + R"("systemDefaults":{"charset":-1}}]})", "charset"},
        {odr + R"("systemDefaults":{"charset":65536}}]})", "charset"},
        {odr + R"("queues":[{"name":"Q","printServer":5}]}]})", "odrs[0].queues[0].printServer"},
        {odr + R"("queues":[{"name":"Q"},{"name":"q"}]}]})", "twice"},
        {R"({"odrs":[{"domain":"A","organization":"O"},{"domain":"a","organization":"o"}]})",
         "twice"},
    };
    for (const auto& [text, key] : cases) {
        OdrDirectory d;
        std::string error;
        EXPECT_FALSE(parseOdrDirectory(text, d, error)) << text;
        EXPECT_NE(error.find(key), std::string::npos) << text << " -> " << error;
    }
}

// Links the fake to kDirectory for the duration of a test.
class RlkEntries : public ::testing::Test {
  protected:
    void SetUp() override {
        libs.setDirectoryJson(kDirectory);
        ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
        ASSERT_NE(table, nullptr);
    }
    void TearDown() override {
        if (table) libs.abstUnlink(&table);
        EXPECT_EQ(rlk::linkDepth(), 0);
    }

    uint32_t read(const RlkName& name, uint32_t property, const RlkServerAddress* server = nullptr,
                  RlkErrorRecord* error = nullptr) {
        std::memset(buffer, 0xAB, sizeof buffer);
        return table->readProperty()(server, &name, property, 0, 0, 0, buffer, 0, error);
    }

    test::FakeProductLibs libs{"myhost"};
    const RlkTable* table = nullptr;
    uint8_t buffer[kRlkValueBufferSize];
};

TEST_F(RlkEntries, SystemDefaultsFillTheRecord) {
    struct Case {
        RlkName name;
        uint32_t rc;
        uint16_t hasRelease, charset;       // at offsets 2 and 10
        uint32_t major, minor, patch, word; // at 18, 22, 26 and 34
    };
    const Case cases[] = {{{"quendal", "ALPHA", "qd_system"}, 0, 1, 2, 3, 1, 0, 70000},
                          {{"Quendal", "Beta", "QD_SYSTEM"}, kRlkFoundAttribute, 0, 7, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        RlkErrorRecord error{};
        error.code = 12345;
        ASSERT_EQ(read(c.name, kRlkSystemDefaultsAttribute, nullptr, &error), c.rc);
        EXPECT_EQ(error.code, c.rc);
        EXPECT_EQ(at<uint16_t>(buffer, 2), c.hasRelease);
        EXPECT_EQ(at<uint16_t>(buffer, 10), c.charset);
        EXPECT_EQ(at<uint32_t>(buffer, 18), c.major);
        EXPECT_EQ(at<uint32_t>(buffer, 22), c.minor);
        EXPECT_EQ(at<uint32_t>(buffer, 26), c.patch);
        EXPECT_EQ(at<uint32_t>(buffer, 34), c.word);
        EXPECT_EQ(buffer[0], 0);
        EXPECT_EQ(buffer[kRlkValueBufferSize - 1], 0);
    }
}

TEST_F(RlkEntries, ReadPropertyFailures) {
    const std::tuple<RlkName, uint32_t, uint32_t> cases[] = {
        {{"Quendal", "Gamma", "qd_system"}, kRlkSystemDefaultsAttribute, kRlkNoSuchObject},
        {{"Quendal", "Alpha", "other"}, kRlkSystemDefaultsAttribute, kRlkNoSuchObject},
        {{"Quendal", "Alpha", "NOPE"}, kRlkPrintServerProperty, kRlkNoSuchObject},
        {{"Quendal", "Alpha", "NO_SERVER"}, kRlkPrintServerProperty, kRlkNoSuchProperty},
        {{"Quendal", "Alpha", "LASER_1"}, 99, kRlkNoSuchProperty},
    };
    RlkErrorRecord error{};
    for (const auto& [name, property, rc] : cases) {
        EXPECT_EQ(read(name, property, nullptr, &error), rc) << name.object;
        EXPECT_EQ(error.code, rc);
    }
    RlkName name = RlkName{"Quendal", "Alpha", "LASER_1"};
    EXPECT_EQ(
        table->readProperty()(nullptr, &name, kRlkPrintServerProperty, 0, 0, 0, nullptr, 0, &error),
        kRlkBadArgument);
    EXPECT_EQ(error.code, kRlkBadArgument);
    EXPECT_EQ(table->readProperty()(nullptr, nullptr, kRlkPrintServerProperty, 0, 0, 0, buffer, 0,
                                    nullptr),
              kRlkBadArgument);
}

TEST_F(RlkEntries, PrintServerPropertyLayoutAndMatching) {
    ASSERT_EQ(read(RlkName{"Quendal", "Alpha", "laser_1"}, kRlkPrintServerProperty), 0u);
    EXPECT_EQ(at<uint16_t>(buffer, 4), 7); // "MyHost" and its NUL
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer + 6), "MyHost");
    uint32_t flag = 7;
    ASSERT_EQ(table->testProperty()(buffer + 6, &flag), 0u);
    EXPECT_EQ(flag, 1u); // "myhost" ignoring case

    ASSERT_EQ(read(RlkName{"Quendal", "Alpha", "OTHER_SITE"}, kRlkPrintServerProperty), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer + 6), "elsewhere");
    ASSERT_EQ(table->testProperty()(buffer + 6, &flag), 0u);
    EXPECT_EQ(flag, 0u);

    const uint8_t prefix[] = "myhost2";
    ASSERT_EQ(table->testProperty()(prefix, &flag), 0u);
    EXPECT_EQ(flag, 0u);
    EXPECT_EQ(table->testProperty()(nullptr, &flag), kRlkBadArgument);
    EXPECT_EQ(table->testProperty()(prefix, nullptr), kRlkBadArgument);
}

TEST_F(RlkEntries, DefaultNameFromDefaultKeyLeavesObjectAlone) {
    RlkName name = RlkName{"x", "y", "keep_me"};
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_STREQ(name.organization, "Quendal");
    EXPECT_STREQ(name.domain, "Beta");
    EXPECT_STREQ(name.object, "keep_me");
    EXPECT_EQ(table->defaultName()(nullptr), kRlkBadArgument);
}

TEST_F(RlkEntries, ListingHonoursCapacityAndFileOrder) {
    RlkName pattern = RlkName{"Quendal", "beta", "*"};
    std::vector<RlkName> names(2);
    RlkNameList list{99, 2, names.data()};
    RlkErrorRecord error{};
    ASSERT_EQ(table->listObjects()(nullptr, &pattern, kRlkPrintQueueType, &list, 0, &error), 0u);
    EXPECT_EQ(list.count, 2);
    EXPECT_STREQ(names[0].object, "Q1");
    EXPECT_STREQ(names[1].object, "Q2");

    names.assign(8, RlkName{});
    list = RlkNameList{0, 8, names.data()};
    ASSERT_EQ(table->listObjects()(nullptr, &pattern, kRlkPrintQueueType, &list, 0, &error), 0u);
    ASSERT_EQ(list.count, 5);
    EXPECT_STREQ(names[4].object, "Q5");
    EXPECT_STREQ(names[4].organization, "Quendal");
    EXPECT_STREQ(names[4].domain, "Beta");

    list = RlkNameList{5, 8, names.data()};
    ASSERT_EQ(table->listObjects()(nullptr, &pattern, 1234, &list, 0, &error), 0u);
    EXPECT_EQ(list.count, 0);

    RlkName unknown = RlkName{"Quendal", "Gamma", "*"};
    EXPECT_EQ(table->listObjects()(nullptr, &unknown, kRlkPrintQueueType, &list, 0, &error),
              kRlkNoSuchObject);
    EXPECT_EQ(error.code, kRlkNoSuchObject);
    EXPECT_EQ(table->listObjects()(nullptr, &pattern, kRlkPrintQueueType, nullptr, 0, &error),
              kRlkBadArgument);
}

TEST_F(RlkEntries, SilentOdrAnswersOnlyAtItsAddress) {
    RlkName system = RlkName{"Quendal", "Silent", "qd_system"};
    RlkName all = RlkName{"Quendal", "Silent", "*"};
    std::vector<RlkName> names(4);
    RlkNameList list{0, 4, names.data()};

    EXPECT_EQ(read(system, kRlkSystemDefaultsAttribute), kRlkNoAnswer);
    EXPECT_EQ(table->listObjects()(nullptr, &all, kRlkPrintQueueType, &list, 0, nullptr),
              kRlkNoAnswer);

    RlkServerAddress wrong = address(10, 1, 2, 4);
    EXPECT_EQ(read(system, kRlkSystemDefaultsAttribute, &wrong), kRlkNoAnswer);
    EXPECT_EQ(table->listObjects()(&wrong, &all, kRlkPrintQueueType, &list, 0, nullptr),
              kRlkNoAnswer);

    RlkServerAddress right = address(10, 1, 2, 3);
    ASSERT_EQ(read(system, kRlkSystemDefaultsAttribute, &right), 0u);
    EXPECT_EQ(at<uint32_t>(buffer, 18), 2u);
    EXPECT_EQ(at<uint32_t>(buffer, 26), 9u);
    ASSERT_EQ(table->listObjects()(&right, &all, kRlkPrintQueueType, &list, 0, nullptr), 0u);
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(names[0].object, "HUSH");

    // An answering ODR reached by address answers at its own address only.
    RlkName alpha = RlkName{"Quendal", "Alpha", "qd_system"};
    RlkServerAddress loopback = address(127, 0, 0, 1);
    EXPECT_EQ(read(alpha, kRlkSystemDefaultsAttribute, &loopback), 0u);
    EXPECT_EQ(read(alpha, kRlkSystemDefaultsAttribute, &right), kRlkNoAnswer);
}

TEST(RlkLink, FirstOdrIsTheDefaultWithoutDefaultKeyAndNamesAreCut) {
    test::FakeProductLibs libs;
    libs.setDirectoryJson(R"({"odrs":[{"domain":"AVeryLongDomainName_123",
                                       "organization":"Org","queues":[{"name":"Q"}]}]})");
    const RlkTable* table = nullptr;
    ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    RlkName name{};
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_STREQ(name.domain, "AVeryLongDomainName");
    EXPECT_STREQ(name.organization, "Org");
    // The cut name found by defaultName also finds the ODR again.
    std::strcpy(name.object, "*");
    std::vector<RlkName> names(2);
    RlkNameList list{0, 2, names.data()};
    EXPECT_EQ(table->listObjects()(nullptr, &name, kRlkPrintQueueType, &list, 0, nullptr), 0u);
    EXPECT_EQ(list.count, 1);
    libs.abstUnlink(&table);
}

TEST(RlkLink, OnlyRlkVersionTwoLinks) {
    test::FakeProductLibs libs;
    const RlkTable* table = nullptr;
    EXPECT_EQ(libs.abstLink("RLK", &table, 1), kRlkNoLibrary);
    EXPECT_EQ(libs.abstLink("XYZ", &table, 2), kRlkNoLibrary);
    EXPECT_EQ(libs.abstLink(nullptr, &table, 2), kRlkNoLibrary);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 0);
    libs.scriptLinkResult(kRlkNoAnswer);
    EXPECT_EQ(libs.abstLink("RLK", &table, 2), kRlkNoAnswer);
    EXPECT_EQ(table, nullptr);
}

TEST(RlkLink, LinksNestAndTheLastUnlinkEndsAnswers) {
    test::FakeProductLibs libs;
    libs.setDirectoryJson(R"({"odrs":[{"domain":"D","organization":"O"}]})");
    const RlkTable* outer = nullptr;
    const RlkTable* inner = nullptr;
    ASSERT_EQ(libs.abstLink("RLK", &outer, 2), 0u);
    ASSERT_EQ(libs.abstLink("RLK", &inner, 2), 0u);
    EXPECT_EQ(rlk::linkDepth(), 2);
    libs.abstUnlink(&inner);
    EXPECT_EQ(inner, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 1);
    RlkName name{};
    EXPECT_EQ(outer->defaultName()(&name), 0u);
    // Unlinking a cleared table again must not count down the outer link.
    libs.abstUnlink(&inner);
    EXPECT_EQ(rlk::linkDepth(), 1);
    const RlkTable* stale = outer;
    libs.abstUnlink(&outer);
    EXPECT_EQ(outer, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 0);
    EXPECT_EQ(stale->defaultName()(&name), kRlkNoLibrary);
}

} // namespace
} // namespace lntc
