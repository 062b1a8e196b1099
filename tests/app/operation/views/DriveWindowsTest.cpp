// The drive windows in a main window's MDI area, offscreen: the open-or-
// activate rule with its check marks, the placement records, the pages of
// each model, and closing them all.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "../OperationTestSupport.h"
#include "description/QVTDevice.h"
#include "operation/views/DlgMotionProfileLimits.h"
#include "operation/views/DlgSoftwarePositionLimits.h"
#include "operation/views/DriveWindows.h"
#include "operation/views/MotionView.h"
#include "operation/views/SecondFrame.h"
#include "operation/views/StatusView.h"
#include "operation/views/WndMotionControl.h"
#include "operation/views/WndVelocityMode.h"
#include "settings/MemorySettingsStore.h"
#include "settings/WindowPlacement.h"

using namespace optest;

namespace {

class DriveWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device_ = *Description().GetDevice(2);
        doc_.device = &device_;
        main_.setCentralWidget(mdi_);
        main_.resize(1000, 700);
        main_.show();
        motionCommand_ = new QAction(QStringLiteral("&Motion Control..."), &main_);
        statusCommand_ = new QAction(QStringLiteral("Device &Status..."), &main_);
        windows_ = new CDriveWindows(*mdi_, settings_, ui_, main_);
        windows_->SetCommands(motionCommand_, statusCommand_);
        windows_->SetScreenSize(QSize(1024, 768));
        windows_->SetDocument(&doc_);
    }

    void TearDown() override
    {
        delete windows_;
        QApplication::processEvents();
    }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    ovro::CQVTDevice device_;
    FakeDriveDocument doc_;
    ScriptedUserInterface ui_;
    MemorySettingsStore settings_;
    QMainWindow main_;
    QMdiArea* mdi_ = new QMdiArea;
    QAction* motionCommand_ = nullptr;
    QAction* statusCommand_ = nullptr;
    CDriveWindows* windows_ = nullptr;
};

TEST_F(DriveWindowsTest, MotionControlOpensOnceAndIsActivatedOrRestoredAfterwards)
{
    EXPECT_FALSE(motionCommand_->isChecked());
    motionCommand_->trigger();
    CSecondFrame* frame = windows_->MotionControl();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), "Motion Control");
    EXPECT_NE(qobject_cast<CMotionView*>(frame->widget()), nullptr);
    EXPECT_TRUE(motionCommand_->isChecked());
    EXPECT_EQ(mdi_->subWindowList().size(), 1);

    statusCommand_->trigger();
    ASSERT_NE(windows_->DeviceStatus(), nullptr);
    EXPECT_EQ(mdi_->activeSubWindow(), windows_->DeviceStatus());
    EXPECT_TRUE(statusCommand_->isChecked());

    // Open already: activated, not made twice.
    motionCommand_->trigger();
    EXPECT_EQ(windows_->MotionControl(), frame);
    EXPECT_EQ(mdi_->activeSubWindow(), frame);
    EXPECT_EQ(mdi_->subWindowList().size(), 2);

    // Minimised: restored.
    frame->showMinimized();
    Settle();
    ASSERT_TRUE(frame->isMinimized());
    motionCommand_->trigger();
    Settle();
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_EQ(windows_->MotionControl(), frame);
    EXPECT_EQ(mdi_->subWindowList().size(), 2);

    // Closing clears the mark and stops the view's timer.
    QTimer* timer = qobject_cast<CMotionView*>(frame->widget())->RefreshTimer();
    EXPECT_TRUE(timer->isActive());
    frame->close();
    EXPECT_FALSE(timer->isActive());
    Settle();
    EXPECT_EQ(windows_->MotionControl(), nullptr);
    EXPECT_FALSE(motionCommand_->isChecked());
    EXPECT_TRUE(statusCommand_->isChecked());
    motionCommand_->trigger();
    EXPECT_NE(windows_->MotionControl(), nullptr) << "opens afresh";
}

