// What the library and the Qt module (liblntc-qt.so) tell each other. The module is loaded
// with dlopen only when a window has to be shown; it gets everything it needs from the
// library through these interfaces and keeps no process state of its own beyond its widgets.
#pragma once
#include "resources/templates.h"
#include "ui/host.h"
#include "ui/logo_view.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lntc {

class TopWindows;

#ifdef _WIN32
// The same contract over the system's own dialog manager.
inline constexpr const char* kQtModuleFile = "lntc-win32.dll";
#else
inline constexpr const char* kQtModuleFile = "liblntc-qt.so";
#endif
inline constexpr const char* kQtHostEntry = "lntc_qt_create_host";
inline constexpr const char* kQtGalleryEntry = "lntc_qt_write_gallery";
// Raised whenever a member below or the Host interface changes meaning; the module refuses
// other versions.
inline constexpr uint32_t kQtHostApiVersion = 6;

// Services of the library, valid for the life of the host made from them.
class QtHostServices {
  public:
    // A numbered string of the library's string table; "" when it has none.
    virtual std::string loadString(uint32_t id) = 0;
    // An entry in the product's error log.
    virtual void logError(const std::string& text) = 0;
    // The machine's window registry, or nullptr.
    virtual TopWindows* windows() = 0;
    // Qt has gone for the host (the application object ended, or the process is exiting):
    // the host must not be used any more, only deleted.
    virtual void toolkitEnded() = 0;

  protected:
    ~QtHostServices() = default;
};

struct QtHostContext {
    uint32_t apiVersion = kQtHostApiVersion;
    QtHostServices* services = nullptr;
    // False in a process that has the Qt libraries loaded already but no application object
    // yet (a Qt program that has not reached its main): creating one there would break the
    // program's own, so the module declines and is asked again later.
    bool mayCreateApplication = true;
};

// The module's entry point: a host over real widgets, or nullptr when none can be made now.
// The host is deleted through Host's virtual destructor; the module stays loaded.
using QtCreateHostFn = Host* (*)(const QtHostContext*);

// A text a dialog puts into a control as it opens (the wait window's message), for its picture.
struct GalleryText {
    uint16_t templateId = 0;
    int controlId = 0;
    std::string text;
};

// Pictures of the templates and of the logo as the Qt host renders them, for review.
struct QtGalleryRequest {
    uint32_t apiVersion = kQtHostApiVersion;
    std::span<const DialogTemplate* const> templates;
    const LogoPaint* logo = nullptr;
    std::string dir; // exists
    std::vector<GalleryText> texts;
    // Filled by the module: the paths written, and what was not written and why.
    std::vector<std::string> written, failed;
};
// The gallery's entry point: false when Qt cannot start in this process.
using QtWriteGalleryFn = bool (*)(QtGalleryRequest*);

} // namespace lntc
