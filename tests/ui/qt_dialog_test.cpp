// Real widgets over the window model: the template becomes widgets, what the user does to
// them reaches the model and the handlers, and what the model holds shows in them. The
// window semantics themselves are tested once, headless.
#include "qt_support.h"
#include "support/values_dialog.h"
#include "ui/qt/address_widget.h"

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

using Texts = std::vector<std::string>;

Texts only(const Texts& events, const std::string& prefix) {
    Texts out;
    for (const auto& e : events)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

TEST(QtDialog, TheTemplateInDialogUnitsAndWhatTheDialogSetsShowInTheWidgets) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    q.run(d, [&] {
        QWidget* window = q.host.widget(d.window());
        ASSERT_NE(window, nullptr);
        // The original platform's base units of the dialog's own font.
        QFontMetrics fm(window->font());
        int x = (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
                 1) /
                2;
        int y = fm.height();
        EXPECT_EQ(q.control(d, ctl::Ok)->geometry(),
                  QRect((200 * x + 2) / 4, (5 * y + 4) / 8, (50 * x + 2) / 4, (14 * y + 4) / 8));
        EXPECT_EQ(window->size(), QSize((260 * x + 2) / 4, (200 * y + 4) / 8));
        EXPECT_EQ(window->windowTitle(), "Values");
        EXPECT_TRUE(!q.control<QComboBox>(d, tc::DropList)->isEditable() &&
                    q.control<QComboBox>(d, tc::Editable)->isEditable());
        EXPECT_TRUE(q.control(d, tc::Count)->hasFocus()); // the first tab stop

        d.events.clear();
        d.setWindowText(tc::Name, "a longer text than eight");
        EXPECT_EQ(q.control<QLineEdit>(d, tc::Name)->text(), "a longer text than eight");
        d.check(tc::Check, 1);
        EXPECT_TRUE(q.control<QCheckBox>(d, tc::Check)->isChecked());
        for (const char* s : {"pear", "Apple", "fig"})
            d.addString(tc::Sorted, s);
        auto* list = q.control<QListWidget>(d, tc::Sorted);
        d.setCurSel(tc::Sorted, 2);
        EXPECT_EQ(list->item(0)->text(), "Apple");
        EXPECT_TRUE(list->count() == 3 && list->item(2)->isSelected());
        auto* drop = q.control<QComboBox>(d, tc::DropList);
        EXPECT_EQ(drop->currentIndex(), -1); // nothing selected until the dialog says so
        d.setCurSel(tc::DropList, 1);
        EXPECT_EQ(drop->currentText(), "Gothic");
        d.deleteString(tc::DropList, 1);
        EXPECT_EQ(drop->currentIndex(), -1);
        d.setCurSel(tc::Editable, 2);
        EXPECT_EQ(q.control<QComboBox>(d, tc::Editable)->currentText(), "Gamma");
        d.setWindowText(tc::Address, "10.1.2.3");
        auto* address = dynamic_cast<AddressEditWidget*>(q.control(d, tc::Address));
        EXPECT_EQ(address->edit().text(), "10.1.2.3");
        EXPECT_TRUE(q.control<QPushButton>(d, ctl::Ok)->isDefault());
        d.setDefaultButton(ctl::Cancel);
        EXPECT_TRUE(q.control<QPushButton>(d, ctl::Cancel)->isDefault() &&
                    !q.control<QPushButton>(d, ctl::Ok)->isDefault());
        d.enable(tc::Check, false);
        d.show(tc::Ratio, false);
        EXPECT_TRUE(!q.control(d, tc::Check)->isEnabled() && q.control(d, tc::Ratio)->isHidden());
        // Only the edit reports a change the dialog made; the widgets' own signals do not.
        EXPECT_EQ(only(d.events, "cmd"), (Texts{"cmd 4002 2"}));
        d.setTitle("Renamed");
        EXPECT_EQ(window->windowTitle(), "Renamed");
        EXPECT_TRUE(!q.machine.windows.existsWithTitle("Values") &&
                    q.machine.windows.existsWithTitle("Renamed"));
    });
    EXPECT_FALSE(q.machine.windows.existsWithTitle("Renamed"));
}

