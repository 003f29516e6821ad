// The start-up logo: which process shows it, where, on top or not, and how it closes.
#include "library/lifecycle.h"
#include "logo/logo.h"
#include "resources/ids.h"
#include "resources/logo_art.h"
#include "store/initialise.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <set>

using namespace lntc;
using namespace lntc::test;

namespace {

class FakeLogoView : public LogoView {
  public:
    Rect desk{0, 0, 1280, 1024};
    bool createSucceeds = true;
    // What the logic asked for.
    int creates = 0, destroys = 0, paints = 0;
    bool open = false, topmost = false, timerRunning = false;
    std::string className, title;
    int x = 0, y = 0, width = 0, height = 0;
    const LogoPaint* paint = nullptr;
    uint32_t timerId = 0, timerMs = 0;
    std::function<void()> expiry;

    Rect desktop() const override { return desk; }
    bool create(const std::string& cls, const std::string& t, int px, int py, int w, int h,
                const LogoPaint& p) override {
        ++creates;
        if (!createSucceeds) return false;
        className = cls;
        title = t;
        x = px, y = py, width = w, height = h;
        paint = &p;
        open = true;
        return true;
    }
    void setTopmost() override { topmost = true; }
    void paintNow() override { ++paints; }
    void startTimer(uint32_t id, uint32_t ms, std::function<void()> f) override {
        timerId = id;
        timerMs = ms;
        expiry = std::move(f);
        timerRunning = true;
    }
    void stopTimer(uint32_t id) override {
        if (id == timerId) timerRunning = false;
    }
    void destroy() override {
        ++destroys;
        open = false;
    }
    // The timer going off, as the toolkit would deliver it.
    void fire() {
        ASSERT_TRUE(timerRunning);
        auto f = expiry;
        f();
    }
};

class Logo : public ::testing::Test {
  protected:
    FakeMachine machine;

