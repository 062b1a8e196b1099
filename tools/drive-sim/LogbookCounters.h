// LogbookCounters.h - the drive's logbook 0x200E: power-on time, turn-on
// time (power stage enabled) and number of positioning operations.
#pragma once

#include <cstdint>

class LogbookCounters {
public:
    void restore(uint32_t powerOnSeconds, uint32_t turnOnSeconds, uint32_t positionings);

    // Time passes; enabled = the power stage is on.
    void advance(uint32_t elapsedMs, bool enabled);
    void countPositioning();

    uint32_t powerOnSeconds() const { return m_powerOn; }
    uint32_t turnOnSeconds() const { return m_turnOn; }
    uint32_t positionings() const { return m_positionings; }

    // True once after the counters changed in a way worth saving (each
    // full minute of power-on time, each positioning).
    bool takeSaveRequest();

private:
    uint32_t m_powerOn = 0;
    uint32_t m_turnOn = 0;
    uint32_t m_positionings = 0;
    uint32_t m_powerOnMs = 0;  // fraction of the running second
    uint32_t m_turnOnMs = 0;
    bool m_dirty = false;
};
