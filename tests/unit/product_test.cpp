// The product stand-ins: the ODR directory and its RLK entries, product paths, logs, links
// and the global areas.
#include "platform/errors.h"
#include "platform/modules.h"
#include "platform/printable.h"
#include "product/odr_directory.h"
#include "product/posix_product.h"
#include "support/demo_files.h"
#include "support/fake_platform.h"
#include "support/fake_product.h"
#include "support/temp_root.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include "platform/win32/win32_machine_files.h"

#include <windows.h>
#else
#include "platform/posix/posix_machine_files.h"
#include "support/child_process.h"

#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lntc {
namespace {

#ifdef _WIN32
using MachineFilesOfHost = Win32MachineFiles;
unsigned long processId() {
    return GetCurrentProcessId();
}
#else
using MachineFilesOfHost = PosixMachineFiles;
unsigned long processId() {
    return ::getpid();
}
#endif

// A file below the root as the machine's files name it.
std::string hostPath(const std::string& root, const char* folder, const char* file) {
    return root + kHostPathSeparator + folder + kHostPathSeparator + file;
}

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

// What the RLK entries do not show of a parse: the first ODR's release, or the error.
std::string parsed(const std::string& text) {
    OdrDirectory d;
    std::string error;
    if (!parseOdrDirectory(text, d, error)) return "error: " + error;
    if (d.odrs.empty() || !d.odrs[0].release) return d.defaultDomain + ":" + d.defaultOrganization;
    const auto& r = *d.odrs[0].release;
    return std::to_string(r.major) + '.' + std::to_string(r.minor) + '.' + std::to_string(r.patch);
}

// Releases up to the edge of the 16-bit record number; errors ("!") name their key.
TEST(OdrDirectoryParse, ReleasesUpToTheRecordsEdgeAndErrorsNameTheKey) {
    const std::string odr = R"({"odrs":[{"domain":"A","organization":"O",)";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {kDirectory, "3.1.0"}, {"{}", ":"},
        {odr + R"("systemDefaults":{"release":"4.2"}}]})", "4.2.0"},
        {odr + R"("systemDefaults":{"release":"655.3.5"}}]})", "655.3.5"},
        {odr + R"("systemDefaults":{"release":"0.9.9"}}]})", "0.9.9"},
        {"{ not json", "!parse"}, {"[]", "!top level"},
        {R"({"odrs": {}})", "!odrs"}, {R"({"default": "NoColon"})", "!default"},
        {R"({"odrs":[{"domain":"A"}]})", "!odrs[0].organization"},
        {odr + R"("answers":"no"}]})", "!odrs[0].answers"},
        {odr + R"("address":"1.2.3"}]})", "!address"},
        {odr + R"("address":"1.2.3.256"}]})", "!address"},
        {odr + R"("systemDefaults":{"release":"3.x.0"}}]})", "!release"},
        // Releases the record number cannot hold, or only by carrying into the next digit.
        {odr + R"("systemDefaults":{"release":"656.0.0"}}]})", "!systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"655.3.6"}}]})", "!systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"0.0.400"}}]})", "!systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"3.10"}}]})", "!systemDefaults.release"},
        {odr + R"("systemDefaults":{"release":"999999999.9.9"}}]})", "!systemDefaults.release"},
        {odr + R"("systemDefaults":{"charset":-1}}]})", "!charset"},
        {odr + R"("systemDefaults":{"charset":65536}}]})", "!charset"},
        {odr + R"("queues":[{"name":"Q","printServer":5}]}]})", "!odrs[0].queues[0].printServer"},
        {odr + R"("queues":[{"name":"Q"},{"name":"q"}]}]})", "!twice"},
        {R"({"odrs":[{"domain":"A","organization":"O"},{"domain":"a","organization":"o"}]})",
         "!twice"}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        const std::string got = parsed(text);
        EXPECT_TRUE(expected[0] == '!' ? got.starts_with("error: ") &&
                                             got.find(expected.substr(1)) != std::string::npos
                                       : got == expected)
            << got;
    }
}

