// The four motion pages, the jog button and Reset Fault against the
// simulated drive: the SDO requests on the bus, in their order, and what
// the drive does.
#include "OperationTestSupport.h"

#include <chrono>
#include <thread>

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "operation/FaultReset.h"
#include "operation/HomingMode.h"
#include "operation/JogButtonState.h"
#include "operation/ManualMode.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"
#include "ui/MessageIds.h"

using namespace optest;

namespace {

// What the enable sequence sends to a drive in 'Switch On Disabled'.
const std::vector<Request> kEnableFromSwitchOnDisabled = {
    R(0x6041), W16(0x6040, 6), R(0x6041), W16(0x6040, 7), R(0x6041), W16(0x6040, 15), R(0x6041)};
// ... and to one in 'Operation Enabled'.
const std::vector<Request> kEnabled = {R(0x6041)};

std::vector<Request> Join(std::vector<Request> a, const std::vector<Request>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class MotionPagesTest : public OperationSimTest {
protected:
    void ExpectRequests(const std::vector<Request>& expected)
    {
        const std::vector<Request> sent = monitor_->sdoRequests(kNode);
        EXPECT_EQ(sent, expected) << "sent:     " << BusMonitor::text(sent)
                                  << "\nexpected: " << BusMonitor::text(expected);
    }
};

TEST_F(MotionPagesTest, PositionStartFromSwitchOnDisabledEnablesMovesAndRemembers)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    ovro::CPositionMode::Fields& f = page.Values();
    f.targetPosition = 3000;
    f.relative = false;
    f.velocity = 10000;
    f.acceleration = 200000;
    f.deceleration = 200000;
    f.maxCurrent = 800;
    monitor_->clear();
    ASSERT_TRUE(page.Start());
    EXPECT_TRUE(TakeMessages().empty());
    // The drive is in profile position mode already: no mode write.
    ExpectRequests(Join(kEnableFromSwitchOnDisabled,
                        {R(0x6061), W32(0x6081, 10000), W32(0x6083, 200000), W32(0x6084, 200000),
                         W16(0x6073, 800), W32(0x607A, 3000), W8(0x1003, 0), W16(0x6040, 31), W16(0x6040, 15)}));
    ASSERT_TRUE(WaitForStatus(0x0400, 5000)) << "target reached";
    EXPECT_EQ(SimState("drive.position"), "3000");

    const ovro::MotionMemory::PositionPage& m = doc_->Device()->motion.position;
    EXPECT_FALSE(m.readFromDrive);
    EXPECT_EQ(m.targetPosition, 3000);
    EXPECT_EQ(m.profileVelocity, 10000u);
    EXPECT_EQ(m.maxCurrent, 800u);
    EXPECT_EQ(m.relative, 0);
}

TEST_F(MotionPagesTest, RelativeAndAbsolutePositioningUseTheirControlwords)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    page.Values().velocity = 10000;
    page.Values().acceleration = 500000;
    page.Values().deceleration = 500000;
    page.Values().maxCurrent = 1000;
    const struct {
        const char* name;
        bool relative;
        std::int32_t target;
        std::vector<std::uint16_t> controlwords; // after the enable sequence
        const char* position;
    } rows[] = {
        {"absolute", false, 1000, {31, 15}, "1000"},
        {"relative", true, 500, {95, 15}, "1500"},
        {"relative back", true, -2000, {95, 15}, "-500"},
        {"absolute again", false, 0, {31, 15}, "0"},
    };
    for (const auto& row : rows) {
        page.Values().relative = row.relative;
        page.Values().targetPosition = row.target;
        monitor_->clear();
        ASSERT_TRUE(page.Start()) << row.name;
        std::vector<std::uint16_t> written = monitor_->controlwords(kNode);
        // The first start walks the enable sequence; later ones find it done.
        if (written.size() > 2)
            written.erase(written.begin(), written.end() - 2);
        EXPECT_EQ(written, row.controlwords) << row.name;
        ASSERT_TRUE(WaitForStatus(0x0400, 5000)) << row.name;
        EXPECT_EQ(SimState("drive.position"), row.position) << row.name;
        EXPECT_EQ(doc_->Device()->motion.position.relative, row.relative ? 1 : 0) << row.name;
    }
}

TEST_F(MotionPagesTest, UserDefinedProfileWritesOnlyTheProfileNumberAndTheTarget)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    page.Values().userProfile = true;
    page.Values().profileSelection = 3; // profile 4
    page.Values().targetPosition = 8000;
    ASSERT_TRUE(page.Start());
    monitor_->clear();
    // Once more, now that the drive is enabled and in mode -2.
    page.Values().targetPosition = 0;
    ASSERT_TRUE(page.Start());
    ExpectRequests(Join(kEnabled, {R(0x6061), W8(0x2007, 4), W32(0x607A, 0), W8(0x1003, 0), W16(0x6040, 31),
                                   W16(0x6040, 15)}));
    EXPECT_EQ(SimState("drive.mode"), "-2");
    EXPECT_EQ(doc_->Device()->motion.position.profileNumber, 4);
    EXPECT_EQ(doc_->Device()->motion.position.userProfile, 1);
}

