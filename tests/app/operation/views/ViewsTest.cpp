// The Motion Control and Device Status views offscreen: what their timers
// show of the document's record, the lamps of the active page only, the
// logbook and error list, and the pages' buttons against the simulated
// drive (the jog button pressed and released with the mouse).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "../OperationTestSupport.h"
#include "description/QVTDevice.h"
#include "operation/views/JogButton.h"
#include "operation/views/MotionView.h"
#include "operation/views/StatusView.h"
#include "operation/views/WndDeviceStatus.h"
#include "operation/views/WndHomingMode.h"
#include "operation/views/WndLampPage.h"
#include "operation/views/WndLogBook.h"
#include "operation/views/WndManualMode.h"
#include "operation/views/WndMotionControl.h"
#include "operation/views/WndPositionMode.h"
#include "ui/MessageIds.h"

using namespace optest;

namespace {

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device_ = *Description().GetDevice(2);
        doc_.device = &device_;
    }

    ovro::CQVTDevice device_;
    FakeDriveDocument doc_;
    ScriptedUserInterface ui_;
};

TEST_F(ViewsTest, StatusViewOpensOfflineAndShowsTheRecord)
{
    doc_.ready = false;
    CStatusView view(doc_);
    EXPECT_EQ(view.ModeCaption(), "Mode of Operation");
    EXPECT_EQ(view.FieldText(QStringLiteral("Actual Position:")), "0");
    EXPECT_EQ(view.FieldText(QStringLiteral("deviceState")), "Offline!");
    EXPECT_EQ(view.FieldText(QStringLiteral("errorText")), "No device connected.");
    EXPECT_FALSE(view.ResetFaultButton()->isEnabled());
    view.OnRefresh();
    EXPECT_EQ(view.FieldText(QStringLiteral("deviceState")), "Offline!") << "not ready: nothing changes";

    doc_.ready = true;
    device_.actual.statusword = 0x0008;
    device_.actual.actualMode = 1;
    device_.actual.actualPosition = -42;
    view.OnRefresh();
    EXPECT_EQ(view.ModeCaption(), "Profile Position Mode");
    EXPECT_EQ(view.FieldText(QStringLiteral("Actual Position:")), "-42");
    EXPECT_EQ(view.FieldText(QStringLiteral("statusword")), "0008h");
    EXPECT_EQ(view.FieldText(QStringLiteral("deviceState")), "Fault");
    EXPECT_TRUE(view.ResetFaultButton()->isEnabled());
    CWndLampPage* statusword = view.Sheet()->LampPage(0);
    EXPECT_TRUE(statusword->LampLit(3)) << "bit 3 green";
    EXPECT_FALSE(statusword->LampLit(2));
}

TEST_F(ViewsTest, OnlyTheActivePageFollowsAndTheMalfunctionBitEnablesResetFault)
{
    CStatusView view(doc_);
    device_.actual.statusword = 0x0237;
    device_.actual.statusRegister = 0x80000000u;
    view.OnRefresh();
    EXPECT_TRUE(view.ResetFaultButton()->isEnabled()) << "only bit 31 of the register";
    EXPECT_FALSE(view.Sheet()->LampPage(1)->LampLit(15)) << "the page is not shown yet";
    view.Sheet()->setCurrentIndex(1);
    view.OnRefresh();
    EXPECT_TRUE(view.Sheet()->LampPage(1)->LampLit(15)) << "bit 31 on 'Statusregister...'";
    EXPECT_EQ(view.Sheet()->tabText(1), "Statusregister...");
    // The statusword page stays as last shown while another page is active.
    device_.actual.statusword = 0x0008;
    view.OnRefresh();
    EXPECT_TRUE(view.Sheet()->LampPage(0)->LampLit(2));
    EXPECT_FALSE(view.Sheet()->LampPage(0)->LampLit(3));
    EXPECT_EQ(view.FieldText(QStringLiteral("deviceState")), "Fault") << "the fields follow in any case";
}

