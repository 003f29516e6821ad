// The directory check and creation of the options dialogs on real folders under a machine root.
#include "configure/directories.h"
#include "platform/platform.h"
#include "product/posix_product.h"
#include "store/library.h"
#include "support/temp_root.h"
#include "ui/headless_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <tuple>

using namespace lntc;
using namespace lntc::test;
namespace fs = std::filesystem;

namespace {

TEST(Directories, MissingFoldersAreMadeWithTheirModeAndNeverThroughALink) {
    TempRoot root;
    PosixPlatform posix{root.path()};
    PosixProductLibs product{root.path(), *posix.platform().sections, "server"};
    HeadlessHost host;
    Library lib(posix.platform(), product, host);
    const std::string c = root.path() + "/drive_c";
    fs::create_directories(c + "/outside");
    fs::create_directory_symlink(c + "/outside", c + "/link");
    fs::create_directories(c + "/locked");
    fs::permissions(c + "/locked", fs::perms(0555));

    // Folder; whether creation is offered (and taken); valid; the boxes: question and why not.
    const std::tuple<const char*, bool, bool, size_t> cases[] = {
        {"\\qdsw_local\\cache\\spool", true, true, 1},
        {"\\QDSW_LOCAL\\Cache\\spool", false, true, 0}, // found again whatever the case
        {"\\link\\spool", true, false, 2},
        {"\\locked", false, false, 1},
    };
    const mode_t mask = umask(0);
    for (const auto& [dir, ask, valid, boxes] : cases) {
        host.boxes.clear();
        if (ask) host.answer(id::Yes);
        EXPECT_EQ(ValidateDirectory(lib, nullptr, "C:", dir, 6), valid) << dir;
        EXPECT_EQ(host.boxes.size(), boxes) << dir;
    }
    umask(mask);
    for (const char* made : {"/qdsw_local", "/qdsw_local/cache", "/qdsw_local/cache/spool"})
        EXPECT_EQ(fs::status(c + made).permissions(), fs::perms(0755)) << made;
    EXPECT_TRUE(fs::is_empty(c + "/outside"));
    EXPECT_EQ(host.boxes.back().text, "Path 'C:\\locked' is read only.");
}

} // namespace
