#include "logo/logo.h"

#include "library/services.h"
#include "resources/ids.h"
#include "resources/lookup.h"

namespace lntc {

namespace {

#ifdef LNTC_VERSION_TEXT
constexpr const char* kVersionText = LNTC_VERSION_TEXT;
#else
constexpr const char* kVersionText = "";
#endif

LogoState& state(const Services& svc) {
    if (!svc.logo) svc.logo = std::make_shared<LogoState>();
    return *svc.logo;
}

bool developmentEnvironmentShown(const Services& svc) {
    TopWindows* windows = svc.platform.windows;
    if (windows == nullptr) return false;
    for (const char* cls : kDevelopmentClasses)
        if (windows->existsWithClass(cls)) return true;
    return false;
}

void showLogo(const Services& svc, LogoState& s, LogoView& view) {
    const LogoImage& image = LogoArtwork();
    LogoView::Rect desk = view.desktop();
    int x = (desk.right - image.width) / 2;
    int y = (desk.bottom - image.height) / 2;

    s.paint = LogoPaint{};
    s.paint.image = &image;
    s.paint.title = svc.ui.strings().load(str::ProductName);
    s.paint.version = LogoVersionLine(svc.ui.strings(), kVersionText);
    if (!view.create(kLogoClass, kLogoTitle, x, y, image.width, image.height, s.paint)) return;
    s.view = &view;
    if (TopWindows* windows = svc.platform.windows) {
        // Not being findable by class is no reason to go without the logo.
        if (windows->registerWindow(kLogoTitle, kLogoClass, s.entry) != 0) s.entry = 0;
    }
    s.topmost = !developmentEnvironmentShown(svc);
    if (s.topmost) view.setTopmost();
    view.paintNow();
    view.startTimer(kLogoTimerId, kLogoMilliseconds, [svc] { EndLogo(svc); });
}

} // namespace

std::string LogoVersionLine(const StringLookup& strings, const std::string& versionText) {
    return strings.load(str::Version) + " " +
           (versionText.empty() ? strings.load(str::Developer) : versionText);
}

int StartLogo(const Services& svc, uint32_t* error) {
    if (error) *error = 0;
    LogoState& s = state(svc);
    if (s.event) return 1;
    std::unique_ptr<Sections::Event> event;
    bool created = false;
    uint32_t rc = svc.platform.sections->openEvent(kProcessCountEvent, event, created);
    if (rc != 0 || !event) {
        if (error) *error = rc != 0 ? rc : err::InvalidFunction;
        return 0;
    }
    // Another product process has the library loaded: no logo, and no handle kept.
    if (!created) return 1;
    // Without a display there is no window to show; the event still marks the library as
    // loaded on this machine.
    if (LogoView* view = svc.ui.host().logoView()) showLogo(svc, s, *view);
    s.event = std::move(event);
    return 1;
}

void EndLogo(const Services& svc) {
    if (!svc.logo || svc.logo->view == nullptr) return;
    LogoState& s = *svc.logo;
    // Forgotten first: the view may call back (its timer) while it is being torn down.
    LogoView* view = s.view;
    s.view = nullptr;
    view->stopTimer(kLogoTimerId);
    view->destroy();
    if (s.entry != 0 && svc.platform.windows) svc.platform.windows->unregister(s.entry);
    s.entry = 0;
    s.topmost = false;
}

bool LogoShown(const Services& svc) {
    return svc.logo && svc.logo->view != nullptr;
}

void ReleaseLogo(const Services& svc) {
    EndLogo(svc);
    if (svc.logo) svc.logo->event.reset();
}

} // namespace lntc
