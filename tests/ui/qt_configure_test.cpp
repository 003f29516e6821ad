// The configuration run on real widgets: what an administrator does with keys and clicks
// reaches the dialogs through the Qt host, nested modal loops and boxes included.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "qt_support.h"
#include "resources/ids.h"
#include "store/models.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::test;

namespace {

TEST(QtConfiguration, OneQueueConfiguredWithKeysAndClicksIsSavedAndTheRunEndsWithOk) {
    QtLibrary q;
    q.lib().defaultMedia.reset(new DefaultMedia[kModelCount]());
    q.t.product.setDirectoryJson(R"({"default": "Alpha:Quendal", "odrs": [
      {"domain": "Alpha", "organization": "Quendal",
       "queues": [{"name": "LASER_1", "printServer": "testhost"},
                  {"name": "ELSEWHERE", "printServer": "other"}]}]})");
    q.machine.files.addFile("C:\\qdsw\\lnt\\bin\\LJA.dll", ""); // HP LaserJet 4M
    const uint32_t initResult = InitialiseSharedConfig(q.lib());
    auto at = [&](QWidget* window, int id) {
        return q.host.control(static_cast<QtDialogWindow*>(window)->window(), id);
    };
    auto click = [](QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); };

    WhenShown steps(
        q.host,
        {
            {dlg::Main,
             [&](QWidget* main) {
                 auto* queues = qobject_cast<QListWidget*>(at(main, mainctl::ToConfigure));
                 ASSERT_TRUE(queues != nullptr && queues->count() == 1);
                 ASSERT_EQ(queues->item(0)->text(), "LASER_1");
                 QTest::mouseClick(queues->viewport(), Qt::LeftButton, Qt::NoModifier,
                                   queues->visualItemRect(queues->item(0)).center());
                 QTest::keyClick(main, Qt::Key_M, Qt::AltModifier); // "Printer &Model:"
                 auto* model = qobject_cast<QComboBox*>(at(main, mainctl::Model));
                 ASSERT_TRUE(model->hasFocus());
                 QTest::keyClick(model, Qt::Key_Down);
                 EXPECT_EQ(model->currentText(), "HP LaserJet 4M");
                 auto* description = at(main, mainctl::Description);
                 click(description);
                 QTest::keyClicks(description, "Second floor");
                 click(at(main, mainctl::Configure)); // returns when the dialog and box are done
                 auto* current = qobject_cast<QListWidget*>(at(main, mainctl::Current));
                 EXPECT_TRUE(queues->count() == 0 && current->count() == 1);
                 EXPECT_EQ(qobject_cast<QPushButton*>(at(main, ctl::Cancel))->text(), "Close");
                 click(at(main, ctl::Ok));
             }},
            {dlg::PrinterConfig,
             [&](QWidget* printer) {
                 EXPECT_TRUE(printer->windowTitle().contains("HP LaserJet 4M"))
                     << printer->windowTitle().toStdString();
                 click(at(printer, ctl::Ok));
             }},
            {0,
             [&](QWidget* w) {
                 auto* box = qobject_cast<QMessageBox*>(w);
                 EXPECT_TRUE(box->text().startsWith("Successfully configured the queue LASER_1"))
                     << box->text().toStdString();
                 click(box->button(QMessageBox::Ok));
             }},
        });
    EXPECT_EQ(RunConfiguration(q.lib(), nullptr, initResult), 1u);

    const std::string queue = productPath("Queues\\LASER_1");
    EXPECT_EQ(getString(q.machine.registry, queue, "Printer"), "HP_LASERJET_4M");
    EXPECT_EQ(getString(q.machine.registry, queue, "Description"), "Second floor");
    EXPECT_EQ(std::string(q.lib().store.queues.get()[0].Name), "LASER_1");
}

} // namespace
