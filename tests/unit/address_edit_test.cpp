// The address control's text, field moves, deletes and typing, and the form its text keeps
// under any sequence of input.
#include "ui/address_edit.h"
#include "platform/errors.h"
#include "support/test_library.h"

#include <gtest/gtest.h>

#include <random>

using namespace lntc;
using namespace lntc::test;

namespace {

struct Recorder : AddressEditEvents {
    long answer = 0;
    int badInputs = 0, beeps = 0, invalidBytes = 0, textChanges = 0;
    bool lastScroll = false;
    long notifyBadInput() override {
        ++badInputs;
        return answer;
    }
    void beep() override { ++beeps; }
    void invalidAddressByte() override { ++invalidBytes; }
    void textChanged() override { ++textChanges; }
    void selectionChanged(bool scroll) override { lastScroll = scroll; }
};

class AddressEditTest : public ::testing::Test {
  protected:
    Recorder events;
    AddressEdit edit{&events};

    void set(const char* text) { edit.setText(text); }
    void caret(size_t p) { edit.setSelection(p, p); }
    void type(const std::string& chars) {
        for (char c : chars)
            edit.character(c);
    }
    std::pair<size_t, size_t> sel() const { return {edit.selectionStart(), edit.selectionEnd()}; }
    // Index of field i's first character.
    size_t at(int i) const {
        size_t p = 0;
        for (int k = 0; k < i; ++k)
            p = edit.fieldText().find('.', p) + 1;
        return p;
    }
};

TEST_F(AddressEditTest, SetTextParsesIntoFourFieldsAndGetTextGivesThemBack) {
    EXPECT_EQ(edit.setText("135.0.3.54"), 1);
    EXPECT_EQ(edit.fieldText(), "135\t.0\t.3\t.54");
    EXPECT_EQ(edit.text(), "135.0.3.54");
    char buf[32];
    EXPECT_EQ(edit.getText(buf, sizeof buf), 10u);
    EXPECT_STREQ(buf, "135.0.3.54");

    set("");
    EXPECT_EQ(edit.text(), "0.0.0.0");
    set("1.2");
    EXPECT_EQ(edit.text(), "1.2.0.0");
    set("1a2.3.4.5");
    EXPECT_EQ(edit.text(), "12.3.4.5");
    set("1.2.3.4.5.6");
    EXPECT_EQ(edit.text(), "1.2.3.4");
    set("007.0010.x.");
    EXPECT_EQ(edit.text(), "7.10.0.0");
}

TEST_F(AddressEditTest, SetTextCutsGroupsTooLongForAField) {
    set("99999999999999999999.1234.300.2");
    EXPECT_EQ(edit.fieldText(), "255\t.255\t.300\t.2");
    EXPECT_TRUE(IsValidFieldText(edit.fieldText()));
    edit.replaceSelection("5.6.7.8");
    EXPECT_EQ(edit.text(), "5.6.7.8");
    edit.paste("garbage\t.\t.");
    EXPECT_EQ(edit.fieldText(), "0\t.0\t.0\t.0");
}

TEST_F(AddressEditTest, GetTextStopsAtTheBufferSize) {
    set("135.0.3.54");
    char buf[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(edit.getText(buf, sizeof buf), 5u);
    EXPECT_STREQ(buf, "135.0");
    EXPECT_EQ(edit.getText(buf, 1), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(edit.getText(buf, 0), 0u);
}

TEST_F(AddressEditTest, FieldBoundaries) {
    set("1.22.333.");
    const std::string& t = edit.fieldText(); // "1\t.22\t.333\t."
    EXPECT_EQ(edit.fieldStart(0), 0u);
    EXPECT_EQ(edit.fieldStart(at(1)), at(1));
    EXPECT_EQ(edit.fieldStart(at(1) + 2), at(1));
    EXPECT_EQ(edit.fieldEnd(at(1)), at(1) + 2);
    EXPECT_EQ(edit.fieldEnd(at(3)), t.size());
    EXPECT_EQ(edit.field(2), "333");
    EXPECT_EQ(edit.field(3), "0");
}

TEST_F(AddressEditTest, FieldJumps) {
    set("1.22.333.4");
    type(".");
    EXPECT_EQ(sel(), std::make_pair(at(1), at(1) + 2)); // the second field's digits
    EXPECT_FALSE(events.lastScroll);
    type(" ");
    EXPECT_EQ(sel(), std::make_pair(at(2), at(2) + 3));
    caret(at(3));
    type(".");
    EXPECT_EQ(sel(), std::make_pair(edit.length(), edit.length()));

    edit.selectPreviousField(at(2));
    EXPECT_EQ(sel(), std::make_pair(at(1), at(1) + 2));
    edit.selectPreviousField(at(1));
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{1}));
}

TEST_F(AddressEditTest, DeleteRangeKeepsOneSeparatorPerBoundary) {
    set("12.345.6.78");
    edit.deleteRange(1, at(2) + 1); // from "2" to just after "6"
    EXPECT_EQ(edit.fieldText(), "1\t.\t.\t.78");
    set("12.345.6.78");
    edit.deleteRange(0, edit.length());
    EXPECT_EQ(edit.fieldText(), "\t.\t.\t.");
    set("12.345.6.78");
    edit.deleteRange(at(1) + 1, at(1) + 2);
    EXPECT_EQ(edit.fieldText(), "12\t.35\t.6\t.78");
    // A range ending just after a TAB leaves the TAB.
    set("12.345.6.78");
    edit.deleteRange(at(1), at(2) - 1);
    EXPECT_EQ(edit.fieldText(), "12\t.\t.6\t.78");
}

TEST_F(AddressEditTest, TypingDigits) {
    set("0.0.0.0");
    edit.setSelection(0, 1);
    type("25");
    EXPECT_EQ(edit.field(0), "25");
    EXPECT_EQ(sel(), std::make_pair(size_t{2}, size_t{2}));
    EXPECT_EQ(events.invalidBytes, 0);
    type("6"); // 256 is cut to 255
    EXPECT_EQ(edit.field(0), "255");
    EXPECT_EQ(events.invalidBytes, 1);
    EXPECT_EQ(sel(), std::make_pair(size_t{3}, size_t{3}));
    EXPECT_FALSE(events.lastScroll);

    // A fourth digit is refused and beeps.
    type("1");
    EXPECT_EQ(edit.field(0), "255");
    EXPECT_EQ(events.badInputs, 1);
    EXPECT_EQ(events.beeps, 1);
    // The parent may silence the beep.
    events.answer = -1;
    caret(1);
    type("9");
    EXPECT_EQ(edit.field(0), "255");
    EXPECT_EQ(events.badInputs, 2);
    EXPECT_EQ(events.beeps, 1);
}

TEST_F(AddressEditTest, TypingOverASelectionReplacesOnlyWhatTheFieldCanHold) {
    set("123.45.6.7");
    edit.setSelection(0, edit.length()); // everything: only the first field's part goes
    type("9");
    EXPECT_EQ(edit.fieldText(), "9\t.45\t.6\t.7");
    EXPECT_EQ(sel(), std::make_pair(size_t{1}, size_t{1}));

    set("123.45.6.7");
    edit.setSelection(1, 2); // the "2"
    type("0");
    EXPECT_EQ(edit.text(), "103.45.6.7");
    set("199.1.1.1");
    edit.setSelection(0, 1);
    type("3"); // 399
    EXPECT_EQ(edit.text(), "255.1.1.1");
    EXPECT_EQ(events.invalidBytes, 1);
}

TEST_F(AddressEditTest, OtherCharacters) {
    set("1.2.3.4");
    EXPECT_EQ(edit.character('\t'), Handling::Default);
    EXPECT_EQ(edit.character('\r'), Handling::Default);
    EXPECT_EQ(edit.character(0x1B), Handling::Default);
    EXPECT_EQ(events.badInputs, 0);
    EXPECT_EQ(edit.character('x'), Handling::Handled);
    EXPECT_EQ(edit.character(0x16), Handling::Handled);
    EXPECT_EQ(events.badInputs, 2);
    EXPECT_EQ(edit.text(), "1.2.3.4");
}

TEST_F(AddressEditTest, BackspaceSelectsThePreviousFieldThenDeletesIt) {
    set("12.3.4.5");
    caret(at(1));
    type("\b");
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{2}));
    EXPECT_EQ(edit.text(), "12.3.4.5");
    type("\b");
    EXPECT_EQ(edit.fieldText(), "\t.3\t.4\t.5");
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{0}));
    EXPECT_TRUE(events.lastScroll);
    EXPECT_EQ(edit.text(), ".3.4.5");

    set("1.23.3.4");
    caret(at(1) + 2);
    type("\b\b");
    EXPECT_EQ(edit.text(), "1..3.4");
    type("\b"); // at an empty field's start: jumps
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{1}));
    caret(0);
    type("\b");
    EXPECT_EQ(edit.text(), "1..3.4");
}

