// ldpx.cfg: the parser's rules, and reading the file through the file system with the accessors
// over what was read.
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

const std::string kTable = "LETTER 8.5 11 01\nB 11 17 03\n";

// A complete section in table form: all nine keys without defaults and nothing else.
std::string section(const std::string& key = "XEROX_8840C", const std::string& extra = "",
                    const std::string& table = kTable) {
    return "[" + key +
           "]\n"
           "psize_cmd_fixed_part = \\033&l\n"
           "psize_cmd_var_part = table\n"
           "paper_size  width  height  cmd\n" +
           table +
           "EndOfPsize\n"
           "dpi = 200/400\n"
           "dpi_cmd_fixed_part = \\033*t\n"
           "dpi_cmd_var_part_for_200 = 200R\n"
           "dpi_cmd_var_part_for_400 = 400R\n"
           "max_copy = 99\n"
           "copy_cmd_fixed_part = \\033&l\n"
           "copy_cmd_var_part_for_1 = 1X\n" +
           extra + "END_OF_SECTION\n";
}

std::vector<uint16_t> tableIds(const LdpxConfig& c) {
    std::vector<uint16_t> ids;
    for (const LdpxPaperEntry& e : c.cmd.Psize.PaperSizes) {
        if (e.PaperSizeId == kLdpxTableEnd) break;
        ids.push_back(e.PaperSizeId);
    }
    return ids;
}

// The numbers a section gives, in one line.
std::string summary(const LdpxConfig& c) {
    std::ostringstream out;
    out << "dpi " << c.cmd.Dpi.sDpi << " copies " << c.cmd.CopyCount.nMaxCopy << " trays "
        << c.max_trays << " plot " << c.plot_mode_only << " qd " << c.QDDefaultPaperSize << " ps "
        << c.PSDefaultPaperSize << " best";
    for (uint32_t id : c.BestAvailPaperSizes) {
        if (id == kLdpxListEnd) break;
        out << ' ' << id;
    }
    out << " table";
    for (uint16_t id : tableIds(c))
        out << ' ' << id;
    return out.str();
}

const char* const kDefaults = "dpi 5 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13";

struct LdpxParse : ::testing::Test {
    LdpxConfig config;
    uint32_t parse(const std::string& text, const std::string& key = "XEROX_8840C") {
        return ParseLdpxConfig(text, key, config);
    }
};

} // namespace

TEST_F(LdpxParse, CompleteSectionReadsEveryValueAndAppliesDefaults) {
    ASSERT_EQ(parse(section()), 0u);
    const CmdInfo& c = config.cmd;
    std::string commands;
    for (const char* text :
         {c.Psize.szFixedPart, c.Psize.szVarPart, c.Dpi.szFixedPart, c.Dpi.szVarPartFor200,
          c.Dpi.szVarPartFor400, c.CopyCount.szFixedPart, c.CopyCount.szVarPartFor1,
          c.Psize.PaperSizes[0].szCmd, c.Psize.PaperSizes[1].szCmd, c.Psize.PaperSizes[2].szCmd})
        commands += std::string(text) + " ";
    EXPECT_EQ(commands, "\\033&l table \\033*t 200R 400R \\033&l 1X 01 03 none ");
    EXPECT_EQ(summary(config), kDefaults);
}

TEST_F(LdpxParse, ValuesInAnySpellingAndFaultyOnes) {
    const struct {
        std::string extra, table;
        uint32_t rc;
        const char* after; // a failing value keeps what the field held before it
    } cases[] = {
        {"MAX_TRAYS 2\nplotmodeonly=0\nQDDefaultPaperSize = c\nPSDefaultPaperSize\tB_l\n"
         "BestAvailPaperSizes = A4,A3,a2\nmax_copy=7 trailing tokens\n",
         kTable, 0, "dpi 5 copies 7 trays 2 plot 0 qd 19 ps 14 best 33 35 37 table 5 13"},
        {"dpi = 300\n", kTable, 0,
         "dpi 2 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13"},
        {"dpi = 200/600\n", kTable, kLdpxFailed, kDefaults},
        {"dpi = /\n", kTable, kLdpxFailed, kDefaults},
        {"dpi = 400/200/300\n", kTable, 0,
         "dpi 7 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13"},
        // An unknown default size quietly becomes LETTER; an unknown best-available size
        // fails the read and ends the list before it.
        {"QDDefaultPaperSize = FOLIO\nPSDefaultPaperSize = UNKNOWN\n", kTable, 0, kDefaults},
        {"BestAvailPaperSizes = LETTER,FOLIO,C\n", kTable, kLdpxFailed,
         "dpi 5 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 table 5 13"},
        {"# a comment\n", kTable, kLdpxFailed, kDefaults},
        {"max_trays\n", kTable, kLdpxFailed, kDefaults},
        // The value falls into the second piece of the read limit: the key has none.
        {"max_trays" + std::string(80, ' ') + "3\n", kTable, kLdpxFailed, kDefaults},
        {std::string("max_trays = 2\0 junk\n", 20), kTable, 0, // a NUL ends its line
         "dpi 5 copies 99 trays 2 plot 1 qd 5 ps 5 best 5 13 19 table 5 13"},
        {"", "B 11 17\n", kLdpxFailed, nullptr},
        {"", "FOLIO 1 2 03\n", kLdpxFailed, nullptr},
        {"", "UNKNOWN 1 2 03\n", kLdpxFailed, nullptr},
        {"", "", kLdpxFailed, nullptr}, // an empty table
    };
    for (const auto& c : cases) {
        config = LdpxConfig{};
        EXPECT_EQ(parse(section("XEROX_8840C", c.extra, c.table)), c.rc) << c.extra << c.table;
        if (c.after) {
            EXPECT_EQ(summary(config), c.after) << c.extra;
        }
    }
}

