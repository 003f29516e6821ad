// ldpx.cfg: the parser's rules, and reading the file through the file system with the accessors
// over what was read.
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>
#include <regex>
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
    return "[" + key + "]\npsize_cmd_fixed_part = \\033&l\npsize_cmd_var_part = table\n" +
           "paper_size  width  height  cmd\n" + table +
           "EndOfPsize\ndpi = 200/400\ndpi_cmd_fixed_part = \\033*t\n"
           "dpi_cmd_var_part_for_200 = 200R\ndpi_cmd_var_part_for_400 = 400R\nmax_copy = 99\n"
           "copy_cmd_fixed_part = \\033&l\ncopy_cmd_var_part_for_1 = 1X\n" +
           extra + "END_OF_SECTION\n";
}
// The section with one piece of text replaced.
std::string edited(const std::string& from, const std::string& to, std::string text = section()) {
    return text.replace(text.find(from), from.size(), to);
}

// The numbers a section gives, in one line.
std::string summary(const LdpxConfig& c) {
    std::ostringstream out;
    out << "dpi " << c.cmd.Dpi.sDpi << " copies " << c.cmd.CopyCount.nMaxCopy << " trays "
        << c.max_trays << " plot " << c.plot_mode_only << " qd " << c.QDDefaultPaperSize << " ps "
        << c.PSDefaultPaperSize << " best";
    for (size_t i = 0; i < kLdpxBestAvailEntries && c.BestAvailPaperSizes[i] != kLdpxListEnd; ++i)
        out << ' ' << c.BestAvailPaperSizes[i];
    out << " table";
    for (size_t i = 0;
         i < kLdpxTableEntries && c.cmd.Psize.PaperSizes[i].PaperSizeId != kLdpxTableEnd; ++i)
        out << ' ' << c.cmd.Psize.PaperSizes[i].PaperSizeId;
    return out.str();
}

// The command texts, and those of the first three table entries.
std::string commands(const CmdInfo& c) {
    std::string out;
    for (const char* text :
         {c.Psize.szFixedPart, c.Psize.szVarPart, c.Dpi.szFixedPart, c.Dpi.szVarPartFor200,
          c.Dpi.szVarPartFor400, c.CopyCount.szFixedPart, c.CopyCount.szVarPartFor1,
          c.Psize.PaperSizes[0].szCmd, c.Psize.PaperSizes[1].szCmd, c.Psize.PaperSizes[2].szCmd})
        out += std::string(text) + " ";
    return out;
}

const char* const kDefaults = "dpi 5 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13";
const char* const kCommands = "\\033&l table \\033*t 200R 400R \\033&l 1X 01 03 none ";

} // namespace

