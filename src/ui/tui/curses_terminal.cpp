#include "ui/tui/curses_terminal.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>

#include <langinfo.h>
#include <locale.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace lntc::tui {

namespace {

// What a signal handler needs to put the terminal back: async-signal-safe calls only.
struct Restore {
    bool armed = false;
    int inFd = 0, outFd = 1;
    termios saved{};
    char bytes[512] = {};
    size_t length = 0;
};
Restore g_restore;

constexpr std::array<int, 7> kFatalSignals = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT,
                                              SIGSEGV, SIGABRT, SIGBUS};
// Also those ncurses takes over while it runs.
constexpr std::array<int, 2> kCursesSignals = {SIGWINCH, SIGTSTP};
struct sigaction g_previous[kFatalSignals.size() + kCursesSignals.size()];

void restoreTerminal() {
    if (!g_restore.armed) return;
    g_restore.armed = false;
    ssize_t ignored = ::write(g_restore.outFd, g_restore.bytes, g_restore.length);
    (void)ignored;
    ::tcsetattr(g_restore.inFd, TCSANOW, &g_restore.saved);
}

void onFatalSignal(int sig) {
    const int saved = errno;
    restoreTerminal();
    // The disposition the program had, then the signal again: it ends the process as it
    // would have, or reaches the program's own handler.
    for (size_t i = 0; i < kFatalSignals.size(); ++i)
        if (kFatalSignals[i] == sig) ::sigaction(sig, &g_previous[i], nullptr);
    ::raise(sig);
    errno = saved;
}

void append(const char* s) {
    if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return;
    const size_t n = std::strlen(s);
    if (g_restore.length + n >= sizeof g_restore.bytes) return;
    std::memcpy(g_restore.bytes + g_restore.length, s, n);
    g_restore.length += n;
}

// The user's character set on this thread for as long as it stands.
class LocaleScope {
  public:
    explicit LocaleScope(locale_t l) : previous_(l != nullptr ? ::uselocale(l) : nullptr) {}
    ~LocaleScope() {
        if (previous_ != nullptr) ::uselocale(previous_);
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    locale_t previous_;
};

attr_t cursesAttr(uint8_t a) {
    attr_t out = A_NORMAL;
    if (a & attr::Bold) out |= A_BOLD;
    if (a & attr::Underline) out |= A_UNDERLINE;
    if (a & attr::Reverse) out |= A_REVERSE;
    if (a & attr::Dim) out |= A_DIM;
    return out;
}

class CursesTerminal : public Terminal {
  public:
    ~CursesTerminal() override {
        if (screen_ != nullptr) close();
        if (locale_ != nullptr) ::freelocale(locale_);
    }

    void close() {
        {
            LocaleScope scope(locale_);
            if (mouse_) mousemask(0, nullptr);
            endwin();
            delscreen(screen_);
        }
        // endwin has put the terminal back; the settings it was found with, to be sure.
        g_restore.armed = false;
        ::tcsetattr(g_restore.inFd, TCSANOW, &g_restore.saved);
        for (size_t i = 0; i < kFatalSignals.size(); ++i)
            ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
        for (size_t i = 0; i < kCursesSignals.size(); ++i)
            ::sigaction(kCursesSignals[i], &g_previous[kFatalSignals.size() + i], nullptr);
        screen_ = nullptr;
    }

