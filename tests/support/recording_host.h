// A host that records every message box and gives it its safe answer, or the one a test sets.
#pragma once
#include "ui/host.h"
#include "ui/window_classes.h"

#include <string>
#include <vector>

namespace lntc::test {

struct ShownBox {
    WindowRef owner;
    std::string text, caption;
    uint32_t style;
};

class RecordingHost : public Host {
  public:
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        shown.push_back({owner, text, caption, style});
        return answer ? answer : safeAnswer(style);
    }
    int answer = 0;
    std::vector<ShownBox> shown;
    // What logoView() hands out; none unless a test sets one.
    LogoView* logo = nullptr;
    LogoView* logoView() override { return logo; }
    WindowClasses classes;
    WindowClasses* windowClasses() override { return &classes; }
};

} // namespace lntc::test
