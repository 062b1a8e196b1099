// BoardQueues - the board's message memory: transmit queues (host to
// board) and receive queues (board to host) of blocks, each of bounded
// depth. The host sends and receives through the message interface; the
// firmware takes and posts on its threads. Each receive queue has an
// auto-reset event that every posted block sets.
#ifndef ORXBOARD_BOARDQUEUES_H
#define ORXBOARD_BOARDQUEUES_H

#include <orxboard/kdi3.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace orx {

struct Block {
    std::uint16_t size = 0;
    std::array<std::uint8_t, KDI_MAX_BLOCK> data{};
};

class BoardQueues {
public:
    BoardQueues(std::uint16_t txQueues, std::uint16_t rxQueues, std::uint16_t depth);

    std::uint16_t txQueues() const { return static_cast<std::uint16_t>(m_tx.size()); }
    std::uint16_t rxQueues() const { return static_cast<std::uint16_t>(m_rx.size()); }

    // ---- host side (KDI_ results) ----
    KDI_RESULT send(std::uint16_t queue, const void* block, std::uint32_t size);
    KDI_RESULT receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size);
    KDI_RESULT txFree(std::uint16_t queue, std::uint32_t* free);
    KDI_RESULT rxLevel(std::uint16_t queue, std::uint32_t* count);
    KDI_RESULT waitEvent(std::uint16_t queue, std::uint32_t timeoutMs);
    KDI_RESULT setEvent(std::uint16_t queue);

    // ---- board side ----
    // Takes the oldest block of a transmit queue; false when it is empty.
    bool take(std::uint16_t queue, Block& out);
    // Waits until one of the transmit queues in `mask` (bit n: queue n)
    // holds a block, the time is up or the queues stop; false on stop.
    bool waitForHost(unsigned mask, std::chrono::milliseconds timeout);
    // Queues a block for the host and sets the queue's event; false when
    // the queue is full (the block is dropped).
    bool post(std::uint16_t queue, const std::uint8_t* block, std::uint32_t size);
    // Ends every wait of the board side and refuses further blocks.
    void stop();
    bool stopped() const;

private:
    struct RxQueue {
        std::deque<Block> blocks;
        bool event = false;
        std::condition_variable signal;
    };

    std::size_t m_depth;
    mutable std::mutex m_mutex;
    std::condition_variable m_hostSent;
    std::vector<std::deque<Block>> m_tx;
    std::vector<RxQueue> m_rx;
    bool m_stopped = false;
};

}  // namespace orx

#endif
