// Real widgets over the window model: the template becomes widgets, what the user does to
// them reaches the model and the handlers, and what the model holds shows in them. The
// window semantics themselves are tested once, headless.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "qt_support.h"
#include "resources/ids.h"
#include "store/models.h"
#include "ui/qt/gallery.h"

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;
using QtDialog = QtValues;

void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                      list->visualItemRect(list->item(row)).center());
}

TEST_F(QtDialog, TheTemplateInDialogUnitsAndWhatTheDialogSetsShowInTheWidgets) {
    q.host.ownFrames = false; // the window is the template's area, as on a desktop
    q.run(d, [&] {
        QWidget* window = q.host.widget(d.window());
        ASSERT_NE(window, nullptr);
        // The original platform's base units of the dialog's own font.
        QFontMetrics fm(window->font());
        const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        const int x = (fm.horizontalAdvance(letters + letters.toLower()) / 26 + 1) / 2,
                  y = fm.height();
        EXPECT_EQ(q.control(d, ctl::Ok)->geometry(),
                  QRect((200 * x + 2) / 4, (5 * y + 4) / 8, (50 * x + 2) / 4, (14 * y + 4) / 8));
        EXPECT_EQ(window->size(), QSize((260 * x + 2) / 4, (200 * y + 4) / 8));
        // A fixed size and only the close box (Qt adds the system menu's hint, no button).
        EXPECT_EQ(int(window->windowFlags() & ~Qt::WindowSystemMenuHint),
                  int(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowCloseButtonHint));
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        auto* drop = q.control<QComboBox>(d, tc::DropList);
        auto* editable = q.control<QComboBox>(d, tc::Editable);
        // Nothing is selected in a list until the dialog says so.
        EXPECT_TRUE(!drop->isEditable() && editable->isEditable() && drop->currentIndex() == -1);
        EXPECT_TRUE(q.control(d, tc::Count)->hasFocus()); // the first tab stop

        // What the dialog sets shows; only the edit reports it, the widgets' own signals do not.
        d.events.clear();
        d.setWindowText(tc::Name, "a longer text than eight");
        d.check(tc::Check, 1);
        d.setCurSel(tc::Editable, 2);
        d.setCurSel(tc::DropList, 1);
        d.deleteString(tc::DropList, 1); // the selected item
        d.enable(tc::Check, false);
        EXPECT_EQ(Texts({q.control<QLineEdit>(d, tc::Name)->text().toStdString(),
                         editable->currentText().toStdString()}),
                  (Texts{"a longer text than eight", "Gamma"}));
        EXPECT_TRUE(q.control<QCheckBox>(d, tc::Check)->isChecked() &&
                    !q.control(d, tc::Check)->isEnabled() && drop->count() == 2 &&
                    drop->currentIndex() == -1);
        EXPECT_EQ(only(d.events, {"cmd"}), (Texts{"cmd 4002 2"}));
        EXPECT_EQ(window->windowTitle(), "Values");
        d.setTitle("Renamed");
        EXPECT_EQ(window->windowTitle(), "Renamed");
        EXPECT_TRUE(!q.machine.windows.existsWithTitle("Values") &&
                    q.machine.windows.existsWithTitle("Renamed"));
        // The gallery's picture has the size of the dialog the host opens.
        QImage picture = RenderDialog(q.host, *testTemplate(kValuesTemplate));
        EXPECT_EQ(picture.size() / picture.devicePixelRatio(), window->size());
    });
    EXPECT_FALSE(q.machine.windows.existsWithTitle("Renamed"));
}

