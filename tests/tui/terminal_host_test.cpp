// The terminal host without a tty: its layout at the terminal's limits, and keys fed in as a
// terminal reports them, checked in the window model.
#include "resources/ids.h"
#include "resources/templates.h"
#include "support/ui_support.h"
#include "ui/tui/layout.h"
#include "ui/tui/terminal_host.h"

#include <gtest/gtest.h>

#include <deque>

using namespace lntc;
using namespace lntc::tui;

namespace {

DialogLayout layoutOf(const DialogTemplate& t, int cols, int rows) {
    std::vector<ControlPlace> places;
    for (const ControlTemplate& c : t.controls)
        places.push_back({c.x, c.y, c.cx, c.cy, c.kind, c.style});
    return LayoutDialog(t.cx, t.cy, places, cols, rows);
}

// A dialog of the height given with one field on its last line.
DialogLayout oneField(int cx, int cy, int cols, int rows) {
    return LayoutDialog(cx, cy, {{10, static_cast<int16_t>(cy - 16), 40, 12, ControlKind::Edit, 0}},
                        cols, rows);
}

TEST(TerminalLayout, DialogsFitTheTerminalAndStandInItsMiddle) {
    struct Case {
        int cx, cy, cols, rows;
        CellRect frame;
        int fieldRow;
    } cases[] = {
        {160, 80, 80, 24, {19, 6, 42, 12}, 15},   // 4 units a column, 8 a row, centred
        {160, 80, 200, 60, {79, 24, 42, 12}, 33}, // centred on a larger terminal
        {160, 176, 80, 24, {19, 0, 42, 24}, 21},  // 22 rows: fits as it is
        {312, 80, 80, 24, {0, 6, 80, 12}, 15},    // 78 columns: fits as it is
    };
    for (const Case& c : cases) {
        DialogLayout l = oneField(c.cx, c.cy, c.cols, c.rows);
        EXPECT_EQ(l.frame, c.frame) << c.cy << " " << c.cols;
        EXPECT_EQ(l.controls[0].y, c.fieldRow) << c.cy << " " << c.cols;
    }
    // One row or one column more than there is room for: compressed into the screen.
    for (auto [cx, cy] : {std::pair{160, 184}, std::pair{316, 80}, std::pair{351, 256}}) {
        DialogLayout l = oneField(cx, cy, 80, 24);
        EXPECT_TRUE(l.frame.x >= 0 && l.frame.y >= 0 && l.frame.right() <= 80 &&
                    l.frame.bottom() <= 24)
            << cx << "x" << cy;
        EXPECT_LT(l.controls[0].y, l.frame.bottom() - 1) << cx << "x" << cy;
    }
}

// The tallest dialog on 24 rows: the lines of controls keep rows of their own, in order.
TEST(TerminalLayout, CompressedRowsKeepTheLinesOfTheMainDialogApart) {
    DialogLayout l = layoutOf(*builtinTemplate(dlg::Main), 80, 24);
    EXPECT_EQ(l.frame.h, 24);
    std::vector<int> rows;
    for (size_t i = 0; i < l.controls.size(); ++i)
        rows.push_back(l.controls[i].y);
    // ODR name, the lists' labels, the lists, Printer Model, Description, Configure.
    const std::vector<size_t> lines = {1, 3, 4, 8, 10, 11};
    for (size_t k = 1; k < lines.size(); ++k)
        EXPECT_GT(rows[lines[k]], rows[lines[k - 1]]) << k;
    EXPECT_GT(rows[8], l.controls[4].bottom() - 1);          // the model under the list
    EXPECT_LT(l.controls[11].y, l.controls[2].bottom() - 1); // Configure inside the group
}

Key ch(char32_t c, bool alt = false) {
    Key k;
    k.ch = c;
    k.alt = alt;
    return k;
}
Key key(Key::Type t) {
    Key k;
    k.type = t;
    return k;
}

class FakeTerminal : public Terminal {
  public:
    std::deque<Key> keys;
    int cols() override { return 80; }
    int rows() override { return 24; }
    const Glyphs& glyphs() override { return Glyphs::ascii(); }
    void present(const CellBuffer& screen) override { shown = screen.toText(); }
    // Out of keys, a wait without a limit is answered with Escape.
    std::optional<Key> read(int timeoutMs) override {
        if (keys.empty() && timeoutMs < 0) return key(Key::Escape);
        if (keys.empty()) return std::nullopt;
        Key k = keys.front();
        keys.pop_front();
        return k;
    }
    std::string shown;
};

class Recorder : public DialogEvents {
  public:
    bool dispatchInit(WindowRef) override { return true; }
    void dispatchCommand(int id, Notify code) override {
        log += std::to_string(id) + ":" + std::to_string(static_cast<int>(code)) + " ";
    }
    void dispatchScroll(int id, Scroll) override { log += "scroll" + std::to_string(id) + " "; }
    void dispatchFocus(int, bool) override {}
    void dispatchHelpRequest() override {}
    std::string log;
};

class TerminalKeys : public ::testing::Test {
  protected:
    FakeTerminal* terminal = new FakeTerminal;
    TerminalHost host{std::unique_ptr<Terminal>(terminal)};
    Recorder events;
    WindowModel& m = host.model();
    WindowRef w = m.createModeless(events, *test::testTemplate(test::kValuesTemplate), nullptr);

