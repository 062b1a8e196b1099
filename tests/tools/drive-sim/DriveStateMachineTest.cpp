#include "DriveStateMachine.h"

#include <gtest/gtest.h>

namespace {
constexpr int16_t kStay = DriveStateMachine::QuickStopStay;
constexpr int16_t kDisable = DriveStateMachine::QuickStopToDisabled;

// The operator's program names states by these masks.
uint16_t masked(const DriveStateMachine& sm, uint16_t mask) { return sm.statusBits() & mask; }

DriveStateMachine enabled()
{
    DriveStateMachine sm;
    sm.initialised();
    sm.command(0x0006, kStay);
    sm.command(0x0007, kStay);
    sm.command(0x000F, kStay);
    return sm;
}

TEST(DriveStateMachine, EnableSequenceWalksTheStatesTheProgramExpects)
{
    DriveStateMachine sm;
    EXPECT_EQ(masked(sm, 0x4F), 0x00);  // Not Ready to Switch On
    sm.initialised();
    EXPECT_EQ(masked(sm, 0x4F), 0x40);  // Switch On Disabled
    EXPECT_EQ(sm.command(0x000F, kStay), DriveAction::None);
    EXPECT_EQ(sm.state(), DriveState::SwitchOnDisabled) << "enable needs a shutdown first";
    sm.command(0x0006, kStay);
    EXPECT_EQ(masked(sm, 0x6F), 0x21);
    sm.command(0x0007, kStay);
    EXPECT_EQ(masked(sm, 0x6F), 0x23);
    EXPECT_FALSE(sm.operationEnabled());
    EXPECT_EQ(sm.command(0x000F, kStay), DriveAction::EnableMotion);
    EXPECT_EQ(masked(sm, 0x6F), 0x27);
    // the start bits keep it enabled
    for (uint16_t cw : {0x001F, 0x002F, 0x005F, 0x010F}) {
        EXPECT_EQ(sm.command(cw, kStay), DriveAction::None) << std::hex << cw;
        EXPECT_TRUE(sm.operationEnabled()) << std::hex << cw;
    }
}

TEST(DriveStateMachine, LeavingOperationEnabledTurnsThePowerStageOff)
{
    struct Case { uint16_t cw; DriveState to; };
    for (const Case c : {Case{0x0007, DriveState::SwitchedOn}, Case{0x0006, DriveState::ReadyToSwitchOn},
                         Case{0x0000, DriveState::SwitchOnDisabled}}) {
        DriveStateMachine sm = enabled();
        EXPECT_EQ(sm.command(c.cw, kStay), DriveAction::PowerOff) << std::hex << c.cw;
        EXPECT_EQ(sm.state(), c.to);
        EXPECT_EQ(sm.powered(), c.to == DriveState::SwitchedOn);
    }
}

TEST(DriveStateMachine, QuickStopStaysOrDisablesByOptionCode)
{
    DriveStateMachine sm = enabled();
    EXPECT_EQ(sm.command(0x0002, kStay), DriveAction::QuickStop);
    EXPECT_EQ(masked(sm, 0x6F), 0x07);
    sm.stopped(kStay);
    EXPECT_EQ(sm.state(), DriveState::QuickStopActive);
    EXPECT_EQ(sm.command(0x000F, kStay), DriveAction::EnableMotion) << "0x0F re-enables directly";
    EXPECT_TRUE(sm.operationEnabled());

    sm.command(0x0002, kDisable);
    sm.stopped(kDisable);
    EXPECT_EQ(sm.state(), DriveState::SwitchOnDisabled);
    EXPECT_EQ(sm.command(0x000F, kDisable), DriveAction::None);
    EXPECT_FALSE(sm.operationEnabled());
}

TEST(DriveStateMachine, FaultNeedsTheRisingEdgeOfFaultReset)
{
    DriveStateMachine sm = enabled();
    EXPECT_EQ(sm.fault(), DriveAction::FaultReaction);
    EXPECT_EQ(masked(sm, 0x4F), 0x0F);
    sm.command(0x0080, kStay);  // too early: the reaction is still running
    EXPECT_EQ(sm.state(), DriveState::FaultReactionActive);
    sm.stopped(kStay);
    EXPECT_EQ(masked(sm, 0x4F), 0x08);
    EXPECT_FALSE(sm.powered());
    sm.command(0x0080, kStay);
    EXPECT_EQ(sm.state(), DriveState::Fault) << "bit 7 was already set: no edge";
    for (uint16_t cw : {0x0006, 0x0007, 0x000F})
        sm.command(cw, kStay);
    EXPECT_EQ(sm.state(), DriveState::Fault) << "only a fault reset leaves Fault";
    sm.command(0x0080, kStay);
    EXPECT_EQ(sm.state(), DriveState::SwitchOnDisabled);
    EXPECT_EQ(sm.fault(), DriveAction::PowerOff) << "unpowered drive faults at once";
    EXPECT_EQ(sm.state(), DriveState::Fault);
}

TEST(DriveStateMachine, FaultResetOutsideFaultChangesNothing)
{
    DriveStateMachine sm = enabled();
    EXPECT_EQ(sm.command(0x0080, kStay), DriveAction::None);
    EXPECT_TRUE(sm.operationEnabled());
}
}  // namespace
