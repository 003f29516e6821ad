// The media commands of the lntc tool on the demo installation.
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

using namespace lntc::test;
using Json = nlohmann::ordered_json;

namespace {

const std::string kTool = std::string(LNTC_BIN_DIR) + "/lntc";

class MediaTool : public ::testing::Test {
  protected:
    TempRoot root;
    std::map<std::string, std::string> env() const {
        return {{"LNT_ROOT", root.path()},
                {"LNT_PRINT_SERVER", "ps-test"},
                {"LNTC_SHARE", std::string(LNTC_SOURCE_DIR) + "/share"}};
    }
    RunResult run(const std::vector<std::string>& args) { return runProgram(kTool, args, env()); }
    void SetUp() override {
        ASSERT_EQ(run({"demo-setup"}).exitCode, 0);
    }
    Json runJson(const std::vector<std::string>& args, int expectedExit = 0) {
        RunResult r = run(args);
        EXPECT_EQ(r.exitCode, expectedExit) << r.err;
        return Json::parse(r.out);
    }
};

} // namespace

TEST_F(MediaTool, MediaShowsEveryModelsTableInCatalogueOrder) {
    Json media = runJson({"media", "--json"});
    ASSERT_EQ(media.size(), 15u);
    EXPECT_EQ(media.begin().key(), "OTHER");
    EXPECT_EQ((--media.end()).key(), "GENERIC_POSTSCRIPT");
    EXPECT_EQ(media["RICOH_LP-M32"]["PaperSizes"][0]["usOrientation"], 1);
    EXPECT_EQ(media["HP_LASERJET_4M"]["Trays"][2]["usPaperSizeIndex"], 0xFFFF);
}

TEST_F(MediaTool, MediaWithoutTheMediaTreeNamesTheInstaller) {
    const std::string file = root.path() + "/remove-media.reg";
    std::ofstream(file) << "REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Quendal\\PrintServer\\"
                           "CurrentVersion\\Default Media]\n";
    ASSERT_EQ(run({"reg", "import", file}).exitCode, 0);
    RunResult r = run({"media"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("LNTKEY 'Default Media' c:\\qdsw_local\\sd\\lntmedia.key"),
              std::string::npos)
        << r.err;
}

TEST_F(MediaTool, LdpxReportsTheStatusAndTheValuesRead) {
    Json xerox = runJson({"ldpx", "XEROX_8840C", "--json"});
    const Json& values = xerox["values"];
    EXPECT_EQ(values["Dpi"]["sDpi"], 5);
    EXPECT_EQ(values["Psize"]["PaperSizes"][2]["name"], "B");
    EXPECT_EQ(values["Psize"]["PaperSizes"][2]["command"], "03");
    EXPECT_EQ(values["QDDefaultPaperSize"]["name"], "C");

    RunResult missing = run({"ldpx", "HP_LASERJET_4M"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("0xFFFFFFFF"), std::string::npos);
    EXPECT_NE(missing.err.find("Error reading the Large Document Printer LDPX.CFG file."),
              std::string::npos);
    EXPECT_EQ(run({"ldpx"}).exitCode, 2);
}

TEST_F(MediaTool, PaperByNameOrId) {
    RunResult r = run({"paper", "letter"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "5 LETTER 8.5 x 11 in\n");
    EXPECT_EQ(run({"paper", "46"}).out, "46 B4_L 14.3 x 10.1 in\n");
    EXPECT_EQ(run({"paper", "47"}).exitCode, 1);
    EXPECT_EQ(run({"paper", "99999999999999"}).exitCode, 1);
    EXPECT_EQ(run({"paper", "UNKNOWN"}).exitCode, 1);
    EXPECT_EQ(run({"paper"}).exitCode, 2);
}

TEST_F(MediaTool, OrientationAsAProductProcessIsTold) {
    RunResult r = run({"orientation", "RICOH_MAIL", "letter"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "letter on RICOH_MAIL: 1 (landscape)\n");
    EXPECT_EQ(run({"orientation", "RICOH_MAIL", "LEGAL"}).out,
              "LEGAL on RICOH_MAIL: 0 (portrait)\n");
    EXPECT_EQ(run({"orientation", "NO_QUEUE", "LEGAL"}).exitCode, 1);
}
