// The module's exported functions: the host, and the gallery.
#include "ui/qt/gallery.h"
#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QFont>
#include <QStyle>
#include <QStyleFactory>

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

// The program's widget application, or a new one that the caller then owns. False when there
// is none to use: the program's cannot show widgets, or it has not made its own yet.
bool widgetApplication(const lntc::QtHostContext& context, std::unique_ptr<QApplication>& owned) {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        // Widgets need a widget application; a console or GUI-only one will not do.
        if (qobject_cast<QApplication*>(existing) != nullptr) return true;
        if (context.services != nullptr)
            context.services->logError("LNTC: the program's Qt application cannot show widgets");
        return false;
    }
    if (!context.mayCreateApplication) return false;
    // QApplication keeps references to both for its whole life.
    static int argc = 1;
    static char name[] = "lntc";
    static char* argv[] = {name, nullptr};
    KeepProcessLocale keep;
    owned = std::make_unique<QApplication>(argc, argv);
    // One look whatever the platform: each picks a style of its own (Fusion offscreen, the
    // plain Windows style over VNC), so the run and the gallery would differ.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    }
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font); // the dialogs' own, for boxes and help as well
    return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) lntc::Host*
lntc_qt_create_host(const lntc::QtHostContext* context) {
    using namespace lntc;
    try {
        if (context == nullptr || context->apiVersion != kQtHostApiVersion) return nullptr;
        std::unique_ptr<QApplication> owned;
        if (!widgetApplication(*context, owned)) return nullptr;
        return new QtHost(context->services, std::move(owned));
    } catch (...) {
        return nullptr;
    }
}

extern "C" __attribute__((visibility("default"))) bool
lntc_qt_write_gallery(lntc::QtGalleryRequest* request) {
    using namespace lntc;
    try {
        if (request == nullptr || request->apiVersion != kQtHostApiVersion) return false;
        std::unique_ptr<QApplication> owned;
        if (!widgetApplication(QtHostContext{}, owned)) return false;
        QtHost host(nullptr, std::move(owned));
        LogoPaint none;
        GalleryResult result =
            WriteGallery(host, request->templates, request->logo ? *request->logo : none,
                         request->dir, request->texts);
        request->written = std::move(result.written);
        request->failed = std::move(result.failed);
        return true;
    } catch (...) {
        return false;
    }
}
