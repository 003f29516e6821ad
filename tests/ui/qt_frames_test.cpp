// Where the dialog windows go and how they are framed: by the host itself where no window
// manager frames them (the offscreen platform of these tests, as vnc), by the window manager
// from the host's flags on a desktop.
#include "qt_support.h"
#include "support/temp_root.h"

#include <fstream>

using namespace lntc;
using namespace lntc::test;

namespace {

using QtFrames = QtValues;

QtDialogWindow* view(QtLibrary& q, const Dialog& d) {
    return dynamic_cast<QtDialogWindow*>(q.host.widget(d.window()));
}

// The title a window's drawn title bar shows, "-" for no frame drawn.
std::string drawnTitle(QWidget* w) {
    auto* bar = w->findChild<QWidget*>("lntcTitleBar", Qt::FindDirectChildrenOnly);
    if (bar == nullptr || w->contentsMargins().isNull()) return "-";
    EXPECT_TRUE(bar->isVisible() && bar->y() > 0 && w->contentsRect().top() > bar->y() &&
                bar->width() == w->contentsRect().width() &&
                w->grab().toImage().pixel(0, w->height() / 2) ==
                    w->palette().color(QPalette::Shadow).rgb()); // the border
    return bar->findChild<QLabel*>()->text().toStdString();
}

// The close box of a window's frame, or Escape where none is drawn.
void closeBy(QWidget* w) {
    if (auto* bar = w->findChild<QWidget*>("lntcTitleBar"); bar && drawnTitle(w) != "-")
        QTest::mouseClick(bar->findChild<QToolButton*>(), Qt::LeftButton);
    else
        QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
    QApplication::processEvents();
}

TEST_F(QtFrames, WithoutAWindowManagerTheHostDrawsTheFrameTitleAndCloseBox) {
    const int code = q.run(d, [&] {
        QtDialogWindow* w = view(q, d);
        ASSERT_TRUE(w != nullptr && w->titleBar() != nullptr && w->closeBox() != nullptr);
        d.setTitle("Renamed Values");
        QLabel* title = w->titleBar()->findChild<QLabel*>();
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint) &&
                    title->text() == "Renamed Values");
        // Border, title bar, then the template's area, which holds the controls.
        const QRect bar = w->titleBar()->geometry(), client = w->client()->geometry();
        EXPECT_TRUE(bar.left() == client.left() && bar.bottom() + 1 == client.top() &&
                    bar.top() > 0 && w->rect().contains(client.adjusted(-1, -1, 1, 1)) &&
                    q.control(d, ctl::Ok)->parentWidget() == w->client());
        // The title is drawn in the bar, and the border around the window.
        const QImage titled = w->titleBar()->grab().toImage();
        d.setTitle("");
        EXPECT_NE(w->titleBar()->grab().toImage(), titled);
        EXPECT_EQ(w->grab().toImage().pixel(0, w->height() / 2),
                  w->palette().color(QPalette::Shadow).rgb());
        // The close box is the model's: Cancel.
        QTest::mouseClick(w->closeBox(), Qt::LeftButton);
    });
    EXPECT_EQ(code, id::Cancel);
}

// A box's close box answers as Escape does; the help's closes it and gives the keys back.
TEST_F(QtFrames, BoxesAndHelpWearTheFrameWithTheirTitleWhereTheHostDrawsFrames) {
    TempRoot dir;
    q.lib().setHelpFile(dir.path() + "/liblntc.HLP");
    std::ofstream(q.lib().helpFile()) << "[4001] Count\nHow many.\n";
    const std::tuple<bool, uint32_t, std::string, int> rows[] = {
        {true, mb::Question, "Remove", id::No},
        {true, mb::RetryQuestion, "Remove", id::Cancel},
        {true, mb::AbortRetryIgnore, "Remove", id::Abort},
        {false, mb::Error, "-", id::Ok},
        {true, 0, "Count", 0}, // the help
        {false, 0, "-", 0}};
    for (const auto& [frames, style, title, answer] : rows) {
        SCOPED_TRACE(std::to_string(style) + " " + title);
        q.host.ownFrames = frames;
        std::string seen;
        int code = q.run(d, [&] {
            if (style != 0) {
                q.whenShown(0, [&](QWidget* box) { seen = drawnTitle(box), closeBy(box); });
                EXPECT_EQ(q.host.messageBox(d.window(), "Remove it?", "Remove", style), answer);
                return;
            }
            d.setWindowText(tc::Count, "");
            QTest::keyClick(q.control(d, tc::Count), Qt::Key_F1);
            QApplication::processEvents();
            QWidget* help = q.host.helpWindow();
            seen = drawnTitle(help);
            closeBy(help);
            QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_7);
            EXPECT_TRUE(!help->isVisible() && d.windowText(tc::Count) == "7");
            delete help; // framed afresh in the next row
        });
        EXPECT_EQ(std::pair(seen, code), std::pair(title, 99));
    }
}

// Without a window manager the help stays over the dialog that asked for it, and a box over
// everything of its owner.
TEST_F(QtFrames, TheHostStacksHelpOverItsDialogAndABoxOverAllOfItsOwner) {
    q.run(d, [&] {
        QTest::keyClick(q.control(d, tc::Count), Qt::Key_F1);
        QWidget* help = q.host.helpWindow();
        ValuesDialog child(q.lib(), &d);
        q.whenShown(kValuesTemplate, [&](QWidget* w) {
            EXPECT_EQ(q.host.stackingOrder(), (std::vector<QWidget*>{view(q, d), help, w}));
            q.whenShown(0, [&](QWidget* box) {
                EXPECT_EQ(q.host.stackingOrder(),
                          (std::vector<QWidget*>{view(q, d), help, w, box}));
                closeBy(box);
            });
            q.host.messageBox(child.window(), "", "", mb::Ok);
            q.host.model().endModal(child.window(), 1);
        });
        child.doModal();
    });
}

// Centred on the owner's frame, or on the screen, and moved inside the screen.
TEST_F(QtFrames, AWindowIsCentredOnItsOwnerAndKeptOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(PlaceWindow({200, 100}, {100, 100, 400, 300}, screen), QPoint(200, 200));
    EXPECT_EQ(PlaceWindow({200, 100}, {980, 100, 400, 300}, screen), QPoint(1080, 200)); // fits
    EXPECT_EQ(PlaceWindow({200, 100}, {981, 900, 400, 300}, screen), QPoint(1080, 924));
    EXPECT_EQ(PlaceWindow({200, 100}, {-300, -190, 400, 300}, screen), QPoint(0, 0));
    EXPECT_EQ(PlaceWindow({400, 300}, {1300, 10, 200, 100}, {1280, 0, 1024, 768}),
              QPoint(1280, 0)); // on the owner's screen, the second
    // The dialogs: the first centred on the screen, its child near the corner moved in.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect first, second;
    q.run(d, [&] {
        first = view(q, d)->frameGeometry();
        q.host.model().placeWindow(d.window(), area.right() - 100, area.bottom() - 100, false);
        ValuesDialog child(q.lib(), &d);
        q.whenShown(kValuesTemplate, [&](QWidget* w) {
            second = w->frameGeometry();
            q.host.model().endModal(child.window(), 1);
        });
        child.doModal();
    });
    EXPECT_LE((first.center() - area.center()).manhattanLength(), 2) << first.x();
    EXPECT_EQ(second,
              QRect(QPoint(area.right() + 1 - second.width(), area.bottom() + 1 - second.height()),
                    first.size()));
}

} // namespace
