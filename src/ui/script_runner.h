// Scripts of what an administrator does in the windows of a run, one action a line, played
// on the headless host's window model (`lntc-config --script`), with a transcript of every
// window that opened.
#pragma once
#include "ui/headless_host.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

struct ScriptWord {
    std::string text; // a quoted string without its quotes and escapes, or the bare word
    bool quoted = false;
    int nth = 0; // "[n]": the n-th control of that name in tab order; 0: the only one
    int id = -1; // "#ID": the control of that id
};

struct ScriptAction {
    int line = 0;
    std::string verb; // lower case; checks: "expect" with the kind in `what`
    std::string what;
    std::vector<ScriptWord> args;
};

struct ScriptFailure {
    int line = 0;
    std::string message;
};

struct ParsedScript {
    std::vector<ScriptAction> actions;
    int lines = 0;
    // The first line that is no action; the script is then not run at all.
    std::optional<ScriptFailure> failure;
};

ParsedScript ParseScript(std::string_view text);

class ScriptRunner : private HeadlessUser {
  public:
    ScriptRunner(HeadlessHost& host, ParsedScript script);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Calls `body`, which opens the windows, with the script as their user; returns what it
    // returned. A failure stops the script: every window still open is cancelled and every box
    // gets the answer that changes nothing.
    int run(const std::function<int()>& body);
    // Whether the script failed, counting actions left once its windows have closed; for the
    // body, before it returns.
    bool failed();
    const std::optional<ScriptFailure>& failure() const { return failure_; }
    // {"result": result, "error": null | {"line", "message"}, "events": [...]}
    std::string transcript(int result) const;

  private:
    struct Event {
        enum Kind : uint8_t { Dialog, Box, End, Help } kind = Dialog;
        int line = 0;
        int id = 0; // template id, end code, help context
        int result = 0;
        std::string title, text, buttons, icon, answer;
    };

    void shown(const ModelWindow& window) override;
    void runModal(ModelWindow& window) override;
    int answerBox(const HeadlessBox& box) override;
    void closed(const ModelWindow& window) override;
    void helpShown(uint32_t context) override;

    const ScriptAction* take();
    void act(const ScriptAction& a, ModelWindow& w);
    void expect(const ScriptAction& a, ModelWindow* in);
    ModelControl* resolve(const ScriptAction& a, ModelWindow& w, const ScriptWord& name);
    ModelControl* usable(const ScriptAction& a, ModelWindow& w, const ScriptWord& name);
    bool perform(ModelWindow& w, DialogScript::Step step);
    void fail(int line, std::string message);
    std::string front(const ModelWindow* w) const;

    HeadlessHost& host_;
    ParsedScript script_;
    size_t next_ = 0;
    int line_ = 0; // the action being done; 0 before the first
    const HeadlessBox* box_ = nullptr;
    std::optional<ScriptFailure> failure_;
    std::vector<Event> events_;
};

} // namespace lntc
