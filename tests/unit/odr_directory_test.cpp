#include "product/odr_directory.h"
#include "support/fake_product.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
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

// The whole parse on one line, or the error.
std::string parsed(const std::string& text) {
    OdrDirectory d;
    std::string error;
    if (!parseOdrDirectory(text, d, error)) return "error: " + error;
    std::ostringstream s;
    s << d.defaultDomain << ':' << d.defaultOrganization;
    for (const Odr& o : d.odrs) {
        s << " | " << o.domain << ':' << o.organization << (o.answers ? "" : " silent");
        for (size_t i = 0; o.address && i < 4; ++i)
            s << (i ? '.' : '@') << int((*o.address)[i]);
        if (o.release)
            s << " r" << o.release->major << '.' << o.release->minor << '.' << o.release->patch;
        s << " cs" << o.charset << " w" << o.systemWord << (o.foundCode ? " found" : "");
        for (const OdrQueue& q : o.queues)
            s << ' ' << q.name << (q.printServer ? "->" + *q.printServer : "");
    }
    return s.str();
}

TEST(OdrDirectoryParse, ReadsEveryFieldAndReleasesUpToTheRecordsEdge) {
    const std::string odr = R"({"odrs":[{"domain":"A","organization":"O",)";
    const std::pair<std::string, const char*> cases[] = {
        {kDirectory, "Beta:Quendal | Alpha:Quendal@127.0.0.1 r3.1.0 cs2 w70000 LASER_1->MyHost "
                     "OTHER_SITE->elsewhere NO_SERVER | Beta:Quendal cs7 w0 found Q1 Q2 Q3 Q4 "
                     "Q5 | Silent:Quendal silent@10.1.2.3 r2.0.9 cs0 w0 HUSH->myhost"},
        {"{}", ":"},
        {odr + R"("systemDefaults":{"release":"4.2"}}]})", ": | A:O r4.2.0 cs0 w0"},
        {odr + R"("systemDefaults":{"release":"655.3.5"}}]})", ": | A:O r655.3.5 cs0 w0"},
        {odr + R"("systemDefaults":{"release":"0.9.9"}}]})", ": | A:O r0.9.9 cs0 w0"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parsed(text), expected);
    OdrDirectory d;
    std::string error;
    ASSERT_TRUE(parseOdrDirectory(kDirectory, d, error));
    EXPECT_EQ(d.find("QUENDAL", "alpha"), &d.odrs[0]);
    EXPECT_EQ(d.find("Quendal", "Gamma"), nullptr);
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
    for (const auto& [text, key] : cases)
        EXPECT_THAT(parsed(text),
                    ::testing::AllOf(::testing::StartsWith("error: "), ::testing::HasSubstr(key)));
}

// The RLK entries linked to kDirectory; answers as text: the code in hex, then what the
// buffer or list holds.
class RlkEntries : public ::testing::Test {
  protected:
    void SetUp() override {
        libs.setDirectoryJson(kDirectory);
        ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    }
    void TearDown() override {
        if (table) libs.abstUnlink(&table);
        EXPECT_EQ(rlk::linkDepth(), 0);
    }

    template <typename T> T at(size_t offset) const {
        T value;
        std::memcpy(&value, buffer + offset, sizeof value);
        return value;
    }
    std::string read(const RlkName& name, uint32_t property, const RlkServerAddress* server) {
        std::memset(buffer, 0xAB, sizeof buffer);
        RlkErrorRecord error{12345, {}};
        uint32_t rc = table->readProperty()(server, &name, property, 0, 0, 0, buffer, 0, &error);
        EXPECT_EQ(error.code, rc);
        std::ostringstream s;
        s << std::hex << std::uppercase << rc << std::dec;
        if (rc == 0 && property == kRlkPrintServerProperty)
            s << ' ' << at<uint16_t>(4) << ' ' << reinterpret_cast<char*>(buffer + 6);
        else if (rc == 0 || rc == kRlkFoundAttribute)
            s << ' ' << at<uint16_t>(2) << ' ' << at<uint16_t>(10) << ' ' << at<uint32_t>(18) << ' '
              << at<uint32_t>(22) << ' ' << at<uint32_t>(26) << ' ' << at<uint32_t>(34)
              << (buffer[0] || buffer[kRlkValueBufferSize - 1] ? " not cleared" : "");
        return s.str();
    }
    std::string list(const RlkName& pattern, const RlkServerAddress* server, uint16_t capacity,
                     uint32_t type) {
        std::vector<RlkName> names(capacity);
        RlkNameList list{99, capacity, names.data()};
        RlkErrorRecord error{};
        uint32_t rc = table->listObjects()(server, &pattern, type, &list, 0, &error);
        EXPECT_EQ(error.code, rc);
        std::ostringstream s;
        s << std::hex << std::uppercase << rc;
        for (size_t i = 0; rc == 0 && i < list.count; ++i)
            s << ' ' << names[i].organization << ':' << names[i].domain << ':' << names[i].object;
        return s.str();
    }

    test::FakeProductLibs libs{"myhost"};
    const RlkTable* table = nullptr;
    uint8_t buffer[kRlkValueBufferSize];
};

RlkServerAddress address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return RlkServerAddress{0xFFFFFFFF, 0, static_cast<uint16_t>(a * 256 + b),
                            static_cast<uint16_t>(c * 256 + d), 0};
}

