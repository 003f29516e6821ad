#include "support/temp_root.h"

#include "platform/posix/posix_sections.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace lntc::test {

TempRoot::TempRoot() {
    std::string templ = (std::filesystem::temp_directory_path() / "lntc-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempRoot::~TempRoot() {
    std::error_code ec;
    // Sections whose last holder was killed by a test stay until their root is used again;
    // this root is not, so they go with it.
    std::string prefix = PosixSections(path_).objectPrefix().substr(1);
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(entry.path(), ec);
    }
    std::filesystem::remove_all(path_, ec);
}

} // namespace lntc::test
