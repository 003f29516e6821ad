// Dialogs over real widgets: the template becomes widgets, the user's keys, clicks and focus
// changes reach the handlers, and what the dialog sets shows in the widgets.
#include "qt_support.h"
#include "support/values_dialog.h"
#include "ui/qt/qt_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string cmd(int id, Notify code) {
    return "cmd " + std::to_string(id) + " " + std::to_string(int(code));
}

std::vector<std::string> only(const std::vector<std::string>& events, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

TEST(QtDialog, ControlsLandWhereTheDialogFontsUnitsPutThem) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        QWidget* window = q.host.widget(d.window());
        ASSERT_NE(window, nullptr);
        // The original platform's base units of the dialog's own font.
        QFontMetrics fm(window->font());
        int avg =
            (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
             1) /
            2;
        int height = fm.height();
        QWidget* ok = q.control(d.window(), ctl::Ok);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->geometry(), QRect((200 * avg + 2) / 4, (5 * height + 4) / 8,
                                        (50 * avg + 2) / 4, (14 * height + 4) / 8));
        EXPECT_EQ(window->size(), QSize((260 * avg + 2) / 4, (200 * height + 4) / 8));
        EXPECT_EQ(window->windowTitle(), "Values");
        // One widget per kind, in template order for the tab chain.
        EXPECT_NE(q.control<QLineEdit>(d.window(), tc::Count), nullptr);
        EXPECT_NE(q.control<QRadioButton>(d.window(), tc::Radio1), nullptr);
        EXPECT_NE(q.control<QCheckBox>(d.window(), tc::Check), nullptr);
        EXPECT_NE(q.control<QListWidget>(d.window(), tc::Sorted), nullptr);
        EXPECT_NE(q.control<QScrollBar>(d.window(), tc::Spin), nullptr);
        auto* drop = q.control<QComboBox>(d.window(), tc::DropList);
        auto* editable = q.control<QComboBox>(d.window(), tc::Editable);
        ASSERT_TRUE(drop && editable);
        EXPECT_FALSE(drop->isEditable());
        EXPECT_TRUE(editable->isEditable());
        EXPECT_TRUE(q.control<QPushButton>(d.window(), ctl::Ok)->isDefault());
        EXPECT_EQ(q.control(d.window(), tc::Count)->nextInFocusChain(),
                  q.control(d.window(), tc::Name));
        q.host.endModal(d.window(), 7);
    });
}

TEST(QtDialog, TypedTextReachesTheHandlerAndTheDialogReadsItBack) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    std::string read;
    int code = q.run(d, [&] {
        auto* name = q.control<QLineEdit>(d.window(), tc::Name);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "abc"); // loaded by the data exchange
        d.events.clear();
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "Zeta");
        read = d.windowText(tc::Name);
        // Typing stops at the limit the exchange set (8).
        QTest::keyClicks(name, "12345");
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(read, "Zeta");
    EXPECT_EQ(code, id::Ok);
    EXPECT_EQ(d.name, "Zeta1234");
    auto changes = only(d.events, "cmd 4002");
    EXPECT_EQ(changes.size(), 8u); // one per character that went in
    EXPECT_EQ(changes.front(), cmd(tc::Name, Notify::EditChange));
}

TEST(QtDialog, ATextSetByTheDialogIsShownWholeAndReportedLikeTheHeadlessHost) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        d.events.clear();
        d.setWindowText(tc::Name, "a longer text than eight");
        EXPECT_EQ(q.control<QLineEdit>(d.window(), tc::Name)->text(), "a longer text than eight");
        EXPECT_EQ(d.windowText(tc::Name), "a longer text than eight");
        EXPECT_EQ(d.events, (std::vector<std::string>{cmd(tc::Name, Notify::EditChange)}));
        // Other setters change the widgets without any notification.
        d.check(tc::Check, 1);
        d.setCurSel(tc::DropList, 1);
        d.addString(tc::Sorted, "x");
        EXPECT_EQ(d.events.size(), 1u);
        EXPECT_TRUE(q.control<QCheckBox>(d.window(), tc::Check)->isChecked());
        q.host.endModal(d.window(), 2);
    });
}