TEST(QtDialog, KeysAndClicksReachTheModelAndItsHandlers) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    int code = q.run(d, [&] {
        auto* name = q.control<QLineEdit>(d, tc::Name);
        d.events.clear();
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "Zeta12345"); // stops at the limit the exchange set (8)
        EXPECT_EQ(d.windowText(tc::Name), "Zeta1234");
        for (int id : {tc::Check, tc::Other2, tc::Radio3, tc::Radio3}) // the radio stays checked
            QTest::mouseClick(q.control(d, id), Qt::LeftButton);
        EXPECT_TRUE(q.control<QRadioButton>(d, tc::Radio3)->isChecked() &&
                    !q.control<QRadioButton>(d, tc::Radio2)->isChecked());
        d.check(tc::Check, 2); // a third state set by the dialog toggles to checked
        QTest::mouseClick(q.control(d, tc::Check), Qt::LeftButton);
        EXPECT_EQ(q.control<QCheckBox>(d, tc::Check)->checkState(), Qt::Checked);
        q.control<QScrollBar>(d, tc::Spin)->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(d.windowText(tc::Count), "6");

        for (const char* s : {"a", "b", "c"}) {
            d.addString(tc::Sorted, s);
            d.addString(tc::Extended, s);
        }
        auto* list = q.control<QListWidget>(d, tc::Sorted);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(d.getCurSel(tc::Sorted), 1);
        auto* extended = q.control<QListWidget>(d, tc::Extended);
        d.setSel(tc::Extended, 2);
        QTest::mouseClick(extended->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          extended->visualItemRect(extended->item(0)).center());
        EXPECT_EQ(d.getSelItems(tc::Extended), (std::vector<int>{0, 2}));
        auto* drop = q.control<QComboBox>(d, tc::DropList);
        drop->setFocus();
        QTest::keyClick(drop, Qt::Key_Down);
        EXPECT_EQ(d.getCurSel(tc::DropList), 0);
        auto* editable = q.control<QComboBox>(d, tc::Editable);
        d.setCurSel(tc::Editable, 0);
        editable->lineEdit()->selectAll();
        QTest::keyClicks(editable->lineEdit(), "Free");
        EXPECT_EQ(d.windowText(tc::Editable), "Free");
        // Typed text selects nothing.
        EXPECT_TRUE(d.getCurSel(tc::Editable) == -1 && editable->currentIndex() == -1);
        EXPECT_EQ(editable->currentText(), "Free");
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(code, id::Ok);
    EXPECT_EQ(d.name, "Zeta1234");
    EXPECT_EQ(std::make_tuple(d.radio, d.checked), std::make_tuple(2, 1));
    EXPECT_EQ(only(d.events, "cmd 4002").size(), 8u); // one per character that went in
    EXPECT_EQ(only(d.events, "cmd 4200"), (Texts{"cmd 4200 0", "cmd 4200 0"}));
    EXPECT_EQ(only(d.events, "cmd 4103").size(), 2u);
    Texts cmds = only(d.events, "cmd");
    for (const char* e : {"cmd 4300 3", "cmd 4301 3", "cmd 4400 3", "cmd 4401 2"})
        EXPECT_NE(std::find(cmds.begin(), cmds.end(), e), cmds.end()) << e;
}

