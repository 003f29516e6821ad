// The dialog framework over the window model: data exchange and its checks, list and combo
// operations, help, the wait window; the focus and its notifications, keys, boxes, windows over
// windows and the address control as every host has them; message boxes and where they go
// without windows.
#include "resources/ids.h"
#include "support/locales.h"
#include "support/test_library.h"
#include "support/values_dialog.h"
#include "ui/display_host.h"
#include "ui/message_box.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace lntc;
using namespace lntc::test;
using Texts = std::vector<std::string>;
using Ints = std::vector<int64_t>;

namespace {

// In a program with a decimal comma too (where the machine can make the locale): the dialogs
// show and read numbers the way the registry keeps them, and the program's locale stays.
TEST(DialogExchange, LoadsMembersIntoTheControlsAndSavesThemOnOk) {
    GermanProcessLocale german;
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    d.typed = "Beta";
    auto& s = h.host.script(kValuesTemplate).then([](const ModelWindow& w) {
        EXPECT_EQ(textsOf(w, {tc::Count, tc::Name, tc::Ratio}), (Texts{"5", "abc", "1.5"}));
        EXPECT_EQ(Ints({w.at(tc::Name).limit, w.at(tc::Radio2).check, w.at(tc::Editable).curSel}),
                  Ints({8, 1, 1}));
    });
    // The name is cut by the limit as the user types.
    s.type(tc::Count, " 12 ").type(tc::Name, "new name is long").type(tc::Ratio, "2.25");
    s.click(tc::Radio3).click(tc::Check).type(tc::Editable, "Free text").ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(Ints({d.count, d.radio, d.checked, static_cast<int64_t>(d.ratio * 100)}),
              Ints({12, 2, 1, 225}));
    EXPECT_EQ(Texts({d.name, d.typed}), Texts({"new name", "Free text"}));
    EXPECT_TRUE(h.host.boxes.empty());
    // Loading set every edit's text: none of it reached the handlers, the user's typing did.
    Texts changes;
    for (const auto& e : d.events)
        if (e.rfind("cmd 4001", 0) == 0 || e.rfind("cmd 4002", 0) == 0) changes.push_back(e);
    EXPECT_EQ(changes, (Texts{"cmd 4001 2", "cmd 4002 2"}));
    EXPECT_EQ(formatMessage("%.1f %'d", 7.5, 12345), "7.5 12345");
    EXPECT_EQ(GermanProcessLocale::printed(5.5), german.active() ? "5,5" : "5.5");
}

TEST(DialogExchange, AFailedCheckShowsTheStandardMessageFocusesTheFieldAndKeepsTheDialogOpen) {
    GermanProcessLocale german;
    struct Case {
        int control;
        const char* text; // typed, or set by the dialog when the user could not type it
        const char* message;
        bool set = false;
    };
    // clang-format off
    const Case cases[] = {
        {tc::Count, "31", "Please enter an integer between 1 and 20."},
        {tc::Count, "0", "Please enter an integer between 1 and 20."},
        {tc::Count, "abc", "Please enter an integer."},
        {tc::Count, "-3", "Please enter an integer."},
        {tc::Count, "7x", "Please enter an integer."},
        {tc::Count, "99999999999", "Please enter an integer."}, // not saturated into range
        {tc::Count, "", "Please enter an integer."}, {tc::Ratio, "ten", "Please enter a number."},
        {tc::Ratio, "nan", "Please enter a number."}, {tc::Ratio, "inf", "Please enter a number."},
        {tc::Ratio, "0x2", "Please enter a number."},
        {tc::Ratio, "12.5", "Please enter a number between 0.5 and 9.5."},
        {tc::Name, "nine char", "Please enter no more than 8 characters.", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        HeadlessLibrary h;
        ValuesDialog d(h.lib());
        if (c.set) d.atInit = [&](ValuesDialog& dlg) { dlg.setWindowText(c.control, c.text); };
        auto& s = h.host.script(kValuesTemplate);
        if (!c.set) s.type(c.control, c.text);
        s.focus(tc::Check).ok().then([&](const ModelWindow& w) {
            EXPECT_TRUE(!w.ended && w.focus == c.control && w.at(c.control).textSelected);
        });
        s.type(c.control, "3").ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        EXPECT_EQ(boxLines(h.host),
                  Texts{std::string(c.message) + "|Lintora Configuration|48|500"});
        // The check's focus move is the exchange's, not the user's: no handler hears of it.
        EXPECT_EQ(std::count(d.events.begin(), d.events.end(), "set " + std::to_string(c.control)),
                  c.set ? 0 : 1);
    }
}

TEST(DialogControls, RadioGroupsListsAndSelections) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    const int L = tc::Sorted, X = tc::Extended;
    h.host.script(kValuesTemplate)
        .then([&](const ModelWindow& w) {
            d.checkRadioButton(tc::Radio1, tc::Radio3, tc::Radio3);
            Ints got{d.checkedRadioButton(tc::Radio1, tc::Radio3), d.isChecked(tc::Radio2)};
            d.checkRadioButton(tc::Radio1, tc::Radio3, 0);
            got.push_back(d.checkedRadioButton(tc::Radio1, tc::Radio3));
            EXPECT_EQ(got, Ints({tc::Radio3, 0, 0}));
            EXPECT_EQ(d.radioGroup(tc::Radio1),
                      (std::vector<int>{tc::Radio1, tc::Radio2, tc::Radio3}));

            for (const char* s : {"beta", "Alpha", "gamma", "alpha2", "ALPHA"})
                d.addString(L, s);
            EXPECT_EQ(w.at(L).itemTexts(), (Texts{"ALPHA", "Alpha", "alpha2", "beta", "gamma"}));
            // Insertion ignores the order; a search wraps to the top, also from past the end; a
            // failed search keeps the selection, the selection follows its item, and a list
            // keeps it on a bad index.
            EXPECT_EQ(Ints({d.insertString(L, 0, "zulu"), d.insertString(L, 9, "x"),
                            d.findString(L, -1, "ALP"), d.findString(L, 3, "alp"),
                            d.findString(L, 99, "zu"), d.findString(L, -1, "delta"),
                            d.findStringExact(L, -1, "ALPHA2"), d.findStringExact(L, -1, "alph"),
                            d.selectString(L, -1, "GAM"), d.selectString(L, -1, "none"),
                            d.getCurSel(L), d.deleteString(L, 0), d.getCurSel(L), d.setCurSel(L, 7),
                            d.getCurSel(L), d.setItemData(L, 2, 77),
                            static_cast<int64_t>(d.getItemData(L, 2)), d.deleteString(L, 5)}),
                      Ints({0, -1, 1, 1, 0, -1, 3, -1, 5, -1, 5, 5, 4, -1, 4, 0, 77, -1}));
            d.resetContent(L);
            EXPECT_EQ(Ints({d.getCount(L), d.getCurSel(L)}), Ints({0, -1}));

            for (const char* s : {"c", "a", "b", "d"})
                d.addString(X, s); // not sorted; single selection does not apply
            EXPECT_EQ(Ints({d.setCurSel(X, 1), d.selectString(X, -1, "a"), d.setSel(X, 1),
                            d.setSel(X, 3), d.setSel(X, 4), d.getSel(X, 0), d.getSelCount(L)}),
                      Ints({-1, -1, 0, 0, -1, 0, -1}));
            EXPECT_EQ(d.getSelItems(X), (std::vector<int>{1, 3}));
            d.setSel(X, -1, true);
            EXPECT_EQ(d.getSelCount(X), 4);
        })
        // An automatic button clears only its own group.
        .selectItems(X, {0, 2})
        .click(tc::Other2)
        .click(tc::Radio1)
        .click(tc::Radio2)
        .then([&](const ModelWindow& w) {
            EXPECT_EQ(d.getSelItems(X), (std::vector<int>{0, 2}));
            EXPECT_EQ(Ints({w.at(tc::Radio1).check, w.at(tc::Other2).check}), Ints({0, 1}));
        })
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(d.radio, 1);
}

TEST(DialogControls, DropDownListsChooseEditableCombosTakeTypedTextAndNumbersScroll) {
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    auto& s = h.host.script(kValuesTemplate).scroll(tc::Spin, Scroll::LineUp);
    s.scroll(tc::Spin, Scroll::LineUp).then([&](const ModelWindow& w) {
        EXPECT_EQ(w.at(tc::Count).text, "7");
        EXPECT_EQ(w.at(tc::DropList).itemTexts(), (Texts{"default", "Gothic", "Mincho"}));
        d.setWindowText(tc::DropList, "Mincho"); // a drop-down list has no free text
        EXPECT_EQ(d.windowText(tc::DropList), "");
        EXPECT_EQ(d.selectString(tc::DropList, -1, "goth"), 1);
        EXPECT_EQ(d.windowText(tc::DropList), "Gothic");
        // A combo box clears the selection on a bad index.
        EXPECT_EQ(Ints({d.setCurSel(tc::DropList, 9), d.getCurSel(tc::DropList)}), Ints({-1, -1}));
        for (auto [text, isSigned, value, ok] :
             {std::tuple{"12a", true, 0LL, false}, std::tuple{" -42 ", true, -42LL, true},
              std::tuple{"-42", false, 0LL, false},
              std::tuple{"4294967295", false, 4294967295LL, true}}) {
            bool translated = !ok;
            d.setWindowText(tc::Name, text);
            EXPECT_EQ(d.getDlgItemInt(tc::Name, &translated, isSigned), value) << text;
            EXPECT_EQ(translated, ok) << text;
        }
        d.setDlgItemInt(tc::Name, -1, false);
        EXPECT_EQ(d.windowText(tc::Name), "4294967295");
    });
    s.select(tc::DropList, "MINCHO").type(tc::Editable, "Gamma ray").then([&](const ModelWindow&) {
        EXPECT_EQ(d.windowText(tc::DropList), "Mincho");
        EXPECT_EQ(d.getCurSel(tc::Editable), -1); // typed text selects nothing
    });
    s.select(tc::Editable, 0).then([&](const ModelWindow&) {
        EXPECT_EQ(d.windowText(tc::Editable), "Alpha");
    });
    s.escape();
    EXPECT_EQ(d.doModal(), id::Cancel);
    for (const char* e : {"cmd 4400 3", "cmd 4401 2", "cmd 4401 3"})
        EXPECT_NE(std::find(d.events.begin(), d.events.end(), e), d.events.end()) << e;
}

TEST(DialogModal, AMissingTemplateADisplaylessHostOrAScriptMistakeEndTheDialog) {
    HeadlessLibrary h;
    Dialog missing(h.lib(), 4242, nullptr);
    EXPECT_EQ(missing.doModal(), -1);
    EXPECT_TRUE(h.host.trace.empty());
    FakeMachine m;
    TestLibrary t(m); // recording host: no windows
    t.lib().templates().pushFront(testTemplate);
    ValuesDialog none(t.lib());
    EXPECT_EQ(none.doModal(), -1);

    std::vector<std::string> errors;
    h.host.onScriptError = [&](const std::string& m) { errors.push_back(m); };
    for (int step = 0; step < 4; ++step) {
        ValuesDialog d(h.lib());
        d.atInit = [](ValuesDialog& dlg) { dlg.enable(tc::Check, false); };
        if (step == 1) h.host.script(kValuesTemplate).click(tc::Check).ok();
        if (step == 2) h.host.script(kValuesTemplate).selectItems(tc::Sorted, {0}).ok();
        if (step == 3) h.host.script(kValuesTemplate).focus(tc::Name);
        EXPECT_EQ(d.doModal(), id::Cancel);
    }
    ASSERT_EQ(errors.size(), 4u);
    const char* said[] = {"without a script", "disabled", "several", "ended with the dialog open"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NE(errors[i].find(said[i]), std::string::npos) << errors[i];
}

TEST(DialogHelp, TheHelpButtonAndF1AskForTheDialogsAndTheControlsContexts) {
    HeadlessLibrary h;
    h.lib().helpFilePath = "c:\\lnt\\LNTC.HLP";
    ValuesDialog d(h.lib());
    h.host.script(kValuesTemplate).help().focus(tc::Name).f1().focus(tc::Editable).f1().cancel();
    d.doModal();
    Texts helps;
    for (const HeadlessHelp& e : h.host.helps)
        helps.push_back(e.file + " " + std::to_string(e.command) + " " + std::to_string(e.data));
    // The combo's context, not its edit's.
    EXPECT_EQ(helps, (Texts{"c:\\lnt\\LNTC.HLP 1 500", "c:\\lnt\\LNTC.HLP 1 4002",
                            "c:\\lnt\\LNTC.HLP 1 4401"}));
}

TEST(DialogWait, TheWaitWindowIsCentredOnTopHasTheFocusWhileItStandsAndSaysWhatIsMissing) {
    HeadlessLibrary h;
    // The texts for a missing message are the library's strings, so a localised module has them.
    h.lib().strings().pushFront([](uint32_t id) -> std::optional<std::string> {
        if (id == str::MissingMessage) return "FEHLER: Meldung fehlt";
        if (id == str::MissingMessageId) return "Meldung %d fehlt";
        return id == 40000 ? std::optional<std::string>("Looking for queues...") : std::nullopt;
    });
    ValuesDialog d(h.lib());
    auto wait = [&] { return h.host.openWindow(WaitDialog::kTemplateId); };
    auto& s = h.host.script(kValuesTemplate).focus(tc::Name);
    s.then([&](const ModelWindow& w) {
         WaitCursor cursor(h.lib().host());
         WaitDialog shown(h.lib(), 40000, &d);
         ASSERT_NE(wait(), nullptr);
         EXPECT_EQ(wait()->at(tc::WaitText).text, "Looking for queues...");
         // 140 x 60 dialog units are 210 x 97 pixels, on a screen of 1024 x 768.
         EXPECT_EQ(Ints({wait()->rect.x, wait()->rect.y, wait()->topmost, h.host.waitCursorDepth,
                         w.focus}),
                   Ints({(1024 - 210) / 2, (768 - 97) / 2, 1, 1, 0}));
     })
        .then([&](const ModelWindow& w) {
            EXPECT_EQ(wait(), nullptr);
            EXPECT_EQ(Ints({h.host.waitCursorDepth, w.focus}), Ints({0, tc::Name}));
            EXPECT_TRUE(h.host.boxes.empty());
            WaitDialog missing(h.lib(), 40001, &d);
            EXPECT_EQ(wait()->at(tc::WaitText).text, "FEHLER: Meldung fehlt");
        })
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    EXPECT_EQ(boxLines(h.host), Texts{"Meldung 40001 fehlt|Configuration Error|65584|0"});
    // Reported before the window is made.
    const auto& trace = h.host.trace;
    auto box = std::find(trace.begin(), trace.end(), "box Meldung 40001 fehlt");
    EXPECT_NE(std::find(box, trace.end(), "create 900"), trace.end());
}

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

TEST(MessageBoxes, CaptionsStylesAndFormatting) {
    FakeMachine m;
    TestLibrary t(m);
    Library& lib = t.lib();
    int owner = 0;
    t.host.script({id::Yes});
    EXPECT_EQ(WarnId(lib, &owner, 32794, "50%"), id::Yes);
    EXPECT_EQ(ErrorId(lib, &owner, 32820, 16), id::Ok);
    EXPECT_EQ(ErrorIdNoOwner(lib, 32863, 5L), id::Ok);
    EXPECT_EQ(MessageBoxId(lib, &owner, 32852, mb::RetryQuestion, 32894), id::Cancel);
    EXPECT_EQ(MessageBoxF(lib, nullptr, "Default ODR Name", mb::RetryQuestion, "%s:%d", "a", 7),
              id::Cancel);
    EXPECT_EQ(ShowLastSystemError(lib, &owner, err::AccessDenied), id::Ok);
    std::vector<std::string> shown;
    for (const ShownBox& s : t.host.shown)
        shown.push_back(s.text + "|" + s.caption + "|" + std::to_string(s.style) +
                        (s.owner == &owner ? "|owned" : ""));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Error locating the 50% queue information.|Configuration Warning|36|owned",
                         "Maximum number of queues (16) exceeded.|Configuration Error|65584|owned",
                         "Error 5 getting title strings.|Configuration Error|65584",
                         "|Path Status|65589|owned", // a number the table lacks gives an empty text
                         "a:7|Default ODR Name|65589",
                         "Access is denied.|Configuration Error|65584|owned"}));
    std::string cut = formatMessage("Path '%s' is read only.", std::string(700, 'x').c_str());
    EXPECT_EQ(cut.size(), 511u); // the buffer's size
}

