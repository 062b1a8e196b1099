// DriveFaults.h - the drive's fault table (emergency error code -> error
// register and status register bits) and the fault that is active.
#pragma once

#include <cstdint>

// Bits of the manufacturer status register 0x1002.
namespace DriveStatusBit {
constexpr uint32_t ConfigurationParameterLoss = 1u << 0;
constexpr uint32_t DcLinkOverVoltage = 1u << 4;
constexpr uint32_t DcLinkUnderVoltage = 1u << 5;
constexpr uint32_t SupplyOverVoltage = 1u << 6;
constexpr uint32_t SupplyUnderVoltage = 1u << 7;
constexpr uint32_t InternalSystemError = 1u << 12;
constexpr uint32_t EepromError = 1u << 13;
constexpr uint32_t HallSensorError = 1u << 16;
constexpr uint32_t SpeedVariation = 1u << 18;
constexpr uint32_t BlockMovement = 1u << 20;
constexpr uint32_t ContinuousCurrentExceeded = 1u << 21;
constexpr uint32_t ExcessTemperature = 1u << 22;
constexpr uint32_t DriveReferenced = 1u << 24;
constexpr uint32_t PositionApproached = 1u << 25;
constexpr uint32_t MotorTurning = 1u << 26;
constexpr uint32_t EmergencyStopActive = 1u << 29;
constexpr uint32_t Warning = 1u << 30;
constexpr uint32_t Malfunction = 1u << 31;
}  // namespace DriveStatusBit

// Manufacturer-specific error codes of the drive.
namespace DriveErrorCode {
constexpr uint16_t HomingError = 0xFF10;       // switch not found
constexpr uint16_t SafetyLimitExceeded = 0xFF11;
}  // namespace DriveErrorCode

class DriveFaults {
public:
    struct Info {
        uint16_t code;
        uint8_t errorRegister;  // bits of 0x1001 besides the generic bit 0
        uint32_t statusBits;    // bits of 0x1002 besides bit 31
    };
    // The table entry of an error code; unknown codes are generic errors.
    static Info lookup(uint16_t code);

    void raise(uint16_t code) { m_active = lookup(code); m_faulted = true; }
    void clear() { m_faulted = false; m_active = {}; }

    bool active() const { return m_faulted; }
    uint16_t code() const { return m_faulted ? m_active.code : 0; }
    uint8_t errorRegister() const;  // 0x1001 while the fault is active
    uint32_t statusBits() const;    // 0x1002 bits of the fault, with bit 31

private:
    Info m_active{};
    bool m_faulted = false;
};
