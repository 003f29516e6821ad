// A host that records every message box and answers from a script.
#pragma once
#include "ui/host.h"
#include "ui/window_classes.h"

#include <deque>
#include <string>
#include <vector>

namespace lntc::test {

struct ShownBox {
    WindowRef owner;
    std::string text;
    std::string caption;
    uint32_t style;
};

class RecordingHost : public Host {
  public:
    int messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                   uint32_t style) override {
        shown.push_back({owner, text, caption, style});
        if (answers_.empty()) return safeAnswer(style);
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    // Answers for the next boxes, in order; without one a box gets its safe answer.
    void script(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    std::vector<ShownBox> shown;
    // What logoView() hands out; none unless a test sets one.
    LogoView* logo = nullptr;
    LogoView* logoView() override { return logo; }
    WindowClasses classes;
    WindowClasses* windowClasses() override { return &classes; }

  private:
    std::deque<int> answers_;
};

} // namespace lntc::test
