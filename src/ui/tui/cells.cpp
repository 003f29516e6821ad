#include "ui/tui/cells.h"

#include "platform/printable.h"

#include <algorithm>

namespace lntc::tui {

const Glyphs& Glyphs::unicode() {
    static const Glyphs g{U'─', U'│', U'┌', U'┐', U'└', U'┘', U'▲', U'▼', U'↕', U'░'};
    return g;
}

const Glyphs& Glyphs::ascii() {
    static const Glyphs g{U'-', U'|', U'+', U'+', U'+', U'+', U'^', U'v', U'|', U' '};
    return g;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        size_t n = utf8Length(text, i, c);
        if (n == 0) {
            out.push_back(static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            out.push_back(c);
            i += n;
        }
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

CellBuffer::CellBuffer(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      cells_(static_cast<size_t>(width_ * height_)) {}

void CellBuffer::put(int x, int y, char32_t ch, uint8_t a) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    // Control characters never reach the terminal.
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0)) ch = U'?';
    cells_[static_cast<size_t>(y * width_ + x)] = Cell{ch, a};
}

int CellBuffer::text(int x, int y, std::u32string_view s, uint8_t a, int maxWidth) {
    int n = std::min<int>(static_cast<int>(s.size()), std::max(0, maxWidth));
    for (int i = 0; i < n; ++i)
        put(x + i, y, s[static_cast<size_t>(i)], a);
    return n;
}

void CellBuffer::fill(const CellRect& r, char32_t ch, uint8_t a) {
    for (int y = r.y; y < r.bottom(); ++y)
        for (int x = r.x; x < r.right(); ++x)
            put(x, y, ch, a);
}

void CellBuffer::frame(const CellRect& r, const Glyphs& g, uint8_t a) {
    if (r.w < 2 || r.h < 2) return;
    for (int x = r.x + 1; x < r.right() - 1; ++x) {
        put(x, r.y, g.h, a);
        put(x, r.bottom() - 1, g.h, a);
    }
    for (int y = r.y + 1; y < r.bottom() - 1; ++y) {
        put(r.x, y, g.v, a);
        put(r.right() - 1, y, g.v, a);
    }
    put(r.x, r.y, g.tl, a);
    put(r.right() - 1, r.y, g.tr, a);
    put(r.x, r.bottom() - 1, g.bl, a);
    put(r.right() - 1, r.bottom() - 1, g.br, a);
}

void CellBuffer::mark(const CellRect& r, uint8_t a) {
    for (int y = std::max(0, r.y); y < std::min(height_, r.bottom()); ++y)
        for (int x = std::max(0, r.x); x < std::min(width_, r.right()); ++x)
            cells_[static_cast<size_t>(y * width_ + x)].attr |= a;
}

std::string CellBuffer::toText() const {
    std::string out;
    for (int y = 0; y < height_; ++y) {
        std::u32string line;
        for (int x = 0; x < width_; ++x)
            line.push_back(at(x, y).ch);
        line.erase(line.find_last_not_of(U' ') + 1);
        out += EncodeUtf8(line) + "\n";
    }
    return out;
}

std::vector<std::u32string> WrapText(std::u32string_view text, int width) {
    std::vector<std::u32string> lines;
    width = std::max(1, width);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(U'\n', start);
        std::u32string_view para = text.substr(
            start, end == std::u32string_view::npos ? std::u32string_view::npos : end - start);
        do {
            if (static_cast<int>(para.size()) <= width) {
                lines.emplace_back(para);
                break;
            }
            size_t cut = para.rfind(U' ', static_cast<size_t>(width));
            if (cut == std::u32string_view::npos || cut == 0) cut = static_cast<size_t>(width);
            lines.emplace_back(para.substr(0, cut));
            para.remove_prefix(cut);
            while (!para.empty() && para.front() == U' ')
                para.remove_prefix(1);
        } while (!para.empty());
        if (end == std::u32string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

} // namespace lntc::tui