// The POSIX product (reading the directory file) and the fake (given the same text) answer
// alike: the fake stands in for the product in every other unit test.
class Products : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            fs::create_directories(root.path() + "/odr");
            std::ofstream(root.path() + "/odr/directory.json") << kDirectory;
            libs = std::make_unique<PosixProductLibs>(files, sections, "myhost");
        } else {
            auto fake = std::make_unique<test::FakeProductLibs>("myhost");
            fake->setDirectoryJson(kDirectory);
            libs = std::move(fake);
        }
        ASSERT_EQ(libs->abstLink("RLK", &table, 2), 0u);
    }
    void TearDown() override {
        if (table) libs->abstUnlink(&table);
        EXPECT_EQ(rlk::linkDepth(), 0);
    }

    template <typename T> T at(size_t o) const {
        T v;
        std::memcpy(&v, buffer + o, sizeof v);
        return v;
    }
    // Answers as text: the code in hex, then what the buffer or list holds.
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
    std::pair<uint32_t, uint32_t> take(uint32_t size) {
        uint32_t field = 99;
        return {libs->vGetGloArea(&field, size, 0), field}; // in this order
    }

    test::TempRoot root;
    test::FakeSections sections;
    MachineFilesOfHost files{root.path()};
    std::unique_ptr<ProductLibs> libs;
    const RlkTable* table = nullptr;
    uint8_t buffer[kRlkValueBufferSize];
};
INSTANTIATE_TEST_SUITE_P(PosixAndFake, Products, ::testing::Bool());

// A silent ODR answers only at its own address; an answering one reached by address answers
// at its own address only.
TEST_P(Products, RlkPropertiesAndListsAsTheDirectorySaysAndWhereTheOdrIsReached) {
    // 10.1.2.3, 10.1.2.4 and 127.0.0.1 as direct addresses.
    const RlkServerAddress silentAt{0xFFFFFFFF, 0, 0x0A01, 0x0203, 0},
        wrong{0xFFFFFFFF, 0, 0x0A01, 0x0204, 0}, loopback{0xFFFFFFFF, 0, 0x7F00, 0x0001, 0};
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
        {{"Quendal", "Alpha", "qd_system"}, defaults, &silentAt, "9C00001A"}};
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
        {silent, &silentAt, 4, kRlkPrintQueueType, "0 Quendal:Silent:HUSH"}};
    for (const auto& [pattern, at, capacity, type, expected] : lists)
        EXPECT_EQ(list(pattern, at, capacity, type), expected) << pattern.domain << ' ' << capacity;
}

// Bad arguments, the default name; only RLK version 2 links, and links nest until the last unlink.
TEST_P(Products, RlkBadArgumentsDefaultNameAndLinksThatNest) {
    RlkName name{"x", "y", "keep_me"};
    RlkErrorRecord error{};
    uint32_t flag = 0;
    EXPECT_EQ(
        std::vector<uint32_t>(
            {table->readProperty()(nullptr, &name, 4, 0, 0, 0, nullptr, 0, &error), error.code,
             table->readProperty()(nullptr, nullptr, 4, 0, 0, 0, buffer, 0, nullptr),
             table->listObjects()(nullptr, &name, kRlkPrintQueueType, nullptr, 0, &error),
             table->defaultName()(nullptr), table->testProperty()(nullptr, &flag),
             table->testProperty()(buffer, nullptr)}),
        std::vector<uint32_t>(7, kRlkBadArgument));
    // The default comes from the "default" key and leaves the object alone.
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_EQ(std::string(name.organization) + ':' + name.domain + ':' + name.object,
              "Quendal:Beta:keep_me");
    // Entries the stand-in does not implement refuse.
    EXPECT_EQ(reinterpret_cast<uint32_t (*)()>(table->entries[7])(), kRlkBadArgument);

    const RlkTable* inner = nullptr;
    EXPECT_EQ(
        std::vector<uint32_t>({libs->abstLink("RLK", &inner, 1), libs->abstLink("XYZ", &inner, 2),
                               libs->abstLink(nullptr, &inner, 2)}),
        std::vector<uint32_t>(3, kRlkNoLibrary));
    EXPECT_TRUE(inner == nullptr && rlk::linkDepth() == 1);
    ASSERT_EQ(libs->abstLink("RLK", &inner, 2), 0u);
    EXPECT_EQ(rlk::linkDepth(), 2);
    libs->abstUnlink(&inner);
    EXPECT_TRUE(inner == nullptr && table->defaultName()(&name) == 0);
    // Unlinking a cleared table again must not count down the outer link.
    libs->abstUnlink(&inner);
    EXPECT_EQ(rlk::linkDepth(), 1);
    const RlkTable* stale = table;
    libs->abstUnlink(&table);
    EXPECT_TRUE(table == nullptr && rlk::linkDepth() == 0);
    EXPECT_EQ(stale->defaultName()(&name), kRlkNoLibrary);
}

