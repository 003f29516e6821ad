// Pictures of the dialogs as the system's dialog manager draws them, and of the logo, written
// as PNG files under the names the other hosts' galleries use.
#pragma once
#include "resources/templates.h"
#include "ui/gallery_dialogs.h"
#include "ui/logo_view.h"
#include "ui/qt_host_api.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lntc::win32 {

class Win32Host;

struct GalleryResult {
    std::vector<std::string> written, failed;
};

// The client area of a shown window as 8-bit RGB rows, top first, as the window and its
// controls have just painted it; false when nothing could be drawn.
bool CaptureClient(HWND window, int& width, int& height, std::vector<uint8_t>& rgb);
GalleryResult WriteGallery(Win32Host& host, std::span<const DialogTemplate* const> templates,
                           const LogoPaint& logo, const std::string& dir,
                           std::span<const GalleryText> texts);

} // namespace lntc::win32
