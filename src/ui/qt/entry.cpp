// The module's one exported function.
#include "ui/qt/qt_host.h"

#include <QApplication>

#include <clocale>
#include <memory>
#include <string>

namespace {

// QApplication's constructor switches the whole process to the user's locale; the program
// that loaded us chose its own and keeps it.
class KeepProcessLocale {
  public:
    KeepProcessLocale() {
        if (const char* current = std::setlocale(LC_ALL, nullptr)) saved_ = current;
    }
    ~KeepProcessLocale() {
        if (!saved_.empty()) std::setlocale(LC_ALL, saved_.c_str());
    }
    KeepProcessLocale(const KeepProcessLocale&) = delete;
    KeepProcessLocale& operator=(const KeepProcessLocale&) = delete;

  private:
    std::string saved_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) lntc::Host*
lntc_qt_create_host(const lntc::QtHostContext* context) {
    using namespace lntc;
    try {
        if (context == nullptr || context->apiVersion != kQtHostApiVersion) return nullptr;
        std::unique_ptr<QApplication> owned;
        if (QCoreApplication* existing = QCoreApplication::instance()) {
            // Widgets need a widget application; a console or GUI-only one will not do.
            if (qobject_cast<QApplication*>(existing) == nullptr) {
                if (context->services != nullptr)
                    context->services->logError(
                        "LNTC: the program's Qt application cannot show widgets");
                return nullptr;
            }
        } else {
            if (!context->mayCreateApplication) return nullptr;
            // QApplication keeps references to both for its whole life.
            static int argc = 1;
            static char name[] = "lntc";
            static char* argv[] = {name, nullptr};
            KeepProcessLocale keep;
            owned = std::make_unique<QApplication>(argc, argv);
        }
        return new QtHost(context->services, std::move(owned));
    } catch (...) {
        return nullptr;
    }
}
