#include "platform/display.h"

namespace lntc {

// Every session has a desktop to draw on; only the user's wish for the console counts.
DisplayVerdict CheckDisplay(const EnvLookup& env, std::chrono::milliseconds) {
    auto noGui = env("LNTC_NO_GUI");
    if (noGui && !noGui->empty() && *noGui != "0") return DisplayVerdict::Disabled;
    return DisplayVerdict::Usable;
}

} // namespace lntc
