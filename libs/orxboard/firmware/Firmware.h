// Firmware - the CANopen master firmware of an emulated Orvax board, booted
// from a checked image when the board is configured: the command service,
// the SDO service and the bus pump, each on a thread of its own, over the
// board's queues and the master engine. Stopped (threads joined, CAN
// controller closed) when the board closes.
#ifndef ORXBOARD_FIRMWARE_H
#define ORXBOARD_FIRMWARE_H

#include "FirmwareState.h"

#include <memory>
#include <thread>

namespace orx {

class Firmware {
public:
    Firmware(std::shared_ptr<BoardQueues> queues, FirmwareSettings settings);
    ~Firmware();
    Firmware(const Firmware&) = delete;
    Firmware& operator=(const Firmware&) = delete;

    // Starts the threads and reports the boot on the event queue; false
    // when a thread cannot be made (nothing keeps running then).
    bool start();
    void stop();

private:
    FirmwareState m_state;
    std::thread m_commands, m_sdo, m_pump;
};

}  // namespace orx

#endif
