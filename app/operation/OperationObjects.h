// OperationObjects.h - the drive's objects that the motion and status
// windows write and read besides the drive-profile objects of
// canopen/CANopenTypes.h (controlword, statusword, modes of operation).
#pragma once

#include <cstdint>

namespace OperationObject {

// Set-points and profile (CiA DSP-402).
constexpr std::uint16_t TargetPosition = 0x607A;      // signed 32, inc
constexpr std::uint16_t TargetVelocity = 0x60FF;      // signed 32, inc/sec
constexpr std::uint16_t ProfileVelocity = 0x6081;     // unsigned 32, inc/sec
constexpr std::uint16_t ProfileAcceleration = 0x6083; // unsigned 32, inc/sec²
constexpr std::uint16_t ProfileDeceleration = 0x6084; // unsigned 32, inc/sec²
constexpr std::uint16_t MaxCurrent = 0x6073;          // unsigned 16, per thousand of the rated current
constexpr std::uint16_t HomingMethod = 0x6098;        // signed 8

// Manufacturer objects.
constexpr std::uint16_t UserProfileNumber = 0x2007;   // unsigned 8, 1...10
constexpr std::uint16_t PositionAssignment = 0x200B;  // signed 32, the position a homing -1 assigns
constexpr std::uint16_t DriveData = 0x6510;
constexpr std::uint8_t DriveDataHomingList = 0x0A;    // 1: the homing-method list applies

// Motor data (parameter table): sub-indexes of 0x6410.
constexpr std::uint16_t MotorData = 0x6410;
constexpr std::uint8_t MotorRatedCurrent = 0x03;      // unsigned 16, mA
constexpr std::uint8_t MotorTorqueConstant = 0x04;    // unsigned 16
constexpr std::uint8_t MotorGearNumerator = 0x05;     // unsigned 32
constexpr std::uint8_t MotorGearDenominator = 0x06;   // unsigned 32
constexpr std::uint8_t MotorGearEfficiency = 0x08;    // unsigned 16
constexpr std::uint8_t MotorPolePairs = 0x0B;         // unsigned 8

// Motion profile limits.
constexpr std::uint16_t MaxProfileVelocity = 0x607F;  // unsigned 32
constexpr std::uint16_t MaxAcceleration = 0x60C5;     // unsigned 32
constexpr std::uint16_t MaxDeceleration = 0x60C6;     // unsigned 32
constexpr std::uint16_t MotorRatedCurrentLimit = 0x6075; // unsigned 32, mA

// Position limits: sub 1 the lower, sub 2 the upper limit (signed 32).
constexpr std::uint16_t SoftwarePositionLimits = 0x607D;
constexpr std::uint16_t PositionDriveLimits = 0x2009;
constexpr std::uint16_t PositionSafetyLimits = 0x2008;
constexpr std::uint8_t LowerLimit = 1;
constexpr std::uint8_t UpperLimit = 2;

// Bits of the values the windows show.
constexpr std::uint16_t kStatuswordFault = 0x0008;         // statusword bit 3
constexpr std::uint16_t kStatuswordTargetReached = 0x0400; // statusword bit 10
constexpr std::uint32_t kStatusRegisterReferenced = 1u << 24;
constexpr std::uint32_t kStatusRegisterMalfunction = 1u << 31;

} // namespace OperationObject
