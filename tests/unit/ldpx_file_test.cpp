// Reading ldpx.cfg through the file system, and the accessors over what was read.
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"
#include "support/demo_files.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

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

TEST_F(LdpxFile, DemoFileHasAGoodSectionForEveryLargeDocumentModel) {
    machine.files.addFile("c:\\qdsw_local\\sd\\ldpx.cfg", demo);
    for (const char* model : {"XEROX_8840C", "VERSATEC_8636", "3M_689_INTL", "3M_689", "3M_LBQ",
                              "RASTER_MASTER", "DRAWING_MASTER"}) {
        EXPECT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", model), 0u) << model;
        EXPECT_FALSE(paperSizes(310).empty()) << model;
    }

    ASSERT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "XEROX_8840C"), 0u);
    EXPECT_EQ(paperSizes(310), (std::vector<uint16_t>{5, 6, 13, 14, 19}));
    EXPECT_EQ(GetLdpxQDDefaultPaperSize(t.lib()), paper::C);
    EXPECT_EQ(GetLdpxPSDefaultPaperSize(t.lib()), paper::B);

    // List form, with the optional keys left to their defaults.
    ASSERT_EQ(ReadLdpxCfgFile(t.lib(), "c:\\qdsw_local\\sd", "3M_689"), 0u);
    EXPECT_STREQ(t.lib().ldpx->cmd.Psize.szVarPart, "PS");
    EXPECT_STREQ(t.lib().ldpx->cmd.Psize.PaperSizes[0].szCmd, "none");
    EXPECT_EQ(bestAvail(), (std::vector<uint32_t>{5, 13, 19}));
    EXPECT_EQ(GetLdpxQDDefaultPaperSize(t.lib()), paper::Letter);
    EXPECT_EQ(t.lib().ldpx->max_trays, 1);
    EXPECT_EQ(t.lib().ldpx->plot_mode_only, 0);
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