TEST(QtDialog, ClicksOnButtonsCheckBoxesAndRadioButtonsRunTheHandlers) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    int code = q.run(d, [&] {
        d.events.clear();
        QTest::mouseClick(q.control(d.window(), tc::Check), Qt::LeftButton);
        EXPECT_EQ(d.isChecked(tc::Check), 1);
        QTest::mouseClick(q.control(d.window(), tc::Other2), Qt::LeftButton);
        QTest::mouseClick(q.control(d.window(), tc::Radio3), Qt::LeftButton);
        // An automatic radio button clears only its own group.
        EXPECT_EQ(d.isChecked(tc::Radio2), 0);
        EXPECT_EQ(d.isChecked(tc::Radio3), 1);
        EXPECT_EQ(d.isChecked(tc::Other2), 1);
        QTest::mouseClick(q.control(d.window(), tc::Radio3), Qt::LeftButton);
        EXPECT_EQ(d.isChecked(tc::Radio3), 1); // a second click leaves it checked
        // A tri-state box set by the dialog toggles to checked, then unchecked.
        d.check(tc::Check, 2);
        EXPECT_EQ(d.isChecked(tc::Check), 2);
        QTest::mouseClick(q.control(d.window(), tc::Check), Qt::LeftButton);
        EXPECT_EQ(d.isChecked(tc::Check), 1);
        QTest::mouseClick(q.control(d.window(), ctl::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(code, id::Ok);
    EXPECT_EQ(d.radio, 2);
    EXPECT_EQ(d.checked, 1);
    auto clicks = only(d.events, "cmd");
    EXPECT_EQ(clicks, (std::vector<std::string>{
                          cmd(tc::Check, Notify::Clicked), cmd(tc::Other2, Notify::Clicked),
                          cmd(tc::Radio3, Notify::Clicked), cmd(tc::Radio3, Notify::Clicked),
                          cmd(tc::Check, Notify::Clicked)}));
}

TEST(QtDialog, FocusMovesByTabAndByMouseRaiseKillFocusThenSetFocus) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    std::vector<std::string> seen;
    FocusTarget after{};
    q.run(d, [&] {
        EXPECT_EQ(d.focusedControl(), tc::Count); // the first tab stop
        d.events.clear();
        QTest::keyClick(q.control(d.window(), tc::Count), Qt::Key_Tab);
        QTest::mouseClick(q.control(d.window(), tc::Ratio), Qt::LeftButton);
        QTest::mouseClick(q.control(d.window(), tc::Editable), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, 5));
        seen = d.events;
        after = d.focusedWindow();
        q.host.endModal(d.window(), 2);
    });
    EXPECT_EQ(only(seen, "kill").size() + only(seen, "set").size(), 6u);
    EXPECT_EQ(only(seen, "kill")[0], "kill 4001");
    auto pos = [&](const std::string& e) {
        return std::find(seen.begin(), seen.end(), e) - seen.begin();
    };
    EXPECT_LT(pos("kill 4001"), pos("set 4002"));
    EXPECT_LT(pos("set 4002"), pos("kill 4002"));
    EXPECT_LT(pos("kill 4002"), pos("set 4003"));
    EXPECT_LT(pos("kill 4003"), pos("set 4401"));
    EXPECT_EQ(after.control, tc::Editable);
    EXPECT_TRUE(after.inComboEdit);
}

TEST(QtDialog, ABoxInAKillFocusHandlerTakesTheFocusAndGivesItBack) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    int focusDuringBox = -1;
    q.host.boxHook = [&](QMessageBox& box) {
        focusDuringBox = d.focusedControl();
        EXPECT_EQ(box.text(), "Count checked");
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        return int(QMessageBox::Yes);
    };
    int answer = 0;
    d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id == tc::Count)
            answer = q.host.messageBox(dlg.window(), "Count checked", "Check", mb::Question);
    };
    q.run(d, [&] {
        d.events.clear();
        QTest::keyClick(q.control(d.window(), tc::Count), Qt::Key_Tab);
        EXPECT_EQ(d.focusedControl(), tc::Name);
        EXPECT_TRUE(q.control(d.window(), tc::Name)->hasFocus());
        q.host.endModal(d.window(), 2);
    });
    EXPECT_EQ(answer, id::Yes);
    EXPECT_EQ(focusDuringBox, 0);
    // As on the original platform: the box took the focus from the control that was getting
    // it and gave it back.
    EXPECT_EQ(only(d.events, "kill"), (std::vector<std::string>{"kill 4001", "kill 4002"}));
    ASSERT_FALSE(only(d.events, "set").empty());
    EXPECT_EQ(d.events.back(), "set 4002");
}

