// The address control, the logo, the wait window, help, the gallery and how the library
// finds its Qt host.
#include "library/lifecycle.h"
#include "logo/logo.h"
#include "platform/posix/posix_modules.h"
#include "qt_support.h"
#include "resources/logo_art.h"
#include "store/initialise.h"
#include "support/values_dialog.h"
#include "ui/address_edit.h"
#include "ui/display_host.h"
#include "ui/qt/address_widget.h"
#include "ui/qt/gallery.h"
#include "ui/qt/help_window.h"
#include "ui/qt/logo_window.h"
#include "ui/qt/qt_window.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace lntc;
using namespace lntc::test;

namespace {

AddressEditWidget* addressOf(QtLibrary& q, const Dialog& d) {
    return dynamic_cast<AddressEditWidget*>(q.control(d, tc::Address));
}

TEST(QtAddressControl, KeysGoThroughTheModelToTheControlAndTheDialog) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        AddressEditWidget* w = addressOf(q, d);
        ASSERT_NE(w, nullptr);
        w->setFocus();
        w->edit().setSelection(0, 1); // the first field's "0", as a click and drag selects it
        d.events.clear();
        QTest::keyClicks(w, "192.168.1.20");
        EXPECT_EQ(d.windowText(tc::Address), "192.168.1.20");
        EXPECT_EQ(d.events.back(), "cmd 4600 2");
        w->edit().setSelection(0, 0);
        QTest::keyClick(w, Qt::Key_Period); // selects the second field's digits
        QTest::keyClick(w, Qt::Key_9);
        QTest::keyClick(w, Qt::Key_Backspace);
        QTest::keyClick(w, Qt::Key_Backspace); // at the field start: selects the first field
        QTest::keyClick(w, Qt::Key_Right);
        QTest::keyClick(w, Qt::Key_Delete);
        EXPECT_EQ(d.windowText(tc::Address), "12..1.20");
        QTest::keyClick(w, Qt::Key_X); // refused, and the dialog hears of it
        EXPECT_EQ(d.events.back(), "notify 4600 32768");
    });
}

TEST(QtAddressControl, TheDotsStayInFixedColumnsWhateverTheDigits) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        AddressEditWidget* w = addressOf(q, d);
        auto dots = [&] {
            std::vector<int> xs;
            const std::string& t = w->edit().fieldText();
            for (size_t i = 0; i < t.size(); ++i)
                if (t[i] == '.') xs.push_back(w->xOf(i));
            return xs;
        };
        d.setWindowText(tc::Address, "1.2.3.4");
        auto narrow = dots();
        QImage narrowImage = w->grab().toImage();
        d.setWindowText(tc::Address, "192.168.100.200");
        auto wide = dots();
        QImage wideImage = w->grab().toImage();
        ASSERT_EQ(narrow.size(), 3u);
        EXPECT_EQ(narrow, wide);
        EXPECT_LT(narrow[0], narrow[1]);
        EXPECT_LT(narrow[1], narrow[2]);
        // The painted dots are where the layout says: the column just right of each dot's
        // left edge holds ink in both pictures, and the dot's column is the same.
        auto inkInColumns = [](const QImage& img, int x0, int x1) {
            QColor background = img.pixelColor(img.width() / 2, 1);
            int ink = 0;
            for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
                for (int y = 2; y < img.height() - 2; ++y)
                    if (qGray(img.pixel(x, y)) < qGray(background.rgb()) - 80) ++ink;
            return ink;
        };
        int dotWidth = QFontMetrics(w->font()).horizontalAdvance('.');
        for (int x : narrow) {
            EXPECT_GT(inkInColumns(narrowImage, x, x + dotWidth), 0) << x;
            EXPECT_GT(inkInColumns(wideImage, x, x + dotWidth), 0) << x;
        }
        // A click lands on a field's digits, never on a separator.
        size_t hit = w->indexAt(narrow[1] + dotWidth + 1);
        EXPECT_NE(w->edit().fieldText()[hit], '.');
    });
}

