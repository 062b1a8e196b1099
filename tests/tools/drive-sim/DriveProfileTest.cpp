// The drive module on its own dictionary, without a bus: what a master sees
// through SDO reads and writes, tick by tick.
#include "DriveObjects.h"
#include "DriveProfile.h"
#include "ObjectIndex.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {
class FakeContext : public DriveContext {
public:
    explicit FakeContext(DriveModel m) : m_model(m) {}
    ObjectDictionary& dictionary() override { return od; }
    DriveModel model() const override { return m_model; }
    uint8_t nodeId() const override { return 5; }
    NmtState nmtState() const override { return NmtState::PreOperational; }
    uint64_t nowMs() const override { return now; }
    void sendEmergency(uint16_t code, uint8_t reg, const std::array<uint8_t, 5>& data) override
    {
        emergencies.push_back({code, reg, data});
    }
    void saveRetained() override { ++saves; }
    void requestResetNode() override {}
    bool takeInjectedFailure(InjectedFailure) override { return false; }

    struct Emergency {
        uint16_t code;
        uint8_t reg;
        std::array<uint8_t, 5> data;
    };
    ObjectDictionary od;
    uint64_t now = 0;
    std::vector<Emergency> emergencies;
    int saves = 0;

private:
    DriveModel m_model;
};

class DriveProfileTest : public ::testing::Test {
protected:
    DriveProfileTest() : ctx(DriveModel::K315), drive(ctx) {}

    uint32_t write(uint16_t index, uint8_t sub, int64_t value)
    {
        const ObjectEntry* e = ctx.od.find(index, sub);
        if (!e)
            return SdoAbortCode::NoObject;
        const std::vector<uint8_t> bytes = ObjectDictionary::encode(e->type, value);
        return ctx.od.write(index, sub, bytes.data(), bytes.size());
    }
    int64_t read(uint16_t index, uint8_t sub = 0)
    {
        std::vector<uint8_t> out;
        EXPECT_EQ(ctx.od.read(index, sub, out), 0u) << std::hex << index << "/" << int(sub);
        ObjectEntry probe;
        probe.type = ctx.od.find(index, sub)->type;
        probe.value = out;
        return probe.asSigned();
    }
    uint16_t statusword() { return static_cast<uint16_t>(read(ObjectIndex::Statusword)); }
    uint32_t statusRegister() { return static_cast<uint32_t>(read(ObjectIndex::StatusRegister)); }
    void run(uint32_t ms)
    {
        for (uint32_t i = 0; i < ms; ++i) {
            ++ctx.now;
            drive.tick(1);
        }
    }
    // Runs until the statusword shows all bits of mask, at most limitMs.
    bool runUntil(uint16_t mask, uint32_t limitMs)
    {
        for (uint32_t i = 0; i < limitMs; ++i) {
            if ((statusword() & mask) == mask)
                return true;
            run(1);
        }
        return (statusword() & mask) == mask;
    }
    void enable()
    {
        ASSERT_EQ(write(ObjectIndex::Controlword, 0, 0x06), 0u);
        ASSERT_EQ(write(ObjectIndex::Controlword, 0, 0x07), 0u);
        ASSERT_EQ(write(ObjectIndex::Controlword, 0, 0x0F), 0u);
        ASSERT_EQ(statusword() & 0x6F, 0x27);
    }

    FakeContext ctx;
    DriveProfile drive;
};

constexpr uint16_t kTargetReached = 0x0400;
constexpr uint16_t kBit12 = 0x1000;

