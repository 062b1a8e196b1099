// The motion and status commands on a busy document, against the simulated
// drive: while a command runs (the document's own, or a page's whose
// message box lets the windows' input through) every command that starts
// something is refused without a frame or a message, the stops still go
// out, and a page's command keeps the document busy until it ends.
#include "OperationTestSupport.h"

#include <functional>

#include "canopen/CANopenNode.h"
#include "operation/DriveCommands.h"
#include "operation/FaultReset.h"
#include "operation/HomingMode.h"
#include "operation/ManualMode.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"

using namespace optest;

namespace {

// A user interface whose message box runs what the user does meanwhile.
class MessageLoopUi : public ScriptedUserInterface {
public:
    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override
    {
        ScriptedUserInterface::ShowMessage(severity, icon, text);
        if (meanwhile) {
            auto action = std::move(meanwhile);
            meanwhile = nullptr;
            action();
        }
    }
    std::function<void()> meanwhile;
};

class BusyGuardTest : public OperationSimTest {};

TEST_F(BusyGuardTest, WhileTheDocumentIsBusyOnlyTheStopsReachTheDrive)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode position(*drive_, ui_);
    ovro::CVelocityMode velocity(*drive_, ui_);
    ovro::CHomingMode homing(*drive_, ui_);
    ovro::CManualMode manual(*drive_, ui_);
    position.Open();
    velocity.Open();
    homing.Open();
    manual.Open();
    Control("fault 0x2310");
    monitor_->clear();
    {
        const ovro::CQVTDoc::BusyScope download(*doc_);
        ASSERT_TRUE(drive_->IsBusy());
        EXPECT_FALSE(position.Start());
        EXPECT_FALSE(velocity.Start());
        EXPECT_FALSE(homing.Start());
        EXPECT_FALSE(manual.StartJog(ovro::CManualMode::Direction::Positive));
        EXPECT_FALSE(manual.SetSimulated(false));
        EXPECT_FALSE(ovro::CFaultReset::Run(*drive_));
        ovro::CDriveCommands::ClearErrorList(*drive_);
        EXPECT_TRUE(monitor_->frames().empty()) << "nothing of the refused commands";
        EXPECT_TRUE(ui_.messages.empty());

        position.Stop();
        velocity.Stop();
        manual.StopJog();
        ovro::CDriveCommands::QuickStop(*drive_);
        EXPECT_EQ(monitor_->controlwords(kNode), (std::vector<std::uint16_t>{2, 271, 271, 2}));
        EXPECT_TRUE(drive_->IsBusy()) << "the stops leave the document's own mark";
    }
    EXPECT_FALSE(drive_->IsBusy());
    monitor_->clear();
    ovro::CFaultReset::Run(*drive_);
    const std::vector<std::uint16_t> reset = monitor_->controlwords(kNode);
    ASSERT_FALSE(reset.empty()) << "not busy: Reset Fault runs";
    EXPECT_EQ(reset.front(), 128);
}

TEST_F(BusyGuardTest, APagesCommandKeepsTheDocumentBusyWhileItsMessageIsShown)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    MessageLoopUi ui;
    ovro::CPositionMode position(*drive_, ui);
    ovro::CVelocityMode velocity(*drive_, ui);
    position.Open();
    velocity.Open();
    Control("abort 0x607A 0 0x08000020"); // the target position is refused
    bool busyMeanwhile = false;
    bool disconnectRefused = false;
    bool secondStart = true;
    std::vector<std::uint16_t> stopped;
    ui.meanwhile = [&] {
        busyMeanwhile = doc_->IsBusy();
        disconnectRefused = !doc_->OnDisconnect() && doc_->Node() != nullptr;
        monitor_->clear();
        secondStart = velocity.Start();
        velocity.Stop();
        stopped = monitor_->controlwords(kNode);
    };
    EXPECT_FALSE(position.Start());
    ASSERT_EQ(ui.messages.size(), 1u) << "the second start shows nothing";
    EXPECT_TRUE(busyMeanwhile) << "closing and Interface > Initialize wait meanwhile";
    EXPECT_TRUE(disconnectRefused) << "the running Start still uses the node";
    EXPECT_FALSE(secondStart);
    EXPECT_EQ(stopped, (std::vector<std::uint16_t>{271})) << "only the halt of the velocity page's Stop";
    EXPECT_FALSE(doc_->IsBusy());

    Control("abort clear");
    EXPECT_TRUE(velocity.Start()) << "afterwards the page starts again";
    velocity.Stop();
}

} // namespace