TEST_F(QtDialog, KeysAndClicksReachTheModelAndItsHandlers) {
    int code = q.run(d, [&] {
        auto* name = q.control<QLineEdit>(d, tc::Name);
        d.events.clear();
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "Zeta12345"); // stops at the limit the exchange set (8)
        for (int id : {tc::Check, tc::Other2, tc::Radio3, tc::Radio3}) // the radio stays checked
            QTest::mouseClick(q.control(d, id), Qt::LeftButton);
        EXPECT_TRUE(q.control<QRadioButton>(d, tc::Radio3)->isChecked() &&
                    !q.control<QRadioButton>(d, tc::Radio2)->isChecked());
        d.check(tc::Check, 2); // a third state set by the dialog toggles to checked
        QTest::mouseClick(q.control(d, tc::Check), Qt::LeftButton);
        EXPECT_EQ(q.control<QCheckBox>(d, tc::Check)->checkState(), Qt::Checked);
        q.control<QScrollBar>(d, tc::Spin)->triggerAction(QAbstractSlider::SliderSingleStepSub);

        d.addString(tc::Sorted, "b");
        d.addStrings(tc::Sorted, {"c", "a"}); // in one pass, into the widget as well
        d.addStrings(tc::Extended, {"a", "b", "c"});
        EXPECT_EQ(q.control<QListWidget>(d, tc::Sorted)->item(0)->text(), "a");
        clickItem(q.control<QListWidget>(d, tc::Sorted), 1);
        d.setSel(tc::Extended, 2);
        clickItem(q.control<QListWidget>(d, tc::Extended), 0, Qt::ControlModifier);
        EXPECT_EQ(d.getSelItems(tc::Extended), (std::vector<int>{0, 2}));
        auto* drop = q.control<QComboBox>(d, tc::DropList);
        drop->setFocus();
        QTest::keyClick(drop, Qt::Key_Down);
        auto* editable = q.control<QComboBox>(d, tc::Editable);
        d.setCurSel(tc::Editable, 0);
        editable->lineEdit()->selectAll();
        QTest::keyClicks(editable->lineEdit(), "Free");
        // Typed text selects nothing.
        EXPECT_EQ(Texts({d.windowText(tc::Name), d.windowText(tc::Count),
                         std::to_string(d.getCurSel(tc::Sorted)),
                         std::to_string(d.getCurSel(tc::DropList)), d.windowText(tc::Editable),
                         std::to_string(d.getCurSel(tc::Editable)),
                         std::to_string(editable->currentIndex()),
                         editable->currentText().toStdString()}),
                  (Texts{"Zeta1234", "6", "1", "0", "Free", "-1", "-1", "Free"}));
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(std::make_tuple(code, d.name, d.radio, d.checked),
              std::make_tuple(int(id::Ok), std::string("Zeta1234"), 2, 1));
    EXPECT_EQ(only(d.events, {"cmd 4002"}).size(), 8u); // one per character that went in
    EXPECT_EQ(only(d.events, {"cmd 41", "cmd 42", "cmd 43", "cmd 44"}),
              (Texts{"cmd 4200 0", "cmd 4105 0", "cmd 4103 0", "cmd 4103 0", "cmd 4200 0",
                     "cmd 4300 3", "cmd 4301 3", "cmd 4400 3", "cmd 4401 2", "cmd 4401 2",
                     "cmd 4401 2", "cmd 4401 2"}));
}

TEST_F(QtDialog, TheFocusFollowsTabsClicksAndTheModel) {
    q.run(d, [&] {
        d.events.clear();
        QTest::keyClick(q.control(d, tc::Count), Qt::Key_Tab);
        QTest::mouseClick(q.control(d, tc::Ratio), Qt::LeftButton);
        QTest::mouseClick(q.control(d, tc::Editable), Qt::LeftButton, Qt::NoModifier, {5, 5});
        EXPECT_TRUE(d.focusedWindow().control == tc::Editable && d.focusedWindow().inComboEdit);
        // Disabling the focused control leaves no control focused, in Qt too.
        d.enable(tc::Editable, false);
        EXPECT_EQ(d.focusedControl(), 0);
        EXPECT_EQ(QApplication::focusWidget(), q.host.widget(d.window()));
        d.setFocus(tc::Name);
        EXPECT_TRUE(q.control(d, tc::Name)->hasFocus());
        // A click that loses its focus to a handler does not count.
        d.atKillFocus = [&](ValuesDialog& dlg, int id) {
            if (id == tc::Name) dlg.setFocus(tc::Name);
        };
        QTest::mouseClick(q.control(d, tc::Check), Qt::LeftButton);
        EXPECT_TRUE(d.focusedControl() == tc::Name && q.control(d, tc::Name)->hasFocus());
    });
    EXPECT_EQ(only(d.events, {"kill", "set"}),
              (Texts{"kill 4001", "set 4002", "kill 4002", "set 4003", "kill 4003", "set 4401",
                     "kill 4401", "set 4002", "kill 4002", "kill 4200", "set 4002"}));
    EXPECT_TRUE(d.isChecked(tc::Check) == 0 && only(d.events, {"cmd"}).empty());
}

TEST_F(QtDialog, EscapeEnterOnAButtonAndTheCloseBoxEndTheModalLoop) {
    for (int how = 0; how < 3; ++how) { // the same dialog, opened again each time
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
        {mb::Question, SB::Yes | SB::No, I::Question, SB::Yes, id::Yes},
        {mb::Error, SB::Ok, I::Warning, SB::Ok, id::Ok},
        {mb::RetryQuestion, SB::Retry | SB::Cancel, I::Warning, SB::Retry, id::Retry},
        {mb::Ok | mb::IconHand, SB::Ok, I::Critical, SB::Ok, id::Ok},
        {mb::Ok, SB::Ok, I::NoIcon, SB::Ok, id::Ok},
        // Closed without a button (or with one it does not have): the safe answer.
        {mb::Question, SB::Yes | SB::No, I::Question, SB::Cancel, id::No}};
    for (const auto& [style, buttons, icon, press, answer] : cases) {
        SCOPED_TRACE(style);
        QtLibrary q;
        bool shown = false;
        q.host.boxHook = [&](QMessageBox& box) {
            shown = box.standardButtons() == buttons && box.icon() == icon &&
                    box.windowTitle() == "Configuration Error";
            return press;
        };
        EXPECT_EQ(q.host.messageBox(nullptr, "text", "Configuration Error", style), answer);
        EXPECT_TRUE(shown);
    }
}

// Keys go where a platform without a window manager sends them: to the focus window, which a
// dropped list does not become. Each box's default button has the focus and shows it.
TEST_F(QtDialog, BoxesAndDroppedListsTakeTheKeysAsThePlatformsDo) {
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}, QWindow* w = nullptr) {
        QTest::keyClick(w != nullptr ? w : QGuiApplication::focusWindow(), k, m);
    };
    const auto alt = Qt::AltModifier;
    // clang-format off
    const std::tuple<uint32_t, Qt::Key, Qt::KeyboardModifiers, int> boxes[] = {
        {mb::Question, Qt::Key_Return, {}, id::Yes}, {mb::Question, Qt::Key_Escape, {}, id::No},
        {mb::Question, Qt::Key_N, {}, id::No}, {mb::Question, Qt::Key_N, alt, id::No},
        {mb::Error, Qt::Key_Escape, {}, id::Ok}, {mb::RetryQuestion, Qt::Key_Escape, {}, id::Cancel},
        {mb::AbortRetryIgnore, Qt::Key_I, {}, id::Ignore}, {mb::AbortRetryIgnore, Qt::Key_R, alt, id::Retry}};
    // clang-format on
    std::unique_ptr<QStyle> plain(QStyleFactory::create("Windows")); // Fusion's lists show all
    int code = q.run(d, [&] {
        for (const auto& [style, k, mods, answer] : boxes) {
            q.whenShown(0, [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                EXPECT_TRUE(box->defaultButton()->hasFocus() &&
                            box->testAttribute(Qt::WA_KeyboardFocusChange));
                key(k, mods);
                for (int i = 0; i < 50 && box->isVisible(); ++i) // Alt+letter animates the click
                    QTest::qWait(10);
            });
            EXPECT_EQ(q.host.messageBox(d.window(), "", "", style), answer) << style << " " << k;
        }
        QWindow* window = q.host.widget(d.window())->windowHandle();
        QAbstractItemView* view = q.control<QComboBox>(d, tc::DropList)->view();
        q.control(d, tc::DropList)->setStyle(plain.get());
        for (auto [count, shown] : {std::pair{15, 10}, {4, 4}}) { // at least ten rows, or all
            d.resetContent(tc::DropList);
            for (int i = 0; i < count; ++i)
                d.addString(tc::DropList, std::to_string(10 + i));
            d.setCurSel(tc::DropList, 0);
            d.setFocus(tc::DropList);
            key(Qt::Key_Down, alt, window);
            EXPECT_EQ(view->viewport()->height() / view->sizeHintForRow(0), shown) << count;
            key(Qt::Key_Down, {}, window);
            key(Qt::Key_Return, {}, window);
            EXPECT_TRUE(!view->isVisible() && d.getCurSel(tc::DropList) == 1);
        }
    });
    EXPECT_EQ(code, 99); // Enter in the list was not the dialog's
}