TEST_F(DriveProfileTest, ProfilePositionMoveEndsAtTargetAndCountsIt)
{
    EXPECT_EQ(statusword() & 0x4F, 0x40);
    enable();
    ASSERT_EQ(write(ObjectIndex::ModesOfOperation, 0, DriveMode::ProfilePosition), 0u);
    EXPECT_EQ(read(ObjectIndex::ModesOfOperationDisplay), 1);
    write(DriveObjects::ProfileVelocity, 0, 50000);
    write(DriveObjects::ProfileAcceleration, 0, 500000);
    write(DriveObjects::ProfileDeceleration, 0, 500000);
    write(ObjectIndex::TargetPosition, 0, 12345);
    const int64_t before = read(DriveObjects::Logbook, 3);
    ASSERT_EQ(write(ObjectIndex::Controlword, 0, 0x1F), 0u);
    EXPECT_EQ(statusword() & (kBit12 | kTargetReached), kBit12) << "set-point acknowledged, moving";
    write(ObjectIndex::Controlword, 0, 0x0F);
    EXPECT_EQ(statusword() & kBit12, 0);
    run(50);
    EXPECT_GT(read(ObjectIndex::VelocityActual), 0);
    EXPECT_GT(read(ObjectIndex::CurrentActual), 0);
    EXPECT_NE(statusRegister() & (1u << 26), 0u) << "motor turning";
    ASSERT_TRUE(runUntil(kTargetReached, 2000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 12345);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0);
    EXPECT_NE(statusRegister() & (1u << 25), 0u) << "position approached";
    run(1);
    EXPECT_EQ(read(DriveObjects::Logbook, 3), before + 1);
    EXPECT_GT(ctx.saves, 0) << "the counter goes to the store file";

    // relative to the last target
    write(ObjectIndex::TargetPosition, 0, -345);
    write(ObjectIndex::Controlword, 0, 0x5F);
    write(ObjectIndex::Controlword, 0, 0x0F);
    ASSERT_TRUE(runUntil(kTargetReached, 2000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 12000);
}

TEST_F(DriveProfileTest, HaltInterruptsAndResumesAPositionMove)
{
    enable();
    write(ObjectIndex::TargetPosition, 0, 15000);
    write(ObjectIndex::Controlword, 0, 0x1F);
    write(ObjectIndex::Controlword, 0, 0x0F);
    run(200);
    write(ObjectIndex::Controlword, 0, 0x10F);
    ASSERT_TRUE(runUntil(kTargetReached, 2000));
    const int64_t stoppedAt = read(ObjectIndex::PositionActual);
    EXPECT_LT(stoppedAt, 15000);
    run(100);
    EXPECT_EQ(read(ObjectIndex::PositionActual), stoppedAt);
    write(ObjectIndex::Controlword, 0, 0x0F);
    EXPECT_EQ(statusword() & kTargetReached, 0);
    ASSERT_TRUE(runUntil(kTargetReached, 5000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 15000);
}

TEST_F(DriveProfileTest, HomingEndsAtHomeWithAttainedBitAndReference)
{
    drive.placeAxis(-5000);
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::Homing);
    write(DriveObjects::HomingMethod, 0, 19);
    write(DriveObjects::HomingSpeeds, 1, 100000);
    write(DriveObjects::HomingSpeeds, 2, 10000);
    write(DriveObjects::HomingAcceleration, 0, 2000000);
    write(DriveObjects::HomeOffset, 0, 500);
    EXPECT_EQ(statusRegister() & (1u << 24), 0u);
    write(ObjectIndex::Controlword, 0, 0x1F);
    EXPECT_EQ(statusword() & (kTargetReached | kBit12), 0);
    ASSERT_TRUE(runUntil(kTargetReached | kBit12, 10000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 500);
    EXPECT_EQ(read(ObjectIndex::DigitalInputs) & 0x7, 0x4u) << "standing on the home switch edge";
    EXPECT_NE(statusRegister() & (1u << 24), 0u) << "drive referenced";

    // a second start with bit 4 still set homes again
    write(DriveObjects::HomingMethod, 0, 35);
    write(DriveObjects::HomeOffset, 0, 0);
    write(ObjectIndex::Controlword, 0, 0x1F);
    ASSERT_TRUE(runUntil(kTargetReached | kBit12, 100));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 0);
}

TEST_F(DriveProfileTest, SimulatedManualJogsBothWaysAndStopsAtTheLimitSwitch)
{
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::SimulatedManual);
    write(DriveObjects::ProfileVelocity, 0, 10000);
    write(DriveObjects::ProfileAcceleration, 0, 1000000);
    write(ObjectIndex::Controlword, 0, 0x2F);
    run(100);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), -10000);
    write(ObjectIndex::Controlword, 0, 0x10F);
    ASSERT_TRUE(runUntil(kTargetReached, 1000));
    const int64_t x = read(ObjectIndex::PositionActual);
    EXPECT_LT(x, -500);

    drive.placeAxis(drive.axis().positiveLimit - 1000);
    write(ObjectIndex::Controlword, 0, 0x1F);
    run(400);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0) << "LIM-P stops the jog";
    EXPECT_NE(read(ObjectIndex::DigitalInputs) & 0x2, 0);
    EXPECT_NE(statusword() & 0x0800, 0) << "internal limit active";
    write(ObjectIndex::Controlword, 0, 0x2F);
    run(100);
    EXPECT_LT(read(ObjectIndex::VelocityActual), 0) << "moving out of the switch is allowed";
}

