// The logo artwork (bitmap resource 1000), made in code.
#pragma once
#include <cstdint>
#include <vector>

namespace lntc {

inline constexpr uint32_t kLogoBitmapId = 1000;

// Pixels row by row from the top, three bytes (red, green, blue) each.
struct LogoImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The product's logo, 400 x 250; made once per process.
const LogoImage& LogoArtwork();

} // namespace lntc