DisplayVerdict verdict(const std::string& vars) { // "NAME=value NAME=value"
    std::map<std::string, std::string> env;
    std::istringstream words(vars);
    for (std::string w; words >> w;)
        env[w.substr(0, w.find('='))] = w.substr(w.find('=') + 1);
    return CheckDisplay([&](std::string_view name) -> std::optional<std::string> {
        auto it = env.find(std::string(name));
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    });
}

TEST(DisplayCheck, TheEnvironmentDecides) {
    using V = DisplayVerdict;
    // A display that is named but does not answer would make Qt abort the process.
    // clang-format off
    const std::pair<const char*, V> cases[] = {
        {"", V::NoDisplay}, {"DISPLAY=", V::NoDisplay}, {"QT_QPA_PLATFORM=offscreen", V::Usable},
        {"QT_QPA_PLATFORM=vnc:size=800x600", V::Usable},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=1", V::Disabled},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=0", V::Usable}, {"DISPLAY=:977", V::Unreachable},
        {"DISPLAY=garbage", V::Unreachable}, {"QT_QPA_PLATFORM=xcb", V::Unreachable},
        {"QT_QPA_PLATFORM=xcb DISPLAY=:977", V::Unreachable},
        {"WAYLAND_DISPLAY=wayland-77 XDG_RUNTIME_DIR=/nonexistent", V::Unreachable}};
    // clang-format on
    for (const auto& [vars, expected] : cases)
        EXPECT_EQ(verdict(vars), expected) << vars;
}