TEST_F(DriveProfileTest, ManualModeFollowsTheManualInputs)
{
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::Manual);
    write(ObjectIndex::Controlword, 0, 0x1F);
    run(50);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0) << "the controlword does not jog in manual mode";
    drive.setManualInputs(true, false);
    EXPECT_NE(read(ObjectIndex::DigitalInputs) & (1u << 17), 0);
    run(50);
    EXPECT_GT(read(ObjectIndex::VelocityActual), 0);
    drive.setManualInputs(false, false);
    ASSERT_TRUE(runUntil(kTargetReached, 1000));
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0);
}

TEST_F(DriveProfileTest, AtRestOnlyWhileUnpoweredAndStanding)
{
    // At rest the simulator ticks the drive lazily; whatever could move,
    // brake or fault on its own must not count as at rest.
    run(10);
    EXPECT_TRUE(drive.atRest()) << "switch on disabled, standing";
    enable();
    EXPECT_FALSE(drive.atRest()) << "power stage on";
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::ProfileVelocity);
    write(ObjectIndex::TargetVelocity, 0, 20000);
    run(200);
    ASSERT_GT(read(ObjectIndex::VelocityActual), 0);
    write(ObjectIndex::Controlword, 0, 0x06);  // shut down: the power stage goes off while it turns
    EXPECT_FALSE(drive.atRest() && read(ObjectIndex::VelocityActual) != 0) << "never at rest while turning";
    run(2000);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0);
    EXPECT_EQ(statusword() & 0x6F, 0x21);
    EXPECT_TRUE(drive.atRest()) << "ready to switch on, standing again";
}

TEST_F(DriveProfileTest, QuickStopBrakesAndStaysInQuickStopActive)
{
    ASSERT_EQ(write(DriveObjects::QuickStopOption, 0, 6), 0u);
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::ProfileVelocity);
    write(ObjectIndex::TargetVelocity, 0, 20000);
    run(500);
    write(DriveObjects::QuickStopDeceleration, 0, 100000);
    write(ObjectIndex::Controlword, 0, 0x02);
    EXPECT_EQ(statusword() & 0x6F, 0x07);
    run(100);
    EXPECT_GT(read(ObjectIndex::VelocityActual), 0) << "braking with the quick-stop deceleration";
    run(200);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0);
    EXPECT_EQ(statusword() & 0x6F, 0x07);
    write(ObjectIndex::Controlword, 0, 0x0F);
    EXPECT_EQ(statusword() & 0x6F, 0x27);
}

TEST_F(DriveProfileTest, QuickStopWithOptionTwoEndsSwitchOnDisabled)
{
    ASSERT_EQ(write(DriveObjects::QuickStopOption, 0, 2), 0u);
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::ProfileVelocity);
    write(ObjectIndex::TargetVelocity, 0, 5000);
    run(200);
    write(ObjectIndex::Controlword, 0, 0x02);
    EXPECT_EQ(statusword() & 0x6F, 0x07) << "braking";
    run(100);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 0);
    EXPECT_EQ(statusword() & 0x4F, 0x40);
    write(ObjectIndex::Controlword, 0, 0x0F);
    EXPECT_EQ(statusword() & 0x4F, 0x40) << "needs the whole enable sequence again";
}

TEST_F(DriveProfileTest, FaultSendsEmergencyAndResetClearsIt)
{
    enable();
    drive.raiseFault(0x4210);
    ASSERT_EQ(ctx.emergencies.size(), 1u);
    EXPECT_EQ(ctx.emergencies[0].code, 0x4210);
    EXPECT_EQ(ctx.emergencies[0].reg, 0x09) << "generic + temperature";
    run(5);
    EXPECT_EQ(statusword() & 0x4F, 0x08);
    EXPECT_EQ(read(ObjectIndex::ErrorCode), 0x4210);
    EXPECT_EQ(statusRegister() & 0x80400000u, 0x80400000u) << "malfunction + excess temperature";
    write(ObjectIndex::Controlword, 0, 0x0F);
    EXPECT_EQ(statusword() & 0x4F, 0x08) << "enable does not leave Fault";
    write(ObjectIndex::Controlword, 0, 0x80);
    EXPECT_EQ(statusword() & 0x4F, 0x40);
    EXPECT_EQ(statusRegister() & 0x80000000u, 0u);
    EXPECT_EQ(read(ObjectIndex::ErrorCode), 0);
    ASSERT_EQ(ctx.emergencies.size(), 2u);
    EXPECT_EQ(ctx.emergencies[1].code, 0) << "error reset emergency";
    enable();
}

