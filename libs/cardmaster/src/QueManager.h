// QueManager (CQueManager) - the host's side of a board's queues: opens the
// 3 transmit and 6 receive queues on the driver's message interface, guards
// each receive queue with a lock of its own, and runs one receive thread
// per notified queue (PDO 2, emergency 3, event 4, SYNC 5). A receive
// thread waits on its queue's event (200 ms at most), and while messages
// wait calls its callback with (handle, queue, 0) or writes the defined
// window message. Callbacks or window messages are defined once per board.
//
// Usage:
//   QueManager q(kdi, handle);
//   q.open();                                   // CM_ERR_KDI when the queues do not open
//   q.defineCallbacks({onPdo, nullptr, nullptr, nullptr});
//   q.receive(ORX_RXQ_PDO, block, sizeof block, &n);
//   q.stop(); q.close();
#ifndef CARDMASTER_QUEMANAGER_H
#define CARDMASTER_QUEMANAGER_H

#include <cardmaster/cardmaster.h>
#include <orxboard/kdi3.h>
#include <orxboard/orx_protocol.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace cardmaster {

class QueManager {
public:
    static constexpr int kNotified = 4;  // queues 2...5
    // How long stop() waits for each thread before leaving it behind.
    static constexpr int kStopWaitMs = 8888;

    QueManager(KdiMsgIf* kdi, std::uint16_t handle);
    ~QueManager();
    QueManager(const QueManager&) = delete;
    QueManager& operator=(const QueManager&) = delete;

    COP_CM_RESULT open();
    void close();

    KDI_RESULT receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size);
    KDI_RESULT level(std::uint16_t queue, std::uint32_t* count);
    // Drops every waiting block of a receive queue.
    void flush(std::uint16_t queue);
    KdiMsgIf* kdi() const { return m_kdi; }

    // Starts the threads of the queues that get a callback (pdo,
    // emergency, event, sync). 1 when defined before, CM_ERR_CALLBACK
    // when all are null.
    COP_CM_RESULT defineCallbacks(const std::array<ORX_CALLBACK, kNotified>& callbacks);
    COP_CM_RESULT defineWindowMessages(int window, const std::array<std::uint32_t, kNotified>& messages);
    // Sets the stop flag, wakes the threads and waits for each.
    void stop();
    void threadIds(std::uint32_t ids[kNotified]) const;

private:
    // What a receive thread uses; kept alive by a thread left behind.
    struct Shared {
        std::atomic<bool> stop{false};
        std::mutex mutex;
        std::condition_variable ended;
        bool finished[kNotified] = {};
        std::atomic<std::uint32_t> tid[kNotified] = {};
    };

    COP_CM_RESULT startThreads();
    void run(int index);

    KdiMsgIf* m_kdi;
    std::uint16_t m_handle;
    bool m_open = false;
    std::mutex m_locks[ORX_RX_QUEUES];
    std::mutex m_defineMutex;
    bool m_defined = false;
    std::array<ORX_CALLBACK, kNotified> m_callbacks{};
    int m_window = -1;
    std::array<std::uint32_t, kNotified> m_messages{};
    std::shared_ptr<Shared> m_shared;
    std::thread m_threads[kNotified];
};

}  // namespace cardmaster

#endif
