// Pictures of dialogs and of the logo, rendered by the Qt host, for review.
#pragma once
#include "resources/templates.h"
#include "ui/gallery_dialogs.h"
#include "ui/logo_view.h"
#include "ui/qt_host_api.h"

#include <QImage>

#include <span>
#include <string>
#include <vector>

namespace lntc {

class QtHost;

// The dialog as it opens, with no handler behind it but the texts given for its controls.
QImage RenderDialog(QtHost& host, const DialogTemplate& t, std::span<const GalleryText> texts = {});
// The logo window's content.
QImage RenderLogo(const LogoPaint& paint);

struct GalleryResult {
    std::vector<std::string> written; // paths
    std::vector<std::string> failed;  // what could not be written, and why
};
// Writes every template and "logo.png" into dir (which must exist).
GalleryResult WriteGallery(QtHost& host, std::span<const DialogTemplate* const> templates,
                           const LogoPaint& logo, const std::string& dir,
                           std::span<const GalleryText> texts = {});

} // namespace lntc
