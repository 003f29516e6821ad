// The module's exported functions: the host on this process's terminal, and the gallery.
#include "ui/gallery_dialogs.h"
#include "ui/tui/curses_terminal.h"
#include "ui/tui/terminal_host.h"
#include "ui/tui_host_api.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace lntc;

void save(TuiGalleryRequest& r, const std::string& name, const std::string& text) {
    const std::string path = r.dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wbx"); // never through what is there already
    if (f == nullptr && std::remove(path.c_str()) == 0) f = std::fopen(path.c_str(), "wbx");
    const bool ok = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f != nullptr && std::fclose(f) != 0) f = nullptr;
    if (ok && f != nullptr)
        r.written.push_back(path);
    else
        r.failed.push_back(path + ": cannot be written");
}

} // namespace

extern "C" __attribute__((visibility("default"))) lntc::Host*
lntc_tui_create_host(lntc::TuiHostContext* context) {
    try {
        if (context == nullptr || context->apiVersion != kTuiHostApiVersion) return nullptr;
        std::unique_ptr<tui::Terminal> terminal = tui::OpenCursesTerminal(context->failure);
        if (!terminal) return nullptr;
        return new tui::TerminalHost(std::move(terminal));
    } catch (...) {
        return nullptr;
    }
}

extern "C" __attribute__((visibility("default"))) bool
lntc_tui_write_gallery(lntc::TuiGalleryRequest* request) {
    try {
        if (request == nullptr || request->apiVersion != kTuiHostApiVersion) return false;
        constexpr int kCols = 80, kRows = 24;
        for (const DialogTemplate* t : request->templates) {
            if (t == nullptr) continue;
            tui::TerminalHost host(nullptr);
            WindowRef w = OpenStillDialog(host.model(), *t);
            if (w == nullptr) {
                request->failed.push_back(request->dir + "/" + GalleryFileName(*t, ".txt") +
                                          ": nothing was rendered");
                continue;
            }
            save(*request, GalleryFileName(*t, ".txt"), host.render(kCols, kRows).toText());
            host.model().destroyWindow(w);
        }
        if (request->logo != nullptr) {
            tui::TerminalHost host(nullptr);
            LogoView* logo = host.logoView();
            logo->create("", "", 0, 0, 0, 0, *request->logo);
            save(*request, "logo.txt", host.render(kCols, kRows).toText());
            logo->destroy();
        }
        return true;
    } catch (...) {
        return false;
    }
}
