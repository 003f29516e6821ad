#include "ui/qt/gallery.h"

#include "ui/qt/logo_window.h"
#include "ui/qt/qt_host.h"

#include <QWidget>

namespace lntc {

namespace {

// A dialog with nothing behind it: it opens and stays as the template made it.
class StillEvents : public DialogEvents {
  public:
    bool dispatchInit(WindowRef) override { return false; } // no focus ring in the picture
    void dispatchCommand(int, Notify) override {}
    void dispatchScroll(int, Scroll) override {}
    void dispatchFocus(int, bool) override {}
    void dispatchHelpRequest() override {}
};

} // namespace

QImage RenderDialog(QtHost& host, const DialogTemplate& t, std::span<const GalleryText> texts) {
    StillEvents events;
    WindowRef window = host.model().createModeless(events, t, nullptr);
    for (const GalleryText& text : texts)
        if (text.templateId == t.id) host.model().setText(window, text.controlId, text.text);
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

std::string GalleryFileName(const DialogTemplate& t) {
    std::string title = t.title != nullptr && t.title[0] != '\0' ? t.title : "untitled";
    for (char& c : title) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
        if (!keep) c = '_';
    }
    return std::to_string(t.id) + "-" + title + ".png";
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
