// The product stand-ins: the ODR directory and its RLK entries, product paths, logs, links
// and the global areas.
#include "platform/errors.h"
#include "platform/printable.h"
#include "product/odr_directory.h"
#include "product/posix_product.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/fake_platform.h"
#include "support/fake_product.h"
#include "support/temp_root.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

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
    // clang-format off
    const std::pair<std::string, const char*> cases[] = {
        {"{ not json", "parse"}, {"[]", "top level"}, {R"({"odrs": {}})", "odrs"},
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
    // clang-format on
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
    EXPECT_EQ(
        std::vector<uint32_t>({libs.abstLink("RLK", &outer, 1), libs.abstLink("XYZ", &outer, 2),
                               libs.abstLink(nullptr, &outer, 2)}),
        std::vector<uint32_t>(3, kRlkNoLibrary));
    EXPECT_TRUE(outer == nullptr && rlk::linkDepth() == 0);

    libs.setDirectoryJson(R"({"odrs":[{"domain":"D","organization":"O"}]})");
    ASSERT_EQ(libs.abstLink("RLK", &outer, 2), 0u);
    ASSERT_EQ(libs.abstLink("RLK", &inner, 2), 0u);
    EXPECT_EQ(rlk::linkDepth(), 2);
    libs.abstUnlink(&inner);
    RlkName name{};
    EXPECT_TRUE(inner == nullptr && outer->defaultName()(&name) == 0);
    // Unlinking a cleared table again must not count down the outer link.
    libs.abstUnlink(&inner);
    EXPECT_EQ(rlk::linkDepth(), 1);
    const RlkTable* stale = outer;
    libs.abstUnlink(&outer);
    EXPECT_TRUE(outer == nullptr && rlk::linkDepth() == 0);
    EXPECT_EQ(stale->defaultName()(&name), kRlkNoLibrary);
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

const std::string kLinePrefix = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d pid=)";

TEST(ProductPath, MapsToDriveCWithBackslashesInABufferOfTheCallingThread) {
    test::FakeSections sections;
    PosixProductLibs libs("/nowhere", sections, "h");
    EXPECT_STREQ(libs.qdcPath(1, "/qdsw/lnt/bin/LJA.dll"), "C:\\qdsw\\lnt\\bin\\LJA.dll");
    EXPECT_STREQ(libs.qdcPath(0, "rel/x"), "C:\\rel\\x");
    EXPECT_STREQ(libs.qdcPath(1, "\\already\\win"), "C:\\already\\win");
    EXPECT_EQ(libs.qdcPath(1, nullptr), nullptr);

    const char* mine = mapProductPath(1, "/main/thread");
    std::string theirs;
    std::thread([&] { theirs = mapProductPath(1, "/other/thread/path"); }).join();
    EXPECT_EQ(theirs, "C:\\other\\thread\\path");
    EXPECT_STREQ(mine, "C:\\main\\thread");
}

TEST(Printable, EscapesWhatATerminalWouldActOnAndKeepsText) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"c:\\dir\\file.txt 'x'", "c:\\dir\\file.txt 'x'"},
        {"\x1b[31mred\x07", "\\x1b[31mred\\x07"},
        {std::string("a\0b\tc\x7f", 6), "a\\x00b\\x09c\\x7f"},
        {"line\r\nnext", "line\\x0d\\x0anext"},
        {"gr\xC3\xB6\xC3\x9F \xE2\x82\xAC \xF0\x9F\x96\xA8",
         "gr\xC3\xB6\xC3\x9F \xE2\x82\xAC \xF0\x9F\x96\xA8"},
        {"csi \xC2\x9B[2J", "csi \\xc2\\x9b[2J"},                          // C1 control in UTF-8
        {"caf\xE9 \x9B", "caf\\xe9 \\x9b"},                                // single-byte code page
        {"cut \xE2\x82", "cut \\xe2\\x82"},                                // truncated sequence
        {"long \xC0\xAF \xED\xA0\x80", "long \\xc0\\xaf \\xed\\xa0\\x80"}, // overlong, surrogate
    };
    // clang-format on
    for (const auto& [in, out] : cases)
        EXPECT_EQ(printable(in), out) << out;
    EXPECT_EQ(printable("a\r\nb\tc", LineBreaks::AsSpace), "a  b\\x09c");
    EXPECT_EQ(quote("Q\n"), "'Q\\x0a'");
}

