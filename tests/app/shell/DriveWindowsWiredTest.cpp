// The program's drive windows wired end to end: the main frame's commands
// "&Motion Control..." and "Device &Status..." with their check marks, the
// windows following the drive through the document's status poll, and
// both closing when the document disconnects or closes - against
// ovro-drive-sim (K315, node 5, 500 kBit/s) on a private bus.
#include "WiredProgramFixture.h"
#include "ui/CommandIds.h"

#include "description/Commissioning.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "document/views/ChildFrame.h"
#include "operation/views/DriveWindows.h"
#include "operation/views/MotionView.h"
#include "operation/views/SecondFrame.h"
#include "operation/views/StatusView.h"
#include "operation/views/WndMotionControl.h"
#include "operation/views/WndPositionMode.h"
#include "settings/QSettingsStore.h"
#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

using namespace CommandId;

namespace {

class ConnectNode5 : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ovro::ConnectDeviceChoice choice;
        choice.result = ovro::ConnectDeviceChoice::Connect;
        choice.nodeId = 5;
        choice.baudRate = 2; // 500 kBit/s
        return choice;
    }
};

class DriveWindowsWiredTest : public WiredProgramFixture {
protected:
    DriveWindowsWiredTest()
        : WiredProgramFixture(Wiring{"drivewin", 5, 500, {1000, 750}, {.document = true, .motion = true, .status = true}})
    {
    }

    void SetUp() override
    {
        WiredProgramFixture::SetUp();
        if (host_)
            host_->SetChooser(&chooser_);
    }

    ovro::CQVTDoc* Connect()
    {
        frame_->Action(kConnect)->trigger();
        return host_->Document();
    }

    ConnectNode5 chooser_;
};

TEST_F(DriveWindowsWiredTest, CommandsOpenBothWindowsOnceWithCheckMarksAndDisconnectClosesThem)
{
    EXPECT_FALSE(Command(kMotionControl)->isEnabled()) << "no document";
    ovro::CQVTDoc* doc = Connect();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline()) << (ui_.messages.empty() ? "" : ui_.messages.front().text);
    EXPECT_TRUE(Command(kMotionControl)->isEnabled());
    EXPECT_TRUE(Command(kDeviceStatus)->isEnabled());
    EXPECT_TRUE(Command(kMotionControl)->isCheckable());

    Command(kMotionControl)->trigger();
    Command(kDeviceStatus)->trigger();
    CDriveWindows& windows = host_->DriveWindows();
    ASSERT_NE(windows.MotionControl(), nullptr);
    ASSERT_NE(windows.DeviceStatus(), nullptr);
    EXPECT_TRUE(Command(kMotionControl)->isChecked());
    EXPECT_TRUE(Command(kDeviceStatus)->isChecked());
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 3) << "parameter window and both drive windows";
    Command(kMotionControl)->trigger();
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 3);
    EXPECT_EQ(frame_->MdiArea()->activeSubWindow(), windows.MotionControl());

    Command(kDisconnect)->trigger();
    EXPECT_FALSE(doc->IsOnline());
    EXPECT_EQ(windows.MotionControl(), nullptr);
    EXPECT_EQ(windows.DeviceStatus(), nullptr);
    EXPECT_FALSE(Command(kMotionControl)->isChecked());
    EXPECT_FALSE(Command(kDeviceStatus)->isChecked());
    WindowPlacement placement;
    EXPECT_TRUE(ReadWindowPlacement(*store_, "MotionControl", placement));
    EXPECT_TRUE(ReadWindowPlacement(*store_, "DeviceStatus", placement));
}

TEST_F(DriveWindowsWiredTest, APositionStartMovesTheDriveAndBothWindowsFollowIt)
{
    ASSERT_NE(Connect(), nullptr);
    Command(kMotionControl)->trigger();
    Command(kDeviceStatus)->trigger();
    CDriveWindows& windows = host_->DriveWindows();
    auto* motion = qobject_cast<CMotionView*>(windows.MotionControl()->widget());
    auto* status = qobject_cast<CStatusView*>(windows.DeviceStatus()->widget());
    ASSERT_NE(motion, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return status->FieldText(QStringLiteral("deviceState")) == "Switch On Disabled"; },
                          3000))
        << status->FieldText(QStringLiteral("deviceState")).toStdString();

    frame_->MdiArea()->setActiveSubWindow(windows.MotionControl());
    QWidget* page = motion->Sheet()->PositionPage();
    page->findChild<QLineEdit*>(QStringLiteral("targetPosition"))->setText(QStringLiteral("2500"));
    page->findChild<QLineEdit*>(QStringLiteral("profileVelocity"))->setText(QStringLiteral("9000"));
    page->findChild<QPushButton*>(QStringLiteral("start"))->click();
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
    EXPECT_TRUE(WaitUntil([&] { return motion->FieldText(QStringLiteral("Actual Position:")) == "2500"; }, 5000))
        << motion->FieldText(QStringLiteral("Actual Position:")).toStdString();
    EXPECT_TRUE(WaitUntil([&] { return status->FieldText(QStringLiteral("deviceState")) == "Operation Enabled"; },
                          3000));
    EXPECT_EQ(status->ModeCaption(), "Profile Position Mode");
    EXPECT_EQ(status->FieldText(QStringLiteral("Actual Position:")), "2500");
}

TEST_F(DriveWindowsWiredTest, ClosingTheDocumentClosesItsDriveWindows)
{
    ASSERT_NE(Connect(), nullptr);
    Command(kDisconnect)->trigger();
    Command(kMotionControl)->trigger();
    Command(kDeviceStatus)->trigger();
    CDriveWindows& windows = host_->DriveWindows();
    ASSERT_NE(windows.MotionControl(), nullptr) << "an offline document has its windows too";
    host_->ChildFrame()->close();
    QTest::qWait(20);
    EXPECT_EQ(host_->Document(), nullptr);
    EXPECT_EQ(windows.MotionControl(), nullptr);
    EXPECT_EQ(windows.DeviceStatus(), nullptr);
    EXPECT_FALSE(Command(kMotionControl)->isEnabled());
    Command(kMotionControl)->trigger();
    EXPECT_EQ(windows.MotionControl(), nullptr) << "no document: nothing opens";
}

} // namespace
