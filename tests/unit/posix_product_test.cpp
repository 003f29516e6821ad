#include "platform/errors.h"
#include "platform/printable.h"
#include "product/posix_product.h"
#include "support/fake_product.h"
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

// Sections on the heap: every open of a name shares the same memory, as processes would.
class HeapSection : public Section {
  public:
    HeapSection(std::shared_ptr<std::vector<uint64_t>> memory, size_t size, int& unmaps)
        : memory_(std::move(memory)), size_(size), unmaps_(unmaps) {}
    size_t partSize(size_t) const override { return size_; }
    void* mapPart(size_t, bool, uint32_t& error) override {
        error = 0;
        return memory_->data();
    }
    void unmapPart(size_t, void*) override { ++unmaps_; }
    FillState waitFilled(std::chrono::milliseconds) override { return FillState::Filled; }
    void markFilled() override {}

  private:
    std::shared_ptr<std::vector<uint64_t>> memory_;
    size_t size_;
    int& unmaps_;
};

class HeapSections : public Sections {
  public:
    uint32_t openUnit(const std::vector<SectionPart>& parts, std::unique_ptr<Section>& out,
                      bool& created, size_t*) override {
        const std::string& name = parts.at(0).name;
        size_t size = parts.at(0).size;
        ++opens;
        lastName = name;
        if (failWith) return failWith;
        auto& memory = store[name];
        created = !memory;
        if (created) memory = std::make_shared<std::vector<uint64_t>>((size + 7) / 8, 0);
        out = std::make_unique<HeapSection>(memory, size, unmaps);
        return 0;
    }
    uint32_t openEvent(const std::string&, std::unique_ptr<Event>&, bool&) override {
        return err::NotSupported;
    }

    std::map<std::string, std::shared_ptr<std::vector<uint64_t>>> store;
    int opens = 0;
    int unmaps = 0;
    uint32_t failWith = 0;
    std::string lastName;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

void writeFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

const std::string kLinePrefix = R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d pid=)";

// ---- print server name and paths -------------------------------------------------------

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

TEST(ProductPath, MapsToDriveCWithBackslashes) {
    HeapSections sections;
    PosixProductLibs libs("/nowhere", sections, "h");
    EXPECT_STREQ(libs.qdcPath(1, "/qdsw/lnt/bin/LJA.dll"), "C:\\qdsw\\lnt\\bin\\LJA.dll");
    EXPECT_STREQ(libs.qdcPath(0, "/a/b"), "C:\\a\\b");
    EXPECT_STREQ(libs.qdcPath(1, "rel/x"), "C:\\rel\\x");
    EXPECT_STREQ(libs.qdcPath(1, "\\already\\win"), "C:\\already\\win");
    EXPECT_EQ(libs.qdcPath(1, nullptr), nullptr);
}

TEST(ProductPath, BufferBelongsToTheCallingThread) {
    const char* mine = mapProductPath(1, "/main/thread");
    std::string theirs;
    std::thread([&] { theirs = mapProductPath(1, "/other/thread/path"); }).join();
    EXPECT_EQ(theirs, "C:\\other\\thread\\path");
    EXPECT_STREQ(mine, "C:\\main\\thread");
}

// ---- logs ------------------------------------------------------------------------------

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