TEST_F(MotionPagesTest, TheFirstUserDefinedStartSwitchesToTheManufacturerMode)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    page.Values().userProfile = true;
    page.Values().profileSelection = -1; // none: the profile number stands
    page.Values().profileNumber = 2;
    page.Values().targetPosition = 100;
    monitor_->clear();
    ASSERT_TRUE(page.Start());
    ExpectRequests(Join(kEnableFromSwitchOnDisabled, {R(0x6061), W8(0x6060, 0xFE), W8(0x2007, 2),
                                                      W32(0x607A, 100), W8(0x1003, 0), W16(0x6040, 31),
                                                      W16(0x6040, 15)}));
}

TEST_F(MotionPagesTest, PositionPageOpensWithTheDrivesValuesThenWithItsOwn)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("abort 0x6081 0 0x06020000");
    ovro::CPositionMode page(*drive_, ui_);
    monitor_->clear();
    page.Open();
    ExpectRequests({R(0x6061), R(0x607A), R(0x6081), R(0x6083), R(0x6084), R(0x6073), R(0x2007)});
    const ovro::CPositionMode::Fields& f = page.Values();
    EXPECT_EQ(f.mode, 1);
    EXPECT_EQ(f.velocity, 0u) << "an unreadable value is 0";
    EXPECT_EQ(f.acceleration, ReadDrive(0x6083));
    EXPECT_EQ(f.maxCurrent, ReadDrive(0x6073));
    EXPECT_EQ(f.profileNumber, 1);
    EXPECT_FALSE(f.userProfile);
    EXPECT_TRUE(page.ProfileFieldsEnabled());
    EXPECT_FALSE(page.ProfileListEnabled());
    Control("abort clear");

    page.Values().userProfile = true;
    page.Values().profileSelection = 6;
    page.Values().targetPosition = 10;
    ASSERT_TRUE(page.Start());
    // Reopened after a start: MotionMemory, no bus traffic.
    ovro::CPositionMode again(*drive_, ui_);
    monitor_->clear();
    again.Open();
    EXPECT_TRUE(monitor_->sdoRequests(kNode).empty());
    EXPECT_TRUE(again.Values().userProfile);
    EXPECT_EQ(again.Values().mode, -2);
    EXPECT_EQ(again.ProfileListEntry(), 6);
    EXPECT_FALSE(again.ProfileFieldsEnabled());
    EXPECT_TRUE(again.ProfileListEnabled());
}

TEST_F(MotionPagesTest, VelocityStartRunsTheDriveAndStopHalts)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CVelocityMode page(*drive_, ui_);
    monitor_->clear();
    page.Open();
    ExpectRequests({R(0x6061), R(0x60FF), R(0x6083), R(0x6084), R(0x6073), R(0x2007)});
    page.Values().targetVelocity = -4000;
    page.Values().acceleration = 400000;
    page.Values().deceleration = 400000;
    page.Values().maxCurrent = 900;
    monitor_->clear();
    ASSERT_TRUE(page.Start());
    EXPECT_TRUE(TakeMessages().empty());
    ExpectRequests(Join(kEnableFromSwitchOnDisabled,
                        {R(0x6061), W8(0x6060, 3), W32(0x6083, 400000), W32(0x6084, 400000), W16(0x6073, 900),
                         W32(0x60FF, static_cast<std::uint32_t>(-4000)), W8(0x1003, 0), W16(0x6040, 15)}));
    // The drive's status bit 10 stands for the velocity it ran at before
    // the new target velocity took effect in its next cycle: the speed
    // tells when the new one is reached.
    ASSERT_TRUE(sim_.waitForState("drive.velocity", "-4000", 3000)) << SimState("drive.velocity");
    EXPECT_TRUE(WaitForStatus(0x0400, 0)) << "velocity reached";
    EXPECT_FALSE(doc_->Device()->motion.velocity.readFromDrive);
    EXPECT_EQ(doc_->Device()->motion.velocity.targetVelocity, -4000);

    monitor_->clear();
    page.Stop();
    ExpectRequests({W16(0x6040, 271)});
    ASSERT_TRUE(sim_.waitForState("drive.velocity", "0", 3000)) << SimState("drive.velocity");
    EXPECT_TRUE(WaitForStatus(0x0400, 0)) << "halted";
}

