// A library whose host is the Qt host over real widgets (offscreen), with the test templates,
// and what the Qt tests include.
#pragma once
#include "resources/strings.h"
#include "support/test_library.h"
#include "support/values_dialog.h"
#include "ui/qt/address_widget.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lntc::test {

struct TestServices : QtHostServices {
    explicit TestServices(TopWindows* windows) : windows_(windows) {}
    std::string loadString(uint32_t id) override {
        return builtinString(id) ? builtinString(id) : "";
    }
    void logError(const std::string&) override {}
    TopWindows* windows() override { return windows_; }
    void toolkitEnded() override {}
    TopWindows* windows_;
};

struct QtLibrary {
    QtLibrary() : t(machine), services(&machine.windows), host(&services) {
        t.lib().setHost(host);
        t.lib().templates().pushFront(testTemplate);
    }
    FakeMachine machine;
    TestLibrary t;
    TestServices services;
    QtHost host;
    Library& lib() { return t.lib(); }

    // Runs the dialog modally; steps run inside its loop, and a dialog the steps leave open
    // is ended with 99 so that a failing test cannot hang.
    template <class D> int run(D& dialog, std::function<void()> steps) {
        QTimer::singleShot(0, [&] {
            QApplication::processEvents();
            steps();
            host.model().endModal(dialog.window(), 99);
        });
        return dialog.doModal();
    }
    template <class W = QWidget> W* control(const Dialog& d, int id) {
        return qobject_cast<W*>(host.control(d.window(), id));
    }
};

// Acts on each modal window as it appears, a dialog of the host or a message box, with the
// next step, run inside the window's own loop: nested modal loops are driven as the user
// drives them. A window that is not the one expected, or that its step leaves open, is ended
// so that a failing test cannot hang.
class WhenShown : public QObject {
  public:
    struct Step {
        uint16_t dialog; // the template of the dialog, or 0 for a message box
        std::function<void(QWidget*)> act;
    };
    explicit WhenShown(QtHost& host, std::vector<Step> steps)
        : host_(host), steps_(std::move(steps)) {
        qApp->installEventFilter(this);
    }
    ~WhenShown() override {
        qApp->removeEventFilter(this);
        EXPECT_EQ(next_, steps_.size()) << "windows that never appeared";
    }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (e->type() == QEvent::Show && w != nullptr && w->isWindow() &&
            w->windowModality() != Qt::NonModal)
            QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(w)] {
                if (window) act(window);
            });
        return false;
    }

  private:
    static ModelWindow* dialogOf(QWidget* w) {
        auto* d = dynamic_cast<QtDialogWindow*>(w);
        return d != nullptr ? d->window() : nullptr;
    }
    void act(QPointer<QWidget> w) {
        QApplication::processEvents(); // the window becomes the active one
        if (!w) return;
        auto* box = qobject_cast<QMessageBox*>(w);
        const uint16_t shown = dialogOf(w) != nullptr ? dialogOf(w)->templateId : 0;
        if (next_ < steps_.size() && (shown != 0 || box != nullptr) &&
            steps_[next_].dialog == shown)
            steps_[next_++].act(w);
        else
            ADD_FAILURE() << "unexpected window " << shown << ": "
                          << w->windowTitle().toStdString();
        if (ModelWindow* dialog = w ? dialogOf(w) : nullptr; dialog != nullptr && !dialog->ended) {
            ADD_FAILURE() << "dialog " << dialog->templateId << " left open";
            host_.model().endModal(dialog, 99);
        } else if (box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
            ADD_FAILURE() << "box left open: " << box->text().toStdString();
            box->done(QMessageBox::Cancel);
        }
    }

    QtHost& host_;
    std::vector<Step> steps_;
    size_t next_ = 0;
};

} // namespace lntc::test
