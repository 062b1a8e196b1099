// DriveProfileBits.h - the bits of the controlword (0x6040) and the
// statusword (0x6041) that the drive profile's modes use, beyond the
// device control commands and the device state (DriveStateMachine).
#pragma once

#include <cstdint>

namespace DriveProfileBits {

// controlword bits beyond the device control commands
inline constexpr uint16_t kNewSetPoint = 0x0010;  // also homing start, jog positive
inline constexpr uint16_t kJogNegative = 0x0020;
inline constexpr uint16_t kRelative = 0x0040;
inline constexpr uint16_t kHalt = 0x0100;

// statusword bits beyond the device state
inline constexpr uint16_t kWarning = 0x0080;
inline constexpr uint16_t kRemote = 0x0200;
inline constexpr uint16_t kTargetReached = 0x0400;
inline constexpr uint16_t kInternalLimit = 0x0800;
inline constexpr uint16_t kModeBit12 = 0x1000;  // set-point acknowledge / speed 0 / homing attained
inline constexpr uint16_t kModeBit13 = 0x2000;  // homing error

}  // namespace DriveProfileBits
