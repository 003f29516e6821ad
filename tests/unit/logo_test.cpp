// The start-up logo: which process shows it and how it closes (its look is the Qt test's).
#include "library/lifecycle.h"
#include "logo/logo.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

// Records what the logic asks for, in order, one "; "-ended entry each.
struct FakeLogoView : LogoView {
    bool createSucceeds = true;
    std::string asked;
    std::function<void()> expiry;

    Rect desktop() const override { return {0, 0, 1281, 1025}; }
    bool create(const std::string& cls, const std::string& title, int x, int y, int w, int h,
                const LogoPaint&) override {
        asked +=
            formatMessage("create %s '%s' %d,%d %dx%d; ", cls.c_str(), title.c_str(), x, y, w, h);
        return createSucceeds;
    }
    void setTopmost() override { asked += "topmost; "; }
    void paintNow() override { asked += "paint; "; }
    void startTimer(uint32_t id, uint32_t ms, std::function<void()> f) override {
        asked += formatMessage("timer %u %u; ", id, ms);
        expiry = f;
    }
    void stopTimer(uint32_t id) override { asked += formatMessage("stop %u; ", id); }
    void destroy() override { asked += "destroy; "; }
};

// Centred on the desktop (an odd size: the centre rounds down).
const char* const kCreate = "create lnt_logo 'Lintora Logo' 440,387 400x250; ";
const std::string kShown =
    formatMessage("%stopmost; paint; timer %u 10000; ", kCreate, kLogoTimerId);

// A process that loads the library with a display (view nullptr: a host without one).
std::unique_ptr<TestLibrary> load(FakeLogoView* view, FakeMachine& on) {
    auto t = std::make_unique<TestLibrary>(on, false);
    t->host.logo = view;
    t->loadStatus = LoadLibrary(t->lib());
    return t;
}

// Only the first process on the machine shows it, and closing it does not make room for another
// while that process lives; EndLogo, the timer or the unload close it once.
TEST(Logo, OnlyTheFirstProcessShowsItAndEndLogoTheTimerOrUnloadCloseItOnce) {
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        FakeMachine m;
        FakeLogoView view, second, third, next;
        auto t = load(&view, m);
        auto b = load(&second, m);
        // The second process keeps no handle, so the step runs again when called again.
        EXPECT_TRUE(b->loadStatus == 0 && LogoShown(t->lib().services()) &&
                    StartLogo(b->lib().services()) == 1 && !LogoShown(b->lib().services()));
        if (how == 0) EndLogo(t->lib().services());
        if (how == 1) std::function<void()>(view.expiry)(); // the timer going off
        if (how == 2) t->unload();
        EXPECT_FALSE(LogoShown(t->lib().services()) || m.windows.existsWithClass("lnt_logo"));
        EXPECT_EQ(LogoShown(load(&third, m)->lib().services()), how == 2);
        EndLogo(t->lib().services());
        t->unload();
        EXPECT_EQ(view.asked + second.asked,
                  kShown + formatMessage("stop %u; destroy; ", kLogoTimerId));
        // Unloading let go of the event: the next process shows it again.
        auto d = load(&next, m);
        EXPECT_EQ(next.asked, kShown);
    }
}

TEST(Logo, WithoutADisplayOrAWindowNoLogoButTheLoadStandsAFailingEventFailsItAndTheVersionLine) {
    FakeMachine machine, other, failing;
    FakeLogoView view, late, refused;
    view.createSucceeds = false;
    auto t = load(&view, machine);
    EXPECT_EQ(view.asked, kCreate); // no timer
    EXPECT_TRUE(t->loadStatus == 0 && !LogoShown(t->lib().services()) &&
                !machine.windows.existsWithClass("lnt_logo"));

    auto console = load(nullptr, other); // its host offers no view
    EXPECT_TRUE(console->loadStatus == 0 && !LogoShown(console->lib().services()));
    EndLogo(console->lib().services()); // never shown: nothing to do, nothing to crash on
    // It still counts as the first product process on the machine.
    auto second = load(&late, other);
    EXPECT_EQ(late.asked, "");

    failing.sections.openError = err::AccessDenied;
    auto f = load(&refused, failing);
    uint32_t error = 0;
    EXPECT_EQ(StartLogo(f->lib().services(), &error), 0);
    // The failed load let go of the registry root itself.
    EXPECT_EQ(std::tuple(f->loadStatus, error, refused.asked, f->lib().registryRoot().key()),
              std::tuple(err::AccessDenied, err::AccessDenied, "", kNoKey));

    // A localised module's word for the developer build replaces the built-in one.
    StringLookup strings;
    const std::string builtin = LogoVersionLine(strings, "2.0.0.37") + LogoVersionLine(strings, "");
    strings.pushFront([](uint32_t id) -> std::optional<std::string> {
        return id == str::Developer ? std::optional<std::string>("(Entwickler)") : std::nullopt;
    }); // as a localised module has it
    EXPECT_EQ(builtin + LogoVersionLine(strings, ""),
              "Version 2.0.0.37Version (Developer)Version (Entwickler)");
}

} // namespace
