// BoardSlot - what this process keeps of one open board: the driver
// library and its objects, the queue manager, the SDO handler, the
// timeouts and the lock that lets one command and its answer through at a
// time. The slot's shared part lives in the SharedSlotTable.
//
// Exports reach a slot through BoardTable::use(), which holds the slot's
// access lock (shared) for the call; COP_ReleaseBoard first closes the
// slot to new calls, stops the threads, then waits for the calls in flight
// (exclusive) before it takes the objects down.
#ifndef CARDMASTER_BOARDSLOT_H
#define CARDMASTER_BOARDSLOT_H

#include "DriverLibrary.h"
#include "QueManager.h"
#include "SdoHandler.h"
#include "SharedSlotTable.h"

#include <orxboard/kdi3.h>

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

    std::uint16_t handle() const { return static_cast<std::uint16_t>(index + 1); }
};

class BoardTable {
public:
    // The slot with that index (0...3), open or not.
    static BoardSlot& slot(int index);
    // Bits of the slots this process has in use.
    static unsigned busyMask();

    // An open slot of this process, held for one call.
    class Use {
    public:
        explicit Use(std::uint16_t handle);
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        explicit operator bool() const { return m_slot != nullptr; }
        BoardSlot* operator->() const { return m_slot; }
        BoardSlot& operator*() const { return *m_slot; }

    private:
        std::shared_lock<std::shared_mutex> m_lock;
        BoardSlot* m_slot = nullptr;
    };
};

}  // namespace cardmaster

#endif
