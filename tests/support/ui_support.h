// Test templates and a library whose host is the headless host.
#pragma once
#include "support/test_library.h"
#include "ui/dialog.h"
#include "ui/headless_host.h"

#include <functional>
#include <gtest/gtest.h>

namespace lntc::test {

// A dialog with a control of every kind (template 500) and the wait window (900).
inline constexpr uint16_t kValuesTemplate = 500;
namespace tc {
inline constexpr int Count = 4001, Name = 4002, Ratio = 4003;
inline constexpr int Radio1 = 4101, Radio2 = 4102, Radio3 = 4103, Other1 = 4104, Other2 = 4105;
inline constexpr int Check = 4200;
inline constexpr int Sorted = 4300, Extended = 4301;
inline constexpr int DropList = 4400, Editable = 4401;
inline constexpr int Spin = 4500;
inline constexpr int Address = 4600;
inline constexpr int WaitText = 100;
} // namespace tc

const DialogTemplate* testTemplate(uint16_t id);

// Checks of the window at a step of a script.
using Check = std::function<void(const ModelWindow&)>;
inline Check textIs(int id, std::string expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).text, expected) << id; };
}
inline Check listIs(int id, std::vector<std::string> expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).itemTexts(), expected) << id; };
}
inline Check checkedIs(int id, int state = 1) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).check, state) << id; };
}
inline Check enabledIs(int id, bool on) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.at(id).enabled, on) << id; };
}
inline Check focusIs(int id) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.focus, id); };
}
inline Check titleIs(std::string expected) {
    return [=](const ModelWindow& w) { EXPECT_EQ(w.title, expected); };
}
// Each box shown as "text|caption|style|the owner's template id".
std::vector<std::string> boxLines(const HeadlessHost& host);

// A TestLibrary over a headless host that turns script errors into test failures.
struct HeadlessLibrary {
    // Without the test templates where a product dialog uses one of their ids.
    explicit HeadlessLibrary(bool testTemplates = true);
    FakeMachine machine;
    TestLibrary t;
    HeadlessHost host;
    Library& lib() { return t.lib(); }
    // The boxes shown since the last call, as their text (or "caption: text") cut to n
    // characters; they are forgotten.
    std::vector<std::string> takeBoxes(size_t n = std::string::npos, bool withCaption = false);
};

} // namespace lntc::test