TEST_F(DriveWindowsTest, WithoutADocumentNothingOpens)
{
    windows_->SetDocument(nullptr);
    motionCommand_->trigger();
    statusCommand_->trigger();
    EXPECT_EQ(windows_->MotionControl(), nullptr);
    EXPECT_EQ(windows_->DeviceStatus(), nullptr);
    EXPECT_FALSE(motionCommand_->isChecked());
    EXPECT_FALSE(statusCommand_->isChecked());
}

TEST_F(DriveWindowsTest, PlacementRecordsAreWrittenOnCloseAndRestored)
{
    motionCommand_->trigger();
    CSecondFrame* frame = windows_->MotionControl();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->size(), QSize(800, 480)) << "the default on a 1024 x 768 screen";
    frame->setGeometry(30, 40, 500, 300);
    frame->close();
    Settle();
    WindowPlacement p;
    ASSERT_TRUE(ReadWindowPlacement(settings_, "MotionControl", p));
    EXPECT_EQ(p.showCmd, 1u);
    EXPECT_EQ(p.left, 30);
    EXPECT_EQ(p.top, 40);
    EXPECT_EQ(p.right, 530);
    EXPECT_EQ(p.bottom, 340);
    EXPECT_FALSE(ReadWindowPlacement(settings_, "DeviceStatus", p));

    motionCommand_->trigger();
    frame = windows_->MotionControl();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), QRect(30, 40, 500, 300));

    // A maximised window writes "ChildFrame" and leaves its own record.
    frame->showMaximized();
    Settle();
    frame->close();
    Settle();
    ASSERT_TRUE(ReadWindowPlacement(settings_, "ChildFrame", p));
    EXPECT_EQ(p.showCmd, 3u);
    ASSERT_TRUE(ReadWindowPlacement(settings_, "MotionControl", p));
    EXPECT_EQ(p.showCmd, 1u);
    EXPECT_EQ(p.left, 30);

    // A record of a minimised window: the window starts minimised.
    WriteWindowPlacement(settings_, "DeviceStatus", {0, 2, -1, -1, -1, -1, 10, 20, 410, 320});
    statusCommand_->trigger();
    Settle();
    ASSERT_NE(windows_->DeviceStatus(), nullptr);
    EXPECT_TRUE(windows_->DeviceStatus()->isMinimized());
}

TEST_F(DriveWindowsTest, SmallScreensAndAMaximisedChildOpenMaximised)
{
    windows_->SetScreenSize(QSize(640, 480));
    statusCommand_->trigger();
    Settle();
    ASSERT_NE(windows_->DeviceStatus(), nullptr);
    EXPECT_TRUE(windows_->DeviceStatus()->isMaximized());
    windows_->SetScreenSize(QSize(1280, 1024));
    // The active child is maximised: so is the new window.
    motionCommand_->trigger();
    Settle();
    ASSERT_NE(windows_->MotionControl(), nullptr);
    EXPECT_TRUE(windows_->MotionControl()->isMaximized());
}

TEST_F(DriveWindowsTest, TheVelocityPageIsLeftOutForModelOne)
{
    doc_.model = 1;
    CWndMotionControl h315(doc_, ui_);
    ASSERT_EQ(h315.count(), 3);
    EXPECT_EQ(h315.VelocityPage(), nullptr);
    EXPECT_EQ(h315.tabText(0), "Position Mode");
    EXPECT_EQ(h315.tabText(1), "Homing Mode");
    EXPECT_EQ(h315.tabText(2), "Manual Mode");
    doc_.model = 2;
    CWndMotionControl k315(doc_, ui_);
    ASSERT_EQ(k315.count(), 4);
    EXPECT_NE(k315.VelocityPage(), nullptr);
    EXPECT_EQ(k315.widget(1), k315.VelocityPage());
}

