// DriveStateMachine.h - the device control state machine of the drive
// (statusword bits 0..6 from the controlword commands).
#pragma once

#include <cstdint>

enum class DriveState : uint8_t {
    NotReadyToSwitchOn,
    SwitchOnDisabled,
    ReadyToSwitchOn,
    SwitchedOn,
    OperationEnabled,
    QuickStopActive,
    FaultReactionActive,
    Fault,
};

// What the motion side has to do after a controlword or an event.
enum class DriveAction : uint8_t {
    None,
    PowerOff,        // power stage off at once (disable voltage, shutdown, switch on from enabled)
    QuickStop,       // decelerate with the quick-stop deceleration, stay powered
    EnableMotion,    // operation enabled was entered
    FaultReaction,   // decelerate with the quick-stop deceleration, then power off
};

class DriveStateMachine {
public:
    // Quick stop option codes supported: 2 (stop, then Switch On Disabled)
    // and 6 (stop, then stay in Quick Stop Active); the others act as 2 or 6.
    static constexpr int16_t QuickStopToDisabled = 2;
    static constexpr int16_t QuickStopStay = 6;

    DriveState state() const { return m_state; }
    bool powered() const;           // power stage on (switched on, enabled, quick stop, fault reaction)
    bool operationEnabled() const { return m_state == DriveState::OperationEnabled; }

    // Bits 0..6 of the statusword (ready, switched on, enabled, fault,
    // voltage enabled, quick stop, switch on disabled).
    uint16_t statusBits() const;

    // Power-on initialisation done: Not Ready to Switch On -> Switch On Disabled.
    void initialised();
    // A controlword written by the master.
    DriveAction command(uint16_t controlword, int16_t quickStopOption);
    // An error was detected: any state -> Fault Reaction Active.
    DriveAction fault();
    // The motion side reports stand-still in Quick Stop Active / Fault Reaction Active.
    void stopped(int16_t quickStopOption);
    // The drive resets (NMT reset node, application start).
    void reset() { m_state = DriveState::NotReadyToSwitchOn; m_lastControlword = 0; }

private:
    DriveState m_state = DriveState::NotReadyToSwitchOn;
    uint16_t m_lastControlword = 0;
};