TEST_F(MotionPagesTest, HomingPositionAssignmentWritesTheValueBeforeTheMethod)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CHomingMode page(*drive_, ui_);
    page.Open();
    ASSERT_FALSE(page.Methods().empty());
    EXPECT_EQ(page.Methods().front().text, "-1 - Position assignment (no movement)");
    page.Values().selection = 0;
    page.Values().assignPosition = 4711;
    monitor_->clear();
    ASSERT_TRUE(page.Start());
    // No enable sequence for the assignment.
    ExpectRequests({R(0x6061), W8(0x6060, 6), W32(0x200B, 4711), W8(0x6098, 0xFF), W16(0x6040, 31)});
    EXPECT_EQ(SimState("drive.position"), "4711");
    EXPECT_EQ(SimState("drive.referenced"), "1");
    EXPECT_EQ(doc_->Device()->motion.homing.homingMethod, -1);
    EXPECT_EQ(doc_->Device()->motion.homing.assignPosition, 4711);
    EXPECT_FALSE(doc_->Device()->motion.homing.readFromDrive);
}

TEST_F(MotionPagesTest, HomingRunEnablesWritesTheMethodAndStartsAndStopQuickStops)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CHomingMode page(*drive_, ui_);
    page.Open();
    int entry = -1;
    for (std::size_t i = 0; i < page.Methods().size(); ++i)
        if (page.Methods()[i].method == 35)
            entry = static_cast<int>(i);
    ASSERT_GE(entry, 0) << "method 35 in the description";
    page.Values().selection = entry;
    monitor_->clear();
    ASSERT_TRUE(page.Start());
    ExpectRequests(Join(kEnableFromSwitchOnDisabled,
                        {R(0x6061), W8(0x6060, 6), W8(0x6098, 35), W8(0x1003, 0), W16(0x6040, 31)}));
    ASSERT_TRUE(WaitForStatus(0x1400, 3000)) << "homing attained";
    monitor_->clear();
    page.Stop();
    ExpectRequests({W16(0x6040, 2)});
    EXPECT_EQ(SimState("drive.state"), "SwitchOnDisabled") << "quick stop of a standing drive";
}

TEST_F(MotionPagesTest, HomingPageFollowsTheHomingListObject)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CHomingMode page(*drive_, ui_);
    monitor_->clear();
    page.Open();
    ExpectRequests({R(0x6061), R(0x6510, 0x0A), R(0x6098)});
    // The K315's factory values: the method list applies, method 17 (found
    // searching from the last entry down), no position to assign.
    EXPECT_TRUE(page.ListEnabled());
    EXPECT_EQ(page.SelectedMethod(), 17);
    EXPECT_FALSE(page.AssignEnabled());

    ASSERT_TRUE(doc_->Node()->WriteU8(0x6510, 0x0A, 0));
    ASSERT_TRUE(doc_->Node()->WriteU8(0x6098, 0, 0xFF));
    ovro::CHomingMode assignOnly(*drive_, ui_);
    assignOnly.Open();
    EXPECT_FALSE(assignOnly.ListEnabled());
    EXPECT_TRUE(assignOnly.AssignEnabled());
    EXPECT_EQ(assignOnly.Values().selection, 0) << "method -1";

    ASSERT_TRUE(doc_->Node()->WriteU8(0x6510, 0x0A, 1));
    ovro::CHomingMode listed(*drive_, ui_);
    listed.Open();
    EXPECT_TRUE(listed.ListEnabled());
    EXPECT_TRUE(listed.AssignEnabled()) << "method -1";
    listed.Values().selection = 1;
    EXPECT_FALSE(listed.AssignEnabled());
}

TEST_F(MotionPagesTest, ManualBoxClearedSwitchesToManualModeAndSetNeedsNothing)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CManualMode page(*drive_, ui_);
    page.Open();
    EXPECT_TRUE(page.Simulated()) << "mode 1 is not the manual mode";
    EXPECT_TRUE(page.JogEnabled());
    monitor_->clear();
    page.SetSimulated(false);
    ExpectRequests({R(0x6061), W8(0x6060, 0xFF)});
    EXPECT_FALSE(page.Simulated());
    EXPECT_FALSE(page.JogEnabled());
    EXPECT_EQ(SimState("drive.mode"), "-1");
    EXPECT_EQ(doc_->Device()->motion.manual.simulatedMode, 0);
    EXPECT_FALSE(doc_->Device()->motion.manual.readFromDrive);
    monitor_->clear();
    page.SetSimulated(false);
    ExpectRequests({R(0x6061)}); // in manual mode already
    monitor_->clear();
    page.SetSimulated(true);
    EXPECT_TRUE(monitor_->sdoRequests(kNode).empty());
    EXPECT_TRUE(page.JogEnabled());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(MotionPagesTest, ManualBoxRefusedStaysSetWithItsMessage)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CManualMode page(*drive_, ui_);
    page.Open();
    Control("abort 0x6060 0 0x06090030");
    page.SetSimulated(false);
    EXPECT_TRUE(page.Simulated());
    EXPECT_TRUE(page.JogEnabled());
    EXPECT_EQ(TakeMessages(), (std::vector<std::string>{
                                  Message(kMsgCantSwitchMode, "Manual Mode", "Value range of parameter exceeded (only for write access).")}));
    Control("abort 0x6061 0 0x06020000");
    page.SetSimulated(false);
    EXPECT_TRUE(page.Simulated());
    EXPECT_EQ(TakeMessages(),
              (std::vector<std::string>{Message(kMsgCantReadOperationMode, "Object does not exist in the object dictionary.")}));
}