TEST_F(LdpxParse, SectionIsFoundByItsHeaderIgnoringCase) {
    std::string text = "# notes before any section are harmless\n"
                       "[VERSATEC_8636]\nmax_copy = 3\nEND_OF_SECTION\n" +
                       section("xerox_8840c] trailing words") + section("XEROX_8840C");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 99);
    // A header that only a continuation piece of a long line starts with is found.
    EXPECT_EQ(std::vector<uint32_t>({parse("[3M_689]\n"), parse(""),
                                     parse(section("3M_689_INTL"), "3M_689"),
                                     parse(std::string(kLdpxReadLimit, 'x') + section()),
                                     parse(std::string(kLdpxReadLimit - 1, 'x') + section())}),
              std::vector<uint32_t>({kLdpxFailed, kLdpxFailed, kLdpxFailed, 0, kLdpxFailed}));
}

TEST_F(LdpxParse, EveryRequiredKeyLeftOutFailsTheRead) {
    for (const char* key : {"psize_cmd_fixed_part", "dpi =", "dpi_cmd_fixed_part",
                            "dpi_cmd_var_part_for_200", "dpi_cmd_var_part_for_400", "max_copy",
                            "copy_cmd_fixed_part", "copy_cmd_var_part_for_1"}) {
        std::string text = section();
        size_t at = text.find(std::string("\n") + key);
        ASSERT_NE(at, std::string::npos) << key;
        text.erase(at + 1, text.find('\n', at + 1) - at);
        EXPECT_EQ(parse(text), kLdpxFailed) << key;
    }
    // A section that ends at the end of the file is fine, in any line endings.
    std::string open = section();
    open.erase(open.find("END_OF_SECTION"));
    EXPECT_EQ(parse(open), 0u);
    std::string crlf;
    for (char c : section())
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    ASSERT_EQ(parse(crlf), 0u);
    EXPECT_STREQ(config.cmd.CopyCount.szVarPartFor1, "1X");
}

TEST_F(LdpxParse, PaperTableForms) {
    // List form: names only, commands "none".
    std::string text = section();
    text.replace(text.find("= table"), 7, "= 5");
    text.replace(text.find(kTable), kTable.size(), "LETTER\n\nA4\n");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_EQ(std::string(config.cmd.Psize.szVarPart) + config.cmd.Psize.PaperSizes[0].szCmd,
              "5none");
    EXPECT_EQ(tableIds(config), (std::vector<uint16_t>{5, 33}));

    // Any word beginning with "table" asks for the table form.
    text = section();
    text.replace(text.find("= table"), 7, "= TABLEFORM");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_STREQ(config.cmd.Psize.szVarPart, "table");
}

TEST_F(LdpxParse, TableEndedByTheSectionEndFailsAndDoesNotReadTheNextSection) {
    std::string text = "[XEROX_8840C]\nmax_copy = 99\npsize_cmd_var_part = table\npaper_size\n"
                       "LETTER 8.5 11 01\nEND_OF_SECTION\n"
                       "[VERSATEC_8636]\nmax_copy = 5\npsize_cmd_var_part = table\npaper_size\n"
                       "E 34 44 09\nEndOfPsize\n";
    // Nor does the search for a missing table header.
    for (std::vector<uint16_t> ids : {std::vector<uint16_t>{5}, std::vector<uint16_t>{}}) {
        if (ids.empty()) text.erase(text.find("paper_size\nLETTER"), 28);
        EXPECT_EQ(parse(text), kLdpxFailed);
        EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 99);
        EXPECT_EQ(tableIds(config), ids);
    }
}

TEST_F(LdpxParse, OverlongValuesAreCutAndFail) {
    EXPECT_EQ(parse(section("XEROX_8840C", "psize_cmd_fixed_part = 0123456789ABCDEFGH\n"
                                           "dpi_cmd_var_part_for_200 = 12345678\n")),
              kLdpxFailed);
    EXPECT_EQ(std::string(config.cmd.Psize.szFixedPart) + "|" + config.cmd.Dpi.szVarPartFor200,
              "0123456789ABCDE|1234567");
    EXPECT_EQ(parse(section("XEROX_8840C", "", "B 11 17 ABCDEFGHIJ\n")), kLdpxFailed);
    EXPECT_STREQ(config.cmd.Psize.PaperSizes[0].szCmd, "ABCDEFG");
    // Exactly the field's room is fine.
    EXPECT_EQ(parse(section("XEROX_8840C", "copy_cmd_fixed_part = 0123456789ABCDE\n")), 0u);
}