TEST_F(AddressEditTest, ArrowKeys) {
    set("12.3.4.5");
    caret(1);
    edit.keyDown(EditKey::Right);
    EXPECT_EQ(sel(), std::make_pair(size_t{2}, size_t{2}));
    edit.keyDown(EditKey::Right); // on the TAB: the next field's digits
    EXPECT_EQ(sel(), std::make_pair(at(1), at(1) + 1));
    edit.keyDown(EditKey::Left); // with a selection: caret to end - 1
    EXPECT_EQ(sel(), std::make_pair(at(1), at(1)));
    edit.keyDown(EditKey::Up); // at a field start: the previous field
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{2}));
    caret(0);
    EXPECT_EQ(edit.keyDown(EditKey::Left), Handling::Handled);
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{0}));
    caret(edit.length());
    EXPECT_EQ(edit.keyDown(EditKey::Down), Handling::Handled);
    EXPECT_EQ(sel(), std::make_pair(edit.length(), edit.length()));
}

TEST_F(AddressEditTest, ShiftWithArrowsGrowsTheSelection) {
    set("123.4.5.6");
    caret(1);
    EXPECT_EQ(edit.keyDown(EditKey::Shift), Handling::Default);
    EXPECT_TRUE(edit.shiftHeld());
    edit.keyDown(EditKey::Right);
    edit.keyDown(EditKey::Right);
    EXPECT_EQ(sel(), std::make_pair(size_t{1}, size_t{3}));
    edit.keyDown(EditKey::Left);
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{3}));
    edit.keyDown(EditKey::Left);
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{3}));
    edit.keyUp(EditKey::Shift);
    EXPECT_FALSE(edit.shiftHeld());
    edit.keyDown(EditKey::Right);
    EXPECT_EQ(sel(), std::make_pair(size_t{1}, size_t{1}));
}

