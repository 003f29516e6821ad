#include "ui/win32/logo_window.h"

#include "platform/win32/text.h"
#include "ui/win32/win32_host.h"

namespace lntc::win32 {

LogoWindow::~LogoWindow() {
    destroy();
}

LogoView::Rect LogoWindow::desktop() const {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

void LogoWindow::Paint(HDC dc, const LogoPaint& paint) {
    const LogoImage* image = paint.image;
    if (image != nullptr && image->width > 0 && image->height > 0 &&
        image->rgb.size() >= static_cast<size_t>(image->width) * image->height * 3) {
        // A top-down bitmap of B, G, R rows, each padded to four bytes.
        const size_t stride = (static_cast<size_t>(image->width) * 3 + 3) & ~size_t(3);
        std::vector<uint8_t> bgr(stride * static_cast<size_t>(image->height));
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const uint8_t* s = &image->rgb[(static_cast<size_t>(y) * image->width + x) * 3];
                uint8_t* d = &bgr[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
                d[0] = s[2], d[1] = s[1], d[2] = s[0];
            }
        BITMAPINFO bi{};
        bi.bmiHeader = {
            sizeof(BITMAPINFOHEADER), image->width, -image->height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(dc, 0, 0, image->width, image->height, 0, 0, 0, image->height, bgr.data(),
                          &bi, DIB_RGB_COLORS);
    }
    HFONT font = CreateFontW(paint.fontHeight, 0, 0, 0, paint.fontWeight, FALSE, FALSE, FALSE,
                             static_cast<DWORD>(paint.fontCharset),
                             static_cast<DWORD>(paint.fontOutputPrecision), CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, static_cast<DWORD>(paint.fontPitchAndFamily),
                             wideFromText(paint.fontFace).c_str());
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (auto [text, x, y] : {std::tuple(&paint.title, paint.titleX, paint.titleY),
                              std::tuple(&paint.version, paint.versionX, paint.versionY)}) {
        std::wstring w = wideFromText(*text);
        TextOutW(dc, x, y, w.c_str(), static_cast<int>(w.size()));
    }
    SelectObject(dc, old);
    DeleteObject(font);
}

LRESULT CALLBACK LogoWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<LogoWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            h, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        if (self != nullptr && self->paint_ != nullptr) Paint(dc, *self->paint_);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the picture covers the window
    case WM_TIMER:
        if (self != nullptr) {
            const auto id = static_cast<uint32_t>(wp);
            KillTimer(h, wp);
            auto it = self->timers_.find(id);
            if (it == self->timers_.end()) return 0;
            // The expiry may destroy the window, and this object's timers with it.
            std::function<void()> expiry = std::move(it->second);
            self->timers_.erase(it);
            if (expiry) expiry();
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

bool LogoWindow::create(const std::string& className, const std::string& title, int x, int y,
                        int width, int height, const LogoPaint& paint) {
    if (hwnd_ != nullptr) return false; // one logo at a time
    const std::wstring cls = wideFromText(className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(Win32Host::instance(), cls.c_str(), &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = Win32Host::instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = cls.c_str();
        if (!RegisterClassExW(&wc)) return false;
    } else if (wc.lpfnWndProc != Proc) {
        return false; // the name is another window's class
    }
    paint_ = &paint;
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, cls.c_str(), wideFromText(title).c_str(), WS_POPUP, x,
                            y, width, height, nullptr, nullptr, Win32Host::instance(), this);
    if (hwnd_ == nullptr) {
        paint_ = nullptr;
        return false;
    }
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void LogoWindow::setTopmost() {
    if (hwnd_ != nullptr)
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void LogoWindow::paintNow() {
    if (hwnd_ == nullptr) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void LogoWindow::startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) {
    if (hwnd_ == nullptr) return;
    timers_[id] = std::move(expiry);
    SetTimer(hwnd_, id, milliseconds, nullptr);
}

void LogoWindow::stopTimer(uint32_t id) {
    if (hwnd_ != nullptr) KillTimer(hwnd_, id);
    timers_.erase(id);
}

void LogoWindow::destroy() {
    if (hwnd_ == nullptr) return;
    HWND h = hwnd_;
    hwnd_ = nullptr;
    for (const auto& t : timers_)
        KillTimer(h, t.first);
    timers_.clear();
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    // Only the thread that made a window may destroy it; torn down from another (the library
    // freed there), the window is told to close, which its own thread does at its next message.
    if (!DestroyWindow(h)) PostMessageW(h, WM_CLOSE, 0, 0);
    paint_ = nullptr;
}

} // namespace lntc::win32