    void press(std::initializer_list<Key> keys) {
        for (const Key& k : keys)
            host.handleKey(k);
    }
    void type(const std::string& s) {
        for (char c : s)
            host.handleKey(ch(static_cast<unsigned char>(c)));
    }
};

// Handed the machine's window records, the host records its dialogs there by title while they
// are open, as the other hosts do, so that other programs find a run on a terminal too.
TEST_F(TerminalKeys, DialogsAreInTheWindowRecordsWhileOpen) {
    test::FakeTopWindows records;
    const auto listed = [&] {
        std::string out;
        for (const char* title : {"Values", "Renamed", "Second"})
            if (records.existsWithTitle(title)) out += std::string(title) + " ";
        return out + (records.existsWithClass("#32770") ? "#32770" : "-");
    };
    EXPECT_EQ(listed(), "-");
    host.recordWindowsIn(&records);
    EXPECT_EQ(listed(), "Values #32770") << "a dialog open before";
    m.setTitle(w, "Renamed");
    Recorder more;
    WindowRef second = m.createModeless(more, *test::testTemplate(test::kValuesTemplate), w);
    m.setTitle(second, "Second");
    EXPECT_EQ(listed(), "Renamed Second #32770");
    m.destroyWindow(second);
    EXPECT_EQ(listed(), "Renamed #32770");
    host.recordWindowsIn(nullptr);
    EXPECT_EQ(listed(), "-");
}

// Enter in an open drop-down closes it with the entry chosen; the default button stays up.
TEST_F(TerminalKeys, EnterInAnOpenDropDownOnlyClosesIt) {
    for (const char* item : {"alpha", "beta", "gamma"})
        m.insertItem(w, test::tc::DropList, -1, item);
    m.setFocus(w, test::tc::DropList);
    events.log.clear();
    press({key(Key::F4), key(Key::Down), key(Key::Down), key(Key::Enter)});
    EXPECT_EQ(m.curSel(w, test::tc::DropList), 1);
    EXPECT_EQ(events.log, "4400:4 4400:5 4400:3 "); // drop-down, close-up, selection change
    press({key(Key::Enter)});
    EXPECT_EQ(events.log, "4400:4 4400:5 4400:3 1:0 ");
}

// A field reached with Tab takes the typing whole: "10.0.0.5" over "0.0.0.0" is 10.0.0.5; the
// keys go through the control's rules (a fourth digit in a field is refused).
TEST_F(TerminalKeys, TypingIntoTheAddressControlFollowsItsRules) {
    m.setText(w, test::tc::Address, "0.0.0.0");
    m.setFocus(w, test::tc::Editable);
    press({key(Key::Tab)});
    ASSERT_EQ(m.focus(w).control, test::tc::Address);
    type("10.0.0.5");
    EXPECT_EQ(m.text(w, test::tc::Address), "10.0.0.5");
    press({key(Key::Backspace)});
    type("123");
    EXPECT_EQ(m.text(w, test::tc::Address), "10.0.0.123");
    type("4");
    EXPECT_EQ(m.text(w, test::tc::Address), "10.0.0.123");
}

// Alt+letter and Escape-then-letter reach the control the mnemonic names; Escape alone
// cancels. An edit takes no more than its limit; the spin companion answers the arrows.
TEST_F(TerminalKeys, MnemonicsEscapeLimitsAndSpin) {
    press({ch(U'a', true)});
    EXPECT_EQ(m.check(w, test::tc::Check), 1);
    terminal->keys = {ch(U'h')};
    press({key(Key::Escape)});
    EXPECT_EQ(m.check(w, test::tc::Radio3), 1);
    EXPECT_EQ(m.focus(w).control, test::tc::Radio3);
    press({ch(U'c', true)}); // the label "&Count:" names the field after it
    EXPECT_EQ(m.focus(w).control, test::tc::Count);
    m.limitText(w, test::tc::Name, 3);
    m.setFocus(w, test::tc::Name);
    type("abcd");
    EXPECT_EQ(m.text(w, test::tc::Name), "abc");
    events.log.clear();
    m.setFocus(w, test::tc::Count);
    press({key(Key::Up), key(Key::Escape)});
    EXPECT_EQ(events.log, "scroll4500 2:0 ");
}

// Clicks where the terminal reports them: a check box, a list's row, a spin button.
TEST_F(TerminalKeys, ClicksReachTheControlUnderThem) {
    for (const char* item : {"one", "two", "three"})
        m.insertItem(w, test::tc::Sorted, -1, item);
    const DialogLayout l = layoutOf(*test::testTemplate(test::kValuesTemplate), 80, 24);
    auto click = [&](size_t control, int dx, int dy) {
        Key k = key(Key::Click);
        k.x = l.controls[control].x + dx;
        k.y = l.controls[control].y + dy;
        host.handleKey(k);
    };
    events.log.clear();
    click(9, 0, 0);  // Always
    click(10, 1, 2); // the list's second row inside its frame
    click(14, 0, 0); // the spin's up arrow
    EXPECT_EQ(m.check(w, test::tc::Check), 1);
    EXPECT_EQ(m.curSel(w, test::tc::Sorted), 1);
    EXPECT_EQ(events.log, "4200:0 4300:3 scroll4500 ");
}

// A message box answers Enter with the focused button, Escape with Cancel (or OK alone), its
// buttons' letters with or without Alt; it shows the icon as a word and the style's buttons.
TEST_F(TerminalKeys, MessageBoxesAnswerTheKeysOfTheirButtons) {
    struct Case {
        uint32_t style;
        std::vector<Key> keys;
        int answer;
    } cases[] = {
        {mb::Ok, {key(Key::Enter)}, id::Ok},
        {mb::Question, {key(Key::Right), key(Key::Enter)}, id::No},
        {mb::Question, {key(Key::Escape), ch(U'Y')}, id::Yes}, // no Cancel: Escape does nothing
        {mb::RetryQuestion, {key(Key::Escape)}, id::Cancel},
        {mb::OkCancel, {ch(U'c')}, id::Cancel},
        {mb::AbortRetryIgnore, {ch(U'i', true)}, id::Ignore},
        {mb::YesNoCancel | mb::IconQuestion, {key(Key::BackTab), key(Key::Enter)}, id::Cancel},
    };
    for (const Case& c : cases) {
        terminal->keys.assign(c.keys.begin(), c.keys.end());
        EXPECT_EQ(m.messageBox(w, "Continue?", "Configuration Warning", c.style), c.answer)
            << c.style;
    }
    EXPECT_NE(terminal->shown.find("(?) Question  Continue?"), std::string::npos);
    EXPECT_NE(terminal->shown.find("< Yes >  < No >  < Cancel >"), std::string::npos)
        << terminal->shown;
}

} // namespace
