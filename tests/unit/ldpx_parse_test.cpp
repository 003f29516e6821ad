#include "media/ldpx_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lntc;

namespace {

// A complete section in table form: all nine keys without defaults and nothing else.
std::string section(const std::string& key = "XEROX_8840C", const std::string& extra = "",
                    const std::string& table = "LETTER 8.5 11 01\nB 11 17 03\n") {
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

std::vector<uint32_t> bestAvail(const LdpxConfig& c) {
    std::vector<uint32_t> ids;
    for (uint32_t id : c.BestAvailPaperSizes) {
        if (id == kLdpxListEnd) break;
        ids.push_back(id);
    }
    return ids;
}

struct LdpxParse : ::testing::Test {
    LdpxConfig config;
    uint32_t parse(const std::string& text, const std::string& key = "XEROX_8840C") {
        return ParseLdpxConfig(text, key, config);
    }
};

} // namespace

TEST_F(LdpxParse, CompleteSectionReadsEveryValueAndAppliesDefaults) {
    ASSERT_EQ(parse(section()), 0u);
    const CmdInfo& cmd = config.cmd;
    EXPECT_STREQ(cmd.Psize.szFixedPart, "\\033&l");
    EXPECT_STREQ(cmd.Psize.szVarPart, "table");
    EXPECT_EQ(cmd.Dpi.sDpi, 0x5);
    EXPECT_STREQ(cmd.Dpi.szFixedPart, "\\033*t");
    EXPECT_STREQ(cmd.Dpi.szVarPartFor200, "200R");
    EXPECT_STREQ(cmd.Dpi.szVarPartFor400, "400R");
    EXPECT_EQ(cmd.CopyCount.nMaxCopy, 99);
    EXPECT_STREQ(cmd.CopyCount.szFixedPart, "\\033&l");
    EXPECT_STREQ(cmd.CopyCount.szVarPartFor1, "1X");
    EXPECT_EQ(tableIds(config), (std::vector<uint16_t>{5, 13}));
    EXPECT_STREQ(cmd.Psize.PaperSizes[0].szCmd, "01");
    EXPECT_STREQ(cmd.Psize.PaperSizes[1].szCmd, "03");
    EXPECT_STREQ(cmd.Psize.PaperSizes[2].szCmd, "none");

    EXPECT_EQ(config.max_trays, 1);
    EXPECT_EQ(config.plot_mode_only, 1);
    EXPECT_EQ(config.QDDefaultPaperSize, 5u);
    EXPECT_EQ(config.PSDefaultPaperSize, 5u);
    EXPECT_EQ(bestAvail(config), (std::vector<uint32_t>{5, 13, 19}));
}

TEST_F(LdpxParse, OptionalKeysInAnySpellingOverrideTheDefaults) {
    ASSERT_EQ(parse(section("XEROX_8840C", "MAX_TRAYS 2\n"
                                           "plotmodeonly=0\n"
                                           "QDDefaultPaperSize = c\n"
                                           "PSDefaultPaperSize\tB_l\n"
                                           "BestAvailPaperSizes = A4,A3,a2\n"
                                           "max_copy=7 trailing tokens\n")),
              0u);
    EXPECT_EQ(config.max_trays, 2);
    EXPECT_EQ(config.plot_mode_only, 0);
    EXPECT_EQ(config.QDDefaultPaperSize, 19u);
    EXPECT_EQ(config.PSDefaultPaperSize, 14u);
    EXPECT_EQ(bestAvail(config), (std::vector<uint32_t>{33, 35, 37}));
    EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 7); // a key read twice keeps the later value
}

TEST_F(LdpxParse, DpiValues) {
    ASSERT_EQ(parse(section("XEROX_8840C", "dpi = 300\n")), 0u);
    EXPECT_EQ(config.cmd.Dpi.sDpi, 0x2);
    // A failing value keeps what the field held before it.
    EXPECT_EQ(parse(section("XEROX_8840C", "dpi = 200/600\n")), kLdpxFailed);
    EXPECT_EQ(config.cmd.Dpi.sDpi, 0x5);
    EXPECT_EQ(parse(section("XEROX_8840C", "dpi = /\n")), kLdpxFailed);
    EXPECT_EQ(config.cmd.Dpi.sDpi, 0x5);
    ASSERT_EQ(parse(section("XEROX_8840C", "dpi = 400/200/300\n")), 0u);
    EXPECT_EQ(config.cmd.Dpi.sDpi, 0x7);
}

TEST_F(LdpxParse, PaperSizeNamesOutsideTheCatalogue) {
    // An unknown default size quietly becomes LETTER.
    ASSERT_EQ(parse(section("XEROX_8840C", "QDDefaultPaperSize = FOLIO\n"
                                           "PSDefaultPaperSize = UNKNOWN\n")),
              0u);
    EXPECT_EQ(config.QDDefaultPaperSize, 5u);
    EXPECT_EQ(config.PSDefaultPaperSize, 5u);
    // An unknown best-available size fails the read and ends the list before it.
    EXPECT_EQ(parse(section("XEROX_8840C", "BestAvailPaperSizes = LETTER,FOLIO,C\n")), kLdpxFailed);
    EXPECT_EQ(bestAvail(config), (std::vector<uint32_t>{5}));
}

TEST_F(LdpxParse, SectionIsFoundByItsHeaderIgnoringCase) {
    std::string text = "# notes before any section are harmless\n"
                       "[VERSATEC_8636]\nmax_copy = 3\nEND_OF_SECTION\n" +
                       section("xerox_8840c] trailing words") + section("XEROX_8840C");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 99);
    EXPECT_EQ(parse("[3M_689]\n"), kLdpxFailed);
    EXPECT_EQ(parse(""), kLdpxFailed);
    EXPECT_EQ(parse(section("3M_689_INTL"), "3M_689"), kLdpxFailed);
}

