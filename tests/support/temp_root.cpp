#include "support/temp_root.h"

#include <filesystem>
#include <stdexcept>
#ifdef _WIN32
#include <atomic>
#include <windows.h>
#else
#include "platform/posix/posix_sections.h"

#include <cstdlib>
#endif

namespace lntc::test {

#ifdef _WIN32
TempRoot::TempRoot() {
    static std::atomic<unsigned> count{0};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto dir = base / ("lntc-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++count));
        if (CreateDirectoryW(dir.wstring().c_str(), nullptr)) path_ = dir.string();
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
}

TempRoot::~TempRoot() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}
#else
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
#endif

} // namespace lntc::test
