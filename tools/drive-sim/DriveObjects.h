// DriveObjects.h - indexes of the drive-profile and manufacturer objects
// that only the drive modules serve (the shared ones are in ObjectIndex.h).
#pragma once

#include <cstdint>

namespace DriveObjects {
constexpr uint16_t UserProfileNumber = 0x2007;
constexpr uint16_t PositionSafetyLimits = 0x2008;  // sub 1 min, sub 2 max
constexpr uint16_t PositionDriveLimits = 0x2009;   // sub 1 min, sub 2 max
constexpr uint16_t PositionAssignment = 0x200B;
constexpr uint16_t Temperature = 0x200D;
constexpr uint16_t Logbook = 0x200E;  // sub 1 power-on time, 2 turn-on time, 3 positionings
constexpr uint16_t FirmwareDownload = 0x2F50;  // sub 1 command, 2 loader stage, 3 page block
constexpr uint16_t QuickStopOption = 0x605A;
constexpr uint16_t MaxCurrent = 0x6073;
constexpr uint16_t MotorRatedCurrent = 0x6075;
constexpr uint16_t HomeOffset = 0x607C;
constexpr uint16_t SoftwarePositionLimits = 0x607D;  // sub 1 min, sub 2 max
constexpr uint16_t MaxProfileVelocity = 0x607F;
constexpr uint16_t ProfileVelocity = 0x6081;
constexpr uint16_t ProfileAcceleration = 0x6083;
constexpr uint16_t ProfileDeceleration = 0x6084;
constexpr uint16_t QuickStopDeceleration = 0x6085;
constexpr uint16_t HomingMethod = 0x6098;
constexpr uint16_t HomingSpeeds = 0x6099;  // sub 1 switch search, sub 2 zero search
constexpr uint16_t HomingAcceleration = 0x609A;
constexpr uint16_t MaxAcceleration = 0x60C5;
constexpr uint16_t MaxDeceleration = 0x60C6;

constexpr uint8_t DriveDataHomingList = 0x0A;  // 0x6510:0A, 1 = homing-method list enabled
}  // namespace DriveObjects

// Modes of operation 0x6060.
namespace DriveMode {
constexpr int8_t ProfilePosition = 1;
constexpr int8_t ProfileVelocity = 3;
constexpr int8_t Homing = 6;
constexpr int8_t Manual = -1;
constexpr int8_t ManufacturerPosition = -2;
constexpr int8_t SimulatedManual = -3;
constexpr int8_t Configuration = -128;
}  // namespace DriveMode
