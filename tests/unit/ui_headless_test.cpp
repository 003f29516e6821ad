#include "ui/message_box.h"
#include "support/values_dialog.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

std::vector<std::string> focusEvents(const ValuesDialog& d) {
    std::vector<std::string> out;
    for (const auto& e : d.events)
        if (e.rfind("set ", 0) == 0 || e.rfind("kill ", 0) == 0) out.push_back(e);
    return out;
}

TEST(HeadlessFocus, MovesRaiseKillThenSetAndAClickFocusesTheButtonFirst) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Name)
        .then([&](const HeadlessWindow&) { d.setFocus(tc::Ratio); })
        .select(tc::Sorted, 0)
        .cancel();
    std::vector<std::string> errors;
    h.host.onScriptError = [&](const std::string& m) { errors.push_back(m); };
    d.atInit = [](ValuesDialog& dlg) { dlg.addString(tc::Sorted, "only"); };
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(focusEvents(d), (std::vector<std::string>{"set 4001", "kill 4001", "set 4002",
                                                        "kill 4002", "set 4003", "kill 4003",
                                                        "set 4300", "kill 4300", "set 2"}));
}

TEST(HeadlessFocus, AnEditableComboHoldsTheFocusInItsEdit) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Editable)
        .then([&](const HeadlessWindow&) {
            EXPECT_EQ(d.focusedControl(), tc::Editable);
            EXPECT_TRUE(d.focusedWindow().inComboEdit);
        })
        .focus(tc::DropList)
        .then([&](const HeadlessWindow&) {
            EXPECT_EQ(d.focusedControl(), tc::DropList);
            EXPECT_FALSE(d.focusedWindow().inComboEdit);
            d.enable(tc::DropList, false); // a disabled control loses the focus
            EXPECT_EQ(d.focusedControl(), 0);
        })
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(focusEvents(d).back() == "set 2", true);
    EXPECT_NE(std::find(d.events.begin(), d.events.end(), "kill 4400"), d.events.end());
}

TEST(HeadlessFocus, AMessageBoxTakesTheFocusAndGivesItBack) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Name)
        .then([&](const HeadlessWindow&) {
            d.events.clear();
            ErrorId(h.lib(), d.window(), 32794, "Q1");
            EXPECT_EQ(d.focusedControl(), tc::Name);
        })
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(focusEvents(d),
              (std::vector<std::string>{"kill 4002", "set 4002", "kill 4002", "set 2"}));
}

// The dialogs check a field when the user leaves it; the check shows a box, and the box moves
// the focus again. A guard keeps the check from running inside itself.
TEST(HeadlessFocus, ABoxInAKillFocusHandlerNeedsTheGuard) {
    for (bool guard : {true, false}) {
        SCOPED_TRACE(guard ? "guarded" : "unguarded");
        HeadlessLibrary h;
        ValuesDialog d(h.lib());
        bool validating = false;
        int checks = 0;
        d.atKillFocus = [&](ValuesDialog& dlg, int) {
            if (guard && validating) return;
            validating = true;
            ++checks;
            if (checks < 5) ErrorId(h.lib(), dlg.window(), 32794, "name");
            validating = false;
        };
        h.host.script(kValuesTemplate).focus(tc::Name).then([&](const HeadlessWindow& w) {
            // Unguarded, the nested checks leave the focus where the user did not put it.
            EXPECT_EQ(w.focus == tc::Name, guard);
        });
        h.host.onScriptError = [](const std::string&) {};
        d.doModal();
        if (guard) {
            EXPECT_EQ(checks, 1);
            EXPECT_EQ(h.host.boxes.size(), 1u);
            // The box came while the focus was moving: the new field lost it to the box,
            // got it back, and then got it as the move finished.
            std::vector<std::string> f = focusEvents(d);
            std::vector<std::string> head(f.begin(), f.begin() + 5);
            EXPECT_EQ(head, (std::vector<std::string>{"set 4001", "kill 4001", "kill 4002",
                                                      "set 4002", "set 4002"}));
        } else {
            EXPECT_GT(checks, 1);
        }
    }
}

TEST(HeadlessFocus, AKillFocusHandlerCanKeepTheFocusWhereItWas) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    bool busy = false;
    d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id != tc::Count || busy || dlg.windowText(tc::Count) != "bad") return;
        busy = true;
        dlg.setFocus(tc::Count);
        busy = false;
    };
    h.host.script(kValuesTemplate)
        .type(tc::Count, "bad")
        .focus(tc::Name)
        .then([](const HeadlessWindow& w) { EXPECT_EQ(w.focus, tc::Count); })
        .escape();
    EXPECT_EQ(d.doModal(), id::Cancel);
    std::vector<std::string> f = focusEvents(d);
    // The move to the name field was overtaken: the field never hears that it had the focus.
    EXPECT_EQ(std::count(f.begin(), f.end(), "set 4002"), 0);
    EXPECT_EQ(f, (std::vector<std::string>{"set 4001", "kill 4001", "kill 4002", "set 4001"}));
}