// (More than 39 best-available sizes cannot reach the reader: the read limit cuts the line.)
TEST_F(LdpxParse, TooManyRowsAreReadButNotKept) {
    std::string rows;
    for (int i = 0; i < 45; ++i)
        rows += "A4 8.3 11.7 " + std::to_string(i) + "\n";
    EXPECT_EQ(parse(section("XEROX_8840C", "max_trays = 4\n", rows)), kLdpxFailed);
    EXPECT_EQ(tableIds(config).size(), kLdpxTableEntries - 1);
    EXPECT_STREQ(config.cmd.Psize.PaperSizes[38].szCmd, "38");
    EXPECT_EQ(config.cmd.Psize.PaperSizes[39].PaperSizeId, kLdpxTableEnd);
    EXPECT_EQ(config.max_trays, 4); // reading went on after the end mark
}

namespace {

class LdpxFile : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    const std::string demo = readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/ldpx.cfg");

    std::vector<uint16_t> paperSizes(uint16_t release) {
        uint16_t ids[kLdpxTableEntries];
        uint16_t count = 0xAAAA;
        EXPECT_EQ(GetLdpxPaperSizes(t.lib(), release, count, ids), 0u);
        return std::vector<uint16_t>(ids, ids + count);
    }
    std::vector<uint32_t> bestAvail() {
        uint32_t ids[kLdpxBestAvailEntries];
        uint16_t count = 0xAAAA;
        EXPECT_EQ(GetLdpxBAPaperSizes(t.lib(), count, ids), 0u);
        return std::vector<uint32_t>(ids, ids + count);
    }
};

} // namespace

TEST_F(LdpxFile, TheFileMustBeNamedExistAndFit) {
    EXPECT_TRUE(paperSizes(310).empty()) << "before any read";
    EXPECT_TRUE(bestAvail().empty());
    EXPECT_EQ(GetLdpxQDDefaultPaperSize(t.lib()), 0);
    EXPECT_EQ(GetLdpxPSDefaultPaperSize(t.lib()), 0);
    machine.files.addFile("C:\\ldpx.cfg", demo); // where "\ldpx.cfg" would lead
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), "", "XEROX_8840C"), kLdpxNoConfigDir);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), nullptr, "XEROX_8840C"), kLdpxNoConfigDir);
    EXPECT_EQ(t.lib().ldpx, nullptr);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "XEROX_8840C"), kLdpxFailed);
    // 74 characters of folder and "\ldpx.cfg" make 83.
    const std::string fits = "C:\\" + std::string(71, 'd');
    const std::string longer = fits + "e";
    machine.files.addFile(fits + "\\ldpx.cfg", demo);
    machine.files.addFile(longer + "\\ldpx.cfg", demo);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), longer.c_str(), "XEROX_8840C"), kLdpxFailed);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), fits.c_str(), "XEROX_8840C"), 0u);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), fits.c_str(), "NO_SUCH_MODEL"), kLdpxFailed);
}

TEST_F(LdpxFile, TheAccessorsAnswerFromTheSectionRead) {
    machine.files.addFile("c:\\qdsw_local\\sd\\ldpx.cfg", demo);
    ASSERT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "XEROX_8840C"), 0u);
    EXPECT_EQ(paperSizes(310), (std::vector<uint16_t>{5, 6, 13, 14, 19}));
    EXPECT_EQ(GetLdpxQDDefaultPaperSize(t.lib()), paper::C);
    EXPECT_EQ(GetLdpxPSDefaultPaperSize(t.lib()), paper::B);

    // The best-available sizes and the default size left to their defaults.
    ASSERT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "3M_689"), 0u);
    EXPECT_EQ(bestAvail(), (std::vector<uint32_t>{5, 13, 19}));
    EXPECT_EQ(GetLdpxQDDefaultPaperSize(t.lib()), paper::Letter);
}

TEST_F(LdpxFile, OlderOdrReleasesGetNoExecutivePaper) {
    machine.files.addFile("c:\\qdsw_local\\sd\\ldpx.cfg", demo);
    ASSERT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "3M_LBQ"), 0u);
    EXPECT_EQ(paperSizes(268), (std::vector<uint16_t>{5, 13, 19}));
    EXPECT_EQ(paperSizes(309), (std::vector<uint16_t>{5, 13, 19}));
    EXPECT_EQ(paperSizes(310), (std::vector<uint16_t>{5, 3, 13, 19}));

    const std::string text = "[XEROX_8840C]\npsize_cmd_var_part = x\npaper_size\n"
                             "Executive_L\nLETTER\nEndOfPsize\n";
    machine.files.addFile("c:\\other\\ldpx.cfg", text);
    EXPECT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\other", "XEROX_8840C"), kLdpxFailed);
    EXPECT_EQ(paperSizes(268), (std::vector<uint16_t>{5}));
    EXPECT_EQ(paperSizes(310), (std::vector<uint16_t>{4, 5}));
}