TEST(QtDialog, TheFocusFollowsTabsClicksAndTheModel) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    FocusTarget after{};
    q.run(d, [&] {
        d.events.clear();
        QTest::keyClick(q.control(d, tc::Count), Qt::Key_Tab);
        QTest::mouseClick(q.control(d, tc::Ratio), Qt::LeftButton);
        QTest::mouseClick(q.control(d, tc::Editable), Qt::LeftButton, Qt::NoModifier, {5, 5});
        after = d.focusedWindow();
        // Disabling the focused control leaves no control focused, in Qt too.
        d.enable(tc::Editable, false);
        EXPECT_EQ(d.focusedControl(), 0);
        EXPECT_EQ(QApplication::focusWidget(), q.host.widget(d.window()));
        d.setFocus(tc::Name);
        EXPECT_TRUE(q.control(d, tc::Name)->hasFocus());
    });
    EXPECT_EQ(only(d.events, "kill").size() + only(d.events, "set").size(), 8u);
    EXPECT_EQ(Texts(d.events.begin(), d.events.begin() + 6),
              (Texts{"kill 4001", "set 4002", "kill 4002", "set 4003", "kill 4003", "set 4401"}));
    EXPECT_TRUE(after.control == tc::Editable && after.inComboEdit);
}

TEST(QtDialog, AClickThatLosesItsFocusToAHandlerDoesNotCount) {
    QtLibrary q;
    ValuesDialog d(q.lib());
    d.atKillFocus = [&](ValuesDialog& dlg, int id) {
        if (id == tc::Count) dlg.setFocus(tc::Count);
    };
    q.run(d, [&] {
        d.events.clear();
        QTest::mouseClick(q.control(d, tc::Check), Qt::LeftButton);
        EXPECT_TRUE(d.focusedControl() == tc::Count && q.control(d, tc::Count)->hasFocus());
    });
    EXPECT_EQ(d.isChecked(tc::Check), 0);
    EXPECT_TRUE(only(d.events, "cmd").empty());
}

TEST(QtDialog, EscapeEnterOnAButtonAndTheCloseBoxEndTheModalLoop) {
    for (int how = 0; how < 3; ++how) {
        QtLibrary q;
        ValuesDialog d(q.lib());
        auto act = [&] {
            q.control(d, ctl::Cancel)->setFocus();
            if (how == 0) QTest::keyClick(q.control(d, tc::Ratio), Qt::Key_Escape);
            if (how == 1) QTest::keyClick(q.control(d, ctl::Cancel), Qt::Key_Return);
            if (how == 2) q.host.widget(d.window())->close();
        };
        EXPECT_EQ(q.run(d, act), id::Cancel) << how;
    }
}

TEST(QtMessageBox, StylesGiveTheirButtonsIconsAndAnswers) {
    using SB = QMessageBox::StandardButton;
    using I = QMessageBox::Icon;
    const std::tuple<uint32_t, QMessageBox::StandardButtons, I, int, int> cases[] = {
        {mb::Question, SB::Yes | SB::No, I::Question, SB::No, id::No},
        {mb::Error, SB::Ok, I::Warning, SB::Ok, id::Ok},
        {mb::RetryQuestion, SB::Retry | SB::Cancel, I::Warning, SB::Retry, id::Retry},
        {mb::Ok | mb::IconHand, SB::Ok, I::Critical, SB::Ok, id::Ok},
        {mb::Ok, SB::Ok, I::NoIcon, SB::Ok, id::Ok},
        // Closed without a button (or with one it does not have): the safe answer.
        {mb::Question, SB::Yes | SB::No, I::Question, SB::Cancel, id::No}};
    for (const auto& [style, buttons, icon, press, answer] : cases) {
        SCOPED_TRACE(style);
        QtLibrary q;
        QMessageBox::StandardButtons shown;
        I shownIcon = I::NoIcon;
        QString caption;
        q.host.boxHook = [&](QMessageBox& box) {
            std::tie(shown, shownIcon, caption) =
                std::make_tuple(box.standardButtons(), box.icon(), box.windowTitle());
            return press;
        };
        EXPECT_EQ(q.host.messageBox(nullptr, "text", "Configuration Error", style), answer);
        EXPECT_TRUE(shown == buttons && shownIcon == icon && caption == "Configuration Error");
    }
    // A real box, answered by its button.
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