// Each text read for the XEROX_8840C section: the result, then (where given) the numbers and
// the commands. A failing value keeps what the field held before it.
TEST(LdpxParse, SectionsKeysValuesAndTables) {
    std::string rows, many = "dpi 5 copies 99 trays 4 plot 1 qd 5 ps 5 best 5 13 19 table";
    for (int i = 0; i < 45; ++i) // read, but only 39 kept
        rows += "A4 8.3 11.7 " + std::to_string(i) + "\n";
    for (size_t i = 0; i + 1 < kLdpxTableEntries; ++i)
        many += " 33";
    const std::string sectionEndsTable =
        "[XEROX_8840C]\nmax_copy = 99\npsize_cmd_var_part = table\npaper_size\n"
        "LETTER 8.5 11 01\nEND_OF_SECTION\n[VERSATEC_8636]\nmax_copy = 5\n"
        "psize_cmd_var_part = table\npaper_size\nE 34 44 09\nEndOfPsize\n";
    const char* const best5 = "dpi 5 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 table 5 13";
    // clang-format off
    const std::tuple<std::string, uint32_t, const char*, const char*> cases[] = {
        {section(), 0, kDefaults, kCommands},
        {section("XEROX_8840C", "MAX_TRAYS 2\nplotmodeonly=0\nQDDefaultPaperSize = c\nPSDefaultPaperSize\tB_l\n"
                 "BestAvailPaperSizes = A4,A3,a2\nmax_copy=7 trailing tokens\n"), 0,
         "dpi 5 copies 7 trays 2 plot 0 qd 19 ps 14 best 33 35 37 table 5 13", nullptr},
        {section("XEROX_8840C", "dpi = 300\n"), 0, "dpi 2 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13", nullptr},
        {section("XEROX_8840C", "dpi = 200/600\n"), kLdpxFailed, kDefaults, nullptr},
        {section("XEROX_8840C", "dpi = 400/200/300\n"), 0, "dpi 7 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 13", nullptr},
        // An unknown default size quietly becomes LETTER; an unknown best-available size fails
        // the read and ends the list before it.
        {section("XEROX_8840C", "QDDefaultPaperSize = FOLIO\nPSDefaultPaperSize = UNKNOWN\n"), 0, kDefaults, nullptr},
        {section("XEROX_8840C", "BestAvailPaperSizes = LETTER,FOLIO,C\n"), kLdpxFailed, best5, nullptr},
        {section("XEROX_8840C", "# a comment\n"), kLdpxFailed, kDefaults, nullptr},
        // The value falls into the second piece of the read limit: the key has none.
        {section("XEROX_8840C", "max_trays" + std::string(80, ' ') + "3\n"), kLdpxFailed, kDefaults, nullptr},
        {section("XEROX_8840C", std::string("max_trays = 2\0 junk\n", 20)), 0, // a NUL ends its line
         "dpi 5 copies 99 trays 2 plot 1 qd 5 ps 5 best 5 13 19 table 5 13", nullptr},
        {section("XEROX_8840C", "", "B 11 17\n"), kLdpxFailed, nullptr, nullptr},
        {section("XEROX_8840C", "", "FOLIO 1 2 03\n"), kLdpxFailed, nullptr, nullptr},
        {section("XEROX_8840C", "", ""), kLdpxFailed, nullptr, nullptr}, // an empty table
        {section("XEROX_8840C", "max_trays = 4\n", rows), kLdpxFailed, many.c_str(), "\\033&l table \\033*t 200R 400R \\033&l 1X 0 1 2 "}, // reading goes on after the end mark
        // The list form: names only, commands "none"; any word beginning with "table" asks for the table form.
        {edited("= table", "= 5", edited(kTable, "LETTER\n\nA4\n")), 0, "dpi 5 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5 33",
         "\\033&l 5 \\033*t 200R 400R \\033&l 1X none none none "},
        {edited("= table", "= TABLEFORM"), 0, kDefaults, kCommands},
        // Overlong values are cut and fail; exactly the field's room is fine.
        {section("XEROX_8840C", "psize_cmd_fixed_part = 0123456789ABCDEFGH\ndpi_cmd_var_part_for_200 = 12345678\n"), kLdpxFailed,
         kDefaults, "0123456789ABCDE table \\033*t 1234567 400R \\033&l 1X 01 03 none "},
        {section("XEROX_8840C", "", "B 11 17 ABCDEFGHIJ\n"), kLdpxFailed, nullptr, "\\033&l table \\033*t 200R 400R \\033&l 1X ABCDEFG none  "},
        {section("XEROX_8840C", "copy_cmd_fixed_part = 0123456789ABCDE\n"), 0, kDefaults, "\\033&l table \\033*t 200R 400R 0123456789ABCDE 1X 01 03 none "},
        // The section is found by its header ignoring case, also when only a continuation
        // piece of a long line starts with it; it may end at the end of the file, in any line endings.
        {"# notes before any section are harmless\n[VERSATEC_8636]\nmax_copy = 3\nEND_OF_SECTION\n" +
         section("xerox_8840c] trailing words") + section("XEROX_8840C"), 0, kDefaults, nullptr},
        {section("XEROX_8840C_INTL"), kLdpxFailed, nullptr, nullptr},
        {std::string(kLdpxReadLimit, 'x') + section(), 0, kDefaults, nullptr},
        {std::string(kLdpxReadLimit - 1, 'x') + section(), kLdpxFailed, nullptr, nullptr},
        {edited("END_OF_SECTION\n", ""), 0, kDefaults, nullptr},
        {std::regex_replace(section(), std::regex("\n"), "\r\n"), 0, kDefaults, kCommands},
        // A table ended by the section's end fails and does not read the next section, nor does
        // the search for a missing table header.
        {sectionEndsTable, kLdpxFailed, "dpi 0 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table 5", nullptr},
        {edited("paper_size\nLETTER 8.5 11 01\n", "", sectionEndsTable), kLdpxFailed, "dpi 0 copies 99 trays 1 plot 1 qd 5 ps 5 best 5 13 19 table", nullptr}};
    // clang-format on
    for (const auto& [text, rc, numbers, texts] : cases) {
        LdpxConfig config;
        EXPECT_EQ(ParseLdpxConfig(text, "XEROX_8840C", config), rc) << text;
        EXPECT_EQ(numbers ? summary(config) : "", numbers ? numbers : "") << text;
        EXPECT_EQ(texts ? commands(config.cmd) : "", texts ? texts : "") << text;
    }
    for (const char* key : {"psize_cmd_fixed_part", "dpi =", "dpi_cmd_fixed_part",
                            "dpi_cmd_var_part_for_200", "dpi_cmd_var_part_for_400", "max_copy",
                            "copy_cmd_fixed_part", "copy_cmd_var_part_for_1"}) {
        std::string text = section();
        const size_t at = text.find(std::string("\n") + key);
        text.erase(at + 1, text.find('\n', at + 1) - at);
        LdpxConfig config;
        EXPECT_EQ(ParseLdpxConfig(text, "XEROX_8840C", config), kLdpxFailed) << key << " left out";
    }
}

