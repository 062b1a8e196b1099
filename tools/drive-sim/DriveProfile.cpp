#include "DriveProfile.h"

#include "DriveDictionary.h"
#include "DriveProfileBits.h"
#include "DriveObjects.h"
#include "ObjectIndex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace DriveProfileBits;

namespace {
constexpr double kTick = 0.001;           // s: the drive's control cycle
constexpr uint32_t kMaxStepsPerTick = 1000;

constexpr int8_t kPositionAssignment = -1;  // homing method: take 0x200B as the position

const char* stateName(DriveState s)
{
    switch (s) {
    case DriveState::NotReadyToSwitchOn: return "NotReadyToSwitchOn";
    case DriveState::SwitchOnDisabled: return "SwitchOnDisabled";
    case DriveState::ReadyToSwitchOn: return "ReadyToSwitchOn";
    case DriveState::SwitchedOn: return "SwitchedOn";
    case DriveState::OperationEnabled: return "OperationEnabled";
    case DriveState::QuickStopActive: return "QuickStopActive";
    case DriveState::FaultReactionActive: return "FaultReactionActive";
    case DriveState::Fault: return "Fault";
    }
    return "?";
}

int32_t toInt32(double v)
{
    return static_cast<int32_t>(std::clamp(std::llround(v), static_cast<long long>(INT32_MIN),
                                           static_cast<long long>(INT32_MAX)));
}
}  // namespace

static DriveModuleRegistration registration("drive", [](DriveContext& context) {
    return std::make_unique<DriveProfile>(context);
});

DriveProfile::DriveProfile(DriveContext& context)
    : m_ctx(context), m_firmware(context, [this] { leaveApplication(); })
{
    m_axis.hasEncoder = (m_ctx.model() == DriveModel::K315);
    DriveDictionary objects(m_ctx.dictionary(), *this);
    objects.addProfileObjects(m_ctx.model() == DriveModel::K315);
    if (m_ctx.model() == DriveModel::K315)
        objects.addFirmwareObjects();
    m_mode = static_cast<int8_t>(param(ObjectIndex::ModesOfOperation));
    m_sm.initialised();
}

// ---------------------------------------------------------------- parameters

int64_t DriveProfile::param(uint16_t index, uint8_t sub) const
{
    return m_ctx.dictionary().getSigned(index, sub);
}

MotionRamp DriveProfile::positionRamp() const
{
    using namespace DriveObjects;
    if (m_mode == DriveMode::ManufacturerPosition) {
        // the ten user profiles of the drive: profile n moves at n * 5000 inc/s
        const double n = static_cast<double>(std::clamp<int64_t>(param(UserProfileNumber), 1, 10));
        return {n * 5000.0, n * 25000.0, n * 25000.0};
    }
    const double vmax = static_cast<double>(param(MaxProfileVelocity));
    return {std::min(static_cast<double>(param(ProfileVelocity)), vmax),
            std::min(static_cast<double>(param(ProfileAcceleration)), static_cast<double>(param(MaxAcceleration))),
            std::min(static_cast<double>(param(ProfileDeceleration)), static_cast<double>(param(MaxDeceleration)))};
}

MotionRamp DriveProfile::velocityRamp(double speed) const
{
    MotionRamp r = positionRamp();
    r.velocity = speed;
    return r;
}

double DriveProfile::quickStopDeceleration() const
{
    return static_cast<double>(param(DriveObjects::QuickStopDeceleration));
}

// ---------------------------------------------------------------- actual values

int32_t DriveProfile::actualPosition() const { return toInt32(m_motion.position() - m_origin); }

int32_t DriveProfile::actualVelocity() const { return toInt32(m_motion.velocity()); }

int32_t DriveProfile::demandPosition() const { return toInt32(m_motion.position() - m_origin); }

int32_t DriveProfile::demandVelocity() const { return toInt32(m_motion.velocity()); }

uint32_t DriveProfile::digitalInputs() const
{
    // In the simulated manual mode the controlword stands in for MAN-P / MAN-N.
    const bool simulated = m_mode == DriveMode::SimulatedManual && m_sm.operationEnabled() && !(m_controlword & kHalt);
    return m_axis.inputs(m_motion.position(), m_manualPositive || (simulated && (m_controlword & kNewSetPoint)),
                         m_manualNegative || (simulated && (m_controlword & kJogNegative)));
}

uint32_t DriveProfile::writeTargetVelocity()
{
    // a running velocity move takes the new target at once
    if (m_sm.operationEnabled())
        updateSetPoints();
    return 0;
}

