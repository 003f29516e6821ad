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

using namespace lntc;
using namespace lntc::test;
namespace fs = std::filesystem;

namespace {

// (That no folder is made through a link, and what is read-only, the file system's tests show;
// the dialog's answers, the options dialogs' tests.)
TEST(Directories, MissingFoldersAreMadeWithTheirModeWhateverTheUmask) {
    TempRoot root;
    PosixPlatform posix{root.path()};
    PosixProductLibs product{root.path(), *posix.platform().sections, "server"};
    HeadlessHost host;
    Library lib(posix.platform(), product, host);
    const std::string c = root.path() + "/drive_c";
    host.answer(id::Yes);
    const mode_t mask = umask(0);
    EXPECT_TRUE(ValidateDirectory(lib, nullptr, "C:", "\\qdsw_local\\cache\\spool", 6));
    umask(mask);
    for (const char* made : {"/qdsw_local", "/qdsw_local/cache", "/qdsw_local/cache/spool"})
        EXPECT_EQ(fs::status(c + made).permissions(), fs::perms(0755)) << made;
}

} // namespace