TEST_P(Products, GlobalAreasAreDistinctCountedAndEndWithTheSection) {
    using Got = std::pair<uint32_t, uint32_t>;
    EXPECT_EQ(libs->globalAreaAddress(1), nullptr); // none handed out
    EXPECT_NE(libs->vGetGloArea(nullptr, 8, 0), 0u);
    ASSERT_EQ(std::vector<Got>({take(57), take(56), take(20)}),
              std::vector<Got>({{err::InvalidParameter, 0}, {0, 1u}, {0, 2u}}));
    auto* a = static_cast<uint8_t*>(libs->globalAreaAddress(1));
    auto* b = static_cast<uint8_t*>(libs->globalAreaAddress(2));
    ASSERT_TRUE(a && b);
    std::memset(a, 0x11, 56);
    std::memset(b, 0x22, 56);
    EXPECT_EQ(a[55], 0x11) << "the areas overlap";
    for (uint32_t i = 3; i <= kGlobalAreaSlots; ++i)
        ASSERT_EQ(take(8), Got(0, i));
    EXPECT_EQ(take(4), Got(err::NotEnoughMemory, 0));
    for (uint32_t bad : {0u, kGlobalAreaSlots + 1, 0xDEADBEEFu})
        EXPECT_EQ(libs->globalAreaAddress(bad), nullptr) << bad;
    EXPECT_EQ(static_cast<uint8_t*>(libs->globalAreaAddress(kGlobalAreaSlots)) - a,
              (kGlobalAreaSlots - 1) * kGlobalAreaSize);
}

TEST_P(Products, PathsMapToDriveCWithBackslashesInABufferOfTheCallingThread) {
    EXPECT_STREQ(libs->qdcPath(0, "rel/x"), "C:\\rel\\x");
    EXPECT_STREQ(libs->qdcPath(1, "\\already\\win"), "C:\\already\\win");
    EXPECT_EQ(libs->qdcPath(1, nullptr), nullptr);
    const char* mine = libs->qdcPath(1, "/main/thread");
    std::string theirs;
    std::thread([&] { theirs = libs->qdcPath(1, "/other/thread/path"); }).join();
    EXPECT_EQ(theirs, "C:\\other\\thread\\path");
    EXPECT_STREQ(mine, "C:\\main\\thread");
}

const std::string kLinePrefix = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d pid=)";

TEST(ProductLogs, LinesCarryTimePidCodeAndPrintableTextAndAnUnwritableLogIsIgnored) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"c:\\dir\\file.txt 'x'", "c:\\dir\\file.txt 'x'"}, {"\x1b[31mred\x07", "\\x1b[31mred\\x07"},
        {std::string("a\0b\tc\x7f", 6), "a\\x00b\\x09c\\x7f"}, {"line\r\nnext", "line\\x0d\\x0anext"},
        {"gr\xC3\xB6\xC3\x9F \xE2\x82\xAC \xF0\x9F\x96\xA8", "gr\xC3\xB6\xC3\x9F \xE2\x82\xAC \xF0\x9F\x96\xA8"},
        {"csi \xC2\x9B[2J", "csi \\xc2\\x9b[2J"},                          // C1 control in UTF-8
        {"caf\xE9 \x9B", "caf\\xe9 \\x9b"},                                // single-byte code page
        {"cut \xE2\x82", "cut \\xe2\\x82"},                                // truncated sequence
        {"long \xC0\xAF \xED\xA0\x80", "long \\xc0\\xaf \\xed\\xa0\\x80"}}; // overlong, surrogate
    // clang-format on
    for (const auto& [in, out] : cases)
        EXPECT_EQ(printable(in), out) << out;
    EXPECT_EQ(printable("a\r\nb\tc", LineBreaks::AsSpace), "a  b\\x09c");
    EXPECT_EQ(quote("Q\n"), "'Q\\x0a'");

    // Log lines carry the time, the process, the code and the text made printable on one line.
    test::TempRoot root;
    test::FakeSections sections;
    MachineFilesOfHost files(root.path());
    PosixProductLibs libs(files, sections, "h");
#ifndef _WIN32
    mode_t old = ::umask(022);
#endif
    libs.ztrLogError(0xCF190003, 0, 0, 0, "LNTC: first\nsecond\r\nthird\x1b[2J");
    libs.ztrLogError(0x12, 1, 0, 0xFF, "with args");
    libs.sysLog(0x40000001, "started");
#ifndef _WIN32
    ::umask(old);