// No display or the switch is no failure; a dead display or a missing Qt module is said once.
TEST(DisplayHostWithoutWindows, StaysAConsoleHostThatLogsBoxesAndGivesTheSafeAnswer) {
    // clang-format off
    const std::pair<std::map<std::string, std::string>, std::vector<std::string>> cases[] = {
        {{}, {}}, {{{"DISPLAY", ":977"}}, {}}, {{{"QT_QPA_PLATFORM", "offscreen"}, {"LNTC_NO_GUI", "1"}}, {}},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {"/nonexistent/liblntc-qt.so"}}};
    // clang-format on
    for (const auto& [vars, asked] : cases) {
        SCOPED_TRACE(vars.size());
        FakeEnvironment env;
        env.vars.insert(vars.begin(), vars.end());
        FakeProductLibs product;
        FakeTopWindows windows;
        std::FILE* sink = std::tmpfile();
        FakeModules modules;
        DisplayHost host(env, modules, product, &windows, {"/nonexistent", sink});
        EXPECT_TRUE(!host.hasDisplay() && host.decided() && !host.windows() && !host.logoView() &&
                    !host.windowClasses());
        EXPECT_EQ(host.messageBox(nullptr, "Retry?", "Configuration Error", mb::RetryQuestion),
                  id::Cancel);
        EXPECT_EQ(host.messageBox(nullptr, "Delete?", "", mb::Question), id::No);
        EXPECT_EQ(modules.asked, asked);
        const bool dead = vars.count("DISPLAY") || !asked.empty();
        ASSERT_EQ(product.errors.size(), dead ? 3u : 2u);
        EXPECT_EQ(product.errors.back().text, "Delete?");
        std::rewind(sink);
        char text[512] = {};
        text[std::fread(text, 1, sizeof text - 1, sink)] = '\0';
        EXPECT_NE(std::string(text).find("Configuration Error: Retry?\nDelete?\n"),
                  std::string::npos);
        std::fclose(sink);
    }
}

} // namespace