TEST(ProductLogs, LinesCarryTimePidCodeAndFlatTextAndAnUnwritableLogIsIgnored) {
    test::TempRoot root;
    test::FakeSections sections;
    PosixProductLibs libs(root.path(), sections, "h");
    mode_t old = ::umask(022);
    libs.ztrLogError(0xCF190003, 0, 0, 0, "LNTC: first\nsecond\r\nthird\x1b[2J");
    libs.ztrLogError(0x12, 1, 0, 0xFF, "with args");
    libs.sysLog(0x40000001, "started");
    ::umask(old);

    const std::string line = kLinePrefix + std::to_string(::getpid()) + " code=0x";
    EXPECT_TRUE(
        std::regex_match(test::readTextFile(root.path() + "/log/error.log"),
                         std::regex(line + "CF190003 LNTC: first second  third\\\\x1b\\[2J\n" +
                                    line + "00000012 args=0x1,0x0,0xFF with args\n")));
    EXPECT_TRUE(std::regex_match(test::readTextFile(root.path() + "/log/system.log"),
                                 std::regex(line + "40000001 started\n")));
    EXPECT_EQ(modeOf(root.path() + "/log"), 0750u);
    EXPECT_EQ(modeOf(root.path() + "/log/error.log"), 0640u);

    // A machine root that is a file: the log folder cannot be made, and nothing breaks.
    PosixProductLibs lost(root.path() + "/log/error.log", sections, "h");
    lost.ztrLogError(1, 0, 0, 0, "lost");
    lost.sysLog(1, "lost");
    EXPECT_EQ(lines(root.path() + "/log/error.log").size(), 2u);
}

TEST(ProductLogs, TwoProcessesAppendWholeLines) {
    test::TempRoot root;
    constexpr int kLines = 300;
    const std::string filler(400, '.');
    std::vector<std::unique_ptr<test::ForkedChild>> children;
    for (char who : {'A', 'B'})
        children.push_back(std::make_unique<test::ForkedChild>([&, who](test::ForkedChild&) {
            test::FakeSections sections;
            PosixProductLibs libs(root.path(), sections, "h");
            for (int i = 0; i < kLines; ++i)
                libs.ztrLogError(7, 0, 0, 0, who + std::to_string(i) + filler + who);
            return 0;
        }));
    for (auto& child : children)
        ASSERT_TRUE(test::exitedWith(child->join(), 0));
    auto all = lines(root.path() + "/log/error.log");
    ASSERT_EQ(all.size(), 2u * kLines);
    const std::regex line(kLinePrefix + R"(\d+ code=0x00000007 ([AB])(\d+)\.{400}([AB])$)");
    std::map<char, int> next; // each process's lines in order
    for (const std::string& l : all) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l.substr(0, 80);
        ASSERT_EQ(m[1].str(), m[3].str());
        EXPECT_EQ(std::stoi(m[2].str()), next[m[1].str()[0]]++);
    }
}

// Each link reads the file afresh: a valid one, none at all (an empty directory), a malformed
// one and a folder in its place (the link fails and the error log names file and key).
TEST(ProductLink, EachLinkReadsTheDirectoryFileAfresh) {
    test::TempRoot root;
    test::FakeSections sections;
    PosixProductLibs libs{root.path(), sections, "MyHost"};
    const std::string file = root.path() + "/odr/directory.json";
    EXPECT_EQ(libs.directoryPath(), file);
    // clang-format off
    const std::tuple<const char*, uint32_t, const char*> cases[] = {
        {R"({"odrs":[{"domain":"Alpha","organization":"Quendal"}]})", 0, "Alpha"},
        {nullptr, kRlkNoSuchObject, ""},
        {R"({"odrs":[{"domain":"A","organization":"O","answers":1}]})", kRlkBadArgument,
         "odrs[0].answers"},
        {"", kRlkBadArgument, "is malformed"},
    };
    // clang-format on
    for (const auto& [text, rc, what] : cases) {
        fs::remove_all(file);
        fs::create_directories(text && !*text ? file : root.path() + "/odr");
        if (text && *text) std::ofstream(file) << text;
        const RlkTable* table = nullptr;
        RlkName name{};
        const uint32_t linked = libs.abstLink("RLK", &table, 2);
        EXPECT_EQ(linked ? linked : table->defaultName()(&name), rc) << what;
        if (linked) {
            EXPECT_EQ(table, nullptr);
            const std::string logged = lines(root.path() + "/log/error.log").back();
            EXPECT_NE(logged.find(file), std::string::npos) << logged;
            EXPECT_NE(logged.find(what), std::string::npos) << logged;
        } else {
            EXPECT_STREQ(name.domain, what);
            EXPECT_FALSE(fs::exists(root.path() + "/log/error.log"));
            uint32_t mine = 0;
            ASSERT_EQ(table->testProperty()(reinterpret_cast<const uint8_t*>("myhost"), &mine), 0u);
            EXPECT_EQ(mine, 1u);
            // Entries the stand-in does not implement refuse.
            EXPECT_EQ(reinterpret_cast<uint32_t (*)()>(table->entries[7])(), kRlkBadArgument);
            libs.abstUnlink(&table);
        }
        EXPECT_EQ(rlk::linkDepth(), 0);
    }
}

