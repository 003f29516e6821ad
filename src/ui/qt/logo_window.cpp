#include "ui/qt/logo_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace lntc {

void RaiseWindow(QWidget* window) {
    if (window != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->raise();
}

LogoWidget::LogoWidget(const LogoPaint& paint, QWidget* parent)
    : QWidget(parent), paint_(paint), font_(logoFont(paint)) {
    if (paint.image != nullptr && paint.image->width > 0 && paint.image->height > 0 &&
        paint.image->rgb.size() >=
            static_cast<size_t>(paint.image->width) * paint.image->height * 3)
        image_ = QImage(paint.image->rgb.data(), paint.image->width, paint.image->height,
                        paint.image->width * 3, QImage::Format_RGB888)
                     .copy();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont LogoWidget::logoFont(const LogoPaint& paint) {
    QFont f(QString::fromStdString(paint.fontFace));
    f.setStyleHint(QFont::Serif, QFont::PreferOutline);
    f.setWeight(static_cast<QFont::Weight>(paint.fontWeight));
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    int height = paint.fontHeight > 0 ? paint.fontHeight : 48;
    f.setPixelSize(height);
    int cell = QFontMetrics(f).height();
    if (cell > 0 && cell != height) f.setPixelSize(std::max(1, height * height / cell));
    // Rounding in the face's metrics: step to the size whose cell comes closest.
    for (int step = 0; step < 4; ++step) {
        int h = QFontMetrics(f).height();
        if (h == height) break;
        int next = f.pixelSize() + (h < height ? 1 : -1);
        if (next < 1) break;
        QFont g = f;
        g.setPixelSize(next);
        if (std::abs(QFontMetrics(g).height() - height) >= std::abs(h - height)) break;
        f = g;
    }
    return f;
}

void LogoWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (image_.isNull())
        p.fillRect(rect(), palette().window());
    else
        p.drawImage(0, 0, image_);
    p.setFont(font_);
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    QFontMetrics fm(font_);
    p.drawText(paint_.titleX, paint_.titleY + fm.ascent(), QString::fromStdString(paint_.title));
    p.drawText(paint_.versionX, paint_.versionY + fm.ascent(),
               QString::fromStdString(paint_.version));
}

QtLogoView::QtLogoView() : timer_(std::make_unique<QTimer>()) {
    timer_->setSingleShot(true);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        // The callback may destroy the window and stop this timer from inside.
        auto expiry = expiry_;
        if (expiry) expiry();
    });
}

QtLogoView::~QtLogoView() {
    release();
}

void QtLogoView::close() {
    if (!widget_) return;
    auto expiry = expiry_;
    if (expiry)
        expiry();
    else
        destroy();
}

void QtLogoView::release() {
    destroy();
    timer_.reset();
    expiry_ = nullptr;
}

void QtLogoView::abandon() {
    (void)timer_.release();
    widget_.clear();
    expiry_ = nullptr;
}

LogoView::Rect QtLogoView::desktop() const {
    if (!timer_) return {};
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    QRect g = screen->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

bool QtLogoView::create(const std::string& className, const std::string& title, int x, int y,
                        int width, int height, const LogoPaint& paint) {
    if (widget_ || !timer_) return false; // one logo at a time, and none once Qt has gone
    auto* w = new LogoWidget(paint);
    w->setObjectName(QString::fromStdString(className));
    w->setWindowTitle(QString::fromStdString(title));
    w->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setGeometry(x, y, width, height);
    w->setFixedSize(width, height);
    w->show();
    widget_ = w;
    return true;
}

bool QtLogoView::topmost() const {
    return widget_ && widget_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void QtLogoView::setTopmost() {
    if (!widget_) return;
    QPoint at = widget_->pos();
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, true); // hides the window
    widget_->move(at);
    widget_->show();
    RaiseWindow(widget_);
}

void QtLogoView::paintNow() {
    if (widget_) widget_->repaint();
}

void QtLogoView::startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) {
    if (!timer_) return;
    timerId_ = id;
    expiry_ = std::move(expiry);
    timer_->start(static_cast<int>(milliseconds));
}

void QtLogoView::stopTimer(uint32_t id) {
    if (timer_ && id == timerId_) timer_->stop();
}

void QtLogoView::destroy() {
    if (timer_) timer_->stop();
    if (widget_) {
        // The timer belongs to the view, not the window: nothing of the window is running.
        delete widget_.data();
    }
}

} // namespace lntc