TEST_F(AddressEditTest, DeleteKey) {
    set("12.3.4.5");
    caret(0);
    edit.keyDown(EditKey::Delete);
    EXPECT_EQ(edit.text(), "2.3.4.5");
    caret(1); // just before the TAB: nothing happens
    edit.keyDown(EditKey::Delete);
    EXPECT_EQ(edit.text(), "2.3.4.5");
    EXPECT_EQ(sel(), std::make_pair(size_t{1}, size_t{1}));
    caret(edit.length()); // at the end: nothing to take
    edit.keyDown(EditKey::Delete);
    EXPECT_EQ(edit.text(), "2.3.4.5");
    edit.setSelection(at(1), at(1) + 1);
    edit.keyDown(EditKey::Delete);
    EXPECT_EQ(edit.text(), "2..4.5");
    EXPECT_EQ(edit.keyDown(EditKey::Other), Handling::Default);
}

TEST_F(AddressEditTest, HomeAndEnd) {
    set("12.3.4.5");
    caret(4);
    edit.keyDown(EditKey::End);
    EXPECT_EQ(sel(), std::make_pair(edit.length(), edit.length()));
    edit.keyDown(EditKey::Home);
    EXPECT_EQ(sel(), std::make_pair(size_t{0}, size_t{0}));
    caret(4);
    edit.keyDown(EditKey::Shift);
    edit.keyDown(EditKey::End);
    EXPECT_EQ(sel(), std::make_pair(size_t{4}, edit.length()));
}

TEST_F(AddressEditTest, CutTakesTheSelectionAndKeepsTheSeparators) {
    set("12.34.5.6");
    edit.setSelection(1, at(1) + 1);
    EXPECT_EQ(edit.cut(), "2.3");
    EXPECT_EQ(edit.fieldText(), "1\t.4\t.5\t.6");
}