TEST_F(MotionPagesTest, JogButtonJogsWhileHeldAndHaltsOnRelease)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CManualMode page(*drive_, ui_);
    page.Open();
    ovro::CJogButtonState plus(ovro::CJogButtonState::Direction::Positive);
    ovro::CJogButtonState minus; // a new button jogs negative
    EXPECT_STREQ(plus.Caption(), ">>");
    EXPECT_STREQ(minus.Caption(), "<<");

    monitor_->clear();
    ASSERT_TRUE(plus.Press(&page, true));
    EXPECT_STREQ(plus.Caption(), "MAN-P");
    ExpectRequests(Join(kEnableFromSwitchOnDisabled, {R(0x6061), W8(0x6060, 0xFD), W8(0x1003, 0), W16(0x6040, 31)}));
    EXPECT_FALSE(plus.Press(&page, true)) << "jogging already";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(std::stoul(SimState("drive.velocity")), 0u);
    monitor_->clear();
    plus.Release(&page);
    EXPECT_STREQ(plus.Caption(), ">>");
    ExpectRequests({W16(0x6040, 271)});

    monitor_->clear();
    ASSERT_TRUE(minus.Press(&page, true));
    EXPECT_STREQ(minus.Caption(), "MAN-N");
    ExpectRequests({R(0x6041), R(0x6061), W8(0x1003, 0), W16(0x6040, 47)});
    minus.Release(&page);
    EXPECT_FALSE(minus.Jogging());
    EXPECT_EQ(doc_->Device()->motion.manual.simulatedMode, 1);
}

TEST_F(MotionPagesTest, JogWhoseModeSwitchIsRefusedStaysIdleAndItsReleaseWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CManualMode page(*drive_, ui_);
    page.Open();
    Control("abort 0x6060 0 0x06090030");
    ovro::CJogButtonState plus(ovro::CJogButtonState::Direction::Positive);
    EXPECT_FALSE(plus.Press(&page, true));
    EXPECT_STREQ(plus.Caption(), ">>");
    EXPECT_EQ(TakeMessages(), (std::vector<std::string>{Message(kMsgCantSwitchMode, "Simulated Manual Mode",
                                                                "Value range of parameter exceeded (only for write access).")}));
    monitor_->clear();
    plus.Release(&page);
    EXPECT_TRUE(monitor_->frames().empty());
    EXPECT_STREQ(plus.Caption(), ">>");
    // Nor does a press without a node.
    EXPECT_FALSE(plus.Press(&page, false));
    EXPECT_TRUE(monitor_->frames().empty());
}

TEST_F(MotionPagesTest, ResetFaultAcknowledgesReadsBackAndClearsTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("fault 0x2310");
    PollCycle();
    ASSERT_NE(doc_->Device()->actual.statusword & 0x0008, 0);
    ASSERT_NE(ReadDrive(0x1003, 0), 0u) << "the fault is in the history";
    monitor_->clear();
    EXPECT_TRUE(ovro::CFaultReset::Run(*drive_));
    ExpectRequests({W16(0x6040, 128), R(0x6041), R(0x1002), W8(0x1003, 0)});
    EXPECT_EQ(doc_->Device()->actual.statusword & 0x4F, 0x40);
    EXPECT_EQ(doc_->Device()->actual.statusRegister & 0x80000000u, 0u);
    EXPECT_EQ(ReadDrive(0x1003, 0), 0u);
    EXPECT_TRUE(TakeMessages().empty()) << "nothing is reported";
}

TEST_F(MotionPagesTest, ResetFaultThatDoesNotHelpLeavesTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("fault 0x2310");
    Control("abort 0x6040 0 0x08000022");
    monitor_->clear();
    EXPECT_FALSE(ovro::CFaultReset::Run(*drive_));
    ExpectRequests({W16(0x6040, 128)});
    Control("abort clear");
    Control("abort 0x1002 0 0x08000020");
    monitor_->clear();
    EXPECT_FALSE(ovro::CFaultReset::Run(*drive_));
    ExpectRequests({W16(0x6040, 128), R(0x6041), R(0x1002)});
    EXPECT_NE(ReadDrive(0x1003, 0), 0u);
    EXPECT_TRUE(TakeMessages().empty());
}

} // namespace
