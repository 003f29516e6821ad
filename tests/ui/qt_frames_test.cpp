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
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
        d.setTitle("Renamed Values");
        QLabel* title = w->titleBar()->findChild<QLabel*>();
        EXPECT_EQ(title->text(), "Renamed Values");
        // Border, title bar, then the template's area, which holds the controls.
        const QRect bar = w->titleBar()->geometry(), client = w->client()->geometry();
        EXPECT_TRUE(bar.left() == client.left() && bar.bottom() + 1 == client.top() &&
                    bar.top() > 0 && w->rect().contains(client.adjusted(-1, -1, 1, 1)))
            << bar.top() << " " << client.top();
        EXPECT_EQ(q.control(d, ctl::Ok)->parentWidget(), w->client());
        // The title's text is drawn in the bar: ink where it stands, none past it.
        const QImage picture = w->grab().toImage();
        const QRgb background = picture.pixel(bar.left() + bar.width() / 2, bar.top());
        const int textEnd =
            bar.left() + title->x() + title->fontMetrics().horizontalAdvance(title->text());
        int ink = 0, past = 0;
        for (int y = bar.top(); y <= bar.bottom(); ++y)
            for (int x = bar.left(); x < bar.left() + w->closeBox()->x(); ++x) {
                const bool drawn = picture.pixel(x, y) != background;
                if (x <= textEnd)
                    ink += drawn;
                else if (x > textEnd + 2) // the last letter's edge aside
                    past += drawn;
            }
        EXPECT_TRUE(ink > 20 && past == 0) << ink << " " << past;
        EXPECT_EQ(picture.pixel(0, picture.height() / 2),
                  w->palette().color(QPalette::Shadow).rgb());
        // The close box is the model's: Cancel.
        QTest::mouseClick(w->closeBox(), Qt::LeftButton);
    });
    EXPECT_EQ(code, id::Cancel);
}

TEST_F(QtFrames, WithAWindowManagerADialogHasAFixedSizeAndOnlyTheCloseBox) {
    q.host.ownFrames = false;
    q.run(d, [&] {
        QtDialogWindow* w = view(q, d);
        ASSERT_NE(w, nullptr);
        const Qt::WindowFlags decorations =
            Qt::WindowType_Mask | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
            Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint |
            Qt::WindowFullscreenButtonHint | Qt::WindowContextHelpButtonHint |
            Qt::FramelessWindowHint;
        EXPECT_EQ(int(w->windowFlags() & decorations),
                  int(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowCloseButtonHint));
        EXPECT_TRUE(w->minimumSize() == w->maximumSize() && w->titleBar() == nullptr &&
                    w->client() == w);
    });
}

// Centred on the owner's frame, or on the screen, and moved inside the screen.
TEST_F(QtFrames, AWindowIsCentredOnItsOwnerAndKeptOnTheScreen) {
    struct Case {
        QSize frame;
        QRect owner, screen;
        QPoint at;
    } cases[] = {
        {{200, 100}, {100, 100, 400, 300}, {0, 0, 1280, 1024}, {200, 200}},
        {{200, 100}, {1100, 50, 400, 300}, {0, 0, 1280, 1024}, {1080, 150}}, // half off right
        {{200, 100}, {-300, 900, 400, 300}, {0, 0, 1280, 1024}, {0, 924}},   // off left, bottom
        {{200, 100}, {980, 100, 400, 300}, {0, 0, 1280, 1024}, {1080, 200}}, // just fits
        {{200, 100}, {981, 100, 400, 300}, {0, 0, 1280, 1024}, {1080, 200}}, // one past
        {{1400, 1100}, {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {0, 0}},      // larger
        {{400, 300}, {1300, 10, 200, 100}, {1280, 0, 1024, 768}, {1280, 0}}, // second screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceWindow(c.frame, c.owner, c.screen), c.at) << c.owner.x();

    // The dialogs themselves: the first centred on the screen, one of it near the screen's
    // corner moved in.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect first, second;
    q.run(d, [&] {
        first = view(q, d)->frameGeometry();
        q.host.model().placeWindow(d.window(), screen.right() - 100, screen.bottom() - 100, false);
        ValuesDialog child(q.lib(), &d);
        q.whenShown(kValuesTemplate, [&](QWidget* w) {
            second = w->frameGeometry();
            q.host.model().endModal(child.window(), 1);
        });
        child.doModal();
    });
    EXPECT_LE((first.center() - screen.center()).manhattanLength(), 2)
        << first.x() << "," << first.y();
    EXPECT_EQ(second, QRect(QPoint(screen.right() + 1 - second.width(),
                                   screen.bottom() + 1 - second.height()),
                            first.size()));
}

} // namespace