TEST(HeadlessFocus, AClickWhoseFocusMoveShowsABoxIsLost) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    bool shown = false;
    d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id == tc::Count && !shown) {
            shown = true;
            ErrorId(h.lib(), dlg.window(), 32794, "x");
        }
    };
    h.host.script(kValuesTemplate)
        .ok()
        .then([](const HeadlessWindow& w) { EXPECT_FALSE(w.ended); })
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(h.host.boxes.size(), 1u);
    EXPECT_NE(std::find(h.host.trace.begin(), h.host.trace.end(), "lost click 1"),
              h.host.trace.end());
}

TEST(HeadlessKeys, EnterEscapeAndTheCloseBox) {
    struct Case {
        const char* name;
        bool readOnly;
        std::function<void(DialogScript&)> steps;
        int code;
    };
    const Case cases[] = {
        {"enter in a field presses OK", false, [](DialogScript& s) { s.focus(tc::Name).enter(); },
         id::Ok},
        {"enter on a push button presses it", false,
         [](DialogScript& s) { s.focus(ctl::Cancel).enter(); }, id::Cancel},
        {"escape cancels", false, [](DialogScript& s) { s.escape(); }, id::Cancel},
        {"the close box cancels", false, [](DialogScript& s) { s.closeBox(); }, id::Cancel},
        {"read-only: enter presses Cancel", true, [](DialogScript& s) { s.enter(); }, id::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessLibrary h;
        h.lib().readOnlyRegistry = c.readOnly;
        ValuesDialog d(h.lib());
        c.steps(h.host.script(kValuesTemplate));
        EXPECT_EQ(d.doModal(), c.code);
        const HeadlessWindow& w = h.host.closed(kValuesTemplate)->window;
        EXPECT_EQ(w.at(ctl::Ok).enabled, !c.readOnly);
        EXPECT_EQ(w.defaultButton, c.readOnly ? ctl::Cancel : ctl::Ok);
    }
}

TEST(HeadlessKeys, ADisabledDefaultOrCancelButtonHoldsEnterAndTheCloseBox) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    d.atInit = [](ValuesDialog& dlg) {
        dlg.enable(ctl::Ok, false);
        dlg.enable(ctl::Cancel, false);
    };
    h.host.script(kValuesTemplate)
        .enter()
        .closeBox()
        .then([](const HeadlessWindow& w) { EXPECT_FALSE(w.ended); })
        .escape(); // Escape cancels even then
    EXPECT_EQ(d.doModal(), id::Cancel);

    std::vector<std::string> errors;
    h.host.onScriptError = [&](const std::string& m) { errors.push_back(m); };
    Dialog bare(h.lib(), kBareTemplate, nullptr);
    h.host.script(kBareTemplate).closeBox();
    EXPECT_EQ(bare.doModal(), id::Cancel);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("no close box"), std::string::npos);
}

TEST(HeadlessBoxes, AnswersInOrderByTextAndSafeByDefault) {
    HeadlessLibrary h;
    Library& lib = h.lib();
    std::string seen;
    h.host.answerWhen("queues (", id::Retry);
    h.host.answer(id::Yes, [&](const HeadlessBox& b) { seen = b.caption; });
    EXPECT_EQ(WarnId(lib, nullptr, 32794, "a"), id::Yes);
    EXPECT_EQ(seen, "Configuration Warning");
    EXPECT_EQ(MessageBoxId(lib, nullptr, 32850, mb::RetryQuestion, 32820, 16), id::Retry);
    EXPECT_EQ(WarnId(lib, nullptr, 32794, "b"), id::No);
    ASSERT_EQ(h.host.boxes.size(), 3u);
    EXPECT_EQ(h.host.boxes[1].text, "Maximum number of queues (16) exceeded.");
    EXPECT_EQ(h.host.boxes[2].answer, id::No);

    std::vector<std::string> errors;
    h.host.onScriptError = [&](const std::string& m) { errors.push_back(m); };
    h.host.answer(id::Yes);
    EXPECT_EQ(ErrorId(lib, nullptr, 32820, 1), id::Ok); // Yes is no button of an OK box
    EXPECT_EQ(errors.size(), 1u);
}

TEST(HeadlessHelp, HelpButtonAndF1AskForTheRightContexts) {
    HeadlessLibrary h;
    h.lib().helpFilePath = "c:\\lnt\\LNTC.HLP";
    ValuesDialog d(h.lib());
    EXPECT_EQ(d.helpContext(), kValuesTemplate);
    h.host.script(kValuesTemplate)
        .help()
        .focus(tc::Name)
        .f1()
        .focus(tc::Editable)
        .f1()
        .focus(tc::DropList)
        .f1()
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    ASSERT_EQ(h.host.helps.size(), 4u);
    EXPECT_EQ(h.host.helps[0].data, kValuesTemplate);
    EXPECT_EQ(h.host.helps[0].command, help::Context);
    EXPECT_EQ(h.host.helps[0].file, "c:\\lnt\\LNTC.HLP");
    EXPECT_EQ(h.host.helps[1].data, uint32_t(tc::Name));
    EXPECT_EQ(h.host.helps[2].data, uint32_t(tc::Editable));
    EXPECT_EQ(h.host.helps[3].data, uint32_t(tc::DropList));
}