TEST_F(DriveWindowsTest, LimitsWindowsOpenBesideTheFrameAndCloseWithTheRest)
{
    motionCommand_->trigger();
    statusCommand_->trigger();
    auto* view = qobject_cast<CMotionView*>(windows_->MotionControl()->widget());
    ASSERT_NE(view, nullptr);
    view->findChild<QPushButton*>(QStringLiteral("motionProfileLimits"))->click();
    CDlgMotionProfileLimits* profile = windows_->MotionProfileLimits();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->FieldText(QStringLiteral("Max. Profile Velocity:")), "????") << "no node";
    const QRect frame = main_.frameGeometry();
    EXPECT_EQ(profile->x(), frame.x() + frame.width() - 10 - profile->width());
    EXPECT_EQ(profile->y(), frame.y() + profile->height() - 30);
    view->findChild<QPushButton*>(QStringLiteral("softwarePositionLimits"))->click();
    CDlgSoftwarePositionLimits* position = windows_->SoftwarePositionLimits();
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->y(), frame.y() + 2 * position->height() - 25) << "below the other one";
    EXPECT_EQ(position->RowText(QStringLiteral("Position Limits:")), "-?????????? to +??????????");
    // Pressed again: the same window.
    view->findChild<QPushButton*>(QStringLiteral("motionProfileLimits"))->click();
    EXPECT_EQ(windows_->MotionProfileLimits(), profile);

    EXPECT_TRUE(windows_->CloseAll());
    Settle();
    EXPECT_EQ(windows_->MotionControl(), nullptr);
    EXPECT_EQ(windows_->DeviceStatus(), nullptr);
    EXPECT_EQ(windows_->MotionProfileLimits(), nullptr);
    EXPECT_EQ(windows_->SoftwarePositionLimits(), nullptr);
    EXPECT_FALSE(motionCommand_->isChecked());
    EXPECT_FALSE(statusCommand_->isChecked());
    EXPECT_TRUE(mdi_->subWindowList().isEmpty());
}

TEST_F(DriveWindowsTest, TheInfoButtonOpensDeviceStatusAndTimersRunWhileOpen)
{
    motionCommand_->trigger();
    auto* view = qobject_cast<CMotionView*>(windows_->MotionControl()->widget());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->RefreshTimer()->isActive());
    EXPECT_EQ(view->RefreshTimer()->interval(), 100);
    view->findChild<QPushButton*>(QStringLiteral("deviceStatus"))->click();
    ASSERT_NE(windows_->DeviceStatus(), nullptr);
    auto* status = qobject_cast<CStatusView*>(windows_->DeviceStatus()->widget());
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->RefreshTimer()->isActive());
    EXPECT_EQ(status->RefreshTimer()->interval(), 100);
}

TEST_F(DriveWindowsTest, WhileACommandRunsTheDriveWindowsStayOpen)
{
    motionCommand_->trigger();
    statusCommand_->trigger();
    ASSERT_NE(windows_->MotionControl(), nullptr);
    ASSERT_NE(windows_->DeviceStatus(), nullptr);
    doc_.busy = 1; // a page's Start shows a message, say
    EXPECT_FALSE(windows_->MotionControl()->close());
    EXPECT_FALSE(windows_->DeviceStatus()->close());
    Settle();
    EXPECT_NE(windows_->MotionControl(), nullptr);
    EXPECT_NE(windows_->DeviceStatus(), nullptr);
    EXPECT_TRUE(motionCommand_->isChecked());
    EXPECT_EQ(mdi_->subWindowList().size(), 2);

    // The document's own close goes through: the command that runs (a
    // firmware update) is the one closing them.
    EXPECT_TRUE(windows_->CloseAll());
    Settle();
    EXPECT_EQ(windows_->MotionControl(), nullptr);
    EXPECT_EQ(windows_->DeviceStatus(), nullptr);
    EXPECT_FALSE(motionCommand_->isChecked());
    doc_.busy = 0;
}

} // namespace
