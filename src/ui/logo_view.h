// The logo window as a toolkit host provides it. The logic decides what is shown where and
// for how long; the view only carries it out.
#pragma once
#include "resources/logo_art.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lntc {

// Everything the window draws, in window coordinates.
struct LogoPaint {
    const LogoImage* image = nullptr; // copied to (0, 0) at its full size
    std::string title;                // string 32895
    int titleX = 80, titleY = 100;    // top-left of the text
    std::string version;              // string 32896, a blank and the version text
    int versionX = 80, versionY = 140;
    // The font: a roman TrueType face, no italic, underline or strike-out, character set 0,
    // drawn on a transparent background in the default text colour.
    std::string fontFace = "Times New Roman";
    int fontHeight = 48; // cell height in pixels
    int fontWeight = 600;
    int fontCharset = 0;
    int fontOutputPrecision = 4; // TrueType preferred
    int fontPitchAndFamily = 16; // roman family
};

class LogoView {
  public:
    virtual ~LogoView() = default;

    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    // The desktop's rectangle, in screen coordinates.
    virtual Rect desktop() const = 0;
    // Shows a visible borderless pop-up window of the class with the title at (x, y), of the
    // given size, owned by the desktop, drawing paint (which outlives the window). False
    // when no window could be made.
    virtual bool create(const std::string& className, const std::string& title, int x, int y,
                        int width, int height, const LogoPaint& paint) = 0;
    // Keeps the window above all others without moving or sizing it.
    virtual void setTopmost() = 0;
    // Paints the window at once rather than when the event loop gets round to it.
    virtual void paintNow() = 0;
    // A one-shot timer on the window; expiry runs on the user-interface thread and may
    // destroy the window from inside the callback.
    virtual void startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) = 0;
    virtual void stopTimer(uint32_t id) = 0;
    // Closes the window and releases what it drew with.
    virtual void destroy() = 0;
};

} // namespace lntc
