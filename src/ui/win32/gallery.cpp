#include "ui/win32/gallery.h"

#include "ui/gallery_dialogs.h"
#include "ui/win32/logo_window.h"
#include "ui/win32/png_writer.h"
#include "ui/win32/win32_host.h"

namespace lntc::win32 {

namespace {

// Memory the device context draws into, read back as RGB.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    bool read(std::vector<uint8_t>& rgb) const {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint8_t> bgra(static_cast<size_t>(width_) * height_ * 4);
        SelectObject(dc_, old_); // a bitmap is read while no context holds it
        const int rows = GetDIBits(dc_, bitmap_, 0, static_cast<UINT>(height_), bgra.data(), &bi,
                                   DIB_RGB_COLORS);
        SelectObject(dc_, bitmap_);
        if (rows != height_) return false;
        rgb.resize(static_cast<size_t>(width_) * height_ * 3);
        for (size_t i = 0, n = static_cast<size_t>(width_) * height_; i < n; ++i) {
            rgb[i * 3] = bgra[i * 4 + 2];
            rgb[i * 3 + 1] = bgra[i * 4 + 1];
            rgb[i * 3 + 2] = bgra[i * 4];
        }
        return true;
    }

  private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

} // namespace

bool CaptureClient(HWND window, int& width, int& height, std::vector<uint8_t>& rgb) {
    RECT r{};
    if (!IsWindowVisible(window) || !GetClientRect(window, &r) || r.right <= 0 || r.bottom <= 0)
        return false;
    width = r.right, height = r.bottom;
    // The dialog and every control paint themselves now, into the window's own surface; the
    // system's WM_PRINT would draw the dialog's background alone (its default handling leaves
    // the children out) and most controls do not answer WM_PRINTCLIENT.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Canvas canvas(width, height);
    HDC dc = GetDC(window);
    const bool copied =
        dc != nullptr && BitBlt(canvas.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    if (dc != nullptr) ReleaseDC(window, dc);
    return copied && canvas.read(rgb);
}

GalleryResult WriteGallery(Win32Host& host, std::span<const DialogTemplate* const> templates,
                           const LogoPaint& logo, const std::string& dir,
                           std::span<const GalleryText> texts) {
    GalleryResult result;
    auto save = [&](bool drawn, int width, int height, const std::vector<uint8_t>& rgb,
                    const std::string& name) {
        std::string path = dir + "/" + name;
        if (!drawn)
            result.failed.push_back(path + ": nothing was rendered");
        else if (!WritePng(path, width, height, rgb))
            result.failed.push_back(path + ": cannot be written");
        else
            result.written.push_back(path);
    };
    for (const DialogTemplate* t : templates) {
        if (t == nullptr) continue;
        WindowRef window = OpenStillDialog(host.model(), *t, texts);
        int width = 0, height = 0;
        std::vector<uint8_t> rgb;
        HWND h = host.dialog(window);
        const bool drawn = h != nullptr && CaptureClient(h, width, height, rgb);
        if (window != nullptr) host.model().destroyWindow(window);
        save(drawn, width, height, rgb, GalleryFileName(*t));
    }
    bool drawn = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    if (logo.image != nullptr && logo.image->width > 0 && logo.image->height > 0) {
        width = logo.image->width, height = logo.image->height;
        Canvas canvas(width, height);
        LogoWindow::Paint(canvas.dc(), logo);
        drawn = canvas.read(rgb);
    }
    save(drawn, width, height, rgb, "logo.png");
    return result;
}

} // namespace lntc::win32
