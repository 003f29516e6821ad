// Whether this process can show windows, from its environment and a look at the display.
#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lntc {

using EnvLookup = std::function<std::optional<std::string>(std::string_view)>;

enum class DisplayVerdict {
    Usable,
    Disabled,    // LNTC_NO_GUI asks for the console
    NoDisplay,   // neither a Qt platform nor an X or Wayland display is named
    Unreachable, // a display is named but nothing answers there
};

// How long a display (its name looked up and a connection made) may take to answer.
inline constexpr std::chrono::milliseconds kDisplayPatience{2000};

// QT_QPA_PLATFORM names a platform, or DISPLAY / WAYLAND_DISPLAY name a display that accepts
// connections within the patience. A named but dead or silent display counts as none: Qt would
// abort the process on it.
DisplayVerdict CheckDisplay(const EnvLookup& env,
                            std::chrono::milliseconds patience = kDisplayPatience);

} // namespace lntc
