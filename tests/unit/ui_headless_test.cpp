// The window model through the scripted user: the focus and its notifications, keys, boxes,
// windows over windows and the address control, as every host has them.
#include "support/values_dialog.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;

Texts focusEvents(const ValuesDialog& d) {
    Texts out;
    for (const auto& e : d.events)
        if (e.rfind("set ", 0) == 0 || e.rfind("kill ", 0) == 0) out.push_back(e);
    return out;
}

TEST(ModelFocus, MovesRaiseKillFocusThenSetFocus) {
    struct Case {
        const char* name;
        std::function<void(HeadlessLibrary&, ValuesDialog&, DialogScript&)> act;
        Texts events;
        int code = id::Cancel;
    };
    const Case cases[] = {
        {"focus, tab past what is no tab stop, back-tab wrapping, a click focusing first",
         [](HeadlessLibrary&, ValuesDialog& d, DialogScript& s) {
             d.atInit = [](ValuesDialog& dlg) { dlg.enable(tc::Ratio, false); };
             s.focus(tc::Name).tab().tab().then([&](const ModelWindow&) { d.setFocus(tc::Count); });
             s.tab(false).cancel();
         },
         {"set 4001", "kill 4001", "set 4002", "kill 4002", "set 4101", "kill 4101", "set 4104",
          "kill 4104", "set 4001", "kill 4001", "set 57669", "kill 57669", "set 2"}},
        {"a box takes the focus and gives it back",
         [](HeadlessLibrary& h, ValuesDialog& d, DialogScript& s) {
             s.focus(tc::Name)
                 .then([&](const ModelWindow&) { ErrorId(h.lib(), d.window(), 32794, "Q1"); })
                 .escape();
         },
         {"set 4001", "kill 4001", "set 4002", "kill 4002", "set 4002"}},
        {"a kill-focus handler keeps the focus: the move is overtaken",
         [](HeadlessLibrary&, ValuesDialog& d, DialogScript& s) {
             d.atKillFocus = [](ValuesDialog& dlg, int id) {
                 if (id == tc::Count && dlg.windowText(tc::Count) == "bad") dlg.setFocus(tc::Count);
             };
             s.type(tc::Count, "bad").focus(tc::Name).escape();
         },
         {"set 4001", "kill 4001", "kill 4002", "set 4001"}},
        {"an editable combo holds it in its edit; a disabled or hidden control loses it",
         [](HeadlessLibrary&, ValuesDialog& d, DialogScript& s) {
             s.focus(tc::Editable)
                 .then([&](const ModelWindow&) { EXPECT_TRUE(d.focusedWindow().inComboEdit); })
                 .focus(tc::DropList)
                 .then([&](const ModelWindow& w) {
                     EXPECT_FALSE(d.focusedWindow().inComboEdit);
                     d.enable(tc::DropList, false);
                     EXPECT_EQ(w.focus, 0);
                 })
                 .focus(tc::Name)
                 .then([&](const ModelWindow& w) {
                     d.show(tc::Name, false);
                     EXPECT_EQ(w.focus, 0);
                 })
                 .escape();
         },
         {"set 4001", "kill 4001", "set 4401", "kill 4401", "set 4400", "kill 4400", "set 4002",
          "kill 4002"}},
        {"a click whose focus move shows a box is lost",
         [](HeadlessLibrary& h, ValuesDialog& d, DialogScript& s) {
             d.atKillFocus = [&](ValuesDialog& dlg, int id) {
                 if (id == tc::Count) ErrorId(h.lib(), dlg.window(), 32794, "x");
             };
             s.ok().then([&](const ModelWindow& w) {
                 EXPECT_FALSE(w.ended);
                 EXPECT_EQ(std::count(h.host.trace.begin(), h.host.trace.end(), "lost click 1"), 1);
             });
             s.ok();
         },
         {"set 4001", "kill 4001", "kill 1", "set 1", "set 1"},
         id::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessLibrary h;
        ValuesDialog d(h.lib());
        c.act(h, d, h.host.script(kValuesTemplate));
        EXPECT_EQ(d.doModal(), c.code);
        EXPECT_EQ(focusEvents(d), c.events);
    }
}

// The dialogs check a field when the user leaves it; the check shows a box, and the box moves
// the focus again. A guard keeps the check from running inside itself.
TEST(ModelFocus, ABoxInAKillFocusHandlerNeedsTheGuard) {
    for (bool guard : {true, false}) {
        SCOPED_TRACE(guard ? "guarded" : "unguarded");
        HeadlessLibrary h;
        ValuesDialog d(h.lib());
        bool validating = false;
        int checks = 0;
        d.atKillFocus = [&](ValuesDialog& dlg, int) {
            if (guard && validating) return;
            validating = true;
            if (++checks < 5) ErrorId(h.lib(), dlg.window(), 32794, "name");
            validating = false;
        };
        h.host.script(kValuesTemplate).focus(tc::Name).then([&](const ModelWindow& w) {
            // Unguarded, the nested checks leave the focus where the user did not put it.
            EXPECT_EQ(w.focus == tc::Name, guard);
        });
        h.host.onScriptError = [](const std::string&) {};
        d.doModal();
        EXPECT_EQ(checks == 1, guard);
        if (!guard) continue;
        // The box came while the focus was moving: the new field lost it to the box, got it
        // back, and then got it as the move finished.
        Texts f = focusEvents(d);
        EXPECT_EQ(Texts(f.begin(), f.begin() + 5),
                  (Texts{"set 4001", "kill 4001", "kill 4002", "set 4002", "set 4002"}));
    }
}

TEST(ModelKeys, EnterEscapeAndTheCloseBox) {
    using Act = std::function<void(ValuesDialog&, DialogScript&)>;
    const std::tuple<const char*, bool, Act, int> cases[] = {
        {"enter in a field presses OK", false,
         [](ValuesDialog&, DialogScript& s) { s.focus(tc::Name).enter(); }, id::Ok},
        {"enter on a push button presses it", false,
         [](ValuesDialog&, DialogScript& s) { s.focus(ctl::Cancel).enter(); }, id::Cancel},
        {"escape cancels", false, [](ValuesDialog&, DialogScript& s) { s.escape(); }, id::Cancel},
        {"the close box cancels", false, [](ValuesDialog&, DialogScript& s) { s.closeBox(); },
         id::Cancel},
        {"read-only: enter presses Cancel", true, [](ValuesDialog&, DialogScript& s) { s.enter(); },
         id::Cancel},
        {"a disabled default or Cancel holds enter and the close box, not escape", false,
         [](ValuesDialog& d, DialogScript& s) {
             d.atInit = [](ValuesDialog& dlg) {
                 dlg.enable(ctl::Ok, false);
                 dlg.enable(ctl::Cancel, false);
             };
             s.enter().closeBox().then([](const ModelWindow& w) { EXPECT_FALSE(w.ended); });
             s.escape();
         },
         id::Cancel},
    };
    for (const auto& [name, readOnly, act, code] : cases) {
        SCOPED_TRACE(name);
        HeadlessLibrary h;
        h.lib().readOnlyRegistry = readOnly;
        ValuesDialog d(h.lib());
        act(d, h.host.script(kValuesTemplate));
        EXPECT_EQ(d.doModal(), code);
        EXPECT_EQ(h.host.closed(kValuesTemplate)->defaultButton, readOnly ? ctl::Cancel : ctl::Ok);
    }
}

TEST(ModelBoxes, AnswersInOrderByTextAndSafeByDefault) {
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

    std::vector<std::string> errors;
    h.host.onScriptError = [&](const std::string& m) { errors.push_back(m); };
    h.host.answer(id::Yes);
    EXPECT_EQ(ErrorId(lib, nullptr, 32820, 1), id::Ok); // Yes is no button of an OK box
    EXPECT_EQ(errors.size(), 1u);
    // Boxes that keep showing boxes are a loop: the deepest are not shown.
    h.host.answer(id::Ok, [&](const HeadlessBox&) {
        for (int i = 0; i < 20; ++i)
            h.host.answer(id::Ok, [&](const HeadlessBox&) { ErrorId(lib, nullptr, 32820, 2); });
        ErrorId(lib, nullptr, 32820, 2);
    });
    ErrorId(lib, nullptr, 32820, 1);
    EXPECT_NE(errors.back().find("nest endlessly"), std::string::npos);
}

TEST(ModelWindows, ASubDialogTakesTheFocusFromItsParentAndGivesItBack) {
    HeadlessLibrary h;
    ValuesDialog parent(h.lib());
    h.host.script(kValuesTemplate)
        .focus(tc::Ratio)
        .then([&](const ModelWindow&) {
            Dialog child(h.lib(), kBareTemplate, &parent);
            EXPECT_EQ(child.doModal(), id::Ok);
            EXPECT_EQ(parent.focusedControl(), tc::Ratio);
        })
        .cancel();
    h.host.script(kBareTemplate).enter();
    EXPECT_EQ(parent.doModal(), id::Cancel);
    Texts f = focusEvents(parent);
    EXPECT_EQ(Texts(f.begin() + 2, f.begin() + 5), (Texts{"set 4003", "kill 4003", "set 4003"}));
    ASSERT_EQ(h.host.closedWindows.size(), 2u);
    EXPECT_EQ(h.host.closed(kBareTemplate)->endCode, id::Ok);
    EXPECT_EQ(h.host.closedWindows[0]->templateId, kBareTemplate);
}

TEST(ModelAddress, TheControlKeepsItsFormAndTellsTheDialog) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    WindowModel& model = h.host.model();
    h.host.script(kValuesTemplate)
        .then([&](const ModelWindow& w) {
            EXPECT_EQ(d.windowText(tc::Address), "0.0.0.0");
            d.setWindowText(tc::Address, "1a2.3");
            EXPECT_EQ(w.at(tc::Address).address->fieldText(), "12\t.3\t.0\t.0");
            d.setWindowText(tc::Address, "25.0.0.0");
            w.at(tc::Address).address->setSelection(2, 2);
            d.events.clear();
            // A third digit above 255 is cut, with the message owned by the dialog; a fourth
            // is refused and the dialog hears of it.
            model.userChar(*model.active(), tc::Address, '6');
            model.userChar(*model.active(), tc::Address, '7');
            EXPECT_EQ(d.windowText(tc::Address), "255.0.0.0");
        })
        .type(tc::Address, "10.20.30") // pasted
        .escape();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(h.host.closed(kValuesTemplate)->at(tc::Address).address->text(), "10.20.30.0");
    EXPECT_EQ(boxLines(h.host), Texts{"An invalid TCP/IP address byte was entered.  The maximum "
                                      "value is 255.|Configuration Error|0|500"});
    Texts notes;
    for (const auto& e : d.events)
        if (e.rfind("set", 0) != 0 && e.rfind("kill", 0) != 0) notes.push_back(e);
    EXPECT_EQ(notes, (Texts{"cmd 4600 2", "notify 4600 32768", "cmd 4600 2"}));
}

} // namespace