    // A process that loads the library with a display.
    std::unique_ptr<TestLibrary> load(FakeLogoView* view) {
        auto t = std::make_unique<TestLibrary>(machine, false);
        t->host.logo = view;
        t->loadStatus = LoadLibrary(t->lib());
        return t;
    }
};

TEST_F(Logo, TheFirstProcessShowsItCentredWithItsTextsAndTimer) {
    FakeLogoView view;
    view.desk = {0, 0, 1025, 769};
    auto t = load(&view);
    ASSERT_EQ(t->loadStatus, 0u);
    ASSERT_TRUE(LogoShown(t->lib()));
    EXPECT_EQ(view.creates, 1);
    EXPECT_EQ(view.className, "lnt_logo");
    EXPECT_EQ(view.title, "Lintora Logo");
    EXPECT_EQ(view.width, 400);
    EXPECT_EQ(view.height, 250);
    EXPECT_EQ(view.x, (1025 - 400) / 2);
    EXPECT_EQ(view.y, (769 - 250) / 2);
    EXPECT_TRUE(view.topmost);
    EXPECT_EQ(view.paints, 1);
    EXPECT_TRUE(view.timerRunning);
    EXPECT_EQ(view.timerMs, 10000u);

    ASSERT_NE(view.paint, nullptr);
    const LogoPaint& p = *view.paint;
    EXPECT_EQ(p.image, &LogoArtwork());
    EXPECT_EQ(p.title, "Lintora");
    EXPECT_EQ(std::make_pair(p.titleX, p.titleY), std::make_pair(80, 100));
    EXPECT_EQ(p.version, "Version 2.0.0.37");
    EXPECT_EQ(std::make_pair(p.versionX, p.versionY), std::make_pair(80, 140));
    EXPECT_EQ(p.fontFace, "Times New Roman");
    EXPECT_EQ(p.fontHeight, 48);
    EXPECT_EQ(p.fontWeight, 600);
    EXPECT_EQ(p.fontPitchAndFamily, 16);
    // Findable by class while shown.
    EXPECT_TRUE(machine.windows.existsWithClass("lnt_logo"));
    EXPECT_TRUE(machine.windows.existsWithTitle("Lintora Logo"));
}

TEST_F(Logo, OnlyTheFirstProcessOnTheMachineShowsIt) {
    FakeLogoView first, second, third;
    auto a = load(&first);
    auto b = load(&second);
    EXPECT_EQ(b->loadStatus, 0u);
    EXPECT_TRUE(LogoShown(a->lib()));
    EXPECT_FALSE(LogoShown(b->lib()));
    EXPECT_EQ(second.creates, 0);
    // The second process keeps no handle, so the step runs again when called again.
    EXPECT_EQ(StartLogo(b->lib()), 1);
    EXPECT_EQ(second.creates, 0);

    // The logo closing does not make room for another: the first process still holds the
    // event while it lives.
    EndLogo(a->lib());
    auto c = load(&third);
    EXPECT_EQ(third.creates, 0);

    a->unload();
    b->unload();
    c->unload();
    FakeLogoView fourth;
    auto d = load(&fourth);
    EXPECT_TRUE(LogoShown(d->lib()));
    EXPECT_EQ(fourth.creates, 1);
}

TEST_F(Logo, ALaterCallOfTheStepInTheFirstProcessChangesNothing) {
    FakeLogoView view;
    auto t = load(&view);
    EXPECT_EQ(StartLogo(t->lib()), 1);
    EXPECT_EQ(view.creates, 1);
}

TEST_F(Logo, EndLogoClosesOnceAndOnlyWhenShown) {
    FakeLogoView view;
    auto t = load(&view);
    EndLogo(t->lib());
    EXPECT_FALSE(view.open);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_FALSE(LogoShown(t->lib()));
    EXPECT_FALSE(machine.windows.existsWithClass("lnt_logo"));
    EndLogo(t->lib());
    EXPECT_EQ(view.destroys, 1);

    FakeMachine other;
    TestLibrary none(other);
    EndLogo(none.lib()); // never shown: nothing to do, nothing to crash on
    EXPECT_FALSE(LogoShown(none.lib()));
}

TEST_F(Logo, TheTimerEndsIt) {
    FakeLogoView view;
    auto t = load(&view);
    view.fire();
    EXPECT_EQ(view.destroys, 1);
    EXPECT_FALSE(LogoShown(t->lib()));
    t->unload();
    EXPECT_EQ(view.destroys, 1);
}

TEST_F(Logo, ShownButNotOnTopUnderADevelopmentEnvironment) {
    for (const char* cls : {"MSVCSRC20", "qcqpclass"}) {
        FakeMachine m;
        m.windows.add("Microsoft Visual C++", cls);
        FakeLogoView view;
        TestLibrary t(m, false);
        t.host.logo = &view;
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        EXPECT_TRUE(view.open) << cls;
        EXPECT_FALSE(view.topmost) << cls;
        EXPECT_EQ(view.paints, 1);
    }
}

TEST_F(Logo, WithoutADisplayNoLogoAndTheLoadSucceeds) {
    TestLibrary console(machine); // its host offers no view
    EXPECT_EQ(console.loadStatus, 0u);
    EXPECT_FALSE(LogoShown(console.lib()));
    EXPECT_FALSE(machine.windows.existsWithClass("lnt_logo"));
    // It still counts as the first product process on the machine.
    FakeLogoView view;
    auto t = load(&view);
    EXPECT_EQ(view.creates, 0);
}

TEST_F(Logo, AWindowThatCannotBeMadeLeavesNoLogoButTheLoadStands) {
    FakeLogoView view;
    view.createSucceeds = false;
    auto t = load(&view);
    EXPECT_EQ(t->loadStatus, 0u);
    EXPECT_FALSE(LogoShown(t->lib()));
    EXPECT_FALSE(view.timerRunning);
    EXPECT_FALSE(machine.windows.existsWithClass("lnt_logo"));
}

TEST_F(Logo, AFailingEventFailsTheLoad) {
    machine.sections.openError = err::AccessDenied;
    FakeLogoView view;
    auto t = load(&view);
    EXPECT_EQ(t->loadStatus, err::AccessDenied);
    EXPECT_EQ(view.creates, 0);
    uint32_t error = 0;
    EXPECT_EQ(StartLogo(t->lib(), &error), 0);
    EXPECT_EQ(error, err::AccessDenied);
    // The failed load let go of the registry root itself.
    EXPECT_EQ(t->lib().registryRoot, kNoKey);
}

TEST_F(Logo, UnloadClosesTheLogoAndLetsGoOfTheEvent) {
    FakeLogoView view;
    auto t = load(&view);
    t->unload();
    EXPECT_EQ(view.destroys, 1);
    EXPECT_FALSE(machine.windows.existsWithClass("lnt_logo"));
    FakeLogoView next;
    auto u = load(&next);
    EXPECT_EQ(next.creates, 1);
}

TEST(LogoTexts, VersionLine) {
    StringLookup strings;
    EXPECT_EQ(LogoVersionLine(strings, "2.0.0.37"), "Version 2.0.0.37");
    EXPECT_EQ(LogoVersionLine(strings, ""), "Version (Developer)");
    strings.pushFront([](uint32_t id) -> std::optional<std::string> {
        if (id == str::Developer) return "(Entwickler)"; // as a localised module has it
        return std::nullopt;
    });
    EXPECT_EQ(LogoVersionLine(strings, ""), "Version (Entwickler)");
}

TEST(LogoArt, SizeAndALightGroundUnderTheText) {
    const LogoImage& img = LogoArtwork();
    ASSERT_EQ(img.width, 400);
    ASSERT_EQ(img.height, 250);
    ASSERT_EQ(img.rgb.size(), 400u * 250u * 3u);
    auto luma = [&](int x, int y) {
        const uint8_t* p = &img.rgb[(static_cast<size_t>(y) * img.width + x) * 3];
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    };
    // Black text goes at (80, 100) and (80, 140): the ground there must be light.
    for (int y = 100; y < 188; y += 4)
        for (int x = 80; x < 400; x += 8)
            ASSERT_GT(luma(x, y), 170.0) << x << "," << y;
    // It is a picture, not a flat fill.
    std::set<uint32_t> colours;
    for (size_t i = 0; i < img.rgb.size(); i += 3)
        colours.insert(img.rgb[i] << 16 | img.rgb[i + 1] << 8 | img.rgb[i + 2]);
    EXPECT_GT(colours.size(), 50u);
    EXPECT_LT(luma(200, 10), 80.0); // the dark band at the top
}

} // namespace
