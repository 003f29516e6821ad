// A screen as a grid of character cells. Everything the terminal host shows is drawn here
// first; a terminal only copies the grid out, and the text gallery and the tests read it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc::tui {

namespace attr {
inline constexpr uint8_t Plain = 0;
inline constexpr uint8_t Bold = 1;
inline constexpr uint8_t Underline = 2;
inline constexpr uint8_t Reverse = 4;
inline constexpr uint8_t Dim = 8;
} // namespace attr

struct Cell {
    char32_t ch = U' ';
    uint8_t attr = attr::Plain;
    bool operator==(const Cell&) const = default;
};

struct CellRect {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
    bool contains(int px, int py) const {
        return px >= x && px < right() && py >= y && py < bottom();
    }
    bool operator==(const CellRect&) const = default;
};

// Line drawing: box characters where the terminal's character set has them, else ASCII.
struct Glyphs {
    char32_t h, v, tl, tr, bl, br, up, down, updown, shade;
    static const Glyphs& unicode();
    static const Glyphs& ascii();
};

// The code points of UTF-8 text; a byte that starts no valid sequence stands for itself
// (as Latin-1), so that nothing is lost on the way to the screen.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

class CellBuffer {
  public:
    CellBuffer(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    const Cell& at(int x, int y) const { return cells_[static_cast<size_t>(y * width_ + x)]; }

    // Outside the grid nothing happens.
    void put(int x, int y, char32_t ch, uint8_t a = attr::Plain);
    // Text clipped at maxWidth columns and at the grid; the columns written.
    int text(int x, int y, std::u32string_view s, uint8_t a, int maxWidth);
    int text(int x, int y, std::string_view utf8, uint8_t a, int maxWidth) {
        return text(x, y, DecodeUtf8(utf8), a, maxWidth);
    }
    void fill(const CellRect& r, char32_t ch = U' ', uint8_t a = attr::Plain);
    void frame(const CellRect& r, const Glyphs& g, uint8_t a = attr::Plain);
    // Adds attributes to the cells already drawn.
    void mark(const CellRect& r, uint8_t a);

    // Where the terminal's cursor stands (the caret of the focused field); -1: hidden.
    int caretX = -1, caretY = -1;

    // The grid as UTF-8 lines, each without its trailing blanks and ended by "\n".
    std::string toText() const;

  private:
    int width_, height_;
    std::vector<Cell> cells_;
};

// The lines of a text broken at blanks to fit width columns; "\n" breaks a line.
std::vector<std::u32string> WrapText(std::u32string_view text, int width);

} // namespace lntc::tui