TEST(QtLogo, TheLogoIsCentredOnTopWithItsTimerAndClosesOnEndLogo) {
    for (bool development : {false, true}) {
        SCOPED_TRACE(development);
        FakeMachine machine;
        if (development) machine.windows.add("Visual C++", "MSVCSRC20");
        TestServices services(&machine.windows);
        QtHost host(&services);
        TestLibrary t(machine, false);
        t.host.logo = host.logoView();
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        ASSERT_TRUE(LogoShown(t.lib()));
        QWidget* logo = host.logoWindow();
        ASSERT_NE(logo, nullptr);
        QRect screen = QGuiApplication::primaryScreen()->geometry();
        const LogoImage& art = LogoArtwork();
        EXPECT_EQ(logo->geometry(),
                  QRect((screen.right() + 1 - art.width) / 2,
                        (screen.bottom() + 1 - art.height) / 2, art.width, art.height));
        EXPECT_EQ(logo->windowTitle(), "Lintora Logo");
        EXPECT_TRUE(logo->windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(logo->windowFlags().testFlag(Qt::WindowStaysOnTopHint), !development);
        EXPECT_TRUE(logo->isVisible());
        auto* view = static_cast<QtLogoView*>(host.logoView());
        EXPECT_EQ(view->timerId(), kLogoTimerId);
        EXPECT_EQ(view->timerInterval(), 10000);
        EndLogo(t.lib());
        EXPECT_EQ(host.logoWindow(), nullptr);
        EXPECT_EQ(view->timerId(), 0u);
    }
}

TEST(QtLogo, TheWindowShowsTheArtworkAndTheTexts) {
    LogoPaint paint;
    paint.image = &LogoArtwork();
    paint.title = "Lintora";
    paint.version = "Version 2.0.0.37";
    QImage image = RenderLogo(paint);
    ASSERT_EQ(image.size(), QSize(paint.image->width, paint.image->height));
    const auto& rgb = paint.image->rgb;
    EXPECT_EQ(image.pixelColor(5, 5), QColor(rgb[(5 * paint.image->width + 5) * 3],
                                             rgb[(5 * paint.image->width + 5) * 3 + 1],
                                             rgb[(5 * paint.image->width + 5) * 3 + 2]));
    LogoPaint blank = paint;
    blank.title.clear();
    blank.version.clear();
    QImage art = RenderLogo(blank);
    // Text changes pixels below and right of (80, 100) and (80, 140), nowhere left of x = 80.
    int changedInTitle = 0, changedLeft = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == art.pixel(x, y)) continue;
            if (x < 80) ++changedLeft;
            if (y >= 100 && y < 140) ++changedInTitle;
        }
    EXPECT_GT(changedInTitle, 50);
    EXPECT_EQ(changedLeft, 0);
    QFont f = LogoWidget::logoFont(paint);
    EXPECT_NEAR(QFontMetrics(f).height(), 48, 1); // the face has no size of exactly 48
    EXPECT_EQ(f.weight(), 600);
    EXPECT_EQ(QFontInfo(f).family(), "Liberation Serif"); // fontconfig's "Times New Roman"
}

TEST(QtWaitWindow, TheWaitWindowIsCentredFramelessAndOnTopUnderTheWaitCursor) {
    QtLibrary q;
    WaitDialog wait(q.lib(), 32895, nullptr);
    QWidget* w = q.host.widget(wait.window());
    ASSERT_NE(w, nullptr);
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->pos(),
              QPoint((screen.width() - w->width()) / 2, (screen.height() - w->height()) / 2));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(static_cast<QLabel*>(q.control(wait, tc::WaitText))->text(), "Lintora");
    {
        WaitCursor outer(q.host);
        {
            WaitCursor inner(q.host);
            EXPECT_EQ(q.host.waitCursorDepth(), 2);
        }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    q.host.endWaitCursor(); // unbalanced: ignored
    EXPECT_EQ(q.host.waitCursorDepth(), 0);
}

