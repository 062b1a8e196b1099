#include "DriveStateMachine.h"

namespace {
// Device control commands, decoded from controlword bits 0..3 and 7.
enum class Command { None, Shutdown, SwitchOn, SwitchOnEnable, DisableVoltage, QuickStop, DisableOperation,
                     EnableOperation };

constexpr uint16_t kSwitchOn = 0x0001;
constexpr uint16_t kEnableVoltage = 0x0002;
constexpr uint16_t kQuickStop = 0x0004;  // 0 = quick stop requested
constexpr uint16_t kEnableOperation = 0x0008;
constexpr uint16_t kFaultReset = 0x0080;

Command decode(uint16_t cw)
{
    if (!(cw & kEnableVoltage))
        return Command::DisableVoltage;
    if (!(cw & kQuickStop))
        return Command::QuickStop;
    if (!(cw & kSwitchOn))
        return Command::Shutdown;
    if (!(cw & kEnableOperation))
        return Command::SwitchOn;  // also "disable operation" from Operation Enabled
    return Command::SwitchOnEnable;
}
}  // namespace

bool DriveStateMachine::powered() const
{
    switch (m_state) {
    case DriveState::SwitchedOn:
    case DriveState::OperationEnabled:
    case DriveState::QuickStopActive:
    case DriveState::FaultReactionActive:
        return true;
    default:
        return false;
    }
}

uint16_t DriveStateMachine::statusBits() const
{
    // bit 0 ready to switch on, 1 switched on, 2 operation enabled, 3 fault,
    // 4 voltage enabled, 5 quick stop (1 = not active), 6 switch on disabled
    switch (m_state) {
    case DriveState::NotReadyToSwitchOn: return 0x0000;
    case DriveState::SwitchOnDisabled: return 0x0040;
    case DriveState::ReadyToSwitchOn: return 0x0031;
    case DriveState::SwitchedOn: return 0x0033;
    case DriveState::OperationEnabled: return 0x0037;
    case DriveState::QuickStopActive: return 0x0017;
    case DriveState::FaultReactionActive: return 0x001F;
    case DriveState::Fault: return 0x0018;
    }
    return 0;
}

void DriveStateMachine::initialised()
{
    if (m_state == DriveState::NotReadyToSwitchOn)
        m_state = DriveState::SwitchOnDisabled;
}

DriveAction DriveStateMachine::command(uint16_t cw, int16_t quickStopOption)
{
    const bool resetEdge = (cw & kFaultReset) && !(m_lastControlword & kFaultReset);
    m_lastControlword = cw;

    switch (m_state) {
    case DriveState::NotReadyToSwitchOn:
    case DriveState::FaultReactionActive:
        return DriveAction::None;
    case DriveState::Fault:
        // Only the rising edge of the fault reset bit leaves the fault state.
        if (resetEdge)
            m_state = DriveState::SwitchOnDisabled;
        return DriveAction::None;
    default:
        break;
    }
    if (cw & kFaultReset)
        return DriveAction::None;  // fault reset outside Fault: no state change

    const Command c = decode(cw);
    switch (m_state) {
    case DriveState::SwitchOnDisabled:
        if (c == Command::Shutdown)
            m_state = DriveState::ReadyToSwitchOn;
        return DriveAction::None;
    case DriveState::ReadyToSwitchOn:
        if (c == Command::SwitchOn) {
            m_state = DriveState::SwitchedOn;
        } else if (c == Command::SwitchOnEnable) {
            m_state = DriveState::OperationEnabled;
            return DriveAction::EnableMotion;
        } else if (c == Command::DisableVoltage || c == Command::QuickStop) {
            m_state = DriveState::SwitchOnDisabled;
        }
        return DriveAction::None;
    case DriveState::SwitchedOn:
        if (c == Command::SwitchOnEnable) {
            m_state = DriveState::OperationEnabled;
            return DriveAction::EnableMotion;
        }
        if (c == Command::Shutdown) {
            m_state = DriveState::ReadyToSwitchOn;
            return DriveAction::PowerOff;
        }
        if (c == Command::DisableVoltage || c == Command::QuickStop) {
            m_state = DriveState::SwitchOnDisabled;
            return DriveAction::PowerOff;
        }
        return DriveAction::None;
    case DriveState::OperationEnabled:
        if (c == Command::SwitchOn) {
            m_state = DriveState::SwitchedOn;
            return DriveAction::PowerOff;
        }
        if (c == Command::Shutdown) {
            m_state = DriveState::ReadyToSwitchOn;
            return DriveAction::PowerOff;
        }
        if (c == Command::DisableVoltage) {
            m_state = DriveState::SwitchOnDisabled;
            return DriveAction::PowerOff;
        }
        if (c == Command::QuickStop) {
            m_state = DriveState::QuickStopActive;
            return DriveAction::QuickStop;
        }
        return DriveAction::None;
    case DriveState::QuickStopActive:
        if (c == Command::DisableVoltage) {
            m_state = DriveState::SwitchOnDisabled;
            return DriveAction::PowerOff;
        }
        // Back to Operation Enabled only with the options that stay in quick stop.
        if (c == Command::SwitchOnEnable && quickStopOption >= 5) {
            m_state = DriveState::OperationEnabled;
            return DriveAction::EnableMotion;
        }
        return DriveAction::None;
    default:
        return DriveAction::None;
    }
}

DriveAction DriveStateMachine::fault()
{
    if (m_state == DriveState::Fault || m_state == DriveState::FaultReactionActive)
        return DriveAction::None;
    if (powered()) {
        m_state = DriveState::FaultReactionActive;
        return DriveAction::FaultReaction;
    }
    m_state = DriveState::Fault;
    return DriveAction::PowerOff;
}

void DriveStateMachine::stopped(int16_t quickStopOption)
{
    if (m_state == DriveState::FaultReactionActive)
        m_state = DriveState::Fault;
    else if (m_state == DriveState::QuickStopActive && quickStopOption < 5)
        m_state = DriveState::SwitchOnDisabled;
}
