// The program's drive windows wired end to end: the main frame's commands
// "&Motion Control..." and "Device &Status..." with their check marks, the
// windows following the drive through the document's status poll, and
// both closing when the document disconnects or closes - against
// ovro-drive-sim (K315, node 5, 500 kBit/s) on a private bus.
#include "QVTApp.h"
#include "ScriptedUserInterface.h"
#include "SimProcess.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"
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

class DriveWindowsWiredTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const std::string directory = dir_.path().toStdString();
        ::setenv("OVRO_CANBUS_DIR", directory.c_str(), 1);
        ::setenv("OVRO_CAN_CHANNEL", "virtual:drivewin", 1);
        store_ = std::make_unique<QSettingsStore>(dir_.filePath(QStringLiteral("Ovro-QVT.ini")));
        store_->WriteString("Interface", "Vendor", "PEAK-System Technik");
        store_->WriteString("Interface", "Board", "PEAK PCAN-USB");
        store_->WriteString("Interface", "Baudrate", "500");
        if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
            GTEST_SKIP() << "ovro-drive-sim is not built";
        ASSERT_TRUE(sim_.start(directory, {"--model", "K315", "--node-id", "5", "--bitrate", "500", "--bus",
                                           "drivewin", "--eeprom", directory + "/drive.eeprom", "--description",
                                           std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml"}))
            << sim_.log();
        const std::string program = dir_.filePath(QStringLiteral("program")).toStdString();
        std::filesystem::create_directories(program);
        std::filesystem::copy_file(std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml", program + "/Ovro-QVT.xml");
        app_ = std::make_unique<CQVTApp>(*store_, ui_, description_);
        ASSERT_TRUE(app_->StartUp(program));
        app_->OpenInterface();
        ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
        CCommandState::Features features;
        features.document = true;
        features.motion = true;
        features.status = true;
        frame_ = std::make_unique<CMainFrame>(*app_, ui_, features);
        frame_->resize(1000, 750);
        frame_->show();
        host_ = std::make_unique<CDocumentHost>(*app_, *frame_, ui_);
        host_->SetChooser(&chooser_);
    }

    void TearDown() override
    {
        host_.reset();
        frame_.reset();
        if (app_)
            app_->ExitInstance();
        app_.reset();
        sim_.stop();
        ::unsetenv("OVRO_CAN_CHANNEL");
        ::unsetenv("OVRO_CANBUS_DIR");
    }

    ovro::CQVTDoc* Connect()
    {
        frame_->Action(kConnect)->trigger();
        return host_->Document();
    }

    QAction* Command(unsigned command) const { return frame_->Action(command); }

    // Lets the event loop run until check() holds, at most ms.
    static bool WaitUntil(const std::function<bool()>& check, int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (!check()) {
            if (timer.elapsed() > ms)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

    QTemporaryDir dir_;
    ovro::test::SimProcess sim_;
    std::unique_ptr<QSettingsStore> store_;
    ScriptedUserInterface ui_;
    ConnectNode5 chooser_;
    ovro::CCommissioning description_;
    std::unique_ptr<CQVTApp> app_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CDocumentHost> host_;
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