TEST_F(DriveProfileTest, UnknownHomingMethodFaultsWithHomingError)
{
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::Homing);
    write(DriveObjects::HomingMethod, 0, 7);
    write(ObjectIndex::Controlword, 0, 0x1F);
    EXPECT_EQ(statusword() & 0x4F, 0x08);
    EXPECT_NE(statusword() & 0x2000, 0) << "homing error bit";
    ASSERT_EQ(ctx.emergencies.size(), 1u);
    EXPECT_EQ(ctx.emergencies[0].code, DriveErrorCode::HomingError);
}

TEST_F(DriveProfileTest, SetPointsStayInsideTheLimits)
{
    enable();
    write(DriveObjects::SoftwarePositionLimits, 1, -500);
    write(DriveObjects::SoftwarePositionLimits, 2, 700);
    write(ObjectIndex::TargetPosition, 0, 5000);
    write(ObjectIndex::Controlword, 0, 0x1F);
    run(1);
    EXPECT_NE(statusword() & 0x0800, 0) << "internal limit active while the cut set-point runs";
    ASSERT_TRUE(runUntil(kTargetReached, 2000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 700);
    EXPECT_EQ(statusword() & 0x0800, 0);
}

TEST_F(DriveProfileTest, LeavingTheSafetyRangeIsAFault)
{
    enable();
    write(DriveObjects::PositionSafetyLimits, 1, -1000);
    write(DriveObjects::PositionSafetyLimits, 2, 1000);
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::SimulatedManual);
    write(ObjectIndex::Controlword, 0, 0x1F);
    EXPECT_NE(read(ObjectIndex::DigitalInputs) & (1u << 17), 0) << "MAN-P shows the jog";
    run(1000);
    EXPECT_EQ(statusword() & 0x4F, 0x08);
    ASSERT_FALSE(ctx.emergencies.empty());
    EXPECT_EQ(ctx.emergencies.back().code, DriveErrorCode::SafetyLimitExceeded);
    EXPECT_GT(read(ObjectIndex::PositionActual), 1000);
    // after the reset the drive may move back in
    write(ObjectIndex::Controlword, 0, 0x80);
    enable();
    write(ObjectIndex::Controlword, 0, 0x2F);
    run(150);
    EXPECT_EQ(statusword() & 0x6F, 0x27);
    EXPECT_LT(read(ObjectIndex::PositionActual), 1000);
    EXPECT_GT(read(ObjectIndex::PositionActual), -1000);
}

TEST_F(DriveProfileTest, UnknownModeIsRefused)
{
    EXPECT_EQ(write(ObjectIndex::ModesOfOperation, 0, 7), SdoAbortCode::ValueRange);
    EXPECT_EQ(write(ObjectIndex::ModesOfOperation, 0, DriveMode::Configuration), 0u);
    EXPECT_EQ(read(ObjectIndex::ModesOfOperationDisplay), -128);
}

TEST_F(DriveProfileTest, UserProfileOfTheManufacturerModeSetsTheRamp)
{
    // Profile n of the manufacturer-specific position mode moves at
    // n x 5000 inc/s, whatever the profile velocity says.
    enable();
    write(DriveObjects::ProfileVelocity, 0, 1000);
    ASSERT_EQ(write(ObjectIndex::ModesOfOperation, 0, DriveMode::ManufacturerPosition), 0u);
    EXPECT_EQ(write(DriveObjects::UserProfileNumber, 0, 11), SdoAbortCode::ValueTooHigh) << "profiles 1...10";
    ASSERT_EQ(write(DriveObjects::UserProfileNumber, 0, 3), 0u);
    write(ObjectIndex::TargetPosition, 0, 15000);
    write(ObjectIndex::Controlword, 0, 0x1F);
    write(ObjectIndex::Controlword, 0, 0x0F);
    run(500);
    EXPECT_EQ(read(ObjectIndex::VelocityActual), 15000);
    ASSERT_TRUE(runUntil(kTargetReached, 5000));
    EXPECT_EQ(read(ObjectIndex::PositionActual), 15000);
}

