// The start-up logo as a real top-level window: a borderless pop-up of the caller's class,
// drawn with the system's GDI, with timers on the window.
#pragma once
#include "ui/logo_view.h"

#include <windows.h>

#include <functional>
#include <map>

namespace lntc::win32 {

class LogoWindow : public LogoView {
  public:
    LogoWindow() = default;
    ~LogoWindow() override;
    LogoWindow(const LogoWindow&) = delete;
    LogoWindow& operator=(const LogoWindow&) = delete;

    HWND window() const { return hwnd_; }
    Rect desktop() const override;
    bool create(const std::string& className, const std::string& title, int x, int y, int width,
                int height, const LogoPaint& paint) override;
    void setTopmost() override;
    void paintNow() override;
    void startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) override;
    void stopTimer(uint32_t id) override;
    void destroy() override;

    // Draws the logo into a device context of the window's size (painting and the gallery).
    static void Paint(HDC dc, const LogoPaint& paint);

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    const LogoPaint* paint_ = nullptr;
    std::map<uint32_t, std::function<void()>> timers_;
};

} // namespace lntc::win32
