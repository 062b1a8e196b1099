#include "operation/MotorData.h"

#include "description/QVTDevice.h"
#include "operation/OperationObjects.h"

namespace ovro {

namespace {

template <typename T>
void Take(const CQVTDevice& device, std::uint8_t sub, T& field)
{
    if (const CQVTParameter* p = device.FindParameter(OperationObject::MotorData, sub))
        field = static_cast<T>(p->GetInteger());
}

} // namespace

CMotorData CMotorData::FromDevice(const CQVTDevice* device)
{
    using namespace OperationObject;
    CMotorData data;
    if (device == nullptr)
        return data;
    Take(*device, MotorRatedCurrent, data.ratedCurrent);
    Take(*device, MotorTorqueConstant, data.torqueConstant);
    Take(*device, MotorGearNumerator, data.gearNumerator);
    Take(*device, MotorGearDenominator, data.gearDenominator);
    Take(*device, MotorGearEfficiency, data.gearEfficiency);
    Take(*device, MotorPolePairs, data.polePairs);
    return data;
}

double CMotorData::Amperes(std::int32_t perThousand) const
{
    return static_cast<double>(perThousand) * static_cast<double>(ratedCurrent) * 1e-6;
}

std::optional<std::int64_t> CMotorData::OutputShaftSpeed(std::int32_t velocity) const
{
    if (polePairs == 0 || gearDenominator == 0)
        return std::nullopt;
    // One motor revolution is 6 x pole pairs increments. In 64 bits: a
    // geared motor's product overflows 32 bits at quite ordinary speeds.
    const std::int64_t numerator = static_cast<std::int64_t>(velocity) * gearNumerator * 60;
    const std::int64_t denominator = static_cast<std::int64_t>(polePairs) * gearDenominator * 6;
    return numerator / denominator;
}

std::optional<double> CMotorData::OutputShaftTorque(std::int16_t current) const
{
    if (gearNumerator == 0)
        return std::nullopt;
    const double torque = static_cast<double>(current) * gearDenominator * torqueConstant * gearEfficiency *
                          ratedCurrent / (static_cast<double>(gearNumerator) * 1e12);
    return torque * 0.01;
}

} // namespace ovro
