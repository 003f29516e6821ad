// The address control, the logo, help and the gallery as real widgets.
#include "connectivity/connectivity_dialogs.h"
#include "library/lifecycle.h"
#include "logo/logo.h"
#include "qt_support.h"
#include "resources/logo_art.h"
#include "support/child_process.h"
#include "support/temp_root.h"
#include "ui/qt/gallery.h"
#include "ui/qt/help_window.h"
#include "ui/qt/logo_window.h"

#include <filesystem>
#include <fstream>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;
using QtAddressControl = QtValues;
using QtHelp = QtValues;

TEST_F(QtAddressControl, KeysGoThroughTheModelAndTheDotsStayInFixedColumns) {
    q.run(d, [&] {
        auto* w = dynamic_cast<AddressEditWidget*>(q.control(d, tc::Address));
        ASSERT_NE(w, nullptr);
        w->setFocus();
        w->edit().setSelection(0, 1); // the first field's "0", as a click and drag selects it
        d.events.clear();
        QTest::keyClicks(w, "192.168.1.20");
        Texts seen{d.windowText(tc::Address), d.events.back()};
        w->edit().setSelection(0, 0);
        // The dot selects the second field's digits; a backspace at the field start selects the
        // first field.
        for (auto key : {Qt::Key_Period, Qt::Key_9, Qt::Key_Backspace, Qt::Key_Backspace,
                         Qt::Key_Right, Qt::Key_Delete})
            QTest::keyClick(w, key);
        seen.push_back(d.windowText(tc::Address));
        QTest::keyClick(w, Qt::Key_X); // refused, and the dialog hears of it
        seen.push_back(d.events.back());
        EXPECT_EQ(seen, (Texts{"192.168.1.20", "cmd 4600 2", "12..1.20", "notify 4600 32768"}));

        // The painted dots are where the layout says: the columns right of each dot's left
        // edge hold ink, whatever the digits.
        const int dotWidth = QFontMetrics(w->font()).horizontalAdvance('.');
        std::vector<int> narrow;
        for (const char* text : {"1.2.3.4", "192.168.100.200"}) {
            d.setWindowText(tc::Address, text);
            std::vector<int> dots;
            for (size_t i = 0; i < w->edit().fieldText().size(); ++i)
                if (w->edit().fieldText()[i] == '.') dots.push_back(w->xOf(i));
            if (narrow.empty()) narrow = dots;
            EXPECT_EQ(dots, narrow);
            QImage img = w->grab().toImage();
            const int background = qGray(img.pixel(img.width() / 2, 1));
            for (int x : narrow) {
                int ink = 0;
                for (int c = x; c < x + dotWidth; ++c)
                    for (int y = 2; y < img.height() - 2; ++y)
                        ink += qGray(img.pixel(c, y)) < background - 80;
                EXPECT_GT(ink, 0) << text << " " << x;
            }
        }
        ASSERT_EQ(narrow.size(), 3u);
        EXPECT_TRUE(narrow[0] < narrow[1] && narrow[1] < narrow[2]);
        // A click lands on a field's digits, never on a separator.
        EXPECT_NE(w->edit().fieldText()[w->indexAt(narrow[1] + dotWidth + 1)], '.');
    });
}

TEST_F(QtAddressControl, TabIntoTheControlSelectsItsTextSoThatTypingReplacesTheAddress) {
    q.run(d, [&] { // from the control before it, and backwards from the one after it
        for (auto [before, from, back] :
             {std::tuple{"0.0.0.0", tc::Editable, false}, {"192.168.1.20", ctl::Ok, true}}) {
            d.setWindowText(tc::Address, before);
            d.setFocus(from);
            QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Tab,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
            QTest::keyClicks(q.control(d, tc::Address), "10.0.0.5");
            EXPECT_EQ(d.windowText(tc::Address), "10.0.0.5") << before;
        }
    });
    // Each opening of a dialog with the control registers its class, without a box.
    int boxes = 0;
    q.host.boxHook = [&](QMessageBox&) { return ++boxes, int(QMessageBox::Ok); };
    QueueRecord queue{};
    for (int i = 0; i < 2; ++i) {
        TcpDirectDialog tcp(q.lib().services(), nullptr, queue);
        q.run(tcp, [] {});
    }
    EXPECT_EQ(boxes, 0);
}

