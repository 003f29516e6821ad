// A library whose host is the Qt host over real widgets (offscreen), with the test templates,
// and what the Qt tests include.
#pragma once
#include "support/test_library.h"
#include "support/values_dialog.h"
#include "ui/qt/address_widget.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

#include <QTest>
#include <QtWidgets> // the tests touch widgets of every kind

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lntc::test {

// The library's services to the host are its own: the machine's window registry.
struct QtLibrary : QtHostServices {
    QtLibrary() : t(machine), host(this) {
        t.lib().setHost(host);
        t.lib().templates().pushFront(testTemplate);
    }
    FakeMachine machine;
    TestLibrary t;
    QtHost host;
    Library& lib() { return t.lib(); }
    std::string loadString(uint32_t) override { return ""; } // the Qt host asks for none
    void logError(const std::string&) override {}
    TopWindows* windows() override { return &machine.windows; }
    void toolkitEnded() override {}

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

    // Acts on the modal window that is active when the event loop next runs: posted before
    // the step that opens a dialog of the host (templateId) or a message box (0), it runs in
    // that window's own loop, so nested modal loops are driven as the user drives them. A
    // window that is not the one expected, or that act leaves open, is ended so that a failing
    // test cannot hang.
    void whenShown(uint16_t templateId, std::function<void(QWidget*)> act) {
        ++unseen;
        QTimer::singleShot(0, &timers, [this, templateId, act] {
            --unseen;
            QApplication::processEvents(); // the window becomes the active one
            QPointer<QWidget> w = QApplication::activeModalWidget();
            auto dialog = [&w] {
                auto* view = dynamic_cast<QtDialogWindow*>(w.data());
                return view != nullptr ? view->window() : nullptr;
            };
            if (w && (dialog() ? dialog()->templateId : 0) == templateId &&
                (dialog() || qobject_cast<QMessageBox*>(w)))
                act(w);
            else
                ADD_FAILURE() << "not the window " << templateId;
            if (ModelWindow* d = dialog(); d != nullptr && !d->ended) {
                ADD_FAILURE() << "dialog " << d->templateId << " left open";
                host.model().endModal(d, 99);
            } else if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                ADD_FAILURE() << "box left open: " << box->text().toStdString();
                box->done(QMessageBox::Cancel);
            }
        });
    }
    QObject timers; // what whenShown posts ends with the test
    int unseen = 0; // windows whenShown waits for
    ~QtLibrary() { EXPECT_EQ(unseen, 0) << "windows that never appeared"; }
};

// The values dialog over a Qt library, for the tests of the widgets.
struct QtValues : testing::Test {
    QtLibrary q;
    ValuesDialog d{q.lib()};
};

} // namespace lntc::test
