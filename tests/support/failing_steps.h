// A change run once with its file calls recorded, then once more for each step, that step made to
// fail: the order the steps go in, and what a failure at each leaves behind.
#pragma once
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lntc::test {

// Recorder, alive for one run, records the steps in `calls` and fails the one named in `fail`.
// `reset` puts the files back before each run. The last `trailing` steps are not made to fail.
// `check` judges each run: failing is 0 for the first run (which must take exactly `expected`,
// the steps each followed by a comma), else the number of the step that failed.
template <class Recorder>
void EachStepFailing(
    const std::function<void()>& reset, const std::function<uint32_t()>& change,
    const std::string& expected, size_t trailing,
    const std::function<void(size_t failing, const std::string& step, uint32_t status)>& check) {
    std::vector<std::string> steps;
    {
        reset();
        Recorder calls;
        const uint32_t status = change();
        std::string seen;
        for (const std::string& c : calls.calls)
            seen += c + ",";
        ASSERT_EQ(seen, expected);
        check(0, "", status);
        steps = calls.calls;
    }
    steps.resize(steps.size() > trailing ? steps.size() - trailing : 0);
    for (size_t failing = 1; failing <= steps.size(); ++failing) {
        SCOPED_TRACE("failing at " + steps[failing - 1]);
        reset();
        Recorder calls;
        calls.fail = steps[failing - 1];
        const uint32_t status = change();
        check(failing, steps[failing - 1], status);
    }
}

} // namespace lntc::test