TEST_F(LdpxParse, FaultsInsideTheSectionFailTheRead) {
    EXPECT_EQ(parse(section("XEROX_8840C", "# a comment\n")), kLdpxFailed);
    EXPECT_EQ(parse(section("XEROX_8840C", "max_trays\n")), kLdpxFailed);
    EXPECT_EQ(config.max_trays, 1); // no value: the default stands
    // Each required key, left out, fails the read.
    for (const char* key : {"psize_cmd_fixed_part", "dpi =", "dpi_cmd_fixed_part",
                            "dpi_cmd_var_part_for_200", "dpi_cmd_var_part_for_400", "max_copy",
                            "copy_cmd_fixed_part", "copy_cmd_var_part_for_1"}) {
        std::string text = section();
        size_t at = text.find(std::string("\n") + key);
        ASSERT_NE(at, std::string::npos) << key;
        text.erase(at + 1, text.find('\n', at + 1) - at);
        EXPECT_EQ(parse(text), kLdpxFailed) << key;
    }
    // A section that ends at the end of the file is fine.
    std::string open = section();
    open.erase(open.find("END_OF_SECTION"));
    EXPECT_EQ(parse(open), 0u);
}

TEST_F(LdpxParse, PaperTableForms) {
    // List form: names only, commands "none".
    std::string text = section();
    text.replace(text.find("= table"), 7, "= 5");
    text.replace(text.find("LETTER 8.5 11 01\nB 11 17 03\n"), 28, "LETTER\n\nA4\n");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_STREQ(config.cmd.Psize.szVarPart, "5");
    EXPECT_EQ(tableIds(config), (std::vector<uint16_t>{5, 33}));
    EXPECT_STREQ(config.cmd.Psize.PaperSizes[0].szCmd, "none");

    // Any word beginning with "table" asks for the table form.
    text = section();
    text.replace(text.find("= table"), 7, "= TABLEFORM");
    ASSERT_EQ(parse(text), 0u);
    EXPECT_STREQ(config.cmd.Psize.szVarPart, "table");

    EXPECT_EQ(parse(section("XEROX_8840C", "", "B 11 17\n")), kLdpxFailed);
    EXPECT_EQ(parse(section("XEROX_8840C", "", "FOLIO 1 2 03\n")), kLdpxFailed);
    EXPECT_EQ(parse(section("XEROX_8840C", "", "UNKNOWN 1 2 03\n")), kLdpxFailed);
    EXPECT_EQ(parse(section("XEROX_8840C", "", "")), kLdpxFailed); // empty table
}

TEST_F(LdpxParse, TableEndedByTheSectionEndFailsAndDoesNotReadTheNextSection) {
    std::string text = "[XEROX_8840C]\n"
                       "max_copy = 99\n"
                       "psize_cmd_var_part = table\n"
                       "paper_size\n"
                       "LETTER 8.5 11 01\n"
                       "END_OF_SECTION\n"
                       "[VERSATEC_8636]\n"
                       "max_copy = 5\n"
                       "psize_cmd_var_part = table\n"
                       "paper_size\n"
                       "E 34 44 09\n"
                       "EndOfPsize\n";
    EXPECT_EQ(parse(text), kLdpxFailed);
    EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 99);
    EXPECT_EQ(tableIds(config), (std::vector<uint16_t>{5}));

    // Nor does the search for a missing table header.
    text.erase(text.find("paper_size\nLETTER"), 28);
    EXPECT_EQ(parse(text), kLdpxFailed);
    EXPECT_EQ(config.cmd.CopyCount.nMaxCopy, 99);
    EXPECT_EQ(tableIds(config), std::vector<uint16_t>{});
}

TEST_F(LdpxParse, OverlongValuesAreCutAndFail) {
    EXPECT_EQ(parse(section("XEROX_8840C", "psize_cmd_fixed_part = 0123456789ABCDEFGH\n"
                                           "dpi_cmd_var_part_for_200 = 12345678\n")),
              kLdpxFailed);
    EXPECT_STREQ(config.cmd.Psize.szFixedPart, "0123456789ABCDE");
    EXPECT_STREQ(config.cmd.Dpi.szVarPartFor200, "1234567");
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

TEST_F(LdpxParse, LongLinesAreReadInPiecesOfTheReadLimit) {
    // The value falls into the second piece: the key has none, the value is no key.
    std::string padded = "max_trays" + std::string(80, ' ') + "3\n";
    EXPECT_EQ(parse(section("XEROX_8840C", padded)), kLdpxFailed);
    EXPECT_EQ(config.max_trays, 1);
    // A header that only a continuation piece starts with is found.
    std::string text = std::string(kLdpxReadLimit, 'x') + section();
    EXPECT_EQ(parse(text), 0u);
    text = std::string(kLdpxReadLimit - 1, 'x') + section();
    EXPECT_EQ(parse(text), kLdpxFailed);
}

TEST_F(LdpxParse, LineEndingsAndNulBytes) {
    std::string text = section();
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    ASSERT_EQ(parse(crlf), 0u);
    EXPECT_STREQ(config.cmd.CopyCount.szVarPartFor1, "1X");
    // A NUL byte ends its line.
    text = section("XEROX_8840C", std::string("max_trays = 2\0 junk\n", 20));
    ASSERT_EQ(parse(text), 0u);
    EXPECT_EQ(config.max_trays, 2);
}
