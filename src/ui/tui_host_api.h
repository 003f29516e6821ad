// What the library and the terminal module (liblntc-tui.so) tell each other. The module is
// loaded with dlopen only for a run on a terminal, so that the product's processes never
// carry the terminal library; it gets what it needs through these interfaces.
#pragma once
#include "resources/templates.h"
#include "ui/host.h"
#include "ui/logo_view.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lntc {

inline constexpr const char* kTuiModuleFile = "liblntc-tui.so";
inline constexpr const char* kTuiHostEntry = "lntc_tui_create_host";
inline constexpr const char* kTuiGalleryEntry = "lntc_tui_write_gallery";
// Raised whenever a member below or the Host interface changes meaning; the module refuses
// other versions.
inline constexpr uint32_t kTuiHostApiVersion = 2;

struct TuiHostContext {
    uint32_t apiVersion = kTuiHostApiVersion;
    // Filled by the module when it makes no host: why the terminal cannot be used.
    std::string failure;
};

// A host drawing on the terminal of standard input and output, or nullptr (see failure). The
// terminal is restored when the host is deleted, and also when the process ends on a signal.
using TuiCreateHostFn = Host* (*)(TuiHostContext*);

// The screen of each template, and of the logo, as text.
struct TuiGalleryRequest {
    uint32_t apiVersion = kTuiHostApiVersion;
    std::span<const DialogTemplate* const> templates;
    const LogoPaint* logo = nullptr;
    std::string dir; // exists
    // Filled by the module: the paths written, and what was not written and why.
    std::vector<std::string> written, failed;
};
using TuiWriteGalleryFn = bool (*)(TuiGalleryRequest*);

} // namespace lntc
