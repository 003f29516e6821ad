// A PNG file of 8-bit RGB pixels, written without a compression library: the image data is
// one zlib stream of stored (uncompressed) blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lntc::win32 {

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);
uint32_t Adler32(std::span<const uint8_t> bytes);

// The file's bytes for an image of width x height pixels given as rows of R, G, B bytes, top
// row first; empty when the sizes do not match the pixels.
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb);
// Writes the file in full or not at all (a temporary file renamed over it); false on failure.
bool WritePng(const std::string& path, int width, int height, std::span<const uint8_t> rgb);

} // namespace lntc::win32
