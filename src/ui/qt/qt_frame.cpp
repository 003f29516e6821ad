#include "ui/qt/qt_frame.h"

#include "ui/qt/qt_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

#include <utility>

namespace lntc {

namespace {

constexpr int kBorder = 3;

} // namespace

WindowFrame::WindowFrame(QWidget& window, bool titled, std::function<void()> onClose)
    : QObject(&window), window_(window) {
    window.setWindowFlag(Qt::FramelessWindowHint);
    int top = kBorder;
    if (titled) {
        QFont bold = window.font();
        bold.setBold(true);
        const int height = QFontMetrics(bold).height() + 6;
        titleBar_ = new QWidget(&window);
        titleBar_->setObjectName("lntcTitleBar");
        titleBar_->setAutoFillBackground(true);
        titleBar_->setGeometry(kBorder, kBorder, 0, height);
        titleBar_->installEventFilter(this);
        title_ = new QLabel(window.windowTitle(), titleBar_);
        title_->setFont(bold);
        title_->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (onClose) {
            auto* box = new QToolButton(titleBar_);
            box->setText(QStringLiteral("\u2715"));
            box->setToolTip(QStringLiteral("Close"));
            box->setFocusPolicy(Qt::NoFocus); // the focus stays where the window has it
            box->setAutoRaise(true);
            box->resize(height - 2, height - 2);
            connect(box, &QToolButton::clicked, this, std::move(onClose));
            closeBox_ = box;
        }
        top += height;
    }
    window.setContentsMargins(kBorder, top, kBorder, kBorder);
    window.installEventFilter(this);
    fit();
    highlight();
}

void WindowFrame::fit() {
    if (titleBar_ == nullptr) return;
    const int width = window_.width() - 2 * kBorder, height = titleBar_->height();
    const int box = closeBox_ != nullptr ? height : 0;
    titleBar_->resize(width, height);
    title_->setGeometry(4, 0, width - box - 6, height);
    if (closeBox_ != nullptr) closeBox_->move(width - box + 1, 1);
}

void WindowFrame::highlight() {
    if (titleBar_ == nullptr) return;
    // The active window's title bar in the highlight, as a window manager shows it.
    const QPalette& own = window_.palette();
    QPalette p = titleBar_->palette();
    const bool active = window_.isActiveWindow();
    p.setColor(QPalette::Window, own.color(active ? QPalette::Highlight : QPalette::Mid));
    p.setColor(QPalette::WindowText,
               own.color(active ? QPalette::HighlightedText : QPalette::Window));
    p.setColor(QPalette::ButtonText, p.color(QPalette::WindowText));
    titleBar_->setPalette(p);
    title_->setText(window_.windowTitle());
}

bool WindowFrame::drag(QEvent* event) {
    auto at = [event] { return static_cast<QMouseEvent*>(event)->globalPosition().toPoint(); };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        dragging_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        dragFrom_ = at() - window_.pos();
        return true;
    case QEvent::MouseMove:
        if (dragging_) window_.move(at() - dragFrom_);
        return true;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        return true;
    default:
        return false;
    }
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == titleBar_) return drag(event);
    if (watched != &window_) return false;
    switch (event->type()) {
    case QEvent::Resize:
        fit();
        break;
    case QEvent::ActivationChange:
    case QEvent::WindowTitleChange:
    case QEvent::PaletteChange:
        highlight();
        break;
    case QEvent::Paint: {
        // In the margins, where the window itself paints only its background.
        QPainter painter(&window_);
        painter.setPen(window_.palette().color(QPalette::Shadow));
        painter.drawRect(window_.rect().adjusted(0, 0, -1, -1));
        painter.setPen(window_.palette().color(QPalette::Mid));
        painter.drawRect(window_.rect().adjusted(1, 1, -2, -2));
        break;
    }
    default:
        break;
    }
    return false;
}

void PlaceOnOwner(QWidget& window) {
    QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // The window manager's frame, as wide as the one it gave the owner.
    QMargins frame;
    if (owner != nullptr) {
        const QRect outer = owner->frameGeometry(), inner = owner->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    window.move(PlaceWindow(window.size().grownBy(frame),
                            owner != nullptr ? owner->frameGeometry() : area, area));
}

} // namespace lntc
