#include "ui/qt/gallery.h"

#include "ui/gallery_dialogs.h"
#include "ui/qt/logo_window.h"
#include "ui/qt/qt_host.h"

#include <QWidget>

namespace lntc {

namespace {} // namespace

QImage RenderDialog(QtHost& host, const DialogTemplate& t, std::span<const GalleryText> texts) {
    WindowRef window = OpenStillDialog(host.model(), t, texts);
    QImage image;
    if (QWidget* w = host.widget(window)) image = w->grab().toImage();
    host.model().destroyWindow(window);
    return image;
}

QImage RenderLogo(const LogoPaint& paint) {
    if (paint.image == nullptr) return {};
    LogoWidget w(paint);
    w.setFixedSize(paint.image->width, paint.image->height);
    return w.grab().toImage();
}

GalleryResult WriteGallery(QtHost& host, std::span<const DialogTemplate* const> templates,
                           const LogoPaint& logo, const std::string& dir,
                           std::span<const GalleryText> texts) {
    GalleryResult result;
    auto save = [&](const QImage& image, const std::string& name) {
        std::string path = dir + "/" + name;
        if (image.isNull())
            result.failed.push_back(path + ": nothing was rendered");
        else if (!image.save(QString::fromStdString(path), "PNG"))
            result.failed.push_back(path + ": cannot be written");
        else
            result.written.push_back(path);
    };
    for (const DialogTemplate* t : templates)
        if (t != nullptr) save(RenderDialog(host, *t, texts), GalleryFileName(*t));
    save(RenderLogo(logo), "logo.png");
    return result;
}

} // namespace lntc
