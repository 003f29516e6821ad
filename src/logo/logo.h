// The start-up logo: shown by the first product process on the machine for ten seconds.
#pragma once
#include "platform/sections.h"
#include "platform/windows.h"
#include "ui/logo_view.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lntc {

struct Services;
class StringLookup;

inline constexpr const char* kProcessCountEvent = "lnt_proc_cnt";
inline constexpr const char* kLogoClass = "lnt_logo";
inline constexpr const char* kLogoTitle = "Lintora Logo";
inline constexpr uint32_t kLogoTimerId = 1;
inline constexpr uint32_t kLogoMilliseconds = 10000;
// Classes of development environments under which the logo must not stay on top.
inline constexpr const char* kDevelopmentClasses[] = {"QcQpClass", "MSVCSRC20"};

// Process-wide logo state.
struct LogoState {
    // Held from the end of the start-up step for the life of the process: it tells later
    // processes that the library is loaded on this machine.
    std::unique_ptr<Sections::Event> event;
    LogoView* view = nullptr; // the window's view while the logo is shown
    TopWindows::Handle entry = 0;
    bool topmost = false;
    LogoPaint paint;
};

// The version line: the word "Version" and the version text, the string for a developer's
// build standing in for an empty text; both words come from the string table.
std::string LogoVersionLine(const StringLookup& strings, const std::string& versionText);

// The start-up step of the library's load: 1, or 0 when the event cannot be made (error
// then receives the platform code).
int StartLogo(const Services& svc, uint32_t* error = nullptr);
// Closes the logo if it is shown; otherwise nothing.
void EndLogo(const Services& svc);
// Whether the logo is shown now.
bool LogoShown(const Services& svc);
// Unload: closes the logo and lets go of the event.
void ReleaseLogo(const Services& svc);

} // namespace lntc