bool DriveProfile::targetReached() const
{
    const bool standing = m_motion.standing();
    const bool halted = (m_controlword & kHalt) != 0;
    if (!m_sm.operationEnabled())
        return standing;
    switch (m_mode) {
    case DriveMode::ProfilePosition:
    case DriveMode::ManufacturerPosition:
        return standing && (!m_moveActive || halted);
    case DriveMode::ProfileVelocity:
        return halted ? standing : m_motion.targetReached();
    case DriveMode::Homing:
        return m_homingState != HomingState::Running || (halted && standing);
    default:
        return standing;
    }
}

uint16_t DriveProfile::statusword() const
{
    uint16_t sw = m_sm.statusBits();
    if (m_sm.state() != DriveState::NotReadyToSwitchOn)
        sw |= kRemote;
    if (statusRegister() & DriveStatusBit::Warning)
        sw |= kWarning;
    if (targetReached())
        sw |= kTargetReached;
    if (internalLimit())
        sw |= kInternalLimit;
    switch (m_mode) {
    case DriveMode::ProfilePosition:
    case DriveMode::ManufacturerPosition:
        if (m_setPointAck)
            sw |= kModeBit12;
        break;
    case DriveMode::ProfileVelocity:
        if (m_motion.standing())
            sw |= kModeBit12;
        break;
    case DriveMode::Homing:
        if (m_homingState == HomingState::Attained)
            sw |= kModeBit12;
        else if (m_homingState == HomingState::Error)
            sw |= kModeBit13;
        break;
    default:
        break;
    }
    return sw;
}

uint32_t DriveProfile::statusRegister() const
{
    uint32_t r = m_faults.statusBits();
    if (m_referenced)
        r |= DriveStatusBit::DriveReferenced;
    if (m_positionApproached)
        r |= DriveStatusBit::PositionApproached;
    if (!m_motion.standing())
        r |= DriveStatusBit::MotorTurning;
    return r;
}

// ---------------------------------------------------------------- device control

uint32_t DriveProfile::writeControlword(uint16_t cw)
{
    const uint16_t previous = m_controlword;
    m_controlword = cw;
    const DriveState before = m_sm.state();

    // The position assignment works without the power stage.
    if (m_mode == DriveMode::Homing && (cw & kNewSetPoint) && before != DriveState::Fault &&
        before != DriveState::FaultReactionActive &&
        static_cast<int8_t>(param(DriveObjects::HomingMethod)) == kPositionAssignment) {
        assignPosition();
    }
    apply(m_sm.command(cw, static_cast<int16_t>(param(DriveObjects::QuickStopOption))));
    if (before == DriveState::Fault && m_sm.state() == DriveState::SwitchOnDisabled)
        faultReset();
    if (m_sm.operationEnabled()) {
        operate(before == DriveState::OperationEnabled ? previous : 0, cw);
        updateSetPoints();  // the statusword read next already shows the new set-point
    }
    settle();
    return 0;
}

void DriveProfile::settle()
{
    // A quick stop or fault reaction of a motor that already stands is over at once.
    const DriveState s = m_sm.state();
    if ((s == DriveState::QuickStopActive || s == DriveState::FaultReactionActive) && m_motion.standing() &&
        m_motion.mode() == MotionModel::Mode::Idle) {
        m_sm.stopped(static_cast<int16_t>(param(DriveObjects::QuickStopOption)));
        if (!m_sm.powered())
            m_motion.halt();
    }
}

uint32_t DriveProfile::writeMode(int8_t mode)
{
    switch (mode) {
    case DriveMode::ProfileVelocity:
        if (m_ctx.model() != DriveModel::K315)
            return SdoAbortCode::ValueRange;
        break;
    case DriveMode::ProfilePosition:
    case DriveMode::Homing:
    case DriveMode::Manual:
    case DriveMode::ManufacturerPosition:
    case DriveMode::SimulatedManual:
    case DriveMode::Configuration:
        break;
    default:
        return SdoAbortCode::ValueRange;
    }
    if (mode != m_mode) {
        if (m_sm.powered())
            stopMotion(positionRamp().deceleration);
        if (m_homingState == HomingState::Running)
            m_homingState = HomingState::NotStarted;
        m_setPointAck = false;
        m_mode = mode;
        if (m_sm.operationEnabled())
            updateSetPoints();
    }
    return 0;
}

void DriveProfile::stopMotion(double deceleration)
{
    m_homing.abort();
    if (m_homingState == HomingState::Running)
        m_homingState = HomingState::NotStarted;
    m_moveActive = false;
    m_motion.stop(deceleration);
}

