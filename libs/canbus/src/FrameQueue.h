// FrameQueue - the bounded receive queue of an endpoint.
//
// The reader thread puts frames in; consumers take them out, waiting on a
// condition variable. A full queue drops the new frame and counts it.
#ifndef CANBUS_FRAMEQUEUE_H
#define CANBUS_FRAMEQUEUE_H

#include <canbus/canbus.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ovro::canbus {

class FrameQueue {
public:
    explicit FrameQueue(std::size_t capacity);

    // False when the queue was full and the frame was lost.
    bool push(const canbus_frame& frame);

    // Puts in several frames at once (one lock, one wake-up); frames that
    // do not fit are lost and counted. Returns the number kept.
    std::size_t push(const canbus_frame* frames, std::size_t count);

    // Takes the oldest frame, waiting up to timeout (negative: no limit).
    bool pop(canbus_frame& frame, std::chrono::microseconds timeout);

    std::size_t size() const;
    std::uint64_t takeLost();
    void clear();

private:
    std::vector<canbus_frame> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::uint64_t lost_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable nonEmpty_;
};

}  // namespace ovro::canbus

#endif
