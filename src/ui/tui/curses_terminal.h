// The terminal of standard input and output through ncurses. While it exists the terminal is
// the program's screen; when it goes, or the process ends on a signal or a crash, the
// terminal is left as it was found. The process's locale is never changed: the user's
// character set is used on this thread only around the terminal library's calls.
#pragma once
#include "ui/tui/terminal.h"

#include <memory>
#include <string>

namespace lntc::tui {

// The terminal, or nullptr with why when standard input and output are not a usable one.
std::unique_ptr<Terminal> OpenCursesTerminal(std::string& why);

} // namespace lntc::tui
