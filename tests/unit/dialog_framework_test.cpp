// The dialog framework over the window model: the exchange's checks, lists, help, the wait
// window; focus moves, boxes and the address control as every host has them; message boxes and
// where they go without windows.
#include "resources/ids.h"
#include "support/locales.h"
#include "support/test_library.h"
#include "support/values_dialog.h"
#include "ui/display_host.h"
#include "ui/message_box.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>

using namespace lntc;
using namespace lntc::test;
using Texts = std::vector<std::string>;
using Ints = std::vector<int64_t>;

namespace {

// A dialog over the values template with its script.
struct Values : HeadlessLibrary {
    ValuesDialog d{lib()};
    DialogScript& s = host.script(kValuesTemplate);
};

TEST(DialogControls, AFailedCheckKeepsTheDialogOpenRadioGroupsListsAndSelections) {
    // A failed check shows the standard message, focuses the field and keeps the dialog open.
    GermanProcessLocale german;
#ifdef _WIN32
    ASSERT_TRUE(german.active()) << "the system's C library knows German by name";
#endif
    const char *integer = "Please enter an integer.", *number = "Please enter a number.",
               *range = "Please enter an integer between 1 and 20.";
    // clang-format off
    const struct { int control; const char *text, *message; } cases[] = {
        {tc::Count, "31", range}, {tc::Count, "0", range}, {tc::Count, "abc", integer},
        {tc::Count, "-3", integer}, {tc::Count, "7x", integer}, {tc::Count, "", integer},
        {tc::Count, "99999999999", integer}, // not saturated into range
        {tc::Ratio, "ten", number}, {tc::Ratio, "nan", number}, {tc::Ratio, "inf", number},
        {tc::Ratio, "0x2", number}, {tc::Ratio, "12.5", "Please enter a number between 0.5 and 9.5."},
        // Set by the dialog: the user cannot type past the limit.
        {tc::Name, "nine char", "Please enter no more than 8 characters."},
        // At the limits themselves: taken.
        {tc::Count, "1", nullptr}, {tc::Count, "20", nullptr}, {tc::Ratio, "0.5", nullptr},
        {tc::Ratio, "9.5", nullptr}, {tc::Name, "eight ch", nullptr}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Values v;
        const bool set = c.control == tc::Name;
        if (set) v.d.atInit = [&](ValuesDialog& dlg) { dlg.setWindowText(c.control, c.text); };
        if (!set) v.s.type(c.control, c.text);
        v.s.focus(tc::Check).ok();
        if (c.message) {
            v.s.then([&](const ModelWindow& w) {
                EXPECT_TRUE(!w.ended && w.focus == c.control && w.at(c.control).textSelected);
            });
            v.s.type(c.control, "3").ok();
        }
        EXPECT_EQ(v.d.doModal(), id::Ok);
        EXPECT_EQ(boxLines(v.host),
                  c.message ? Texts{std::string(c.message) + "|Lintora Configuration|48|500"}
                            : Texts{});
        // The check's focus move is the exchange's, not the user's: no handler hears of it.
        EXPECT_EQ(
            std::count(v.d.events.begin(), v.d.events.end(), "set " + std::to_string(c.control)),
            set ? 0 : 1);
    }
    // Read and shown the registry's way, and the program's locale stays as it was.
    EXPECT_EQ(GermanProcessLocale::printed(5.5), german.active() ? "5,5" : "5.5");

    Values v;
    ValuesDialog& d = v.d;
    const int L = tc::Sorted, X = tc::Extended;
    v.s.then([&](const ModelWindow& w) {
        d.checkRadioButton(tc::Radio1, tc::Radio3, tc::Radio3);
        Ints got{d.checkedRadioButton(tc::Radio1, tc::Radio3), d.isChecked(tc::Radio2)};
        d.checkRadioButton(tc::Radio1, tc::Radio3, 0);
        got.push_back(d.checkedRadioButton(tc::Radio1, tc::Radio3));
        EXPECT_EQ(got, Ints({tc::Radio3, 0, 0}));
        EXPECT_EQ(d.radioGroup(tc::Radio1), (std::vector<int>{tc::Radio1, tc::Radio2, tc::Radio3}));

        for (const char* s : {"beta", "Alpha", "gamma", "alpha2", "ALPHA"})
            d.addString(L, s);
        EXPECT_EQ(w.at(L).itemTexts(), (Texts{"ALPHA", "Alpha", "alpha2", "beta", "gamma"}));
        // Insertion ignores the order; a search wraps to the top, also from past the end; a
        // failed search keeps the selection, the selection follows its item, and a list keeps it
        // on a bad index.
        EXPECT_EQ(
            Ints({d.insertString(L, 0, "zulu"), d.insertString(L, 9, "x"),
                  d.findString(L, -1, "ALP"), d.findString(L, 3, "alp"), d.findString(L, 99, "zu"),
                  d.findString(L, -1, "delta"), d.findStringExact(L, -1, "ALPHA2"),
                  d.findStringExact(L, -1, "alph"), d.selectString(L, -1, "GAM"),
                  d.selectString(L, -1, "none"), d.getCurSel(L), d.deleteString(L, 0),
                  d.getCurSel(L), d.setCurSel(L, 7), d.getCurSel(L), d.setItemData(L, 2, 77),
                  static_cast<int64_t>(d.getItemData(L, 2)), d.deleteString(L, 5)}),
            Ints({0, -1, 1, 1, 0, -1, 3, -1, 5, -1, 5, 5, 4, -1, 4, 0, 77, -1}));
        d.resetContent(L);
        EXPECT_EQ(Ints({d.getCount(L), d.getCurSel(L)}), Ints({0, -1}));
        // A bulk add sorts as one by one does; the selection stays on its item. 65,536 items
        // are one too many: the last is left out, and nothing more goes in.
        d.addString(L, "Beta");
        d.setCurSel(L, 0);
        d.addStrings(L, {"beta", "Alpha", "BETA", "c"});
        EXPECT_EQ(w.at(L).itemTexts(), (Texts{"Alpha", "BETA", "beta", "Beta", "c"}));
        EXPECT_EQ(Ints({d.getCurSel(L), d.addStrings(L, Texts(65531, "n")), d.addString(L, "z"),
                        d.insertString(L, 0, "z"), d.getCount(L)}),
                  Ints({3, 65530, -2, -2, 65535}));
        d.addStrings(X, {"c", "a", "b", "d"}); // not sorted; single selection does not apply
        EXPECT_EQ(Ints({d.setCurSel(X, 1), d.selectString(X, -1, "a"), d.setSel(X, 1),
                        d.setSel(X, 3), d.setSel(X, 4), d.getSel(X, 0), d.getSelCount(L)}),
                  Ints({-1, -1, 0, 0, -1, 0, -1}));
        EXPECT_EQ(d.getSelItems(X), (std::vector<int>{1, 3}));
        d.setSel(X, -1, true);
        EXPECT_EQ(d.getSelCount(X), 4);
    });
    // An automatic button clears only its own group.
    v.s.selectItems(X, {0, 2}).click(tc::Other2).click(tc::Radio1).click(tc::Radio2);
    v.s.then([&](const ModelWindow& w) {
        EXPECT_EQ(d.getSelItems(X), (std::vector<int>{0, 2}));
        EXPECT_EQ(Ints({w.at(tc::Radio1).check, w.at(tc::Other2).check}), Ints({0, 1}));
    });
    v.s.ok();
    EXPECT_EQ(d.doModal(), id::Ok);
    EXPECT_EQ(d.radio, 1);
}

TEST(DialogModal, AMissingTemplateADisplaylessHostOrAScriptMistakeEndTheDialogAndTheWaitWindow) {
    HeadlessLibrary h;
    EXPECT_EQ(Dialog(h.lib(), 4242, nullptr).doModal(), -1);
    EXPECT_TRUE(h.host.trace.empty());
    h.lib().setHost(h.t.host); // recording host: no windows
    EXPECT_EQ(ValuesDialog(h.lib()).doModal(), -1);
    h.lib().setHost(h.host);

    h.host.onScriptError = nullptr;
    const char* said[] = {"without a script", "disabled", "several", "ended with the dialog open"};
    for (size_t step = 0; step < 4; ++step) {
        ValuesDialog d(h.lib());
        d.atInit = [](ValuesDialog& dlg) { dlg.enable(tc::Check, false); };
        if (step == 1) h.host.script(kValuesTemplate).click(tc::Check).ok();
        if (step == 2) h.host.script(kValuesTemplate).selectItems(tc::Sorted, {0}).ok();
        if (step == 3) h.host.script(kValuesTemplate).focus(tc::Name);
        EXPECT_EQ(d.doModal(), id::Cancel);
        EXPECT_NE(h.host.scriptErrors.at(step).find(said[step]), std::string::npos);
    }
    // A read-only registry makes Cancel the default; a disabled default or Cancel holds Enter
    // and the close box, not Escape.
    Values ro;
    ro.t.makeRegistryReadOnly();
    ro.d.atInit = [](ValuesDialog& dlg) { dlg.enable(ctl::Cancel, false); };
    ro.s.enter().closeBox().then([](const ModelWindow& w) { EXPECT_FALSE(w.ended); });
    ro.s.escape();
    EXPECT_EQ(ro.d.doModal(), id::Cancel);
    EXPECT_EQ(ro.host.closed(kValuesTemplate)->defaultButton, ctl::Cancel);

    // The wait window is centred, on top, has the focus while it stands and says what is missing.
    // Then the Help button and F1 ask for the dialog's and the controls' contexts.
    Values v;
    v.lib().setHelpFile("c:\\lnt\\LNTC.HLP");
    HeadlessHost& host = v.host;
    // The texts for a missing message are the library's strings, so a localised module has them.
    v.lib().strings().pushFront([](uint32_t id) -> std::optional<std::string> {
        if (id == str::MissingMessage) return "FEHLER: Meldung fehlt";
        if (id == str::MissingMessageId) return "Meldung %d fehlt";
        return id == 40000 ? std::optional<std::string>("Looking for queues...") : std::nullopt;
    });
    auto wait = [&] { return host.openWindow(WaitDialog::kTemplateId); };
    v.s.focus(tc::Name).then([&](const ModelWindow& w) {
        WaitCursor cursor(v.lib().host());
        WaitDialog shown(v.lib(), 40000, &v.d);
        ASSERT_NE(wait(), nullptr);
        EXPECT_EQ(wait()->at(tc::WaitText).text, "Looking for queues...");
        // 140 x 60 dialog units are 210 x 97 pixels, on a screen of 1024 x 768.
        EXPECT_EQ(
            Ints({wait()->rect.x, wait()->rect.y, wait()->topmost, host.waitCursorDepth, w.focus}),
            Ints({(1024 - 210) / 2, (768 - 97) / 2, 1, 1, 0}));
    });
    v.s.then([&](const ModelWindow& w) {
        EXPECT_EQ(Ints({wait() != nullptr, host.waitCursorDepth, w.focus}), Ints({0, 0, tc::Name}));
        WaitDialog missing(v.lib(), 40001, &v.d);
        EXPECT_EQ(wait()->at(tc::WaitText).text, "FEHLER: Meldung fehlt");
    });
    v.s.help().focus(tc::Name).f1().focus(tc::Editable).f1().cancel();
    EXPECT_EQ(v.d.doModal(), id::Cancel);
    EXPECT_EQ(boxLines(host), Texts{"Meldung 40001 fehlt|Configuration Error|65584|0"});
    Texts helps;
    for (const HeadlessHelp& e : host.helps)
        helps.push_back(e.file + " " + std::to_string(e.command) + " " + std::to_string(e.data));
    // The combo's context, not its edit's.
    EXPECT_EQ(helps, (Texts{"c:\\lnt\\LNTC.HLP 1 500", "c:\\lnt\\LNTC.HLP 1 4002",
                            "c:\\lnt\\LNTC.HLP 1 4401"}));
    // Reported before the window is made.
    auto box = std::find(host.trace.begin(), host.trace.end(), "box Meldung 40001 fehlt");
    EXPECT_NE(std::find(box, host.trace.end(), "create 900"), host.trace.end());
}

TEST(ModelFocus, MovesRaiseKillFocusThenSetFocusAndTheAddressControlKeepsItsForm) {
    // Focus, tab past what is no tab stop, back-tab wrapping, a click focusing first.
    Values v;
    v.d.atInit = [](ValuesDialog& dlg) { dlg.enable(tc::Ratio, false); };
    v.s.focus(tc::Name).tab().tab().then([&](auto&) { v.d.setFocus(tc::Count); });
    v.s.tab(false).cancel();
    EXPECT_EQ(v.d.doModal(), id::Cancel);
    EXPECT_EQ(only(v.d.events, {"set ", "kill "}),
              (Texts{"set 4001", "kill 4001", "set 4002", "kill 4002", "set 4101", "kill 4101",
                     "set 4104", "kill 4104", "set 4001", "kill 4001", "set 57669", "kill 57669",
                     "set 2"}));
    // A click whose focus move shows a box is lost.
    Values lost;
    lost.d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id == tc::Count) ErrorId(lost.lib(), dlg.window(), 32794, "x");
    };
    lost.s.ok().then([&](const ModelWindow& w) {
        EXPECT_FALSE(w.ended || std::count(lost.host.trace.begin(), lost.host.trace.end(),
                                           "lost click 1") != 1);
    });
    lost.s.ok();
    EXPECT_EQ(lost.d.doModal(), id::Ok);
    EXPECT_EQ(only(lost.d.events, {"set ", "kill "}),
              (Texts{"set 4001", "kill 4001", "kill 1", "set 1", "set 1"}));

    // The control's own rules are the address edit's tests; here: the model drives it. What the
    // dialog hears of it is QtAddressControl.KeysGoThroughTheModelAndTheDotsStayInFixedColumns.
    Values a;
    WindowModel& model = a.host.model();
    a.s.then([&](const ModelWindow& w) {
        a.d.setWindowText(tc::Address, "25.0.0.0");
        w.at(tc::Address).address->setSelection(2, 2);
        // A third digit above 255 is cut, with the message owned by the dialog; a fourth is
        // refused and the dialog hears of it.
        model.userChar(*model.active(), tc::Address, '6');
        model.userChar(*model.active(), tc::Address, '7');
        EXPECT_EQ(a.d.windowText(tc::Address), "255.0.0.0");
    });
    a.s.type(tc::Address, "10.20.30").escape(); // typed over the whole text: field 4 stays
    EXPECT_EQ(a.d.doModal(), id::Cancel);
    EXPECT_EQ(a.host.closed(kValuesTemplate)->at(tc::Address).address->fieldText(),
              "10\t.20\t.30\t.0");
    EXPECT_EQ(boxLines(a.host), Texts{"An invalid TCP/IP address byte was entered.  The maximum "
                                      "value is 255.|Configuration Error|0|500"});
}

