// The start-up logo: which process shows it, where, on top or not, and how it closes.
#include "library/lifecycle.h"
#include "logo/logo.h"
#include "resources/ids.h"
#include "resources/logo_art.h"
#include "store/initialise.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;

class FakeLogoView : public LogoView {
  public:
    Rect desk{0, 0, 1280, 1024};
    bool createSucceeds = true;
    Texts asked; // what the logic asked for, in order
    const LogoPaint* paint = nullptr;
    std::function<void()> expiry;
    bool open = false;

    Rect desktop() const override { return desk; }
    bool create(const std::string& cls, const std::string& title, int x, int y, int w, int h,
                const LogoPaint& p) override {
        asked.push_back("create " + cls + " '" + title + "' " + std::to_string(x) + "," +
                        std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
        paint = &p;
        return open = createSucceeds;
    }
    void setTopmost() override { asked.push_back("topmost"); }
    void paintNow() override { asked.push_back("paint"); }
    void startTimer(uint32_t id, uint32_t ms, std::function<void()> f) override {
        asked.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
        expiry = f;
    }
    void stopTimer(uint32_t id) override { asked.push_back("stop " + std::to_string(id)); }
    void destroy() override {
        asked.push_back("destroy");
        open = false;
    }
};

class Logo : public ::testing::Test {
  protected:
    FakeMachine machine;

    // A process that loads the library with a display.
    std::unique_ptr<TestLibrary> load(FakeLogoView* view, FakeMachine* on = nullptr) {
        auto t = std::make_unique<TestLibrary>(on ? *on : machine, false);
        t->host.logo = view;
        t->loadStatus = LoadLibrary(t->lib());
        return t;
    }
};

// Under a development environment it is shown but not on top.
TEST_F(Logo, TheFirstProcessShowsItCentredWithItsTextsAndTimer) {
    for (const char* development : {"", "MSVCSRC20", "qcqpclass"}) {
        SCOPED_TRACE(development);
        FakeMachine m;
        if (*development) m.windows.add("Microsoft Visual C++", development);
        FakeLogoView view;
        view.desk = {0, 0, 1025, 769};
        auto t = load(&view, &m);
        ASSERT_EQ(t->loadStatus, 0u);
        ASSERT_TRUE(LogoShown(t->lib()));
        Texts expected{"create lnt_logo 'Lintora Logo' 312,259 400x250", "topmost", "paint",
                       "timer " + std::to_string(kLogoTimerId) + " 10000"};
        if (*development) expected.erase(expected.begin() + 1);
        EXPECT_EQ(view.asked, expected);
        const LogoPaint& p = *view.paint;
        EXPECT_EQ(p.image, &LogoArtwork());
        EXPECT_EQ(p.title + "|" + p.version + "|" + p.fontFace,
                  "Lintora|Version 2.0.0.37|Times New Roman");
        // Findable by class and title while shown; a later call of the step changes nothing.
        EXPECT_TRUE(m.windows.existsWithClass("lnt_logo") &&
                    m.windows.existsWithTitle("Lintora Logo") && StartLogo(t->lib()) == 1);
        EXPECT_EQ(view.asked.size(), expected.size());
    }
}

TEST_F(Logo, OnlyTheFirstProcessOnTheMachineShowsIt) {
    FakeLogoView first, second, third, fourth;
    auto a = load(&first);
    auto b = load(&second);
    EXPECT_TRUE(b->loadStatus == 0 && LogoShown(a->lib()) && !LogoShown(b->lib()));
    // The second process keeps no handle, so the step runs again when called again.
    EXPECT_EQ(StartLogo(b->lib()), 1);
    // The logo closing does not make room for another: the first process still holds the
    // event while it lives.
    EndLogo(a->lib());
    auto c = load(&third);
    EXPECT_TRUE(second.asked.empty() && third.asked.empty());
    for (auto* process : {&a, &b, &c})
        (*process)->unload();
    auto d = load(&fourth);
    EXPECT_TRUE(LogoShown(d->lib()) && fourth.asked.size() == 4u);
}

TEST_F(Logo, EndLogoTheTimerOrUnloadCloseItOnce) {
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        FakeMachine m;
        FakeLogoView view;
        auto t = load(&view, &m);
        if (how == 0) EndLogo(t->lib());
        if (how == 1) std::function<void()>(view.expiry)(); // the timer going off
        if (how == 2) t->unload();
        EXPECT_FALSE(LogoShown(t->lib()) || view.open || m.windows.existsWithClass("lnt_logo"));
        EndLogo(t->lib());
        t->unload();
        EXPECT_EQ(Texts(view.asked.begin() + 4, view.asked.end()),
                  (Texts{"stop " + std::to_string(kLogoTimerId), "destroy"}));
        // Unloading let go of the event: the next process shows it again.
        FakeLogoView next;
        auto u = load(&next, &m);
        EXPECT_TRUE(LogoShown(u->lib()));
    }
}

TEST_F(Logo, WithoutADisplayOrAWindowNoLogoButTheLoadStands) {
    FakeLogoView view;
    view.createSucceeds = false;
    auto t = load(&view);
    EXPECT_EQ(t->loadStatus, 0u);
    EXPECT_EQ(view.asked.size(), 1u); // no timer
    EXPECT_FALSE(LogoShown(t->lib()) || machine.windows.existsWithClass("lnt_logo"));

    FakeMachine other;
    auto console = load(nullptr, &other); // its host offers no view
    EXPECT_TRUE(console->loadStatus == 0 && !LogoShown(console->lib()));
    EndLogo(console->lib()); // never shown: nothing to do, nothing to crash on
    // It still counts as the first product process on the machine.
    FakeLogoView late;
    auto second = load(&late, &other);
    EXPECT_TRUE(late.asked.empty());
}

TEST_F(Logo, AFailingEventFailsTheLoad) {
    machine.sections.openError = err::AccessDenied;
    FakeLogoView view;
    auto t = load(&view);
    EXPECT_EQ(t->loadStatus, err::AccessDenied);
    EXPECT_TRUE(view.asked.empty());
    uint32_t error = 0;
    EXPECT_EQ(StartLogo(t->lib(), &error), 0);
    EXPECT_EQ(error, err::AccessDenied);
    // The failed load let go of the registry root itself.
    EXPECT_EQ(t->lib().registryRoot, kNoKey);
}

TEST(LogoTexts, VersionLine) {
    StringLookup strings;
    const std::string builtin = LogoVersionLine(strings, "2.0.0.37") + LogoVersionLine(strings, "");
    strings.pushFront([](uint32_t id) -> std::optional<std::string> {
        return id == str::Developer ? std::optional<std::string>("(Entwickler)") : std::nullopt;
    }); // as a localised module has it
    EXPECT_EQ(builtin + LogoVersionLine(strings, ""),
              "Version 2.0.0.37Version (Developer)Version (Entwickler)");
}

} // namespace