// Positions between a TAB and its dot, which a click or Shift with the arrows can make.
TEST_F(AddressEditTest, InputStartingOnASeparatorKeepsTheForm) {
    set("1.2.3.4");
    size_t dot = at(1) - 1;
    caret(dot);
    type("7"); // goes to the start of the next field
    EXPECT_EQ(edit.fieldText(), "1\t.72\t.3\t.4");
    EXPECT_EQ(sel(), std::make_pair(dot + 2, dot + 2));

    set("1.2.3.4");
    caret(1);
    type("\b");
    caret(1); // first field empty: the caret on the dot
    type("5");
    EXPECT_EQ(edit.fieldText(), "\t.52\t.3\t.4");

    set("12.3.4.5");
    edit.setSelection(2, at(1) + 1); // TAB, dot and "3"
    type("9");
    EXPECT_EQ(edit.fieldText(), "12\t.9\t.4\t.5");

    set("123.4.5.6");
    edit.setSelection(3, 4); // just the TAB of a full field
    type("8");
    EXPECT_EQ(edit.fieldText(), "123\t.84\t.5\t.6");

    set("12.34.5.6");
    edit.setSelection(at(1) - 1, at(1) + 1); // dot and "3"
    type("\b");
    EXPECT_EQ(edit.fieldText(), "12\t.4\t.5\t.6");

    set("12.34.5.6");
    caret(at(1) - 1);
    edit.keyDown(EditKey::Delete);
    EXPECT_EQ(edit.fieldText(), "12\t.34\t.5\t.6");
    EXPECT_EQ(sel(), std::make_pair(size_t{2}, size_t{2})); // at the TAB, ending field 1
    caret(at(1) - 1);
    type("\b");
    EXPECT_EQ(edit.fieldText(), "12\t.34\t.5\t.6");
}

TEST(AddressEditForm, ValidityCheck) {
    EXPECT_TRUE(IsValidFieldText("1\t.22\t.333\t."));
    EXPECT_TRUE(IsValidFieldText("\t.\t.\t."));
    EXPECT_FALSE(IsValidFieldText("1\t.2\t.3"));
    EXPECT_FALSE(IsValidFieldText("1\t.2\t.3\t.4\t.5"));
    EXPECT_FALSE(IsValidFieldText("1234\t.2\t.3\t.4"));
    EXPECT_FALSE(IsValidFieldText("1\t\t.2\t.3\t.4"));
    EXPECT_FALSE(IsValidFieldText("1.\t2\t.3\t.4"));
    EXPECT_FALSE(IsValidFieldText("a\t.2\t.3\t.4"));
}