// The configuration run: what an administrator does with keys and clicks reaches the dialogs
// through the Qt host, nested modal loops and boxes included.
TEST(QtConfiguration, OneQueueConfiguredWithKeysAndClicksIsSavedAndTheRunEndsWithOk) {
    QtLibrary q;
    q.lib().setDefaultMedia(std::make_unique<DefaultMedia[]>(kModelCount));
    q.t.product.setDirectoryJson(R"({"default": "Alpha:Quendal", "odrs": [
      {"domain": "Alpha", "organization": "Quendal",
       "queues": [{"name": "LASER_1", "printServer": "testhost"},
                  {"name": "ELSEWHERE", "printServer": "other"}]}]})");
    q.machine.files.addFile("C:\\qdsw\\lnt\\bin\\LJA.dll", ""); // HP LaserJet 4M
    auto at = [&](QWidget* window, int id) {
        return q.host.control(static_cast<QtDialogWindow*>(window)->window(), id);
    };
    auto click = [](QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); };

    q.whenShown(dlg::Main, [&](QWidget* main) {
        auto* queues = qobject_cast<QListWidget*>(at(main, mainctl::ToConfigure));
        ASSERT_TRUE(queues && queues->count() == 1 && queues->item(0)->text() == "LASER_1");
        clickItem(queues, 0);
        QTest::keyClick(main, Qt::Key_M, Qt::AltModifier); // "Printer &Model:"
        auto* model = qobject_cast<QComboBox*>(at(main, mainctl::Model));
        ASSERT_TRUE(model->hasFocus());
        QTest::keyClick(model, Qt::Key_Down);
        EXPECT_EQ(model->currentText(), "HP LaserJet 4M");
        q.whenShown(dlg::PrinterConfig, [&](QWidget* printer) {
            q.whenShown(0, [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                EXPECT_TRUE(box->text().startsWith("Successfully configured the queue LASER_1"))
                    << box->text().toStdString();
                click(box->button(QMessageBox::Ok));
            });
            click(at(printer, ctl::Ok));
        });
        click(at(main, mainctl::Configure)); // returns when the dialog and box are done
        auto* current = qobject_cast<QListWidget*>(at(main, mainctl::Current));
        EXPECT_TRUE(queues->count() == 0 && current->count() == 1);
        EXPECT_EQ(qobject_cast<QPushButton*>(at(main, ctl::Cancel))->text(), "Close");
        click(at(main, ctl::Ok));
    });
    EXPECT_EQ(RunConfiguration(q.lib().services(), nullptr, InitialiseSharedConfig(q.lib())), 1u);

    const std::string queue = productPath("Queues\\LASER_1");
    EXPECT_EQ(getString(q.machine.registry, queue, "Printer"), "HP_LASERJET_4M");
    EXPECT_EQ(std::string(q.lib().records().slots()[0].Name), "LASER_1");
}

} // namespace

int main(int argc, char** argv) {
    // Real widgets without a display, also when the tests are only being listed.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