TEST(ProductLogs, LinesCarryTimePidCodeAndFlatText) {
    test::TempRoot root;
    HeapSections sections;
    PosixProductLibs libs(root.path(), sections, "h");
    mode_t old = ::umask(022);
    libs.ztrLogError(0xCF190003, 0, 0, 0, "LNTC: first\nsecond\r\nthird\x1b[2J");
    libs.ztrLogError(0x12, 1, 0, 0xFF, "with args");
    libs.sysLog(0x40000001, "started");
    ::umask(old);

    const std::string pid = std::to_string(::getpid());
    auto errors = lines(readFile(root.path() + "/log/error.log"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        errors[0],
        std::regex(kLinePrefix + pid + " code=0xCF190003 LNTC: first second  third\\\\x1b\\[2J$")))
        << errors[0];
    EXPECT_TRUE(std::regex_match(
        errors[1], std::regex(kLinePrefix + pid + " code=0x00000012 args=0x1,0x0,0xFF with args$")))
        << errors[1];
    auto system = lines(readFile(root.path() + "/log/system.log"));
    ASSERT_EQ(system.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(system[0], std::regex(kLinePrefix + pid + " code=0x40000001 started$")))
        << system[0];

    struct stat st {};
    ASSERT_EQ(::stat((root.path() + "/log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    ASSERT_EQ(::stat((root.path() + "/log/error.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ProductLogs, UnwritableLogIsIgnored) {
    test::TempRoot root;
    writeFile(root.path() + "/file", "x");
    HeapSections sections;
    // The root is a file: the log directory cannot be made.
    PosixProductLibs libs(root.path() + "/file", sections, "h");
    libs.ztrLogError(1, 0, 0, 0, "lost");
    libs.sysLog(1, "lost");
    EXPECT_EQ(readFile(root.path() + "/file"), "x");
    EXPECT_FALSE(fs::exists(root.path() + "/file/log"));
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
            HeapSections sections;
            PosixProductLibs libs(root.path(), sections, "h");
            for (int i = 0; i < kLines; ++i)
                libs.ztrLogError(7, 0, 0, 0,
                                 std::string(1, who) + std::to_string(i) + filler + who);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto all = lines(readFile(root.path() + "/log/error.log"));
    ASSERT_EQ(all.size(), 2u * kLines);
    const std::regex line(kLinePrefix + R"(\d+ code=0x00000007 ([AB])(\d+)\.{400}([AB])$)");
    std::map<char, std::vector<int>> seen;
    for (const std::string& l : all) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l.substr(0, 80);
        ASSERT_EQ(m[1].str(), m[3].str());
        seen[m[1].str()[0]].push_back(std::stoi(m[2].str()));
    }
    for (char who : {'A', 'B'}) {
        ASSERT_EQ(seen[who].size(), size_t{kLines});
        for (int i = 0; i < kLines; ++i)
            EXPECT_EQ(seen[who][i], i); // each process in order
    }
}

// ---- links from the directory file -----------------------------------------------------

class ProductLink : public ::testing::Test {
  protected:
    std::string directoryFile() const { return root.path() + "/odr/directory.json"; }
    test::TempRoot root;
    HeapSections sections;
    PosixProductLibs libs{root.path(), sections, "MyHost"};
};

TEST_F(ProductLink, ValidFileIsReadAfreshOnEachLink) {
    writeFile(directoryFile(), R"({"odrs":[{"domain":"Alpha","organization":"Quendal",
        "queues":[{"name":"Q","printServer":"myhost"}]}]})");
    EXPECT_EQ(libs.directoryPath(), directoryFile());
    const RlkTable* table = nullptr;
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
    const RlkTable* table = nullptr;
    ASSERT_EQ(libs.abstLink("RLK", &table, 2), 0u);
    ASSERT_NE(table, nullptr);
    RlkName name{};
    EXPECT_EQ(table->defaultName()(&name), kRlkNoSuchObject);
    libs.abstUnlink(&table);
    EXPECT_EQ(rlk::linkDepth(), 0);
}

TEST_F(ProductLink, MalformedFileFailsAndIsLogged) {
    writeFile(directoryFile(), R"({"odrs":[{"domain":"A","organization":"O","answers":1}]})");
    const RlkTable* table = nullptr;
    EXPECT_EQ(libs.abstLink("RLK", &table, 2), kRlkBadArgument);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(rlk::linkDepth(), 0);
    auto logged = lines(readFile(root.path() + "/log/error.log"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find(directoryFile()), std::string::npos) << logged[0];
    EXPECT_NE(logged[0].find("odrs[0].answers"), std::string::npos) << logged[0];

    // A directory where the file should be is no better.
    fs::remove(directoryFile());
    fs::create_directories(directoryFile());
    EXPECT_EQ(libs.abstLink("RLK", &table, 2), kRlkBadArgument);
    EXPECT_EQ(lines(readFile(root.path() + "/log/error.log")).size(), 2u);
}

// ---- global areas ----------------------------------------------------------------------

TEST(GlobalAreas, SectionOpensLazilyOnceAndAreasAreDistinct) {
    HeapSections sections;
    PosixProductLibs libs("/nowhere", sections, "h");
    EXPECT_EQ(sections.opens, 0);
    uint32_t first = 0, second = 0;
    ASSERT_EQ(libs.vGetGloArea(&first, 56, 1), 0u);
    ASSERT_EQ(libs.vGetGloArea(&second, 20, 2), 0u);
    EXPECT_EQ(sections.opens, 1);
    EXPECT_EQ(sections.lastName, "lnt_global_areas");
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);

    auto* a = static_cast<uint8_t*>(libs.globalAreaAddress(first));
    auto* b = static_cast<uint8_t*>(libs.globalAreaAddress(second));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    std::memset(a, 0x11, 56);
    std::memset(b, 0x22, 56);
    for (int i = 0; i < 56; ++i) {
        ASSERT_EQ(a[i], 0x11) << i;
        ASSERT_EQ(b[i], 0x22) << i;
    }
    EXPECT_EQ(libs.globalAreaAddress(first), a);
}

