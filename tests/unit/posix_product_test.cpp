#include "platform/errors.h"
#include "platform/printable.h"
#include "product/odr_directory.h"
#include "product/posix_product.h"
#include "support/child_process.h"
#include "support/demo_files.h"
#include "support/fake_platform.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace lntc {
namespace {

namespace fs = std::filesystem;

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
    const std::tuple<const char*, uint32_t, const char*> cases[] = {
        {R"({"odrs":[{"domain":"Alpha","organization":"Quendal"}]})", 0, "Alpha"},
        {nullptr, kRlkNoSuchObject, ""},
        {R"({"odrs":[{"domain":"A","organization":"O","answers":1}]})", kRlkBadArgument,
         "odrs[0].answers"},
        {"", kRlkBadArgument, "is malformed"},
    };
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
    EXPECT_EQ(shared(), nullptr);
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr); // not handed out yet
    EXPECT_EQ(take(libs, 57), Got(err::InvalidParameter, 0));
    EXPECT_NE(libs.vGetGloArea(nullptr, 8, 0), 0u);
    ASSERT_EQ(take(libs, 56), Got(0, 1u));
    ASSERT_EQ(take(libs, 20), Got(0, 2u));
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
    EXPECT_EQ(take(libs, 8), Got(0, 1u));

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
