#include "platform/errors.h"
#include "platform/printable.h"
#include "product/odr_directory.h"
#include "product/posix_product.h"
#include "support/fake_platform.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

void writeFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

const std::string kLinePrefix = R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d pid=)";

TEST(PrintServerName, EnvironmentWinsWhenSetAndNotEmpty) {
    EXPECT_EQ(choosePrintServerName(nullptr, "host"), "host");
    EXPECT_EQ(choosePrintServerName("", "host"), "host");
    EXPECT_EQ(choosePrintServerName("PS1", "host"), "PS1");
    const char* saved = std::getenv("LNT_PRINT_SERVER");
    std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("LNT_PRINT_SERVER", "spooler7", 1);
    EXPECT_EQ(printServerNameFromEnv("host"), "spooler7");
    ::unsetenv("LNT_PRINT_SERVER");
    EXPECT_EQ(printServerNameFromEnv("host"), "host");
    if (restore) ::setenv("LNT_PRINT_SERVER", restore->c_str(), 1);
}

TEST(ProductPath, MapsToDriveCWithBackslashesInABufferOfTheCallingThread) {
    test::FakeSections sections;
    PosixProductLibs libs("/nowhere", sections, "h");
    EXPECT_STREQ(libs.qdcPath(1, "/qdsw/lnt/bin/LJA.dll"), "C:\\qdsw\\lnt\\bin\\LJA.dll");
    EXPECT_STREQ(libs.qdcPath(0, "/a/b"), "C:\\a\\b");
    EXPECT_STREQ(libs.qdcPath(1, "rel/x"), "C:\\rel\\x");
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

    const std::string pid = std::to_string(::getpid());
    auto errors = lines(root.path() + "/log/error.log");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        errors[0],
        std::regex(kLinePrefix + pid + " code=0xCF190003 LNTC: first second  third\\\\x1b\\[2J$")))
        << errors[0];
    EXPECT_TRUE(std::regex_match(
        errors[1], std::regex(kLinePrefix + pid + " code=0x00000012 args=0x1,0x0,0xFF with args$")))
        << errors[1];
    auto system = lines(root.path() + "/log/system.log");
    ASSERT_EQ(system.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(system[0], std::regex(kLinePrefix + pid + " code=0x40000001 started$")))
        << system[0];
    struct stat st {};
    ASSERT_EQ(::stat((root.path() + "/log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    ASSERT_EQ(::stat((root.path() + "/log/error.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

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
    std::vector<pid_t> children;
    for (char who : {'A', 'B'}) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            test::FakeSections sections;
            PosixProductLibs libs(root.path(), sections, "h");
            for (int i = 0; i < kLines; ++i)
                libs.ztrLogError(7, 0, 0, 0, who + std::to_string(i) + filler + who);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
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

class ProductLink : public ::testing::Test {
  protected:
    std::string directoryFile() const { return root.path() + "/odr/directory.json"; }
    test::TempRoot root;
    test::FakeSections sections;
    PosixProductLibs libs{root.path(), sections, "MyHost"};
    const RlkTable* table = nullptr;
};

TEST_F(ProductLink, ValidFileIsReadAfreshOnEachLink) {
    writeFile(directoryFile(), R"({"odrs":[{"domain":"Alpha","organization":"Quendal",
        "queues":[{"name":"Q","printServer":"myhost"}]}]})");
    EXPECT_EQ(libs.directoryPath(), directoryFile());
    ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    RlkName name{};
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_STREQ(name.domain, "Alpha");
    std::strcpy(name.object, "Q");
    uint8_t buffer[kRlkValueBufferSize];
    ASSERT_EQ(
        table->readProperty()(nullptr, &name, kRlkPrintServerProperty, 0, 0, 0, buffer, 0, nullptr),
        0u);
    uint32_t flag = 0;
    ASSERT_EQ(table->testProperty()(buffer + 6, &flag), 0u);
    EXPECT_EQ(flag, 1u);
    libs.abstUnlink(&table);
    EXPECT_EQ(table, nullptr);

    writeFile(directoryFile(), R"({"odrs":[{"domain":"Beta","organization":"Quendal"}]})");
    ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    ASSERT_EQ(table->defaultName()(&name), 0u);
    EXPECT_STREQ(name.domain, "Beta");
    libs.abstUnlink(&table);
    EXPECT_FALSE(fs::exists(root.path() + "/log/error.log"));
}

TEST_F(ProductLink, MissingFileLinksAnEmptyDirectory) {
    ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    ASSERT_NE(table, nullptr);
    RlkName name = {"Quendal", "Alpha", "qd_system"};
    EXPECT_EQ(table->defaultName()(&name), kRlkNoSuchObject);
    uint8_t buffer[kRlkValueBufferSize];
    EXPECT_EQ(table->readProperty()(nullptr, &name, kRlkSystemDefaultsAttribute, 0, 0, 0, buffer, 0,
                                    nullptr),
              kRlkNoSuchObject);
    // Entries the stand-in does not implement refuse.
    EXPECT_EQ(reinterpret_cast<uint32_t (*)()>(table->entries[7])(), kRlkBadArgument);
    libs.abstUnlink(&table);
    EXPECT_EQ(rlk::linkDepth(), 0);
}

