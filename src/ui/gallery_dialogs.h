// Dialogs as the galleries picture them, and the pictures' names.
#pragma once
#include "ui/qt_host_api.h"
#include "ui/window_model.h"

#include <span>
#include <string>

namespace lntc {

// Opens the template modeless with nothing behind it, so that it stays as the template made it
// (no focus ring either), with the texts given for it put into their controls. nullptr when it
// cannot be opened; the caller destroys it.
WindowRef OpenStillDialog(WindowModel& model, const DialogTemplate& t,
                          std::span<const GalleryText> texts = {});

// "<id>-<title>.png": the title's characters other than letters, digits, '-' and '_' as '_',
// "untitled" when it has none; the extension as given.
std::string GalleryFileName(const DialogTemplate& t, const char* extension = ".png");

} // namespace lntc
