#include "ui/gallery_dialogs.h"

namespace lntc {

namespace {

class StillEvents : public DialogEvents {
  public:
    bool dispatchInit(WindowRef) override { return false; }
    void dispatchCommand(int, Notify) override {}
    void dispatchScroll(int, Scroll) override {}
    void dispatchFocus(int, bool) override {}
    void dispatchHelpRequest() override {}
};

} // namespace

WindowRef OpenStillDialog(WindowModel& model, const DialogTemplate& t,
                          std::span<const GalleryText> texts) {
    // Holds nothing, so one serves every dialog for as long as it lives.
    static StillEvents events;
    WindowRef window = model.createModeless(events, t, nullptr);
    if (window == nullptr) return nullptr;
    for (const GalleryText& text : texts)
        if (text.templateId == t.id) model.setText(window, text.controlId, text.text);
    return window;
}

std::string GalleryFileName(const DialogTemplate& t, const char* extension) {
    std::string title = t.title != nullptr && t.title[0] != '\0' ? t.title : "untitled";
    for (char& c : title) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!keep) c = '_';
    }
    return std::to_string(t.id) + "-" + title + extension;
}

} // namespace lntc