TEST_F(ProductLink, MalformedFileFailsAndIsLogged) {
    writeFile(directoryFile(), R"({"odrs":[{"domain":"A","organization":"O","answers":1}]})");
    EXPECT_EQ(libs.abstLink("RLK", &table, 2), kRlkBadArgument);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 0);
    auto logged = lines(root.path() + "/log/error.log");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find(directoryFile()), std::string::npos) << logged[0];
    EXPECT_NE(logged[0].find("odrs[0].answers"), std::string::npos) << logged[0];

    // A directory where the file should be is no better.
    fs::remove(directoryFile());
    fs::create_directories(directoryFile());
    EXPECT_EQ(libs.abstLink("RLK", &table, 2), kRlkBadArgument);
    EXPECT_EQ(lines(root.path() + "/log/error.log").size(), 2u);
}

class GlobalAreas : public ::testing::Test {
  protected:
    test::FakeSections sections;
    PosixProductLibs libs{"/nowhere", sections, "h"};
    std::vector<unsigned char>* shared() { return sections.memory(kGlobalAreaSectionName); }
};

TEST_F(GlobalAreas, SectionOpensOnFirstUseAndAreasAreDistinctAndShared) {
    EXPECT_EQ(shared(), nullptr);
    uint32_t first = 0, second = 0;
    ASSERT_EQ(libs.vGetGloArea(&first, 56, 1), 0u);
    ASSERT_EQ(libs.vGetGloArea(&second, 20, 2), 0u);
    ASSERT_NE(shared(), nullptr);
    EXPECT_EQ(shared()->size(), globalAreaBytes(kGlobalAreaSlots));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    auto* a = static_cast<uint8_t*>(libs.globalAreaAddress(first));
    auto* b = static_cast<uint8_t*>(libs.globalAreaAddress(second));
    ASSERT_TRUE(a && b);
    std::memset(a, 0x11, 56);
    std::memset(b, 0x22, 56);
    EXPECT_EQ(a[55], 0x11) << "the areas overlap";
    EXPECT_EQ(libs.globalAreaAddress(first), a);

    // Another holder sees the same areas and goes on counting.
    PosixProductLibs other("/nowhere", sections, "h");
    ASSERT_NE(other.globalAreaAddress(second), nullptr);
    EXPECT_EQ(std::memcmp(other.globalAreaAddress(second), b, 56), 0);
    uint32_t third = 0;
    ASSERT_EQ(other.vGetGloArea(&third, 8, 0), 0u);
    EXPECT_EQ(third, 3u);
}

TEST_F(GlobalAreas, RefusesOversizeFullTableAndBadHandles) {
    uint32_t field = 99;
    EXPECT_NE(libs.vGetGloArea(&field, 57, 0), 0u);
    EXPECT_EQ(field, 0u);
    EXPECT_NE(libs.vGetGloArea(nullptr, 8, 0), 0u);
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr); // not handed out yet
    for (uint32_t i = 1; i <= kGlobalAreaSlots; ++i) {
        uint32_t h = 0;
        ASSERT_EQ(libs.vGetGloArea(&h, 56, 0), 0u) << i;
        ASSERT_EQ(h, i);
    }
    field = 99;
    EXPECT_EQ(libs.vGetGloArea(&field, 4, 0), err::NotEnoughMemory);
    EXPECT_EQ(field, 0u);
    for (uint32_t bad : {0u, kGlobalAreaSlots + 1, 0xDEADBEEFu})
        EXPECT_EQ(libs.globalAreaAddress(bad), nullptr) << bad;
    // The last slot ends exactly at the end of the section.
    auto* last = static_cast<unsigned char*>(libs.globalAreaAddress(kGlobalAreaSlots));
    EXPECT_EQ(last + kGlobalAreaSize, shared()->data() + shared()->size());
}

TEST_F(GlobalAreas, AFailingSectionGivesNoHandleAndIsRetriedAndForeignContentIsRefused) {
    sections.openError = err::AccessDenied;
    uint32_t field = 99;
    EXPECT_EQ(libs.vGetGloArea(&field, 8, 0), err::AccessDenied);
    EXPECT_EQ(field, 0u);
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr);
    sections.openError = 0;
    EXPECT_EQ(libs.vGetGloArea(&field, 8, 0), 0u);
    EXPECT_EQ(field, 1u);

    test::FakeSections foreign;
    std::unique_ptr<Section> held;
    bool created = false;
    ASSERT_EQ(
        foreign.open(kGlobalAreaSectionName, globalAreaBytes(kGlobalAreaSlots), held, created), 0u);
    (*foreign.memory(kGlobalAreaSectionName))[0] = 0x34; // not our magic
    PosixProductLibs late("/nowhere", foreign, "h");
    field = 99;
    EXPECT_EQ(late.vGetGloArea(&field, 8, 0), err::InvalidData);
    EXPECT_EQ(field, 0u);
}

} // namespace
} // namespace lntc