#endif
    // A machine root that is a file: the log folder cannot be made, and nothing breaks (nor is
    // written: the log below holds only the lines above).
    MachineFilesOfHost nowhere(root.path() + "/log/error.log");
    PosixProductLibs lost(nowhere, sections, "h");
    lost.ztrLogError(1, 0, 0, 0, "lost");
    lost.sysLog(1, "lost");

    const std::string line = kLinePrefix + std::to_string(processId()) + " code=0x";
    EXPECT_TRUE(
        std::regex_match(test::readTextFile(root.path() + "/log/error.log"),
                         std::regex(line + "CF190003 LNTC: first second  third\\\\x1b\\[2J\n" +
                                    line + "00000012 args=0x1,0x0,0xFF with args\n")));
    EXPECT_TRUE(std::regex_match(test::readTextFile(root.path() + "/log/system.log"),
                                 std::regex(line + "40000001 started\n")));
#ifndef _WIN32
    EXPECT_EQ(fs::status(root.path() + "/log").permissions(), fs::perms(0750));
    EXPECT_EQ(fs::status(root.path() + "/log/error.log").permissions(), fs::perms(0640));
#endif
}

// On Windows the machine files' own tests append from two processes.
#ifndef _WIN32

TEST(ProductLogs, TwoProcessesAppendWholeLines) {
    test::TempRoot root;
    const auto write = [&](char who) {
        test::FakeSections sections;
        MachineFilesOfHost files(root.path());
        PosixProductLibs libs(files, sections, "h");
        for (int i = 0; i < 300; ++i)
            libs.ztrLogError(7, 0, 0, 0, who + std::string(400, '.') + who);
        return 0;
    };
    test::ForkedChild child([&](test::ForkedChild&) { return write('B'); });
    write('A');
    ASSERT_TRUE(test::exitedWith(child.join(), 0));
    const std::regex whole(kLinePrefix + R"(\d+ code=0x00000007 (A\.{400}A|B\.{400}B))");
    std::istringstream all(test::readTextFile(root.path() + "/log/error.log"));
    int count = 0;
    for (std::string line; std::getline(all, line); ++count)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
    EXPECT_EQ(count, 600);
}
#endif

// Each link reads the file afresh: a valid one (the first ODR is the default without a
// "default" key, its name cut to the field and found again by that name), none at all (an empty
// directory), a folder in its place and a malformed one (the link fails and the error log names
// file and key).
TEST(ProductLink, EachLinkReadsTheDirectoryFileAfresh) {
    test::TempRoot root;
    test::FakeSections sections;
    MachineFilesOfHost files(root.path());
    PosixProductLibs libs{files, sections, "MyHost"};
    const std::string file = hostPath(root.path(), "odr", "directory.json");
    // clang-format off
    const std::tuple<const char*, uint32_t, const char*> cases[] = {
        {R"({"odrs":[{"domain":"AVeryLongDomainName_123","organization":"Quendal"}]})", 0,
         "Quendal:AVeryLongDomainName"},
        {nullptr, kRlkNoSuchObject, ":"},
        {"", kRlkBadArgument, "is malformed"},
        {R"({"odrs":[{"domain":"A","organization":"O","answers":1}]})", kRlkBadArgument,
         "odrs[0].answers"},
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
            // Each case's words are in its own line only.
            const std::string logged = test::readTextFile(root.path() + "/log/error.log");
            EXPECT_NE(logged.find(file), std::string::npos) << logged;
            EXPECT_NE(logged.find(what), std::string::npos) << logged;
            continue;
        }
        EXPECT_EQ(std::string(name.organization) + ":" + name.domain, what);
        EXPECT_FALSE(fs::exists(root.path() + "/log/error.log"));
        libs.abstUnlink(&table);
    }
}

// The POSIX product's areas live in one shared section, opened on first use.
TEST(PosixGlobalAreas, AFailureIsRetriedAndForeignContentRefused) {
    test::FakeSections sections;
    MachineFilesOfHost files("/nowhere");
    PosixProductLibs libs{files, sections, "h"};
    uint32_t field = 99;
    sections.openError = err::AccessDenied;
    EXPECT_EQ(std::pair(libs.vGetGloArea(&field, 8, 0), field), std::pair(err::AccessDenied, 0u));
    sections.openError = 0;
    EXPECT_EQ(std::pair(libs.vGetGloArea(&field, 8, 0), field), std::pair(0u, 1u));
    (*sections.memory(kGlobalAreaSectionName))[0] ^= 0xFF; // not our magic
    PosixProductLibs late(files, sections, "h");
    EXPECT_EQ(late.vGetGloArea(&field, 8, 0), err::InvalidData);
}

} // namespace
} // namespace lntc
