// The fault matrix's steps for the commands of the Motion Control window:
// each page opened on the connected drive with fixed values, its Start and
// Stop, Reset Fault on a drive put into 'Fault', and what must work after
// the fault has gone.
#include "MatrixFixture.h"

#include <chrono>
#include <thread>

#include "canopen/CANopenNode.h"
#include "operation/FaultReset.h"

namespace faults {

namespace {

constexpr std::uint16_t kControlword = 0x6040;
constexpr std::uint16_t kStatusword = 0x6041;
constexpr std::uint16_t kModeDisplay = 0x6061;
constexpr std::uint16_t kQuickStop = 2;
constexpr std::uint16_t kHalt = 271;
constexpr std::uint16_t kFaultBit = 0x0008;
constexpr const char* kFault = "fault 0x7500";

// The Start that a Stop ends.
Command StartOf(Command command)
{
    switch (command) {
    case Command::PositionStop: return Command::PositionStart;
    case Command::VelocityStop: return Command::VelocityStart;
    case Command::HomingStop: return Command::HomingStart;
    case Command::JogStop: return Command::JogStart;
    default: return command;
    }
}

// The mode of operation a successful Start leaves the drive in.
int ModeOf(Command start)
{
    switch (start) {
    case Command::PositionStart: return 1;
    case Command::VelocityStart: return 3;
    case Command::HomingStart: return 6;
    case Command::JogStart: return -3;
    default: return 0;
    }
}

}  // namespace

void MatrixFixture::PrepareMotion(const Cell& cell)
{
    motionDrive_ = std::make_unique<ovro::CDocumentDrive>(*doc_, commissioning_);
    Command page = StartOf(cell.command);
    if (page == Command::ResetFault) {
        // The drive in 'Fault'; after the command the position page moves
        // it, and it faults once more.
        ASSERT_EQ(drive_.control(kFault), "ok\n");
        ASSERT_TRUE(drive_.waitForState("drive.state", "Fault", 5000));
        page = Command::PositionStart;
    }
    switch (page) {
    case Command::PositionStart: {
        position_ = std::make_unique<ovro::CPositionMode>(*motionDrive_, ui_);
        position_->Open();
        ovro::CPositionMode::Fields& v = position_->Values();
        v.targetPosition = 4000;
        v.relative = false;
        v.userProfile = false;
        v.velocity = 2000;
        v.acceleration = 10000;
        v.deceleration = 10000;
        v.maxCurrent = 500;
        break;
    }
    case Command::VelocityStart: {
        velocity_ = std::make_unique<ovro::CVelocityMode>(*motionDrive_, ui_);
        velocity_->Open();
        ovro::CVelocityMode::Fields& v = velocity_->Values();
        v.targetVelocity = 1500;
        v.acceleration = 10000;
        v.deceleration = 10000;
        v.maxCurrent = 500;
        break;
    }
    case Command::HomingStart: {
        homing_ = std::make_unique<ovro::CHomingMode>(*motionDrive_, ui_);
        homing_->Open();
        // A homing run (a method other than -1, the position assignment).
        const auto& methods = homing_->Methods();
        int selection = -1;
        for (std::size_t i = 0; i < methods.size() && selection < 0; ++i)
            if (methods[i].method >= 0)
                selection = static_cast<int>(i);
        ASSERT_GE(selection, 0) << "no homing run in the method list";
        homing_->Values().selection = selection;
        break;
    }
    case Command::JogStart:
        manual_ = std::make_unique<ovro::CManualMode>(*motionDrive_, ui_);
        manual_->Open();
        break;
    default: FAIL() << "not a motion command";
    }
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    if (IsStop(cell.command)) {
        // The drive moves when it is stopped.
        ASSERT_TRUE(RunMotion(StartOf(cell.command)));
        ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    }
}

bool MatrixFixture::RunMotion(Command command)
{
    switch (command) {
    case Command::PositionStart: return position_->Start();
    case Command::VelocityStart: return velocity_->Start();
    case Command::HomingStart: return homing_->Start();
    case Command::JogStart: return manual_->StartJog(ovro::CManualMode::Direction::Positive);
    case Command::ResetFault: return ovro::CFaultReset::Run(*motionDrive_);
    // A Stop has no result; it is done when it returns.
    case Command::PositionStop: position_->Stop(); return true;
    case Command::VelocityStop: velocity_->Stop(); return true;
    case Command::HomingStop: homing_->Stop(); return true;
    case Command::JogStop: manual_->StopJog(); return true;
    default: return false;
    }
}

std::uint16_t MatrixFixture::DriveControlword()
{
    std::uint16_t value = 0xFFFF;
    CCANopenNode* node = motionDrive_->Node();
    EXPECT_NE(node, nullptr);
    if (node) {
        EXPECT_TRUE(node->ReadU16(kControlword, 0, value));
    }
    return value;
}

void MatrixFixture::CheckMotionNext(const Cell& cell)
{
    CCANopenNode* node = motionDrive_->Node();
    ASSERT_NE(node, nullptr) << "the document lost its node";
    const Command start = StartOf(cell.command);
    if (start == Command::ResetFault) {
        // A drive that did not get the reset is reset now. As a fault reset
        // takes effect on the rising edge of its bit, the drive is then
        // started (controlwords 6, 7, 15, 31), faults and is reset again.
        if (drive_.state("drive.state") == "Fault") {
            EXPECT_TRUE(RunMotion(Command::ResetFault));
        }
        EXPECT_TRUE(RunMotion(Command::PositionStart));
        ASSERT_EQ(drive_.control(kFault), "ok\n");
        // Its fault reaction (braking) over, the drive is in 'Fault'.
        ASSERT_TRUE(drive_.waitForState("drive.state", "Fault", 5000));
        EXPECT_TRUE(RunMotion(Command::ResetFault));
        std::uint16_t status = 0;
        EXPECT_TRUE(node->ReadU16(kStatusword, 0, status));
        EXPECT_EQ(status & kFaultBit, 0) << "still in 'Fault'";
        return;
    }
    if (IsStop(cell.command)) {
        // A quick stop brakes in 'Quick Stop Active', where the enable
        // sequence cannot reach 'Operation Enabled' (the drive takes no
        // command there until it stands): an engineer presses Start again
        // once the drive has stopped. A stop that failed fast (a wrong
        // answer instead of a time-out) leaves the drive braking still.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (drive_.state("drive.state") == "QuickStopActive" && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_NE(drive_.state("drive.state"), "QuickStopActive") << "the drive did not stop";
    }
    EXPECT_TRUE(RunMotion(start));
    std::uint8_t mode = 0;
    EXPECT_TRUE(node->ReadU8(kModeDisplay, 0, mode));
    EXPECT_EQ(static_cast<std::int8_t>(mode), ModeOf(start));
    if (IsStop(cell.command)) {
        EXPECT_TRUE(RunMotion(cell.command));
        const bool halts = cell.command == Command::VelocityStop || cell.command == Command::JogStop;
        EXPECT_EQ(DriveControlword(), halts ? kHalt : kQuickStop);
    }
}

}  // namespace faults
