#include "FrameQueue.h"

namespace ovro::canbus {

FrameQueue::FrameQueue(std::size_t capacity) : slots_(capacity) {}

bool FrameQueue::push(const canbus_frame& frame)
{
    return push(&frame, 1) == 1;
}

std::size_t FrameQueue::push(const canbus_frame* frames, std::size_t count)
{
    std::size_t kept = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (; kept < count && count_ < slots_.size(); ++kept) {
            slots_[(head_ + count_) % slots_.size()] = frames[kept];
            ++count_;
        }
        lost_ += count - kept;
    }
    if (kept > 0)
        nonEmpty_.notify_all();
    return kept;
}

bool FrameQueue::pop(canbus_frame& frame, std::chrono::microseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return count_ > 0; };
    // Beyond a day counts as "no limit", which also keeps the deadline in range.
    if (timeout.count() < 0 || timeout > std::chrono::hours(24)) {
        nonEmpty_.wait(lock, ready);
    } else if (timeout.count() > 0) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        if (!nonEmpty_.wait_until(lock, deadline, ready))
            return false;
    } else if (!ready()) {
        return false;
    }
    frame = slots_[head_];
    head_ = (head_ + 1) % slots_.size();
    --count_;
    return true;
}

std::size_t FrameQueue::size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

std::uint64_t FrameQueue::takeLost()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::uint64_t lost = lost_;
    lost_ = 0;
    return lost;
}

void FrameQueue::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    head_ = 0;
    count_ = 0;
}

}  // namespace ovro::canbus
