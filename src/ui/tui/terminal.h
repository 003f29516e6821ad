// What the terminal host needs of a terminal: its size, a way to show a grid of cells and
// the keys and clicks of the person at it. The ncurses terminal is the real one; tests and
// the text gallery do without.
#pragma once
#include "ui/tui/cells.h"

#include <optional>

namespace lntc::tui {

struct Key {
    enum Type : uint8_t {
        Char,
        Enter,
        Escape,
        Tab,
        BackTab,
        Up,
        Down,
        Left,
        Right,
        Home,
        End,
        PageUp,
        PageDown,
        Backspace,
        Delete,
        F1,
        F4,
        Resize,
        Click,
        DoubleClick,
    };
    Type type = Char;
    char32_t ch = 0;
    bool alt = false;   // Alt held (the terminal sent Escape before the key)
    bool shift = false; // arrows, Home and End
    int x = 0, y = 0;   // clicks
};

class Terminal {
  public:
    virtual ~Terminal() = default;
    virtual int cols() = 0;
    virtual int rows() = 0;
    virtual const Glyphs& glyphs() = 0;
    virtual void present(const CellBuffer& screen) = 0;
    // The next key, or nullopt when timeoutMs (-1: no limit) passed without one.
    virtual std::optional<Key> read(int timeoutMs) = 0;
    virtual void beep() {}
};

} // namespace lntc::tui
