// The address control's text, field moves, deletes and typing, and the form its text keeps.
#include "platform/errors.h"
#include "support/test_library.h"
#include "ui/address_edit.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace lntc;
using namespace lntc::test;

namespace {

struct Recorder : AddressEditEvents {
    long answer = 0;
    int badInputs = 0, beeps = 0, invalidBytes = 0;
    int scroll = -1; // of the last selection change
    long notifyBadInput() override { return ++badInputs, answer; }
    void beep() override { ++beeps; }
    void invalidAddressByte() override { ++invalidBytes; }
    void selectionChanged(bool s) override { scroll = s; }
};

// Feeds input: '<' '>' '^' 'v' arrows, '#' Delete, 'H' Home, 'E' End, '+' and '-' Shift
// down and up, '@' and a digit puts the caret there; anything else is typed.
void press(AddressEdit& edit, std::string_view keys) {
    const EditKey codes[] = {EditKey::Left,   EditKey::Right, EditKey::Up,  EditKey::Down,
                             EditKey::Delete, EditKey::Home,  EditKey::End, EditKey::Shift};
    for (size_t i = 0; i < keys.size(); ++i) {
        const size_t at = std::string_view("<>^v#HE+").find(keys[i]);
        if (keys[i] == '@')
            ++i, edit.setSelection(keys[i] - '0', keys[i] - '0');
        else if (keys[i] == '-')
            edit.keyUp(EditKey::Shift);
        else if (at != std::string_view::npos)
            edit.keyDown(codes[at]);
        else
            edit.character(keys[i]);
    }
}

constexpr size_t kAny = SIZE_MAX;

// From a text and a selection, input leaves this text and selection. Positions count in
// fieldText(), where each dot has a TAB before it ("12.3" is "12\t.3": the 3 is at 4).
struct Input {
    const char* text;
    size_t from, to;
    const char* keys;
    const char* after;
    size_t start = kAny, end = kAny;
    int badInputs = 0, invalidBytes = 0, scroll = -1;
};

// clang-format off
const Input kInputs[] = {
    // Field jumps: "." and " " select the next field's digits, "^" at a field's start the
    // previous one.
    {"1.22.333.4", 0, 0, ".", "1.22.333.4", 3, 5, 0, 0, 0},
    {"1.22.333.4", 3, 5, " ", "1.22.333.4", 7, 10},
    {"1.22.333.4", 12, 12, ".", "1.22.333.4", 13, 13}, // no field after the last
    {"1.22.333.4", 7, 7, "^", "1.22.333.4", 3, 5}, {"1.22.333.4", 3, 3, "^", "1.22.333.4", 0, 1},
    // Typing digits: a value above 255 is cut and reported, a fourth digit refused.
    {"0.0.0.0", 0, 1, "25", "25.0.0.0", 2, 2, 0, 0, 0},
    {"0.0.0.0", 0, 1, "255", "255.0.0.0", 3, 3, 0, 0}, {"0.0.0.0", 0, 1, "256", "255.0.0.0", 3, 3, 0, 1},
    {"0.0.0.0", 0, 1, "2561", "255.0.0.0", 3, 3, 1, 1},
    // Over a selection only what the field can hold is replaced.
    {"123.45.6.7", 0, 99, "9", "9.45.6.7", 1, 1}, {"123.45.6.7", 1, 2, "0", "103.45.6.7", 2, 2},
    {"199.1.1.1", 0, 1, "3", "255.1.1.1", 1, 1, 0, 1}, {"1.2.3.4", 0, 0, "x", "1.2.3.4", 0, 0, 1},
    // Backspace at a field's start selects the previous field, then deletes it.
    {"12.3.4.5", 4, 4, "\b", "12.3.4.5", 0, 2}, {"12.3.4.5", 4, 4, "\b\b", ".3.4.5", 0, 0, 0, 0, 1},
    {"1.23.3.4", 5, 5, "\b\b", "1..3.4", 3, 3}, {"1.23.3.4", 5, 5, "\b\b\b", "1..3.4", 0, 1},
    {"1.2.3.4", 0, 0, "\b", "1.2.3.4", 0, 0},
    // Arrows: onto the next field's digits from its TAB, a selection collapses to its end.
    {"12.3.4.5", 1, 1, ">>", "12.3.4.5", 4, 5}, {"12.3.4.5", 1, 1, ">><^", "12.3.4.5", 0, 2},
    {"12.3.4.5", 0, 0, "<", "12.3.4.5", 0, 0}, {"12.3.4.5", 99, 99, "v", "12.3.4.5", 11, 11},
    // With Shift the selection grows.
    {"123.4.5.6", 1, 1, "+>><", "123.4.5.6", 0, 3}, {"123.4.5.6", 1, 1, "+>><<->", "123.4.5.6", 1, 1},
    // Delete takes a digit but never a separator.
    {"12.3.4.5", 0, 0, "#", "2.3.4.5", 0, 0}, {"2.3.4.5", 1, 1, "#", "2.3.4.5", 1, 1},
    {"2.3.4.5", 99, 99, "#", "2.3.4.5", 10, 10}, {"2.3.4.5", 3, 4, "#", "2..4.5", 3, 3},
    // Home and End, with Shift a selection.
    {"12.3.4.5", 4, 4, "E", "12.3.4.5", 11, 11}, {"12.3.4.5", 4, 4, "EH", "12.3.4.5", 0, 0},
    {"12.3.4.5", 4, 4, "+E", "12.3.4.5", 4, 11},
    // Input starting between a TAB and its dot, where a click or Shift can put the caret.
    {"1.2.3.4", 2, 2, "7", "1.72.3.4", 4, 4}, {"1.2.3.4", 1, 1, "\b@15", ".52.3.4"},
    {"12.3.4.5", 2, 5, "9", "12.9.4.5"}, {"123.4.5.6", 3, 4, "8", "123.84.5.6"},
    {"12.34.5.6", 3, 5, "\b", "12.4.5.6"}, {"12.34.5.6", 3, 3, "#", "12.34.5.6", 2, 2},
    {"12.34.5.6", 3, 3, "\b", "12.34.5.6"},
    // Deleting a range keeps one separator per field boundary.
    {"12.345.6.78", 1, 10, "#", "1...78"}, {"12.345.6.78", 0, 14, "#", "..."},
    {"12.345.6.78", 5, 6, "#", "12.35.6.78"}, {"12.345.6.78", 4, 8, "#", "12..6.78"},
};
// clang-format on

TEST(AddressEdit, InputTextKeysLeftToTheDialogAndTheClass) {
    for (const Input& in : kInputs) {
        Recorder events;
        AddressEdit edit(&events);
        edit.setText(in.text);
        edit.setSelection(in.from, in.to);
        press(edit, in.keys);
        SCOPED_TRACE(std::string(in.text) + " " + in.keys);
        EXPECT_TRUE(IsValidFieldText(edit.fieldText())) << edit.fieldText();
        // Each bad input beeps: the parent did not silence it. kAny and -1: not checked.
        const bool sel = in.start != kAny;
        EXPECT_EQ(std::make_tuple(edit.text(), sel ? edit.selectionStart() : kAny,
                                  sel ? edit.selectionEnd() : kAny, events.badInputs, events.beeps,
                                  events.invalidBytes, in.scroll < 0 ? -1 : events.scroll),
                  std::make_tuple(std::string(in.after), in.start, in.end, in.badInputs,
                                  in.badInputs, in.invalidBytes, in.scroll));
    }

    // Text is parsed into four fields and given back.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"135.0.3.54", "135.0.3.54"}, {"", "0.0.0.0"}, {"1.2", "1.2.0.0"}, {"1a2.3.4.5", "12.3.4.5"},
        {"1.2.3.4.5.6", "1.2.3.4"}, {"007.0010.x.", "7.10.0.0"}, {"garbage\t.\t.", "0.0.0.0"},
        {"99999999999999999999.1234.300.2", "255.255.300.2"}, // cut like typed bytes
    };
    // clang-format on
    Recorder events;
    AddressEdit edit(&events);
    for (const auto& [in, out] : cases)
        EXPECT_EQ(edit.setText(in) == 1 ? edit.text() : "failed", out) << in;
    EXPECT_EQ(edit.fieldText(), "255\t.255\t.300\t.2");

