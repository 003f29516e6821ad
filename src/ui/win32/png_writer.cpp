#include "ui/win32/png_writer.h"

#include "platform/win32/text.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace lntc::win32 {

namespace {

const std::array<uint32_t, 256>& crcTable() {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift : {24, 16, 8, 0})
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char type[5], std::span<const uint8_t> data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, Crc32(std::span(out).subspan(start)));
}

// The most a stored block holds.
constexpr size_t kStoredMax = 65535;

} // namespace

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    crc = ~crc;
    for (uint8_t b : bytes)
        crc = crcTable()[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(std::span<const uint8_t> bytes) {
    uint32_t a = 1, b = 0;
    for (uint8_t v : bytes) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb) {
    if (width <= 0 || height <= 0) return {};
    const size_t row = static_cast<size_t>(width) * 3;
    if (rgb.size() != row * static_cast<size_t>(height)) return {};
    // Each row behind filter type 0 (none).
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        auto line = rgb.subspan(row * static_cast<size_t>(y), row);
        raw.insert(raw.end(), line.begin(), line.end());
    }
    std::vector<uint8_t> z = {0x78, 0x01}; // deflate, 32K window, no dictionary
    for (size_t at = 0; at < raw.size() || at == 0; at += kStoredMax) {
        const size_t n = std::min(kStoredMax, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0); // last block?, type 00
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                 raw.begin() + static_cast<ptrdiff_t>(at + n));
    }
    put32(z, Adler32(raw));

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(width));
    put32(ihdr, static_cast<uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, filter set 0, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

bool WritePng(const std::string& path, int width, int height, std::span<const uint8_t> rgb) {
    std::vector<uint8_t> bytes = EncodePng(width, height, rgb);
    if (bytes.empty()) return false;
    const std::wstring target = wideFromText(path);
    const std::wstring temp = target + L".part";
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(f);
    CloseHandle(f);
    if (ok) ok = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

} // namespace lntc::win32
