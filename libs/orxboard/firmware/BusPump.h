// BusPump - the firmware's receive side and its clocks: moves the PDOs and
// emergencies the controller receives into receive queues 2 and 3, sends
// the SYNC messages that are due (each noted in receive queue 5) and the
// time stamps, reports changes of the controller's state as events on
// receive queue 4, and, while the SDO service works on a host transfer, tells the
// host so on receive queue 1 several times per SDO time-out. Runs on a
// thread of its own.
#ifndef ORXBOARD_BUSPUMP_H
#define ORXBOARD_BUSPUMP_H

#include "FirmwareState.h"

namespace orx {

class BusPump {
public:
    explicit BusPump(FirmwareState& state) : m_state(state) {}
    void run();

    // One round with the engine's lock held: received frames, producers,
    // controller state. Public for the tests of the firmware.
    void pumpLocked(Clock::time_point now);

private:
    void post(std::uint16_t queue, const std::uint8_t* block, std::uint32_t size);
    void event(std::uint16_t code, std::uint32_t value);
    void produceSync(Clock::time_point now);
    void produceTime(Clock::time_point now);
    void busyNote(Clock::time_point now);
    Clock::duration untilNextDeadline(Clock::time_point now) const;

    FirmwareState& m_state;
    std::uint8_t m_lastStatus = 0;
    bool m_lost[8] = {};
    Clock::time_point m_lastNote{};
    Clock::time_point m_nextSync{}, m_nextTime{};  // copies, read without the lock
    bool m_syncDue = false, m_timeDue = false;
};

}  // namespace orx

#endif
