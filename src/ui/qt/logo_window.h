// The start-up logo as a Qt window: borderless, the artwork at (0, 0) and the two texts in
// the logo font, optionally above every other window, with its one-shot timer.
#pragma once
#include "ui/logo_view.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace lntc {

// Brings a window to the front where the platform can (offscreen has no stacking order).
void RaiseWindow(QWidget* window);

class LogoWidget : public QWidget {
  public:
    LogoWidget(const LogoPaint& paint, QWidget* parent = nullptr);
    // The font the texts are drawn in: the face asked for with a cell height of
    // paint.fontHeight pixels (the original measures the cell, Qt the em).
    static QFont logoFont(const LogoPaint& paint);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    const LogoPaint& paint_;
    QImage image_;
    QFont font_;
};

class QtLogoView : public LogoView {
  public:
    QtLogoView();
    ~QtLogoView() override;
    QWidget* window() const { return widget_.data(); }
    bool topmost() const;

    Rect desktop() const override;
    bool create(const std::string& className, const std::string& title, int x, int y, int width,
                int height, const LogoPaint& paint) override;
    void setTopmost() override;
    void paintNow() override;
    void startTimer(uint32_t id, uint32_t milliseconds, std::function<void()> expiry) override;
    void stopTimer(uint32_t id) override;
    void destroy() override;

    // Closes the logo as its timer does, telling whoever started the timer.
    void close();
    // Lets go of Qt for good, while it still stands (release) or once it may be gone
    // (abandon: nothing is deleted). The view then shows nothing and does nothing.
    void release();
    void abandon();

    // The pending timer (tests): its id, 0 when none runs.
    uint32_t timerId() const { return timer_ && timer_->isActive() ? timerId_ : 0; }
    int timerInterval() const { return timer_ ? timer_->interval() : 0; }

  private:
    QPointer<LogoWidget> widget_;
    std::unique_ptr<QTimer> timer_;
    uint32_t timerId_ = 0;
    std::function<void()> expiry_;
};

} // namespace lntc