TEST(ModelBoxes, AnswersInOrderByTextAndSafeByDefaultCaptionsAndStyles) {
    HeadlessLibrary h;
    Library& lib = h.lib();
    std::string seen;
    h.host.answerWhen("queues (", id::Retry);
    h.host.answer(id::Yes, [&](const HeadlessBox& b) { seen = b.caption; });
    EXPECT_EQ(Ints({WarnId(lib, nullptr, 32794, "a"),
                    MessageBoxId(lib, nullptr, 32850, mb::RetryQuestion, 32820, 16),
                    WarnId(lib, nullptr, 32794, "b")}),
              Ints({id::Yes, id::Retry, id::No}));
    EXPECT_EQ(seen + "|" + h.host.boxes.at(1).text,
              "Configuration Warning|Maximum number of queues (16) exceeded.");

    h.host.onScriptError = nullptr;
    h.host.answer(id::Yes);
    EXPECT_EQ(ErrorId(lib, nullptr, 32820, 1), id::Ok); // Yes is no button of an OK box
    EXPECT_EQ(h.host.scriptErrors.size(), 1u);
    // Boxes that keep showing boxes are a loop: the deepest are not shown.
    h.host.answer(id::Ok, [&](const HeadlessBox&) {
        for (int i = 0; i < 20; ++i)
            h.host.answer(id::Ok, [&](const HeadlessBox&) { ErrorId(lib, nullptr, 32820, 2); });
        ErrorId(lib, nullptr, 32820, 2);
    });
    ErrorId(lib, nullptr, 32820, 1);
    EXPECT_NE(h.host.scriptErrors.back().find("nest endlessly"), std::string::npos);

    // Captions and styles of the other box kinds, on a host without windows (those of the
    // kinds above are the script runner's tests too).
    lib.setHost(h.t.host);
    int owner = 0;
    EXPECT_EQ(
        Ints({ErrorIdNoOwner(lib, 32863, 5L),
              MessageBoxId(lib, &owner, 32852, mb::RetryQuestion, 32894),
              MessageBoxF(lib, nullptr, "Default ODR Name", mb::RetryQuestion, "%s:%d", "a", 7)}),
        Ints({id::Ok, id::Cancel, id::Cancel}));
    Texts shown;
    for (const ShownBox& s : h.t.host.shown)
        shown.push_back(s.text + "|" + s.caption + "|" + std::to_string(s.style) +
                        (s.owner == &owner ? "|owned" : ""));
    EXPECT_EQ(shown, (Texts{"Error 5 getting title strings.|Configuration Error|65584",
                            "|Path Status|65589|owned", // a number the table lacks: an empty text
                            "a:7|Default ODR Name|65589"}));
    // Cut to the buffer's size.
    EXPECT_EQ(formatMessage("Path '%s' is read only.", std::string(700, 'x').c_str()).size(), 511u);
}

