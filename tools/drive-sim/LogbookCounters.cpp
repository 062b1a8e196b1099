#include "LogbookCounters.h"

void LogbookCounters::restore(uint32_t powerOnSeconds, uint32_t turnOnSeconds, uint32_t positionings)
{
    m_powerOn = powerOnSeconds;
    m_turnOn = turnOnSeconds;
    m_positionings = positionings;
    m_powerOnMs = m_turnOnMs = 0;
    m_dirty = false;
}

void LogbookCounters::advance(uint32_t elapsedMs, bool enabled)
{
    m_powerOnMs += elapsedMs;
    while (m_powerOnMs >= 1000) {
        m_powerOnMs -= 1000;
        ++m_powerOn;  // wraps after 136 years, as the 32-bit object does
        if (m_powerOn % 60 == 0)
            m_dirty = true;
    }
    if (enabled) {
        m_turnOnMs += elapsedMs;
        while (m_turnOnMs >= 1000) {
            m_turnOnMs -= 1000;
            ++m_turnOn;
        }
    }
}

void LogbookCounters::countPositioning()
{
    ++m_positionings;
    m_dirty = true;
}

bool LogbookCounters::takeSaveRequest()
{
    const bool dirty = m_dirty;
    m_dirty = false;
    return dirty;
}