class GlobalAreas : public ::testing::Test {
  protected:
    test::FakeSections sections;
    PosixProductLibs libs{"/nowhere", sections, "h"};
    std::vector<unsigned char>* shared() { return sections.memory(kGlobalAreaSectionName); }
    // The answer and the handle field.
    using Got = std::pair<uint32_t, uint32_t>;
    Got take(PosixProductLibs& from, uint32_t size) {
        uint32_t field = 99;
        uint32_t rc = from.vGetGloArea(&field, size, 0);
        return {rc, field};
    }
};

TEST_F(GlobalAreas, SectionOpensOnFirstUseAndAreasAreDistinctSharedAndCounted) {
    EXPECT_TRUE(shared() == nullptr && libs.globalAreaAddress(1) == nullptr); // none handed out
    EXPECT_NE(libs.vGetGloArea(nullptr, 8, 0), 0u);
    ASSERT_EQ(std::vector<Got>({take(libs, 57), take(libs, 56), take(libs, 20)}),
              std::vector<Got>({{err::InvalidParameter, 0}, {0, 1u}, {0, 2u}}));
    ASSERT_NE(shared(), nullptr);
    EXPECT_EQ(shared()->size(), globalAreaBytes(kGlobalAreaSlots));
    auto* a = static_cast<uint8_t*>(libs.globalAreaAddress(1));
    auto* b = static_cast<uint8_t*>(libs.globalAreaAddress(2));
    ASSERT_TRUE(a && b);
    std::memset(a, 0x11, 56);
    std::memset(b, 0x22, 56);
    EXPECT_EQ(a[55], 0x11) << "the areas overlap";

    // Another holder sees the same areas and goes on counting, up to the last slot, which
    // ends exactly at the end of the section.
    PosixProductLibs other("/nowhere", sections, "h");
    ASSERT_NE(other.globalAreaAddress(2), nullptr);
    EXPECT_EQ(std::memcmp(other.globalAreaAddress(2), b, 56), 0);
    for (uint32_t i = 3; i <= kGlobalAreaSlots; ++i)
        ASSERT_EQ(take(other, 8), Got(0, i));
    EXPECT_EQ(take(libs, 4), Got(err::NotEnoughMemory, 0));
    for (uint32_t bad : {0u, kGlobalAreaSlots + 1, 0xDEADBEEFu})
        EXPECT_EQ(libs.globalAreaAddress(bad), nullptr) << bad;
    auto* last = static_cast<unsigned char*>(libs.globalAreaAddress(kGlobalAreaSlots));
    EXPECT_EQ(last + kGlobalAreaSize, shared()->data() + shared()->size());
}

TEST_F(GlobalAreas, AFailingSectionGivesNoHandleAndIsRetriedAndForeignContentIsRefused) {
    sections.openError = err::AccessDenied;
    EXPECT_EQ(take(libs, 8), Got(err::AccessDenied, 0));
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr);
    sections.openError = 0;
    EXPECT_EQ(take(libs, 8), Got(0, 1u)); // retried

    test::FakeSections foreign;
    std::unique_ptr<Section> held;
    bool created = false;
    ASSERT_EQ(
        foreign.open(kGlobalAreaSectionName, globalAreaBytes(kGlobalAreaSlots), held, created), 0u);
    (*foreign.memory(kGlobalAreaSectionName))[0] = 0x34; // not our magic
    PosixProductLibs late("/nowhere", foreign, "h");
    EXPECT_EQ(take(late, 8), Got(err::InvalidData, 0));
}

} // namespace
} // namespace lntc