// A display that is named but does not answer would make Qt abort the process. Without a
// usable one the host stays a console host that logs boxes and gives the safe answer; no
// display or the switch is no failure, a dead display or a missing Qt module is said once.
TEST(DisplayHost, TheEnvironmentDecidesAndWithoutWindowsBoxesAreLoggedWithTheSafeAnswer) {
    using V = DisplayVerdict;
    // clang-format off
#ifdef _WIN32
    // Every session has a desktop to draw on: only the switch counts.
    const char* const hostModule = "/nonexistent\\lntc-win32.dll";
    const std::pair<const char*, V> cases[] = {
        {"", V::Usable}, {"DISPLAY=:977", V::Usable}, {"LNTC_NO_GUI=1", V::Disabled},
        {"LNTC_NO_GUI=0", V::Usable}};
#else
    const char* const hostModule = "/nonexistent/liblntc-qt.so";
    const std::pair<const char*, V> cases[] = {
        {"", V::NoDisplay}, {"DISPLAY=", V::NoDisplay}, {"QT_QPA_PLATFORM=offscreen", V::Usable},
        {"QT_QPA_PLATFORM=vnc:size=800x600", V::Usable},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=1", V::Disabled},
        {"QT_QPA_PLATFORM=offscreen LNTC_NO_GUI=0", V::Usable}, {"DISPLAY=:977", V::Unreachable},
        {"DISPLAY=garbage", V::Unreachable}, {"QT_QPA_PLATFORM=xcb", V::Unreachable},
        {"QT_QPA_PLATFORM=xcb DISPLAY=:977", V::Unreachable},
        {"WAYLAND_DISPLAY=wayland-77 XDG_RUNTIME_DIR=/nonexistent", V::Unreachable}};
#endif
    // clang-format on
    for (const auto& [text, verdict] : cases) {
        SCOPED_TRACE(text);
        FakeEnvironment env;
        std::istringstream words(text);
        for (std::string w; words >> w;)
            env.vars[w.substr(0, w.find('='))] = w.substr(w.find('=') + 1);
        EXPECT_EQ(CheckDisplay([&](std::string_view name) { return env.get(name); }), verdict);
        FakeProductLibs product;
        FakeTopWindows windows;
        std::FILE* sink = std::tmpfile();
        FakeModules modules;
        DisplayHost host(env, modules, product, &windows, {"/nonexistent", sink});
        EXPECT_TRUE(!host.hasDisplay() && host.decided() && !host.windows() && !host.logoView() &&
                    !host.windowClasses());
        EXPECT_EQ(
            Ints({host.messageBox(nullptr, "Retry?", "Configuration Error", mb::RetryQuestion),
                  host.messageBox(nullptr, "Delete?", "", mb::Question)}),
            Ints({id::Cancel, id::No}));
        EXPECT_EQ(modules.asked, verdict == V::Usable ? Texts{hostModule} : Texts{});
        const bool dead = verdict == V::Usable || verdict == V::Unreachable;
        ASSERT_EQ(product.errors.size(), dead ? 3u : 2u);
        EXPECT_EQ(product.errors.back().text, "Delete?");
        std::rewind(sink);
        char logged[512] = {};
        logged[std::fread(logged, 1, sizeof logged - 1, sink)] = '\0';
        EXPECT_NE(std::string(logged).find("Configuration Error: Retry?\nDelete?\n"),
                  std::string::npos);
        std::fclose(sink);
    }
}

} // namespace