void DriveProfile::apply(DriveAction action)
{
    switch (action) {
    case DriveAction::None:
        break;
    case DriveAction::PowerOff:
        stopMotion(0);
        m_motion.halt();
        break;
    case DriveAction::QuickStop:
    case DriveAction::FaultReaction:
        stopMotion(quickStopDeceleration());
        break;
    case DriveAction::EnableMotion:
        if (m_motion.standing())
            m_motion.reset(m_motion.position());
        break;
    }
}

void DriveProfile::operate(uint16_t previous, uint16_t cw)
{
    const bool rising = (cw & kNewSetPoint) && !(previous & kNewSetPoint);
    const bool falling = !(cw & kNewSetPoint) && (previous & kNewSetPoint);
    const bool halt = (cw & kHalt) != 0;
    const bool wasHalted = (previous & kHalt) != 0;

    switch (m_mode) {
    case DriveMode::ProfilePosition:
    case DriveMode::ManufacturerPosition:
        if (!(cw & kNewSetPoint))
            m_setPointAck = false;
        if (rising)
            newSetPoint(cw);
        if (halt && !wasHalted) {
            m_motion.stop(positionRamp().deceleration);
        } else if (!halt && wasHalted && m_moveActive) {
            m_motion.moveTo(toMachine(m_moveTarget), positionRamp());  // resume after the halt
        }
        break;
    case DriveMode::Homing:
        if (halt || falling) {
            if (m_homingState == HomingState::Running)
                stopMotion(static_cast<double>(param(DriveObjects::HomingAcceleration)));
        } else if ((cw & kNewSetPoint) && (rising || m_homingState != HomingState::Running) &&
                   static_cast<int8_t>(param(DriveObjects::HomingMethod)) != kPositionAssignment) {
            // A start while no homing runs also counts when bit 4 was left set
            // by the previous start: the operator's program sends it that way.
            startHoming();
        }
        break;
    default:
        break;  // velocity and jog set-points follow the controlword in every cycle
    }
}

void DriveProfile::newSetPoint(uint16_t cw)
{
    using namespace DriveObjects;
    double target = static_cast<double>(param(ObjectIndex::TargetPosition));
    if (cw & kRelative)
        target += m_moveActive ? m_moveTarget : static_cast<double>(actualPosition());
    // Set-points stay inside the software limits and the drive limits.
    m_targetClamped = false;
    for (const uint16_t limits : {SoftwarePositionLimits, PositionDriveLimits}) {
        const double low = static_cast<double>(param(limits, 1));
        const double high = static_cast<double>(param(limits, 2));
        if (low < high && (target < low || target > high)) {
            target = std::clamp(target, low, high);
            m_targetClamped = true;
        }
    }
    m_moveTarget = target;
    m_moveActive = true;
    m_setPointAck = true;
    m_positionApproached = false;
    if (!(cw & kHalt))
        m_motion.moveTo(toMachine(target), positionRamp());
}

void DriveProfile::startHoming()
{
    using namespace DriveObjects;
    HomingProcedure::Speeds speeds;
    speeds.switchSearch = static_cast<double>(param(HomingSpeeds, 1));
    speeds.zeroSearch = static_cast<double>(param(HomingSpeeds, 2));
    speeds.acceleration = static_cast<double>(param(HomingAcceleration));
    m_referenced = false;
    m_homingState = HomingState::Running;
    if (!m_homing.start(static_cast<int8_t>(param(HomingMethod)), speeds, m_motion, m_axis)) {
        m_homingState = HomingState::Error;
        raiseFault(DriveErrorCode::HomingError);  // a method this drive does not know
    }
}

void DriveProfile::assignPosition()
{
    m_origin = m_motion.position() - static_cast<double>(param(DriveObjects::PositionAssignment));
    m_moveActive = false;
    m_referenced = true;
    m_homingState = HomingState::Attained;
}

void DriveProfile::raiseFault(uint16_t errorCode, bool announce)
{
    m_faults.raise(errorCode);
    apply(m_sm.fault());
    settle();
    if (!announce)
        return;
    const uint32_t r = statusRegister();
    m_ctx.sendEmergency(errorCode, m_faults.errorRegister(),
                        {uint8_t(r), uint8_t(r >> 8), uint8_t(r >> 16), uint8_t(r >> 24), 0});
}

void DriveProfile::faultReset()
{
    m_faults.clear();
    m_ctx.sendEmergency(0, 0, {0, 0, 0, 0, 0});
}

void DriveProfile::setManualInputs(bool positive, bool negative)
{
    m_manualPositive = positive;
    m_manualNegative = negative;
}

void DriveProfile::placeAxis(double machinePosition)
{
    const double actual = m_motion.position() - m_origin;
    m_motion.reset(machinePosition);
    m_origin = machinePosition - actual;  // the drive does not notice: its counter keeps its value
    m_moveActive = false;
}

