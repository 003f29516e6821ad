#include "resources/logo_art.h"

#include <algorithm>
#include <cmath>

namespace lntc {

namespace {

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr int kWidth = 400;
constexpr int kHeight = 250;
constexpr Rgb kPaperTop{247, 249, 252};
constexpr Rgb kPaperBottom{212, 224, 238};
constexpr Rgb kNavy{22, 42, 74};
constexpr Rgb kNavyLight{40, 72, 118};
constexpr Rgb kAmber{226, 124, 38};
constexpr Rgb kSheet{255, 255, 255};
constexpr Rgb kSheetEdge{120, 140, 168};
constexpr Rgb kInk{70, 92, 124};

class Canvas {
  public:
    Canvas() : px_(static_cast<size_t>(kWidth) * kHeight) {}
    Rgb& at(int x, int y) { return px_[static_cast<size_t>(y) * kWidth + x]; }
    void fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = std::max(y0, 0); y < std::min(y1, kHeight); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, kWidth); ++x)
                at(x, y) = c;
    }
    // A sheet of paper with a one-pixel edge and a soft shadow to the lower right.
    void sheet(int x0, int y0, int w, int h) {
        for (int y = y0 + 2; y < y0 + h + 3; ++y)
            for (int x = x0 + 2; x < x0 + w + 3; ++x)
                at(x, y) = mix(at(x, y), kNavy, 0.18);
        fill(x0, y0, x0 + w, y0 + h, kSheetEdge);
        fill(x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1, kSheet);
    }
    LogoImage image() const {
        LogoImage img;
        img.width = kWidth;
        img.height = kHeight;
        img.rgb.reserve(px_.size() * 3);
        for (const Rgb& c : px_) {
            img.rgb.push_back(static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 255.0))));
            img.rgb.push_back(static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 255.0))));
            img.rgb.push_back(static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 255.0))));
        }
        return img;
    }

  private:
    std::vector<Rgb> px_;
};

LogoImage draw() {
    Canvas c;
    // Light paper-coloured ground, so that the dark title text reads everywhere on it, with
    // faint ripples spreading from the lower right corner.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Rgb base = mix(kPaperTop, kPaperBottom, static_cast<double>(y) / kHeight);
            double d = std::hypot(kWidth - x, kHeight - y);
            double ripple = 0.5 + 0.5 * std::cos(d / 9.0);
            double fade = std::clamp(1.0 - d / 260.0, 0.0, 1.0);
            c.at(x, y) = mix(base, kNavyLight, 0.07 * ripple * fade);
        }
    }
    // Bands at top and bottom with an amber rule.
    for (int x = 0; x < kWidth; ++x) {
        Rgb band = mix(kNavy, kNavyLight, static_cast<double>(x) / kWidth);
        for (int y = 0; y < 22; ++y)
            c.at(x, y) = band;
        for (int y = 228; y < kHeight; ++y)
            c.at(x, y) = band;
    }
    c.fill(0, 22, kWidth, 25, kAmber);
    c.fill(0, 225, kWidth, 228, kAmber);
    // A stack of printed sheets left of the text.
    c.sheet(26, 92, 36, 48);
    c.sheet(20, 100, 36, 48);
    c.sheet(14, 108, 36, 48);
    for (int line = 0; line < 5; ++line) {
        int y = 116 + line * 7;
        int right = line == 4 ? 34 : 44;
        c.fill(20, y, right, y + 2, line == 0 ? kAmber : kInk);
    }
    return c.image();
}

} // namespace

const LogoImage& LogoArtwork() {
    static const LogoImage image = draw();
    return image;
}

} // namespace lntc