TEST(HeadlessWait, TheWaitWindowIsCentredTopmostAndGoesWithTheObject) {
    HeadlessLibrary h;
    h.host.screen = {0, 0, 1024, 768};
    h.lib().strings().pushFront([](uint32_t id) -> std::optional<std::string> {
        if (id == 40000) return "Looking for queues...";
        return std::nullopt;
    });
    {
        WaitCursor cursor(h.lib().host());
        WaitDialog wait(h.lib(), 40000, nullptr);
        EXPECT_EQ(h.host.waitCursorDepth, 1);
        const HeadlessWindow* w = h.host.openWindow(WaitDialog::kTemplateId);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->at(tc::WaitText).text, "Looking for queues...");
        // 140 x 60 dialog units are 210 x 97 pixels.
        EXPECT_EQ(w->x, (1024 - 210) / 2);
        EXPECT_EQ(w->y, (768 - 97) / 2);
        EXPECT_TRUE(w->topmost);
    }
    EXPECT_EQ(h.host.openWindow(WaitDialog::kTemplateId), nullptr);
    EXPECT_EQ(h.host.waitCursorDepth, 0);
    EXPECT_TRUE(h.host.boxes.empty());
}

TEST(HeadlessWait, AMissingMessageIsReportedFirstAndShownAsAnError) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Name)
        .then([&](const HeadlessWindow& w) {
            WaitDialog wait(h.lib(), 40001, &d);
            EXPECT_EQ(wait.message(), "ERROR: missing message");
            EXPECT_EQ(h.host.openWindow(WaitDialog::kTemplateId)->at(tc::WaitText).text,
                      "ERROR: missing message");
            EXPECT_EQ(w.focus, 0); // the wait window is active now
        })
        .then([](const HeadlessWindow& w) { EXPECT_EQ(w.focus, tc::Name); })
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    ASSERT_EQ(h.host.boxes.size(), 1u);
    EXPECT_EQ(h.host.boxes[0].text, "The message id 40001 is missing from the string table!");
    EXPECT_EQ(h.host.boxes[0].caption, "Configuration Error");
    EXPECT_EQ(h.host.boxes[0].owner, nullptr);
    auto box = std::find(h.host.trace.begin(), h.host.trace.end(),
                         "box The message id 40001 is missing from the string table!");
    auto created = std::find(h.host.trace.begin(), h.host.trace.end(), "create 900");
    EXPECT_LT(box, created);
    ASSERT_NE(created, h.host.trace.end());
}

// The texts for a missing message are the library's strings, so a localised module has them.
TEST(HeadlessWait, TheMissingMessageTextsComeFromTheStringTable) {
    HeadlessLibrary h;
    h.lib().strings().pushFront([](uint32_t id) -> std::optional<std::string> {
        if (id == str::MissingMessage) return "FEHLER: Meldung fehlt";
        if (id == str::MissingMessageId) return "Meldung %d fehlt";
        return std::nullopt;
    });
    WaitDialog wait(h.lib(), 40001, nullptr);
    EXPECT_EQ(wait.message(), "FEHLER: Meldung fehlt");
    ASSERT_EQ(h.host.boxes.size(), 1u);
    EXPECT_EQ(h.host.boxes[0].text, "Meldung 40001 fehlt");
}

TEST(HeadlessModal, ASubDialogTakesTheFocusFromItsParentAndGivesItBack) {
    HeadlessLibrary h;
    ValuesDialog parent(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Ratio)
        .then([&](const HeadlessWindow&) {
            Dialog child(h.lib(), kBareTemplate, &parent);
            EXPECT_EQ(child.doModal(), id::Ok);
            EXPECT_EQ(parent.focusedControl(), tc::Ratio);
        })
        .cancel();
    h.host.script(kBareTemplate).enter();
    EXPECT_EQ(parent.doModal(), id::Cancel);
    std::vector<std::string> f = focusEvents(parent);
    std::vector<std::string> mid(f.begin() + 2, f.begin() + 5);
    EXPECT_EQ(mid, (std::vector<std::string>{"set 4003", "kill 4003", "set 4003"}));
    ASSERT_EQ(h.host.dialogs.size(), 2u);
    EXPECT_EQ(h.host.dialogs[0].window.templateId, kBareTemplate);
    EXPECT_EQ(h.host.dialogs[0].window.endCode, id::Ok);
}

} // namespace
