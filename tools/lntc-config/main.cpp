// lntc-config: the configuration program. For now it renders the gallery of every dialog
// and of the logo window for review; the configuration dialog itself comes later.
#include "logo/logo.h"
#include "resources/ids.h"
#include "resources/logo_art.h"
#include "resources/lookup.h"
#include "resources/templates.h"
#include "ui/qt/gallery.h"
#include "ui/qt/qt_host.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

void usage(std::FILE* out) {
    std::fprintf(out, "usage: lntc-config --gallery DIR\n"
                      "  --gallery DIR  write a PNG of every dialog and of the logo into DIR\n");
}

int gallery(int argc, char** argv, const std::string& dir) {
    // Pictures need no display: the offscreen platform unless the caller chose one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "lntc-config: cannot create %s: %s\n", dir.c_str(),
                     ec.message().c_str());
        return 1;
    }
    QApplication app(argc, argv);
    lntc::QtHost host(nullptr);
    lntc::LogoPaint logo;
    logo.image = &lntc::LogoArtwork();
    const lntc::StringLookup strings; // the built-in tables
    logo.title = strings.load(lntc::str::ProductName);
    logo.version = lntc::LogoVersionLine(strings, LNTC_VERSION_TEXT);
    auto result = lntc::WriteGallery(host, lntc::builtinTemplates(), logo, dir);
    for (const auto& path : result.written)
        std::printf("%s\n", path.c_str());
    for (const auto& why : result.failed)
        std::fprintf(stderr, "lntc-config: %s\n", why.c_str());
    return result.failed.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--gallery") == 0) return gallery(argc, argv, argv[2]);
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc == 1) {
        std::fprintf(stderr, "lntc-config: the configuration dialog is not available yet; "
                             "use --gallery DIR to render the dialogs\n");
        return 2;
    }
    usage(stderr);
    return 2;
}