// A silent ODR answers only at its own address; an answering one reached by address answers
// at its own address only.
TEST_F(RlkEntries, PropertiesAndListsAsTheDirectorySaysAndWhereTheOdrIsReached) {
    const RlkServerAddress silentAt = address(10, 1, 2, 3), wrong = address(10, 1, 2, 4),
                           loopback = address(127, 0, 0, 1);
    const uint32_t defaults = kRlkSystemDefaultsAttribute, server = kRlkPrintServerProperty;
    const std::tuple<RlkName, uint32_t, const RlkServerAddress*, const char*> reads[] = {
        {{"quendal", "ALPHA", "qd_system"}, defaults, nullptr, "0 1 2 3 1 0 70000"},
        {{"Quendal", "Beta", "QD_SYSTEM"}, defaults, nullptr, "9C000019 0 7 0 0 0 0"},
        {{"Quendal", "Gamma", "qd_system"}, defaults, nullptr, "9C000010"},
        {{"Quendal", "Alpha", "other"}, defaults, nullptr, "9C000010"},
        {{"Quendal", "Alpha", "NOPE"}, server, nullptr, "9C000010"},
        {{"Quendal", "Alpha", "NO_SERVER"}, server, nullptr, "9C000011"},
        {{"Quendal", "Alpha", "LASER_1"}, 99, nullptr, "9C000011"},
        {{"Quendal", "Alpha", "laser_1"}, server, nullptr, "0 7 MyHost"},
        {{"Quendal", "Alpha", "OTHER_SITE"}, server, nullptr, "0 10 elsewhere"},
        {{"Quendal", "Silent", "qd_system"}, defaults, nullptr, "9C00001A"},
        {{"Quendal", "Silent", "qd_system"}, defaults, &wrong, "9C00001A"},
        {{"Quendal", "Silent", "qd_system"}, defaults, &silentAt, "0 1 0 2 0 9 0"},
        {{"Quendal", "Alpha", "qd_system"}, defaults, &loopback, "0 1 2 3 1 0 70000"},
        {{"Quendal", "Alpha", "qd_system"}, defaults, &silentAt, "9C00001A"},
    };
    for (const auto& [name, property, at, expected] : reads)
        EXPECT_EQ(read(name, property, at), expected) << name.domain << ' ' << name.object;

    const RlkName beta{"Quendal", "beta", "*"}, silent{"Quendal", "Silent", "*"};
    const std::tuple<RlkName, const RlkServerAddress*, uint16_t, uint32_t, const char*> lists[] = {
        {beta, nullptr, 2, kRlkPrintQueueType, "0 Quendal:Beta:Q1 Quendal:Beta:Q2"},
        {beta, nullptr, 8, kRlkPrintQueueType,
         "0 Quendal:Beta:Q1 Quendal:Beta:Q2 Quendal:Beta:Q3 Quendal:Beta:Q4 Quendal:Beta:Q5"},
        {beta, nullptr, 8, 1234, "0"},
        {{"Quendal", "Gamma", "*"}, nullptr, 8, kRlkPrintQueueType, "9C000010"},
        {silent, nullptr, 4, kRlkPrintQueueType, "9C00001A"},
        {silent, &wrong, 4, kRlkPrintQueueType, "9C00001A"},
        {silent, &silentAt, 4, kRlkPrintQueueType, "0 Quendal:Silent:HUSH"},
    };
    for (const auto& [pattern, at, capacity, type, expected] : lists)
        EXPECT_EQ(list(pattern, at, capacity, type), expected) << pattern.domain << ' ' << capacity;
}

