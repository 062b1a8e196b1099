// BoardSlot - what this process keeps of one open board: the driver
// library and its objects, the queue manager, the SDO handler, the
// timeouts and the lock that lets one command and its answer through at a
// time. The slot's shared part lives in the SharedSlotTable.
#ifndef CARDMASTER_BOARDSLOT_H
#define CARDMASTER_BOARDSLOT_H

#include "DriverLibrary.h"
#include "QueManager.h"
#include "SdoHandler.h"
#include "SharedSlotTable.h"

#include <orxboard/kdi3.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>

namespace cardmaster {

class RegistryLibrary;

struct BoardSlot {
    enum Phase { kClosed, kOpening, kOpen, kClosing };

    std::shared_mutex access;
    std::atomic<int> phase{kClosed};
    std::mutex command;  // one command and its answer at a time

    int index = 0;
    SharedSlotTable* table = nullptr;
    RegistryLibrary* registry = nullptr;
    std::uint32_t boardType = 0;
    std::uint32_t entry = 0;
    std::shared_ptr<DriverLibrary> driver;
    KdiBsp* bsp = nullptr;
    KdiMsgIf* kdi = nullptr;
    std::unique_ptr<QueManager> queues;
    std::unique_ptr<SdoHandler> sdo;

    std::atomic<std::uint16_t> commTimeout{5000};
    std::atomic<std::uint16_t> sdoTimeout{400};
    std::atomic<std::uint16_t> thirdSetting{3};  // seconds between time stamps
    std::atomic<std::uint32_t> sendWaits{0};     // 1 ms waits for room in a transmit queue
    std::uint16_t firmwareVersion = 0;

    // The length of each transmit PDO the board has (node * 10 + number - 1;
    // kNoPdo when none): COP_WritePDO takes no more bytes from its caller.
    static constexpr std::uint8_t kNoPdo = 0xFF;
    std::mutex pdoMutex;
    std::array<std::uint8_t, 128 * 10> txPdoLength{};
    void forgetPdos()
    {
        std::lock_guard<std::mutex> lock(pdoMutex);
        txPdoLength.fill(kNoPdo);
    }

    std::uint16_t handle() const { return static_cast<std::uint16_t>(index + 1); }
};

}  // namespace cardmaster

#endif
