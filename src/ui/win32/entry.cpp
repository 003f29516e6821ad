// The module's exported functions, under the names and contract of the other display module:
// the host, and the gallery.
#include "ui/win32/gallery.h"
#include "ui/win32/win32_host.h"

extern "C" __declspec(dllexport) lntc::Host* lntc_qt_create_host(
    const lntc::QtHostContext* context) {
    using namespace lntc;
    try {
        if (context == nullptr || context->apiVersion != kQtHostApiVersion) return nullptr;
        return new win32::Win32Host(context->services);
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) bool lntc_qt_write_gallery(lntc::QtGalleryRequest* request) {
    using namespace lntc;
    try {
        if (request == nullptr || request->apiVersion != kQtHostApiVersion) return false;
        win32::Win32Host host(nullptr);
        LogoPaint none;
        win32::GalleryResult result =
            win32::WriteGallery(host, request->templates, request->logo ? *request->logo : none,
                                request->dir, request->texts);
        request->written = std::move(result.written);
        request->failed = std::move(result.failed);
        return true;
    } catch (...) {
        return false;
    }
}