// ---------------------------------------------------------------- firmware

bool DriveProfile::prepare(std::string& error)
{
    return m_ctx.model() != DriveModel::K315 || m_firmware.prepare(error);
}

void DriveProfile::leaveApplication()
{
    stopMotion(0);
    m_motion.halt();
    m_sm.reset();  // the power stage is off
    m_sm.initialised();
    m_controlword = 0;
}

uint32_t DriveProfile::firmwareCommand(uint32_t value)
{
    return m_firmware.command(value);
}

uint32_t DriveProfile::firmwareBlock(const std::vector<uint8_t>& data)
{
    return m_firmware.block(data);
}

// ---------------------------------------------------------------- time

void DriveProfile::tick(uint32_t elapsedMs)
{
    if (!m_logbookLoaded) {
        // The store file has been applied to the dictionary by now.
        using DriveObjects::Logbook;
        m_logbook.restore(static_cast<uint32_t>(m_ctx.dictionary().getUnsigned(Logbook, 1)),
                          static_cast<uint32_t>(m_ctx.dictionary().getUnsigned(Logbook, 2)),
                          static_cast<uint32_t>(m_ctx.dictionary().getUnsigned(Logbook, 3)));
        m_logbookLoaded = true;
    }
    const uint32_t steps = std::min(elapsedMs, kMaxStepsPerTick);
    for (uint32_t i = 0; i < steps; ++i)
        step(kTick);
    m_logbook.advance(elapsedMs, m_sm.powered());
    saveLogbook();
}

bool DriveProfile::atRest() const
{
    // Unpowered and standing: the model only cools down and counts time.
    return !m_sm.powered() && m_motion.mode() == MotionModel::Mode::Idle && m_motion.standing() && !m_moveActive &&
           m_homingState != HomingState::Running;
}

void DriveProfile::saveLogbook()
{
    using DriveObjects::Logbook;
    ObjectDictionary& od = m_ctx.dictionary();
    od.set(Logbook, 1, m_logbook.powerOnSeconds());
    od.set(Logbook, 2, m_logbook.turnOnSeconds());
    od.set(Logbook, 3, m_logbook.positionings());
    if (m_logbook.takeSaveRequest())
        m_ctx.saveRetained();
}

// ---------------------------------------------------------------- control socket

void DriveProfile::onEvent(DriveEvent event)
{
    if (event != DriveEvent::ResetNode)
        return;
    // A reset restarts the application: power stage off, reference lost,
    // the position counter starts at 0 where the motor stands.
    m_sm.reset();
    stopMotion(0);
    m_motion.halt();
    m_origin = m_motion.position();
    m_referenced = false;
    m_faults.clear();
    m_controlword = 0;
    m_setPointAck = false;
    m_positionApproached = false;
    m_targetClamped = false;
    m_homingState = HomingState::NotStarted;
    m_mode = static_cast<int8_t>(param(ObjectIndex::ModesOfOperation));
    if (m_ctx.model() == DriveModel::K315)
        m_firmware.boot();
    m_logbookLoaded = false;
    m_sm.initialised();
}

bool DriveProfile::onControl(const std::vector<std::string>& words, std::string& reply)
{
    if (words.empty())
        return false;
    if (m_ctx.model() == DriveModel::K315 && m_firmware.onControl(words, reply))
        return true;
    if (words[0] == "manual" && words.size() == 2) {
        // manual p|n|off: the MAN-P / MAN-N inputs
        if (words[1] != "p" && words[1] != "n" && words[1] != "off") {
            reply = "error usage: manual p|n|off";
            return true;
        }
        setManualInputs(words[1] == "p", words[1] == "n");
        reply = "ok";
        return true;
    }
    if (words[0] == "axis" && words.size() == 2) {
        // axis <machine position>: where the motor stands on the axis
        char* end = nullptr;
        const double x = std::strtod(words[1].c_str(), &end);
        if (!end || *end != '\0' || !std::isfinite(x)) {
            reply = "error usage: axis <increments>";
            return true;
        }
        placeAxis(x);
        reply = "ok";
        return true;
    }
    return false;
}

void DriveProfile::describeState(std::string& out) const
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "drive.state=%s\ndrive.statusword=0x%04X\ndrive.mode=%d\ndrive.position=%ld\n"
                  "drive.velocity=%ld\ndrive.statusregister=0x%08X\ndrive.referenced=%d\n",
                  stateName(m_sm.state()), unsigned(statusword()), int(m_mode), long(actualPosition()),
                  long(actualVelocity()), unsigned(statusRegister()), m_referenced ? 1 : 0);
    out += line;
    if (m_ctx.model() == DriveModel::K315)
        m_firmware.describeState(out);
}