TEST(QtDialog, AClickLosesItsFocusToAHandlerDoesNotCount) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id == tc::Count) dlg.setFocus(tc::Count); // a handler that keeps the focus
    };
    q.run(d, [&] {
        d.events.clear();
        QTest::mouseClick(q.control(d.window(), tc::Check), Qt::LeftButton);
        EXPECT_EQ(d.isChecked(tc::Check), 0);
        EXPECT_EQ(d.focusedControl(), tc::Count);
        q.host.endModal(d.window(), 2);
    });
    EXPECT_TRUE(only(d.events, "cmd").empty());
}

TEST(QtDialog, ListAndComboStateIsMirroredBothWays) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        auto* list = q.control<QListWidget>(d.window(), tc::Sorted);
        auto* drop = q.control<QComboBox>(d.window(), tc::DropList);
        auto* editable = q.control<QComboBox>(d.window(), tc::Editable);
        for (const char* s : {"pear", "Apple", "fig"})
            d.addString(tc::Sorted, s);
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "Apple"); // sorted by the dialog, stored by the host
        EXPECT_EQ(d.getCurSel(tc::Sorted), -1);
        d.setCurSel(tc::Sorted, 2);
        EXPECT_TRUE(list->item(2)->isSelected());
        // The drop-down list selects nothing until told; its text is the selected item.
        EXPECT_EQ(drop->count(), 3);
        EXPECT_EQ(d.getCurSel(tc::DropList), -1);
        d.setCurSel(tc::DropList, 1);
        EXPECT_EQ(drop->currentText(), "Gothic");
        EXPECT_EQ(d.windowText(tc::DropList), "Gothic");
        d.setItemData(tc::DropList, 2, 77);
        EXPECT_EQ(d.getItemData(tc::DropList, 2), 77u);
        d.deleteString(tc::DropList, 1);
        EXPECT_EQ(d.getCurSel(tc::DropList), -1);
        EXPECT_EQ(d.windowText(tc::DropList), "");
        EXPECT_EQ(d.getItemData(tc::DropList, 1), 77u);
        // An editable combo shows the selected item in its text.
        d.setCurSel(tc::Editable, 2);
        EXPECT_EQ(editable->currentText(), "Gamma");
        EXPECT_EQ(d.events.size(), only(d.events, "set").size() + only(d.events, "kill").size());

        d.events.clear();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(d.getCurSel(tc::Sorted), 1);
        EXPECT_EQ(only(d.events, "cmd"),
                  (std::vector<std::string>{cmd(tc::Sorted, Notify::SelChange)}));
        d.events.clear();
        drop->setFocus();
        QTest::keyClick(drop, Qt::Key_Down);
        EXPECT_EQ(d.getCurSel(tc::DropList), 0);
        EXPECT_EQ(only(d.events, "cmd"),
                  (std::vector<std::string>{cmd(tc::DropList, Notify::SelChange)}));
        // Typing into the editable combo selects nothing.
        d.events.clear();
        editable->lineEdit()->selectAll();
        QTest::keyClicks(editable->lineEdit(), "Free");
        EXPECT_EQ(d.windowText(tc::Editable), "Free");
        EXPECT_EQ(d.getCurSel(tc::Editable), -1);
        EXPECT_EQ(only(d.events, "cmd").back(), cmd(tc::Editable, Notify::EditChange));
        q.host.endModal(d.window(), 2);
    });
}

TEST(QtDialog, ExtendedListsKeepSeveralSelectedItems) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        auto* list = q.control<QListWidget>(d.window(), tc::Extended);
        for (const char* s : {"a", "b", "c", "d"})
            d.addString(tc::Extended, s);
        d.setSel(tc::Extended, 1);
        d.setSel(tc::Extended, 3);
        EXPECT_EQ(d.getSelItems(tc::Extended), (std::vector<int>{1, 3}));
        EXPECT_TRUE(list->item(3)->isSelected());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(d.getSelItems(tc::Extended), (std::vector<int>{0, 1, 3}));
        q.host.endModal(d.window(), 2);
    });
}

