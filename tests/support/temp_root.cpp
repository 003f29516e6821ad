#include "support/temp_root.h"

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
    std::filesystem::remove_all(path_, ec);
}

} // namespace lntc::test