    edit.setText("135.0.3.54");
    std::string copies;
    for (size_t size : {32, 6, 1}) {
        char buf[32] = "stale";
        copies += std::to_string(edit.getText(buf, size)) + ":" + buf + " ";
    }
    EXPECT_EQ(copies + std::to_string(edit.getText(nullptr, 0)), "10:135.0.3.54 5:135.0 0: 0");
    edit.setText("1.22.333.");
    EXPECT_EQ(std::vector<size_t>({edit.fieldStart(4), edit.fieldEnd(3), edit.fieldEnd(12)}),
              std::vector<size_t>({3, 5, edit.length()}));
    EXPECT_EQ(std::string(edit.field(2)) + "|" + std::string(edit.field(3)), "333|0");
    edit.setText("12.34.5.6");
    edit.setSelection(1, 5);
    EXPECT_EQ(edit.cut(), "2.3");
    EXPECT_EQ(edit.fieldText(), "1\t.4\t.5\t.6");
    EXPECT_FALSE(IsValidFieldText("1\t.2\t.3") || IsValidFieldText("1234\t.2\t.3\t.4") ||
                 IsValidFieldText("1.\t2\t.3\t.4"));

    // Keys left to the dialog, and a silenced beep.
    edit.setText("255.2.3.4");
    EXPECT_EQ(std::vector<Handling>({edit.character('\t'), edit.character('\r'),
                                     edit.character('\x1B'), edit.keyDown(EditKey::Shift),
                                     edit.keyDown(EditKey::Other), edit.character(0x16)}),
              std::vector<Handling>({Handling::Default, Handling::Default, Handling::Default,
                                     Handling::Default, Handling::Default, Handling::Handled}));
    EXPECT_TRUE(edit.shiftHeld());
    events.answer = -1; // the parent may silence the beep
    edit.setSelection(1, 1);
    EXPECT_EQ(std::make_tuple(edit.character('9'), events.badInputs, events.beeps, edit.text()),
              std::make_tuple(Handling::Handled, 2, 1, std::string("255.2.3.4")));

    // The window class: its registration and style.
    WindowClasses classes;
    EXPECT_TRUE(RegisterAddressEditClass(classes));
    EXPECT_EQ(classes.find("LNT_TCP_EDIT"), AddressEditProcedure());
    // Again: harmless, the platform's "already exists" notwithstanding.
    EXPECT_EQ(classes.registerClass(kAddressEditClass, AddressEditProcedure()),
              err::ClassAlreadyExists);
    EXPECT_TRUE(RegisterAddressEditClass(classes));

    WindowClasses noEdit;
    ASSERT_EQ(noEdit.unregisterClass("EDIT"), 0u);
    EXPECT_EQ(noEdit.unregisterClass("edit"), err::ClassDoesNotExist);
    EXPECT_FALSE(RegisterAddressEditClass(noEdit) || noEdit.find(kAddressEditClass));

    EXPECT_EQ(std::make_pair(AddressEditStyle(0x50810080u), AddressEditStyle(0x0000FFFFu)),
              std::make_pair(0x50810004u, kEditMultiline));
}

} // namespace
