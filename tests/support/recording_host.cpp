#include "support/recording_host.h"

namespace lntc::test {

int RecordingHost::messageBox(WindowRef owner, const std::string& text, const std::string& caption,
                              uint32_t style) {
    shown.push_back({owner, text, caption, style});
    if (answers_.empty()) return safeAnswer(style);
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace lntc::test
