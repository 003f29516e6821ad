// The help viewer: the old help engine is no longer part of the system, so a plain top-level
// window shows the topic of a help context from the library's help file (text, one
// "[context] title" line per topic), beside the window that asked.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace lntc::win32 {

// Shows the topic in window (made when null) and returns the window.
HWND ShowHelpTopic(HWND window, HWND owner, const std::string& file, uint32_t context);
// The topic's title and text as the window shows them.
std::string HelpTitle(HWND window);
std::string HelpText(HWND window);

} // namespace lntc::win32
