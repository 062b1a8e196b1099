// CANopenDrive.h - the drive-profile vocabulary (CiA DSP-402 with the
// drive's additions): device states, controlword values, modes of
// operation, and the sequence that brings a drive into Operation Enabled.
#pragma once

#include "ui/MessageIds.h"

#include <cstddef>
#include <cstdint>

class CCANopenNode;
class IUserInterface;

// A row of the device-state table: (statusword AND mask) == value.
struct DeviceStateRow {
    std::uint16_t mask;
    std::uint16_t value;
    const char* name;
};

// The table, searched top to bottom; its last row catches every statusword.
const DeviceStateRow* DeviceStateTable(std::size_t* count);

// The name of the first row that matches the statusword.
const char* DeviceStateName(std::uint16_t statusword);

// Controlword values the program writes.
namespace Controlword {
constexpr std::uint16_t Shutdown = 0x0006;          // Switch On Disabled -> Ready to Switch On
constexpr std::uint16_t SwitchOn = 0x0007;          // Ready to Switch On -> Switched On
constexpr std::uint16_t EnableOperation = 0x000F;   // Switched On, Quick-Stop Active -> Operation Enabled
constexpr std::uint16_t StartMotion = 0x001F;       // new set-point, homing start, positive jog
constexpr std::uint16_t StartRelative = 0x005F;     // new set-point relative to the present target
constexpr std::uint16_t JogNegative = 0x002F;       // manual mode, negative direction
constexpr std::uint16_t Halt = 0x010F;              // stop a jog
constexpr std::uint16_t QuickStop = 0x0002;         // stop commands of the operation windows
constexpr std::uint16_t FaultReset = 0x0080;        // acknowledge a fault
} // namespace Controlword

// Statusword masks and values of the enable sequence.
namespace Statusword {
constexpr std::uint16_t kSwitchOnDisabledMask = 0x004F;
constexpr std::uint16_t kSwitchOnDisabled = 0x0040;
constexpr std::uint16_t kStateMask = 0x006F;
constexpr std::uint16_t kReadyToSwitchOn = 0x0021;
constexpr std::uint16_t kSwitchedOn = 0x0023;
constexpr std::uint16_t kOperationEnabled = 0x0027;
constexpr std::uint16_t kQuickStopActive = 0x0007;
} // namespace Statusword

// Mode-of-operation codes the operation windows write.
namespace ModeOfOperation {
constexpr std::int8_t ProfilePosition = 1;
constexpr std::int8_t ProfileVelocity = 3;
constexpr std::int8_t Homing = 6;
constexpr std::int8_t Manual = -1;
constexpr std::int8_t ManufacturerPosition = -2;
constexpr std::int8_t SimulatedManual = -3;
constexpr std::int8_t Configuration = -128;
} // namespace ModeOfOperation

// The name the messages use for a mode code; null for another code.
const char* ModeOfOperationName(std::int8_t mode);

// The message numbers of the steps below. Each operation page has its own
// set; the plain functions use the manual page's (kMsgCantReadStatusword
// ... kMsgCantStartDrive).
struct DriveStepMessages {
    unsigned readStatusword; // "can't read the statusword", error text
    unsigned switchState;    // "can't switch ... to state '%s'", state name, error text
    unsigned notEnabled;     // "... 'Operation Enabled'! Node #%u ...", node-id
    unsigned readMode;       // "can't read the operation mode", error text
    unsigned switchMode;     // "can't switch ... to mode '%s'", mode name, error text
    unsigned start;          // "can't start the drive", error text
};
extern const DriveStepMessages kManualStepMessages;

// Brings the drive into Operation Enabled. Each failure shows one message
// (readStatusword, switchState, notEnabled) and returns false.
bool EnableOperation(CCANopenNode& node, IUserInterface& ui,
                     const DriveStepMessages& messages = kManualStepMessages);

// Switches the drive to a mode of operation unless it is in it already;
// failures show readMode or switchMode.
bool SwitchModeOfOperation(CCANopenNode& node, std::int8_t mode, IUserInterface& ui,
                           const DriveStepMessages& messages = kManualStepMessages);

// Writes the controlword that starts a motion; a failure shows message
// (the set's start message unless another is given).
bool StartDrive(CCANopenNode& node, std::uint16_t controlword, IUserInterface& ui,
                const DriveStepMessages& messages = kManualStepMessages);
bool StartDrive(CCANopenNode& node, std::uint16_t controlword, IUserInterface& ui, unsigned message);