// Values of a plain dotted text: four groups, at most three digits each; nullopt otherwise.
std::optional<std::array<int, 4>> parsePlain(const std::string& text) {
    std::array<int, 4> v{};
    size_t from = 0;
    for (int i = 0; i < 4; ++i) {
        size_t dot = text.find('.', from);
        if ((i < 3) != (dot != std::string::npos)) return std::nullopt;
        std::string group = text.substr(from, i < 3 ? dot - from : std::string::npos);
        if (group.size() > 3 || group.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        v[i] = group.empty() ? 0 : std::stoi(group);
        from = dot + 1;
    }
    return v;
}

TEST(AddressEditProperty, RandomInputKeepsTheForm) {
    std::mt19937 rng(20260406);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const std::string garbage = "0123456789....  abc\t\n-";
    const EditKey keys[] = {EditKey::Left,   EditKey::Right, EditKey::Up,  EditKey::Down,
                            EditKey::Delete, EditKey::Home,  EditKey::End, EditKey::Other};
    Recorder events;
    long steps = 0;
    for (int run = 0; run < 4000; ++run) {
        AddressEdit edit(&events);
        edit.setText(std::to_string(pick(256)) + "." + std::to_string(pick(256)) + "." +
                     std::to_string(pick(256)) + "." + std::to_string(pick(256)));
        for (int step = 0; step < 60; ++step, ++steps) {
            std::string before = edit.fieldText();
            size_t caretBefore = edit.selectionStart();
            bool typedDigit = false;
            std::string what;
            switch (pick(10)) {
            case 0:
            case 1:
            case 2: {
                char c = static_cast<char>('0' + pick(10));
                typedDigit = true;
                what = std::string("char ") + c;
                edit.character(c);
                break;
            }
            case 3: {
                char c = "\b. x\t"[pick(5)];
                what = std::string("char ") + std::to_string(c);
                edit.character(c);
                break;
            }
            case 4:
            case 5:
                what = "key";
                edit.keyDown(keys[pick(8)]);
                break;
            case 6:
                what = "shift";
                if (pick(2))
                    edit.keyDown(EditKey::Shift);
                else
                    edit.keyUp(EditKey::Shift);
                break;
            case 7: {
                // A mouse drag or click anywhere, separators included.
                size_t a = pick(static_cast<int>(edit.length()) + 1);
                size_t b = pick(3) ? a : pick(static_cast<int>(edit.length()) + 1);
                what = "select " + std::to_string(a) + "," + std::to_string(b);
                edit.setSelection(a, b);
                break;
            }
            case 8: {
                std::string s;
                for (int i = pick(25); i > 0; --i)
                    s.push_back(garbage[pick(garbage.size())]);
                what = "set " + s;
                edit.setText(s);
                break;
            }
            case 9:
                what = "cut";
                edit.cut();
                break;
            }
            const std::string& t = edit.fieldText();
            SCOPED_TRACE("run " + std::to_string(run) + " step " + std::to_string(step) + " " +
                         what + " on \"" + before + "\"");
            ASSERT_TRUE(IsValidFieldText(t)) << "now \"" << t << "\"";
            ASSERT_LE(edit.selectionStart(), edit.selectionEnd());
            ASSERT_LE(edit.selectionEnd(), edit.length());

            auto values = parsePlain(edit.text());
            ASSERT_TRUE(values.has_value()) << edit.text();
            for (int i = 0; i < 4; ++i) {
                std::string_view f = edit.field(i);
                ASSERT_EQ((*values)[i], f.empty() ? 0 : std::stoi(std::string(f)));
            }
            // Typing never leaves the field it went into above 255.
            if (typedDigit && t != before) {
                size_t p = edit.selectionStart() - 1;
                ASSERT_GE(edit.selectionStart(), 1u) << caretBefore;
                std::string_view f(t.data() + edit.fieldStart(p),
                                   edit.fieldEnd(p) - edit.fieldStart(p));
                ASSERT_LE(std::stoi(std::string(f)), 255);
            }
        }
        // The plain text reads back into the same values.
        AddressEdit copy;
        copy.setText(edit.text());
        ASSERT_EQ(parsePlain(copy.text()), parsePlain(edit.text()));
    }
    EXPECT_EQ(steps, 4000 * 60);
}

TEST(AddressEditClass, RegistrationAndStyle) {
    WindowClasses classes;
    EXPECT_TRUE(RegisterAddressEditClass(classes));
    EXPECT_EQ(classes.find("LNT_TCP_EDIT"), AddressEditProcedure());
    // Again: harmless, the platform's "already exists" notwithstanding.
    EXPECT_EQ(classes.registerClass(kAddressEditClass, AddressEditProcedure()),
              err::ClassAlreadyExists);
    EXPECT_TRUE(RegisterAddressEditClass(classes));

    WindowClasses taken;
    ASSERT_EQ(taken.registerClass(kAddressEditClass, WindowClasses::editProcedure()), 0u);
    EXPECT_FALSE(RegisterAddressEditClass(taken));

    WindowClasses noEdit;
    ASSERT_EQ(noEdit.unregisterClass("EDIT"), 0u);
    EXPECT_EQ(noEdit.unregisterClass("edit"), err::ClassDoesNotExist);
    EXPECT_FALSE(RegisterAddressEditClass(noEdit));
    EXPECT_FALSE(noEdit.find(kAddressEditClass));

    EXPECT_EQ(AddressEditStyle(0x50810080u), 0x50810004u);
    EXPECT_EQ(AddressEditStyle(0x0000FFFFu), kEditMultiline);
}

TEST(AddressEditClass, ThroughTheHostAndTheInvalidByteMessage) {
    FakeMachine machine;
    TestLibrary t(machine);
    EXPECT_TRUE(RegisterAddressEditClass(t.lib()));
    EXPECT_TRUE(t.host.classes.find(kAddressEditClass).has_value());

    int owner = 0;
    EXPECT_EQ(ShowInvalidAddressByte(t.lib(), &owner), id::Ok);
    ASSERT_EQ(t.host.shown.size(), 1u);
    EXPECT_EQ(t.host.shown[0].text,
              "An invalid TCP/IP address byte was entered.  The maximum value is 255.");
    EXPECT_EQ(t.host.shown[0].caption, "Configuration Error");
    EXPECT_EQ(t.host.shown[0].style, mb::Ok);
    EXPECT_EQ(t.host.shown[0].owner, &owner);
}

} // namespace
