// Where the dialog windows go and how they are framed: by the host itself where no window
// manager frames them (the offscreen platform of these tests, as vnc), by the window manager
// from the host's flags on a desktop.
#include "qt_support.h"

using namespace lntc;
using namespace lntc::test;

namespace {

using QtFrames = QtValues;

QtDialogWindow* view(QtLibrary& q, const Dialog& d) {
    return dynamic_cast<QtDialogWindow*>(q.host.widget(d.window()));
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