TEST_F(ViewsTest, LogbookPageShowsTimesAndTheErrorList)
{
    CStatusView view(doc_);
    view.Sheet()->setCurrentIndex(CWndDeviceStatus::kLogBookPage);
    EXPECT_EQ(view.Sheet()->tabText(CWndDeviceStatus::kLogBookPage), "Logbook && Error History");
    CWndLogBook* logbook = view.Sheet()->LogBook();
    QTableWidget* grid = logbook->ErrorGrid();
    ASSERT_EQ(grid->rowCount(), 6);
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->item(0, 1)->text(), "Emergency");
    EXPECT_EQ(grid->item(0, 2)->text(), "Meaning");
    EXPECT_EQ(grid->item(5, 0)->text(), "5");
    EXPECT_EQ(grid->columnWidth(2), 5 * grid->columnWidth(1));

    device_.actual.powerOnTime = 90061;
    device_.actual.turnOnTime = 61;
    device_.actual.positionings = 7;
    device_.actual.errorList[0].SetCode(0x2310);
    device_.actual.errorList[2].SetCode(0xFF01);
    view.OnRefresh();
    EXPECT_EQ(logbook->FieldText(QStringLiteral("powerOnSeconds")), "90061");
    EXPECT_EQ(logbook->FieldText(QStringLiteral("powerOnTime")), "T#1d1h1m1s");
    EXPECT_EQ(logbook->FieldText(QStringLiteral("turnOnTime")), "T#0d0h1m1s");
    EXPECT_EQ(logbook->FieldText(QStringLiteral("positionings")), "7");
    EXPECT_EQ(grid->item(1, 1)->text(), "2310h");
    EXPECT_EQ(grid->item(1, 2)->text(), "Continuous motor current exceeded");
    EXPECT_EQ(grid->item(3, 1)->text(), "FF01h");

    device_.actual.errorList[0].SetCode(0);
    doc_.historyValid = false;
    view.OnRefresh();
    EXPECT_EQ(grid->item(1, 1)->text(), "2310h") << "not while the history is being read";
    doc_.historyValid = true;
    view.OnRefresh();
    EXPECT_EQ(grid->item(1, 1)->text(), "");
    EXPECT_EQ(grid->item(1, 2)->text(), "");
    EXPECT_EQ(grid->item(3, 1)->text(), "FF01h");
}

TEST_F(ViewsTest, MotionViewKeepsTheShaftSpeedWhileItCannotBeComputed)
{
    SetParameter(device_, 0x6410, 0x0B, 50);
    SetParameter(device_, 0x6410, 0x06, 1);
    SetParameter(device_, 0x6410, 0x05, 1);
    device_.actual.actualVelocity = 3000;
    CMotionView view(doc_, ui_);
    view.OnRefresh();
    EXPECT_EQ(view.FieldText(QStringLiteral("Output-Shaft Speed:")), "600");
    SetParameter(device_, 0x6410, 0x0B, 0);
    device_.actual.actualVelocity = 6000;
    view.OnRefresh();
    EXPECT_EQ(view.FieldText(QStringLiteral("Actual Velocity:")), "6000");
    EXPECT_EQ(view.FieldText(QStringLiteral("Output-Shaft Speed:")), "600") << "keeps its previous text";

    doc_.pollFailed = true;
    view.OnRefresh();
    EXPECT_EQ(view.FieldText(QStringLiteral("deviceState")), "Offline!");
    EXPECT_EQ(view.FieldText(QStringLiteral("errorText")), "No device connected.");
    EXPECT_FALSE(view.ResetFaultButton()->isEnabled());
}