// The values of a full section through every accessor are the best-available dialog's test.
TEST(LdpxFile, TheFolderMustFitAndOlderOdrsGetNoExecutive) {
    FakeMachine machine;
    TestLibrary t{machine};
    using Ids = std::vector<uint16_t>;
    const auto paperSizes = [&](uint16_t release) {
        uint16_t ids[kLdpxTableEntries];
        uint16_t count = 0xAAAA;
        EXPECT_EQ(GetLdpxPaperSizes(t.lib().ldpx(), release, count, ids), 0u);
        return Ids(ids, ids + count);
    };
    const auto read = [&](const std::string& dir, const char* model) {
        return ReadLdpxCfgFile(t.lib().services(), dir.c_str(), model);
    };
    // The folder and "\ldpx.cfg" must fit 83 characters.
    const std::string fits = "C:\\" + std::string(71, 'd'), longer = fits + "e";
    for (const std::string& folder : {fits, longer})
        machine.files.addFile(folder + "\\ldpx.cfg",
                              readTextFile(std::string(LNTC_SOURCE_DIR) + "/share/demo/ldpx.cfg"));
    EXPECT_EQ(
        (std::tuple{read(longer, "XEROX_8840C"), read("", "XEROX_8840C"), read(fits, "3M_LBQ")}),
        std::tuple(kLdpxFailed, kLdpxNoConfigDir, 0u));
    EXPECT_EQ(std::vector({paperSizes(268), paperSizes(309), paperSizes(310)}),
              std::vector<Ids>({{5, 13, 19}, {5, 13, 19}, {5, 3, 13, 19}}));
    machine.files.addFile(
        "c:\\other\\ldpx.cfg",
        "[XEROX_8840C]\npsize_cmd_var_part = x\npaper_size\nExecutive_L\nLETTER\nEndOfPsize\n");
    EXPECT_EQ(read("c:\\other", "XEROX_8840C"), kLdpxFailed);
    EXPECT_EQ(std::vector({paperSizes(268), paperSizes(310)}), std::vector<Ids>({{5}, {4, 5}}));
}