// The file's format is the help file's own test; here: the window shows what is asked.
TEST(QtHelp, HelpShowsTheTopicOfTheContext) {
    auto dir = std::filesystem::temp_directory_path() / ("lntc-help-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string file = (dir / "liblntc.HLP").string();
    std::ofstream(file) << "[500] Values\nThe dialog.\n[4001] Count\nHow many.\n";
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.lib().helpFilePath = file;
    q.run(d, [&] {
        QTest::keyClick(q.control(d, ctl::Help), Qt::Key_Space); // the Help button
        auto* help = dynamic_cast<HelpWindow*>(q.host.helpWindow());
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->shownTitle(), "Values");
        QTest::keyClick(q.control(d, tc::Count), Qt::Key_F1); // the focused control's context
        EXPECT_EQ(help->shownTitle(), "Count");
        EXPECT_EQ(help->shownText(), "How many.");
        q.host.showHelp(d.window(), (dir / "missing.HLP").string(), help::Context, 203);
        EXPECT_TRUE(help->shownText().contains("could not be opened"));
    });
    std::filesystem::remove_all(dir);
}

TEST(QtGallery, EveryTemplateAndTheLogoBecomeAPictureOfTheirSize) {
    auto dir =
        std::filesystem::temp_directory_path() / ("lntc-gallery-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::string command =
        std::string(LNTC_BIN_DIR) + "/lntc-config --gallery " + dir.string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    QImage logo(QString::fromStdString((dir / "logo.png").string()));
    EXPECT_EQ(logo.size(), QSize(LogoArtwork().width, LogoArtwork().height));
    int dialogs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename() == "logo.png") continue;
        ++dialogs;
        EXPECT_GT(entry.file_size(), 0u);
        QImage image(QString::fromStdString(entry.path().string()));
        EXPECT_GT(image.width(), 50) << entry.path();
        EXPECT_GT(image.height(), 20) << entry.path();
    }
    EXPECT_GT(dialogs, 0);
    std::filesystem::remove_all(dir);

    // In process: a picture has the size of the dialog the host opens.
    QtLibrary q;
    const DialogTemplate* values = testTemplate(kValuesTemplate);
    QImage image = RenderDialog(q.host, *values);
    DialogUnits units = DialogUnits::of(QFont("MS Sans Serif", 8));
    EXPECT_EQ(image.size() / image.devicePixelRatio(),
              QSize(units.x(values->cx), units.y(values->cy)));
    EXPECT_EQ(GalleryFileName(*values), "500-Values.png");
}

// --- how the library finds its Qt host -----------------------------------------------

struct DisplayFixture {
    FakeEnvironment env;
    PosixModules modules{env};
    FakeProductLibs product;
    FakeTopWindows windows;
};

TEST(QtDisplayHost, WithADisplayTheModuleBesideTheLibraryIsLoaded) {
    DisplayFixture f;
    f.env.vars["QT_QPA_PLATFORM"] = "offscreen";
    DisplayHost host(f.env, f.modules, f.product, &f.windows, {LNTC_LIB_DIR, stderr});
    EXPECT_TRUE(host.hasDisplay());
    EXPECT_NE(host.windows(), nullptr);
    EXPECT_NE(host.logoView(), nullptr);
    EXPECT_NE(host.windowClasses(), nullptr);
    EXPECT_TRUE(f.product.errors.empty());
}

TEST(QtDisplayHost, AMissingModuleLeavesTheConsoleHostAndIsLogged) {
    DisplayFixture f;
    f.env.vars["QT_QPA_PLATFORM"] = "offscreen";
    std::FILE* sink = std::tmpfile();
    DisplayHost host(f.env, f.modules, f.product, &f.windows, {"/nonexistent", sink});
    EXPECT_FALSE(host.hasDisplay());
    EXPECT_EQ(host.windows(), nullptr);
    EXPECT_EQ(host.messageBox(nullptr, "Delete?", "Warning", mb::Question), id::No);
    EXPECT_EQ(f.product.errors.size(), 2u); // one line about the module, one for the box
    std::fclose(sink);
}

} // namespace