TEST_F(RlkEntries, BadArgumentsDefaultNameAndThePrintServerTest) {
    RlkName name{"x", "y", "keep_me"};
    RlkErrorRecord error{};
    EXPECT_EQ(
        table->readProperty()(nullptr, &name, kRlkPrintServerProperty, 0, 0, 0, nullptr, 0, &error),
        kRlkBadArgument);
    EXPECT_EQ(error.code, kRlkBadArgument);
    EXPECT_EQ(table->readProperty()(nullptr, nullptr, 4, 0, 0, 0, buffer, 0, nullptr),
              kRlkBadArgument);
    EXPECT_EQ(table->listObjects()(nullptr, &name, kRlkPrintQueueType, nullptr, 0, &error),
              kRlkBadArgument);
    EXPECT_EQ(table->defaultName()(nullptr), kRlkBadArgument);

    // The default comes from the "default" key and leaves the object alone.
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_EQ(std::string(name.organization) + ':' + name.domain + ':' + name.object,
              "Quendal:Beta:keep_me");

    // Whether the name is this print server's, ignoring case.
    for (const auto& [data, mine] : {std::pair{"MyHost", 1u}, {"elsewhere", 0u}, {"myhost2", 0u}}) {
        uint32_t flag = 7;
        ASSERT_EQ(table->testProperty()(reinterpret_cast<const uint8_t*>(data), &flag), 0u);
        EXPECT_EQ(flag, mine) << data;
    }
    uint32_t flag = 0;
    EXPECT_EQ(table->testProperty()(nullptr, &flag), kRlkBadArgument);
    EXPECT_EQ(table->testProperty()(buffer, nullptr), kRlkBadArgument);
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

TEST(RlkLink, OnlyRlkVersionTwoLinksAndLinksNestUntilTheLastUnlink) {
    test::FakeProductLibs libs;
    const RlkTable* outer = nullptr;
    const RlkTable* inner = nullptr;
    EXPECT_EQ(libs.abstLink("RLK", &outer, 1), kRlkNoLibrary);
    EXPECT_EQ(libs.abstLink("XYZ", &outer, 2), kRlkNoLibrary);
    EXPECT_EQ(libs.abstLink(nullptr, &outer, 2), kRlkNoLibrary);
    EXPECT_EQ(outer, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 0);

    libs.setDirectoryJson(R"({"odrs":[{"domain":"D","organization":"O"}]})");
    ASSERT_EQ(libs.abstLink("RLK", &outer, 2), 0u);
    ASSERT_EQ(libs.abstLink("RLK", &inner, 2), 0u);
    EXPECT_EQ(rlk::linkDepth(), 2);
    libs.abstUnlink(&inner);
    EXPECT_EQ(inner, nullptr);
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
