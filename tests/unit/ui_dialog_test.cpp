// The dialog framework over the window model: data exchange and its checks, the list and
// combo operations, help and the wait window.
#include "resources/ids.h"
#include "support/locales.h"
#include "support/values_dialog.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;
using Ints = std::vector<int64_t>;

// In a program with a decimal comma too (where the machine can make the locale): the dialogs
// show and read numbers the way the registry keeps them, and the program's locale stays.
TEST(DialogExchange, LoadsMembersIntoTheControlsAndSavesThemOnOk) {
    GermanProcessLocale german;
    HeadlessLibrary h;
    ValuesDialog d(h.lib());
    d.typed = "Beta";
    h.host.script(kValuesTemplate)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(textsOf(w, {tc::Count, tc::Name, tc::Ratio}), (Texts{"5", "abc", "1.5"}));
            EXPECT_EQ(
                Ints({w.at(tc::Name).limit, w.at(tc::Radio2).check, w.at(tc::Editable).curSel}),
                Ints({8, 1, 1}));
        })
        .type(tc::Count, " 12 ")
        .type(tc::Name, "new name is long") // cut by the limit as the user types
        .type(tc::Ratio, "2.25")
        .click(tc::Radio3)
        .click(tc::Check)
        .type(tc::Editable, "Free text")
        .ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(Ints({d.count, d.radio, d.checked}), Ints({12, 2, 1}));
    EXPECT_EQ(Texts({d.name, d.typed}), Texts({"new name", "Free text"}));
    EXPECT_DOUBLE_EQ(d.ratio, 2.25);
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
    const Case cases[] = {
        {tc::Count, "31", "Please enter an integer between 1 and 20."},
        {tc::Count, "0", "Please enter an integer between 1 and 20."},
        {tc::Count, "abc", "Please enter an integer."},
        {tc::Count, "-3", "Please enter an integer."},
        {tc::Count, "7x", "Please enter an integer."},
        {tc::Count, "99999999999", "Please enter an integer."}, // not saturated into range
        {tc::Count, "", "Please enter an integer."},
        {tc::Ratio, "ten", "Please enter a number."},
        {tc::Ratio, "nan", "Please enter a number."},
        {tc::Ratio, "inf", "Please enter a number."},
        {tc::Ratio, "0x2", "Please enter a number."},
        {tc::Ratio, "12.5", "Please enter a number between 0.5 and 9.5."},
        {tc::Name, "nine char", "Please enter no more than 8 characters.", true},
    };
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
        .selectItems(X, {0, 2})
        .click(tc::Other2)
        .click(tc::Radio1)
        .click(tc::Radio2) // an automatic button clears only its own group
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
    h.host.script(kValuesTemplate)
        .scroll(tc::Spin, Scroll::LineUp)
        .scroll(tc::Spin, Scroll::LineUp)
        .then([&](const ModelWindow& w) {
            EXPECT_EQ(w.at(tc::Count).text, "7");
            EXPECT_EQ(w.at(tc::DropList).itemTexts(), (Texts{"default", "Gothic", "Mincho"}));
            d.setWindowText(tc::DropList, "Mincho"); // a drop-down list has no free text
            EXPECT_EQ(d.windowText(tc::DropList), "");
            EXPECT_EQ(d.selectString(tc::DropList, -1, "goth"), 1);
            EXPECT_EQ(d.windowText(tc::DropList), "Gothic");
            // A combo box clears the selection on a bad index.
            EXPECT_EQ(Ints({d.setCurSel(tc::DropList, 9), d.getCurSel(tc::DropList)}),
                      Ints({-1, -1}));
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
        })
        .select(tc::DropList, "MINCHO")
        .type(tc::Editable, "Gamma ray")
        .then([&](const ModelWindow&) {
            EXPECT_EQ(d.windowText(tc::DropList), "Mincho");
            EXPECT_EQ(d.getCurSel(tc::Editable), -1); // typed text selects nothing
        })
        .select(tc::Editable, 0)
        .then([&](const ModelWindow&) { EXPECT_EQ(d.windowText(tc::Editable), "Alpha"); })
        .escape();
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
    EXPECT_EQ(d.doModal(), id::Cancel);
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
    h.host.script(kValuesTemplate)
        .focus(tc::Name)
        .then([&](const ModelWindow& w) {
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

} // namespace