TEST_F(ViewsTest, PositionPageTakesItsFieldsAndShowsTheCurrent)
{
    SetParameter(device_, 0x6410, 0x03, 2000);
    device_.motion.position.maxCurrent = 500;
    device_.motion.position.userProfile = 1;
    device_.motion.position.profileNumber = 4;
    CWndPositionMode page(doc_, ui_);
    page.OnInitialUpdate();
    auto* maxCurrent = page.findChild<QLineEdit*>(QStringLiteral("maxCurrent"));
    auto* current = page.findChild<QLabel*>(QStringLiteral("currentText"));
    EXPECT_EQ(current->text(), "1.00 A");
    EXPECT_TRUE(page.findChild<QCheckBox*>(QStringLiteral("userProfile"))->isChecked());
    EXPECT_EQ(page.findChild<QComboBox*>(QStringLiteral("profileList"))->currentText(), "4");
    EXPECT_FALSE(maxCurrent->isEnabled()) << "user-defined profile";
    maxCurrent->setText(QStringLiteral("750"));
    EXPECT_EQ(current->text(), "1.50 A");
    maxCurrent->setText(QStringLiteral("x"));
    EXPECT_EQ(current->text(), "1.50 A") << "not a number: unchanged";
    page.findChild<QCheckBox*>(QStringLiteral("userProfile"))->setChecked(false);
    EXPECT_TRUE(maxCurrent->isEnabled());

    // A field that is no number is refused before anything is sent.
    page.findChild<QLineEdit*>(QStringLiteral("targetPosition"))->setText(QStringLiteral("12a"));
    page.OnStart();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Please enter an integer between -2147483648 and 2147483647.");
}

TEST_F(ViewsTest, HomingAssignFieldFollowsTheChosenMethod)
{
    SetParameter(device_, 0x6510, 0x0A, 1);
    device_.motion.homing.homingMethod = 17;
    CWndHomingMode page(doc_, ui_);
    page.OnInitialUpdate();
    auto* methods = page.findChild<QComboBox*>(QStringLiteral("homingMethod"));
    auto* assign = page.findChild<QLineEdit*>(QStringLiteral("assignPosition"));
    EXPECT_TRUE(methods->isEnabled());
    EXPECT_TRUE(methods->currentText().startsWith(QStringLiteral("17 - ")));
    EXPECT_FALSE(assign->isEnabled());
    methods->setCurrentIndex(0); // -1
    EXPECT_TRUE(assign->isEnabled());
    methods->setCurrentIndex(1);
    EXPECT_FALSE(assign->isEnabled());
}

class JogViewTest : public OperationSimTest {};

TEST_F(JogViewTest, JogButtonJogsWhileTheMouseHoldsIt)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    CWndManualMode page(*drive_, ui_);
    page.OnInitialUpdate();
    CJogButton* plus = page.PositiveButton();
    CJogButton* minus = page.NegativeButton();
    EXPECT_EQ(plus->text(), ">>");
    EXPECT_EQ(minus->text(), "<<");
    EXPECT_TRUE(plus->isEnabled());
    QTest::mousePress(plus, Qt::LeftButton);
    EXPECT_EQ(plus->text(), "MAN-P");
    EXPECT_TRUE(plus->Jogging());
    QTest::qWait(100);
    monitor_->clear();
    QTest::mouseRelease(plus, Qt::LeftButton);
    EXPECT_EQ(plus->text(), ">>");
    EXPECT_EQ(monitor_->controlwords(kNode), (std::vector<std::uint16_t>{271}));

    // The mode switch refused: the message, the button stays "<<", and its
    // release writes nothing.
    Control("abort 0x6061 0 0x06020000");
    QTest::mousePress(minus, Qt::LeftButton);
    EXPECT_EQ(minus->text(), "<<");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              Message(kMsgCantReadOperationMode, "Object does not exist in the object dictionary."));
    monitor_->clear();
    QTest::mouseRelease(minus, Qt::LeftButton);
    EXPECT_TRUE(monitor_->frames().empty());
    EXPECT_EQ(minus->text(), "<<");

    // Clearing the box takes the drive to its manual mode and disables both.
    Control("abort clear");
    page.findChild<QCheckBox*>(QStringLiteral("simulatedManual"))->setChecked(false);
    EXPECT_EQ(SimState("drive.mode"), "-1");
    EXPECT_FALSE(plus->isEnabled());
    EXPECT_FALSE(minus->isEnabled());
}

} // namespace