    bool open(std::string& why) {
        if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
            why = "standard input and output are not a terminal";
            return false;
        }
        if (g_restore.armed) {
            why = "the terminal is in use already";
            return false;
        }
        locale_ = ::newlocale(LC_CTYPE_MASK, "", nullptr);
        if (locale_ == nullptr) locale_ = ::newlocale(LC_CTYPE_MASK, "C", nullptr);
        if (locale_ == nullptr) {
            why = "no character set for the terminal";
            return false;
        }
        utf8_ = std::strcmp(::nl_langinfo_l(CODESET, locale_), "UTF-8") == 0;
        if (::tcgetattr(STDIN_FILENO, &g_restore.saved) != 0) {
            why = std::string("the terminal's settings cannot be read: ") + std::strerror(errno);
            return false;
        }
        for (size_t i = 0; i < kFatalSignals.size(); ++i)
            ::sigaction(kFatalSignals[i], nullptr, &g_previous[i]);
        for (size_t i = 0; i < kCursesSignals.size(); ++i)
            ::sigaction(kCursesSignals[i], nullptr, &g_previous[kFatalSignals.size() + i]);
        LocaleScope scope(locale_);
        screen_ = newterm(nullptr, stdout, stdin);
        if (screen_ == nullptr) {
            const char* term = std::getenv("TERM");
            why = std::string("the terminal type ") + (term != nullptr ? term : "(TERM unset)") +
                  " is not known";
            ::tcsetattr(STDIN_FILENO, TCSANOW, &g_restore.saved);
            return false;
        }
        set_term(screen_);
        cbreak(); // Ctrl+C still interrupts: the handler below restores the terminal
        noecho();
        nonl();
        keypad(stdscr, TRUE);
        intrflush(stdscr, FALSE);
        set_escdelay(50);
        mouse_ = mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED, nullptr) != 0;
        mouseinterval(300);
        // What endwin would send, prepared now for a handler that cannot call it.
        g_restore.length = 0;
        if (mouse_) append("\033[?1000l\033[?1002l\033[?1006l");
        append(tigetstr(const_cast<char*>("sgr0")));
        append(tigetstr(const_cast<char*>("cnorm")));
        append(tigetstr(const_cast<char*>("rmkx")));
        append(tigetstr(const_cast<char*>("rmcup")));
        g_restore.armed = true;
        struct sigaction sa {};
        sa.sa_handler = &onFatalSignal;
        sigemptyset(&sa.sa_mask);
        for (int sig : kFatalSignals)
            ::sigaction(sig, &sa, nullptr);
        return true;
    }

    int cols() override { return std::max(1, getmaxx(stdscr)); }
    int rows() override { return std::max(1, getmaxy(stdscr)); }
    const Glyphs& glyphs() override { return utf8_ ? Glyphs::unicode() : Glyphs::ascii(); }

    void present(const CellBuffer& screen) override {
        LocaleScope scope(locale_);
        const int h = std::min(screen.height(), rows()), w = std::min(screen.width(), cols());
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Cell& c = screen.at(x, y);
                wchar_t ch[2] = {static_cast<wchar_t>(c.ch), 0};
                if (!utf8_ && c.ch >= 0x80) ch[0] = L'?';
                cchar_t cc;
                setcchar(&cc, ch, cursesAttr(c.attr), 0, nullptr);
                mvwadd_wch(stdscr, y, x, &cc);
            }
        }
        if (screen.caretX >= 0 && screen.caretX < w && screen.caretY >= 0 && screen.caretY < h) {
            curs_set(1);
            wmove(stdscr, screen.caretY, screen.caretX);
        } else {
            curs_set(0);
        }
        wnoutrefresh(stdscr);
        doupdate();
    }

    std::optional<Key> read(int timeoutMs) override {
        LocaleScope scope(locale_);
        wtimeout(stdscr, timeoutMs);
        for (;;) {
            wint_t ch = 0;
            errno = 0;
            const int kind = wget_wch(stdscr, &ch);
            // Waiting without a limit ends only when the terminal is gone: as on a hang-up.
            if (kind == ERR && timeoutMs < 0 && errno != EINTR) ::raise(SIGHUP);
            if (kind == ERR) return std::nullopt;
            std::optional<Key> key = kind == KEY_CODE_YES ? function(ch) : character(ch);
            if (key) return key;
            if (timeoutMs >= 0) return std::nullopt;
        }
    }

    void beep() override { ::beep(); }

  private:
    std::optional<Key> character(wint_t ch) {
        Key k;
        switch (ch) {
        case 27: {
            // Alt+key arrives as Escape and the key at once.
            wtimeout(stdscr, 0);
            wint_t next = 0;
            const int kind = wget_wch(stdscr, &next);
            if (kind == OK && next >= 0x20 && next != 0x7F) {
                k.ch = static_cast<char32_t>(next);
                k.alt = true;
                return k;
            }
            if (kind == KEY_CODE_YES) {
                std::optional<Key> f = function(next);
                if (f) f->alt = true;
                return f;
            }
            if (kind == OK) unget_wch(static_cast<wchar_t>(next));
            k.type = Key::Escape;
            return k;
        }
        case '\t':
            k.type = Key::Tab;
            return k;
        case '\r':
        case '\n':
            k.type = Key::Enter;
            return k;
        case 8:
        case 127:
            k.type = Key::Backspace;
            return k;
        default:
            if (ch < 0x20) return std::nullopt;
            k.ch = static_cast<char32_t>(ch);
            return k;
        }
    }

    std::optional<Key> function(wint_t code) {
        // The keys of the terminal's key table, with the shifted forms it reports apart.
        static constexpr struct {
            wint_t code;
            Key::Type type;
            bool shift;
        } kKeys[] = {
            {KEY_UP, Key::Up, false},         {KEY_SR, Key::Up, true},
            {KEY_DOWN, Key::Down, false},     {KEY_SF, Key::Down, true},
            {KEY_LEFT, Key::Left, false},     {KEY_SLEFT, Key::Left, true},
            {KEY_RIGHT, Key::Right, false},   {KEY_SRIGHT, Key::Right, true},
            {KEY_HOME, Key::Home, false},     {KEY_SHOME, Key::Home, true},
            {KEY_END, Key::End, false},       {KEY_SEND, Key::End, true},
            {KEY_PPAGE, Key::PageUp, false},  {KEY_NPAGE, Key::PageDown, false},
            {KEY_DC, Key::Delete, false},     {KEY_BACKSPACE, Key::Backspace, false},
            {KEY_BTAB, Key::BackTab, false},  {KEY_ENTER, Key::Enter, false},
            {KEY_F(1), Key::F1, false},       {KEY_F(4), Key::F4, false},
            {KEY_RESIZE, Key::Resize, false},
        };
        Key k;
        for (const auto& key : kKeys)
            if (key.code == code) {
                k.type = key.type;
                k.shift = key.shift;
                return k;
            }
        if (code != KEY_MOUSE) return std::nullopt;
        MEVENT ev{};
        if (getmouse(&ev) != OK) return std::nullopt;
        if (ev.bstate & BUTTON1_DOUBLE_CLICKED)
            k.type = Key::DoubleClick;
        else if (ev.bstate & BUTTON1_CLICKED)
            k.type = Key::Click;
        else
            return std::nullopt;
        k.x = ev.x;
        k.y = ev.y;
        return k;
    }

    locale_t locale_ = nullptr;
    SCREEN* screen_ = nullptr;
    bool utf8_ = false;
    bool mouse_ = false;
};

} // namespace

std::unique_ptr<Terminal> OpenCursesTerminal(std::string& why) {
    auto t = std::make_unique<CursesTerminal>();
    if (!t->open(why)) return nullptr;
    return t;
}

} // namespace lntc::tui
