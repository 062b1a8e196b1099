#include "DriveFaults.h"

namespace {
// error register bits: 0 generic, 1 current, 2 voltage, 3 temperature, 7 manufacturer
constexpr uint8_t kCurrent = 0x02;
constexpr uint8_t kVoltage = 0x04;
constexpr uint8_t kTemperature = 0x08;
constexpr uint8_t kManufacturer = 0x80;

using namespace DriveStatusBit;
constexpr DriveFaults::Info kTable[] = {
    {0x2310, kCurrent, ContinuousCurrentExceeded},
    {0x3110, kVoltage, SupplyOverVoltage},
    {0x3120, kVoltage, SupplyUnderVoltage},
    {0x3210, kVoltage, DcLinkOverVoltage},
    {0x3220, kVoltage, DcLinkUnderVoltage},
    {0x4210, kTemperature, ExcessTemperature},
    {0x5530, kManufacturer, EepromError},
    {0x6100, kManufacturer, InternalSystemError},
    {0x6320, kManufacturer, ConfigurationParameterLoss},
    {0x7121, kManufacturer, BlockMovement},
    {0x7300, kManufacturer, HallSensorError},
    {0x8611, kManufacturer, SpeedVariation},
    {DriveErrorCode::HomingError, kManufacturer, 0},
    {DriveErrorCode::SafetyLimitExceeded, kManufacturer, 0},
};
}  // namespace

DriveFaults::Info DriveFaults::lookup(uint16_t code)
{
    for (const Info& info : kTable)
        if (info.code == code)
            return info;
    return {code, 0, 0};
}

uint8_t DriveFaults::errorRegister() const
{
    return m_faulted ? static_cast<uint8_t>(0x01 | m_active.errorRegister) : 0;
}

uint32_t DriveFaults::statusBits() const
{
    return m_faulted ? (Malfunction | m_active.statusBits) : 0;
}
