// CMotorData: the motor and gear data of the parameter table (0x6410) that
// the motion windows compute with, each with its default when the table
// has no such parameter; and the formulas that turn actual values into
// amperes, newton metres and output-shaft speed.
#pragma once

#include <cstdint>
#include <optional>

namespace ovro {

class CQVTDevice;

class CMotorData {
public:
    std::uint16_t ratedCurrent = 0;     // sub 3, mA
    std::uint16_t torqueConstant = 0;   // sub 4
    std::uint32_t gearNumerator = 1;    // sub 5
    std::uint32_t gearDenominator = 1;  // sub 6
    std::uint16_t gearEfficiency = 1000; // sub 8
    std::uint8_t polePairs = 0;         // sub 0x0B

    // The values of the device's parameter table; null: the defaults.
    static CMotorData FromDevice(const CQVTDevice* device);

    // Amperes of a current given per thousand of the rated current.
    double Amperes(std::int32_t perThousand) const;
    // Output-shaft speed in 1/min of a motor velocity in inc/sec; nothing
    // without pole pairs or gear denominator.
    std::optional<std::int64_t> OutputShaftSpeed(std::int32_t velocity) const;
    // Output-shaft torque in Nm of a current per thousand; nothing without
    // gear numerator.
    std::optional<double> OutputShaftTorque(std::int16_t current) const;
};

} // namespace ovro