TEST_F(DriveProfileTest, PositionAssignmentSetsThePositionWithoutMoving)
{
    drive.placeAxis(1234);
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::Homing);
    write(DriveObjects::PositionAssignment, 0, -777);
    write(DriveObjects::HomingMethod, 0, -1);
    EXPECT_EQ(statusRegister() & (1u << 24), 0u);
    // Switch On Disabled: the assignment needs no power stage.
    write(ObjectIndex::Controlword, 0, 0x1F);
    EXPECT_EQ(read(ObjectIndex::PositionActual), -777);
    EXPECT_NE(statusRegister() & (1u << 24), 0u) << "drive referenced";
    EXPECT_NE(statusword() & kBit12, 0) << "homing attained";
    run(100);
    EXPECT_EQ(read(ObjectIndex::PositionActual), -777) << "nothing moved";
}

TEST_F(DriveProfileTest, LimitAndListObjectsHaveTheirFactoryValues)
{
    // What the two limits windows and the homing page read.
    const struct {
        const char* name;
        uint16_t index;
        uint8_t sub;
        int64_t value;
    } rows[] = {
        {"max profile velocity", DriveObjects::MaxProfileVelocity, 0, 50000},
        {"max acceleration", DriveObjects::MaxAcceleration, 0, 1000000},
        {"max deceleration", DriveObjects::MaxDeceleration, 0, 1000000},
        {"motor rated current", DriveObjects::MotorRatedCurrent, 0, 2000},
        {"software limit low", DriveObjects::SoftwarePositionLimits, 1, -1000000},
        {"software limit high", DriveObjects::SoftwarePositionLimits, 2, 1000000},
        {"drive limit low", DriveObjects::PositionDriveLimits, 1, -2000000},
        {"drive limit high", DriveObjects::PositionDriveLimits, 2, 2000000},
        {"safety limit low", DriveObjects::PositionSafetyLimits, 1, -2100000},
        {"safety limit high", DriveObjects::PositionSafetyLimits, 2, 2100000},
        {"homing-method list", ObjectIndex::DriveData, DriveObjects::DriveDataHomingList, 1},
        {"user profile", DriveObjects::UserProfileNumber, 0, 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(read(row.index, row.sub), row.value) << row.name;
}

TEST_F(DriveProfileTest, DigitalInputsShowSwitchesAndManualInputs)
{
    const DriveMechanics& axis = drive.axis();
    const struct {
        const char* name;
        double position;
        bool manualPositive;
        bool manualNegative;
        uint32_t bits;  // of LIM-N, LIM-P, REF, MAN-N, MAN-P
    } rows[] = {
        {"between the switches", 0, false, false, 0},
        {"on LIM-N", axis.negativeLimit - 10, false, false, 1u << 0},
        {"on LIM-P and REF", axis.positiveLimit + 10, false, false, (1u << 1) | (1u << 2)},
        {"on REF", axis.homeSwitch + 10, false, false, 1u << 2},
        {"MAN-P pressed", 0, true, false, 1u << 17},
        {"MAN-N pressed", 0, false, true, 1u << 16},
    };
    const uint32_t mask = 0x7u | (1u << 16) | (1u << 17);
    for (const auto& row : rows) {
        drive.placeAxis(row.position);
        drive.setManualInputs(row.manualPositive, row.manualNegative);
        EXPECT_EQ(uint32_t(read(ObjectIndex::DigitalInputs)) & mask, row.bits) << row.name;
    }
    drive.setManualInputs(false, false);
    drive.placeAxis(0);

    // In the simulated manual mode the jog controlwords stand in for the inputs.
    enable();
    write(ObjectIndex::ModesOfOperation, 0, DriveMode::SimulatedManual);
    write(ObjectIndex::Controlword, 0, 0x2F);
    EXPECT_EQ(uint32_t(read(ObjectIndex::DigitalInputs)) & mask, 1u << 16) << "jog negative";
    write(ObjectIndex::Controlword, 0, 0x10F);
    EXPECT_EQ(uint32_t(read(ObjectIndex::DigitalInputs)) & mask, 0u) << "halted";
}

}  // namespace