TEST(QtDialog, EnterPressesTheDefaultButtonAndEscapeCancels) {
    struct Case {
        const char* name;
        std::function<void(QtLibrary&, ValuesDialog&)> act;
        int code;
    };
    const Case cases[] = {
        {"enter in an edit",
         [](QtLibrary& q, ValuesDialog& d) {
             QTest::keyClick(q.control(d.window(), tc::Ratio), Qt::Key_Return);
         },
         id::Ok},
        {"escape",
         [](QtLibrary& q, ValuesDialog& d) {
             QTest::keyClick(q.control(d.window(), tc::Ratio), Qt::Key_Escape);
         },
         id::Cancel},
        {"enter on a focused push button",
         [](QtLibrary& q, ValuesDialog& d) {
             d.setFocus(ctl::Cancel);
             QTest::keyClick(q.control(d.window(), ctl::Cancel), Qt::Key_Return);
         },
         id::Cancel},
        {"enter with Cancel made the default",
         [](QtLibrary& q, ValuesDialog& d) {
             d.setDefaultButton(ctl::Cancel);
             EXPECT_TRUE(q.control<QPushButton>(d.window(), ctl::Cancel)->isDefault());
             EXPECT_FALSE(q.control<QPushButton>(d.window(), ctl::Ok)->isDefault());
             QTest::keyClick(q.control(d.window(), tc::Count), Qt::Key_Enter);
         },
         id::Cancel},
        {"enter with the default button disabled",
         [](QtLibrary& q, ValuesDialog& d) {
             d.enable(ctl::Ok, false);
             QTest::keyClick(q.control(d.window(), tc::Count), Qt::Key_Return);
         },
         99},
        {"the close box", [](QtLibrary& q, ValuesDialog& d) { q.host.widget(d.window())->close(); },
         id::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtLibrary q;
        ValuesDialog d(q.lib());
        EXPECT_EQ(q.run(d, [&] { c.act(q, d); }), c.code);
    }
}

TEST(QtDialog, TheSpinBarReportsLineUpAndLineDown) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        auto* bar = q.control<QScrollBar>(d.window(), tc::Spin);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(d.windowText(tc::Count), "7");
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(d.windowText(tc::Count), "6");
        q.host.endModal(d.window(), 2);
    });
}

TEST(QtDialog, DisablingOrHidingTheFocusedControlLeavesNoControlFocused) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        d.events.clear();
        d.enable(tc::Count, false);
        EXPECT_EQ(d.focusedControl(), 0);
        EXPECT_EQ(d.events, (std::vector<std::string>{"kill 4001"}));
        EXPECT_FALSE(q.control(d.window(), tc::Count)->isEnabled());
        d.setFocus(tc::Name);
        d.show(tc::Name, false);
        EXPECT_EQ(d.focusedControl(), 0);
        EXPECT_FALSE(d.isVisible(tc::Name));
        q.host.endModal(d.window(), 2);
    });
}

TEST(QtDialog, AnOpenDialogIsFoundByItsTitleWhileItIsShown) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        EXPECT_TRUE(q.machine.windows.existsWithTitle("Values"));
        d.setTitle("Renamed");
        EXPECT_FALSE(q.machine.windows.existsWithTitle("Values"));
        EXPECT_TRUE(q.machine.windows.existsWithTitle("Renamed"));
        q.host.endModal(d.window(), 2);
    });
    EXPECT_FALSE(q.machine.windows.existsWithTitle("Renamed"));
}

TEST(QtMessageBox, StylesGiveTheirButtonsIconsAndAnswers) {
    struct Case {
        uint32_t style;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
        int press;
        int answer;
    };
    using SB = QMessageBox::StandardButton;
    const Case cases[] = {
        {mb::Question, SB::Yes | SB::No, QMessageBox::Question, SB::No, id::No},
        {mb::Error, SB::Ok, QMessageBox::Warning, SB::Ok, id::Ok},
        {mb::RetryQuestion, SB::Retry | SB::Cancel, QMessageBox::Warning, SB::Retry, id::Retry},
        {mb::Ok | mb::IconHand, SB::Ok, QMessageBox::Critical, SB::Ok, id::Ok},
        {mb::Ok, SB::Ok, QMessageBox::NoIcon, SB::Ok, id::Ok},
        // Closed without a button (or with one it does not have): the safe answer.
        {mb::Question, SB::Yes | SB::No, QMessageBox::Question, SB::Cancel, id::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        QtLibrary q;
        QMessageBox::StandardButtons shown;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption;
        q.host.boxHook = [&](QMessageBox& box) {
            shown = box.standardButtons();
            icon = box.icon();
            caption = box.windowTitle();
            return c.press;
        };
        EXPECT_EQ(q.host.messageBox(nullptr, "text", "Configuration Error", c.style), c.answer);
        EXPECT_EQ(shown, c.buttons);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(caption, "Configuration Error");
    }
}

TEST(QtMessageBox, ARealBoxIsAnsweredByItsButton) {
    QtLibrary q;
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(q.host.messageBox(nullptr, "Delete?", "Configuration Warning", mb::Question),
              id::Yes);
}

} // namespace