TEST(GlobalAreas, AnotherHolderSeesTheSameAreas) {
    HeapSections sections;
    uint32_t handle = 0;
    {
        PosixProductLibs one("/nowhere", sections, "h");
        ASSERT_EQ(one.vGetGloArea(&handle, 8, 0), 0u);
        std::strcpy(static_cast<char*>(one.globalAreaAddress(handle)), "shared");
    }
    EXPECT_EQ(sections.unmaps, 1);
    PosixProductLibs two("/nowhere", sections, "h");
    ASSERT_NE(two.globalAreaAddress(handle), nullptr);
    EXPECT_STREQ(static_cast<char*>(two.globalAreaAddress(handle)), "shared");
    uint32_t next = 0;
    ASSERT_EQ(two.vGetGloArea(&next, 8, 0), 0u);
    EXPECT_EQ(next, handle + 1);
}

TEST(GlobalAreas, RefusesOversizeFullTableAndBadHandles) {
    HeapSections sections;
    PosixProductLibs libs("/nowhere", sections, "h");
    uint32_t field = 99;
    EXPECT_NE(libs.vGetGloArea(&field, 57, 0), 0u);
    EXPECT_EQ(field, 0u);
    EXPECT_NE(libs.vGetGloArea(nullptr, 8, 0), 0u);
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr); // not handed out yet

    std::vector<uint32_t> handles;
    for (uint32_t i = 0; i < kGlobalAreaSlots; ++i) {
        uint32_t h = 0;
        ASSERT_EQ(libs.vGetGloArea(&h, 56, 0), 0u) << i;
        handles.push_back(h);
    }
    EXPECT_EQ(handles.front(), 1u);
    EXPECT_EQ(handles.back(), kGlobalAreaSlots);
    field = 99;
    EXPECT_EQ(libs.vGetGloArea(&field, 4, 0), err::NotEnoughMemory);
    EXPECT_EQ(field, 0u);
    EXPECT_NE(libs.globalAreaAddress(kGlobalAreaSlots), nullptr);
    EXPECT_EQ(libs.globalAreaAddress(0), nullptr);
    EXPECT_EQ(libs.globalAreaAddress(kGlobalAreaSlots + 1), nullptr);
    EXPECT_EQ(libs.globalAreaAddress(0xDEADBEEF), nullptr);
    // The last slot ends exactly at the end of the section.
    auto* last = static_cast<char*>(libs.globalAreaAddress(kGlobalAreaSlots));
    auto* base = reinterpret_cast<char*>(sections.store["lnt_global_areas"]->data());
    EXPECT_EQ(last + kGlobalAreaSize - base,
              static_cast<ptrdiff_t>(globalAreaBytes(kGlobalAreaSlots)));
}

TEST(GlobalAreas, FailingSectionGivesNoHandleAndIsRetried) {
    HeapSections sections;
    sections.failWith = err::AccessDenied;
    PosixProductLibs libs("/nowhere", sections, "h");
    uint32_t field = 99;
    EXPECT_EQ(libs.vGetGloArea(&field, 8, 0), err::AccessDenied);
    EXPECT_EQ(field, 0u);
    EXPECT_EQ(libs.globalAreaAddress(1), nullptr);
    sections.failWith = 0;
    EXPECT_EQ(libs.vGetGloArea(&field, 8, 0), 0u);
    EXPECT_EQ(field, 1u);
}

TEST(GlobalAreas, ForeignSectionContentIsRefused) {
    HeapSections sections;
    auto memory = std::make_shared<std::vector<uint64_t>>(globalAreaBytes(kGlobalAreaSlots) / 8, 0);
    (*memory)[0] = 0x1234; // not our magic
    sections.store["lnt_global_areas"] = memory;
    PosixProductLibs libs("/nowhere", sections, "h");
    uint32_t field = 99;
    EXPECT_EQ(libs.vGetGloArea(&field, 8, 0), err::InvalidData);
    EXPECT_EQ(field, 0u);
}

TEST(GlobalAreas, FakeUsesTheSameRules) {
    test::FakeProductLibs fake("h", 2);
    uint32_t a = 0, b = 0, c = 99;
    ASSERT_EQ(fake.vGetGloArea(&a, 56, 0), 0u);
    ASSERT_EQ(fake.vGetGloArea(&b, 56, 0), 0u);
    EXPECT_NE(fake.vGetGloArea(&c, 56, 0), 0u);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(static_cast<char*>(fake.globalAreaAddress(b)) -
                  static_cast<char*>(fake.globalAreaAddress(a)),
              56);
    EXPECT_EQ(fake.globalAreaAddress(3), nullptr);
    EXPECT_STREQ(fake.qdcPath(1, "/x/y"), "C:\\x\\y");
}

} // namespace
} // namespace lntc
