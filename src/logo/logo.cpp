#include "logo/logo.h"

#include "library/library.h"
#include "resources/ids.h"
#include "resources/lookup.h"

namespace lntc {

namespace {

#ifdef LNTC_VERSION_TEXT
constexpr const char* kVersionText = LNTC_VERSION_TEXT;
#else
constexpr const char* kVersionText = "";
#endif

LogoState& state(Library& lib) {
    if (!lib.logo()) lib.setLogo(std::make_shared<LogoState>());
    return *lib.logo();
}

bool developmentEnvironmentShown(Library& lib) {
    TopWindows* windows = lib.platform().windows;
    if (windows == nullptr) return false;
    for (const char* cls : kDevelopmentClasses)
        if (windows->existsWithClass(cls)) return true;
    return false;
}

void showLogo(Library& lib, LogoState& s, LogoView& view) {
    const LogoImage& image = LogoArtwork();
    LogoView::Rect desk = view.desktop();
    int x = (desk.right - image.width) / 2;
    int y = (desk.bottom - image.height) / 2;

    s.paint = LogoPaint{};
    s.paint.image = &image;
    s.paint.title = lib.strings().load(str::ProductName);
    s.paint.version = LogoVersionLine(lib.strings(), kVersionText);
    if (!view.create(kLogoClass, kLogoTitle, x, y, image.width, image.height, s.paint)) return;
    s.view = &view;
    if (TopWindows* windows = lib.platform().windows) {
        // Not being findable by class is no reason to go without the logo.
        if (windows->registerWindow(kLogoTitle, kLogoClass, s.entry) != 0) s.entry = 0;
    }
    s.topmost = !developmentEnvironmentShown(lib);
    if (s.topmost) view.setTopmost();
    view.paintNow();
    view.startTimer(kLogoTimerId, kLogoMilliseconds, [&lib] { EndLogo(lib); });
}

} // namespace

std::string LogoVersionLine(const StringLookup& strings, const std::string& versionText) {
    return strings.load(str::Version) + " " +
           (versionText.empty() ? strings.load(str::Developer) : versionText);
}

int StartLogo(Library& lib, uint32_t* error) {
    if (error) *error = 0;
    LogoState& s = state(lib);
    if (s.event) return 1;
    std::unique_ptr<Sections::Event> event;
    bool created = false;
    uint32_t rc = lib.platform().sections->openEvent(kProcessCountEvent, event, created);
    if (rc != 0 || !event) {
        if (error) *error = rc != 0 ? rc : err::InvalidFunction;
        return 0;
    }
    // Another product process has the library loaded: no logo, and no handle kept.
    if (!created) return 1;
    // Without a display there is no window to show; the event still marks the library as
    // loaded on this machine.
    if (LogoView* view = lib.host().logoView()) showLogo(lib, s, *view);
    s.event = std::move(event);
    return 1;
}

void EndLogo(Library& lib) {
    if (!lib.logo() || lib.logo()->view == nullptr) return;
    LogoState& s = *lib.logo();
    // Forgotten first: the view may call back (its timer) while it is being torn down.
    LogoView* view = s.view;
    s.view = nullptr;
    view->stopTimer(kLogoTimerId);
    view->destroy();
    if (s.entry != 0 && lib.platform().windows) lib.platform().windows->unregister(s.entry);
    s.entry = 0;
    s.topmost = false;
}

bool LogoShown(const Library& lib) {
    return lib.logo() && lib.logo()->view != nullptr;
}

void ReleaseLogo(Library& lib) {
    EndLogo(lib);
    if (lib.logo()) lib.logo()->event.reset();
}

} // namespace lntc