TEST(QtLogo, TheLogoIsCentredOnTopWithItsTimerShowsTheArtworkAndTheTextsAndClosesOnEndLogo) {
    for (bool development : {false, true}) {
        SCOPED_TRACE(development);
        FakeMachine machine;
        if (development) machine.windows.add("Visual C++", "MSVCSRC20");
        QtHost host(nullptr); // the logo registers itself through the library
        TestLibrary t(machine, false);
        t.host.logo = host.logoView();
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        QWidget* logo = host.logoWindow(); // shown
        ASSERT_NE(logo, nullptr);
        EXPECT_EQ(std::pair(logo->size(), logo->geometry().center()), // on the primary screen
                  std::pair(QSize(LogoArtwork().width, LogoArtwork().height),
                            QGuiApplication::primaryScreen()->geometry().center()));
        EXPECT_EQ(logo->windowTitle(), "Lintora Logo");
        EXPECT_TRUE(logo->windowFlags().testFlag(Qt::FramelessWindowHint) && logo->isVisible());
        EXPECT_EQ(logo->windowFlags().testFlag(Qt::WindowStaysOnTopHint), !development);
        auto* view = static_cast<QtLogoView*>(host.logoView());
        EXPECT_EQ(std::make_pair(view->timerId(), view->timerInterval()),
                  std::make_pair(kLogoTimerId, 10000));
        EndLogo(t.lib().services());
        EXPECT_TRUE(host.logoWindow() == nullptr && view->timerId() == 0u);
    }
    LogoPaint paint{.image = &LogoArtwork(), .title = "Lintora", .version = "Version 2.0.0.37"};
    QImage image = RenderLogo(paint); // of the artwork's size, as the gallery's picture shows
    const uint8_t* rgb = &paint.image->rgb[(5 * paint.image->width + 5) * 3];
    EXPECT_EQ(image.pixelColor(5, 5), QColor(rgb[0], rgb[1], rgb[2]));
    QImage art = RenderLogo({.image = paint.image, .title = "", .version = ""});
    // Text changes pixels below and right of (80, 100) and (80, 140), nowhere left of x = 80.
    int changedInTitle = 0, changedLeft = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != art.pixel(x, y))
                changedLeft += x < 80, changedInTitle += y >= 100 && y < 140;
    EXPECT_TRUE(changedInTitle > 50 && changedLeft == 0) << changedInTitle << " " << changedLeft;
    QFont f = LogoWidget::logoFont(paint);
    EXPECT_NEAR(QFontMetrics(f).height(), 48, 1); // the face has no size of exactly 48
    // fontconfig's "Times New Roman"
    EXPECT_EQ(std::make_pair(int(f.weight()), QFontInfo(f).family()),
              std::make_pair(600, QString("Liberation Serif")));
}

// The file's format is the help file's own test; here: the window shows what is asked.
TEST_F(QtHelp, HelpShowsTheTopicOfTheContext) {
    TempRoot dir;
    q.lib().setHelpFile(dir.path() + "/liblntc.HLP");
    std::ofstream(q.lib().helpFile()) << "[500] Values\nThe dialog.\n[4001] Count\nHow many.\n";
    q.run(d, [&] {
        QTest::keyClick(q.control(d, ctl::Help), Qt::Key_Space); // the Help button
        auto* help = dynamic_cast<HelpWindow*>(q.host.helpWindow());
        ASSERT_TRUE(help != nullptr && help->isVisible());
        EXPECT_EQ(help->shownTitle(), "Values");
        QTest::keyClick(q.control(d, tc::Count), Qt::Key_F1); // the focused control's context
        EXPECT_EQ(help->shownTitle() + ": " + help->shownText(), "Count: How many.");
        q.host.showHelp(d.window(), dir.path() + "/missing.HLP", help::Context, 203);
        EXPECT_TRUE(help->shownText().contains("could not be opened"));
        // Wholly on the owner's screen and working; closed by Escape or its button, it hands
        // the keys back to the dialog's focused control.
        d.setWindowText(tc::Count, "");
        for (bool escape : {true, false}) {
            QTest::keyClick(q.control(d, tc::Count), Qt::Key_F1);
            QApplication::processEvents(); // the platform activates it
            EXPECT_TRUE(help->screen()->availableGeometry().contains(help->frameGeometry()));
            ASSERT_EQ(QGuiApplication::focusWindow(), help->windowHandle());
            if (escape) QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
            if (!escape)
                help->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click();
            QApplication::processEvents();
            QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_7);
        }
        EXPECT_EQ(d.windowText(tc::Count), "77");
    });
}

TEST(QtGallery, EveryTemplateAndTheLogoBecomeAPictureOfTheirSize) {
    TempRoot root;
    const std::filesystem::path dir = root.path() + "/gallery";
    ASSERT_EQ(runProgram(LNTC_BIN_DIR "/lntc-config", {"--gallery", dir.string()}, {}).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString((dir / "logo.png").string())).size(),
              QSize(LogoArtwork().width, LogoArtwork().height));
    int dialogs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) // pictures, every one
        dialogs += !QImage(QString::fromStdString(entry.path().string())).isNull();
    EXPECT_GT(dialogs, 1);
    EXPECT_EQ(GalleryFileName(*testTemplate(kValuesTemplate)), "500-Values.png");
    // Drawn as the run over VNC draws (another platform, whose own style is another).
    const std::string vnc = root.path() + "/vnc";
    runProgram(LNTC_BIN_DIR "/lntc-config", {"--gallery", vnc},
               {{"QT_QPA_PLATFORM", "vnc:port=0"}});
    auto picture = [](const std::filesystem::path& file) {
        return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    };
    const char* tcp = "/401-TCP_Direct_Connectivity.png";
    EXPECT_TRUE(picture(vnc + tcp) == picture(dir.string() + tcp) && !picture(vnc + tcp).isNull());
    QImage wait = picture(dir / "900-untitled.png"), blank = wait; // with its message
    blank.fill(wait.pixel(0, 0));
    EXPECT_FALSE(wait == blank);
}

} // namespace
