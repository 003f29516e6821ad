// A library whose host is the Qt host over real widgets (offscreen), with the test templates.
#pragma once
#include "resources/strings.h"
#include "support/test_library.h"
#include "support/ui_support.h"
#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace lntc::test {

class TestServices : public QtHostServices {
  public:
    explicit TestServices(TopWindows* windows) : windows_(windows) {}
    std::string loadString(uint32_t id) override {
        const char* s = builtinString(id);
        return s != nullptr ? s : "";
    }
    void logError(const std::string& text) override { logged.push_back(text); }
    TopWindows* windows() override { return windows_; }
    void toolkitEnded() override {}
    std::vector<std::string> logged;

  private:
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

} // namespace lntc::test
