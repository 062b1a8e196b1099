#include "DriveElectrics.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kHoldingShare = 0.5;   // current reduction at stand-still
constexpr double kRunningShare = 0.8;   // constant speed
constexpr double kCurrentTau = 0.004;   // s, current controller
constexpr double kVoltageTau = 0.020;   // s, DC-link capacitor
constexpr double kThermalTau = 180.0;   // s, heat sink
constexpr double kHeatAtRated = 35.0;   // K above ambient at rated current
constexpr double kSagPerMille = 1.2;    // mV of sag per per-mille of current
constexpr double kBrakeRise = 600.0;    // mV while braking

double follow(double value, double target, double dt, double tau)
{
    return value + (target - value) * std::min(1.0, dt / tau);
}
}  // namespace

void DriveElectrics::update(double dt, bool powered, double velocity, double acceleration, uint16_t maxCurrent)
{
    if (!m_started) {
        m_voltage = supplyMillivolts;
        m_temperature = ambientCelsius;
        m_started = true;
    }
    double target = 0;
    if (powered) {
        double share = kHoldingShare;
        if (acceleration != 0.0)
            share = 1.0;
        else if (velocity != 0.0)
            share = kRunningShare;
        const double direction = velocity != 0.0 ? (velocity < 0 ? -1.0 : 1.0) : (acceleration < 0 ? -1.0 : 1.0);
        target = direction * share * maxCurrent;
    }
    m_current = follow(m_current, target, dt, kCurrentTau);

    const bool braking = velocity * acceleration < 0;
    const double volts = supplyMillivolts - kSagPerMille * std::fabs(m_current) + (braking ? kBrakeRise : 0.0);
    m_voltage = follow(m_voltage, volts, dt, kVoltageTau);

    const double load = m_current / 1000.0;
    m_temperature = follow(m_temperature, ambientCelsius + kHeatAtRated * load * load, dt, kThermalTau);
}

int16_t DriveElectrics::current() const
{
    return static_cast<int16_t>(std::lround(std::clamp(m_current, -32768.0, 32767.0)));
}

uint32_t DriveElectrics::voltage() const
{
    return static_cast<uint32_t>(std::lround(std::max(m_voltage, 0.0)));
}

int8_t DriveElectrics::temperature() const
{
    return static_cast<int8_t>(std::lround(std::clamp(m_temperature, -128.0, 127.0)));
}
