// DriveElectrics.h - motor current, DC-link voltage and drive temperature
// as they follow the motion.
#pragma once

#include <cstdint>

class DriveElectrics {
public:
    double supplyMillivolts = 24000;
    double ambientCelsius = 28;

    // dt in seconds; maxCurrent in per thousand of the rated current.
    void update(double dt, bool powered, double velocity, double acceleration, uint16_t maxCurrent);

    int16_t current() const;     // per thousand of the rated current, signed by direction
    uint32_t voltage() const;    // mV
    int8_t temperature() const;  // °C

private:
    double m_current = 0;
    double m_voltage = 24000;
    double m_temperature = 28;
    bool m_started = false;
};
