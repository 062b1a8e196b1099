#include "MsgQueue.h"

#include <chrono>

namespace ovro::pcanlight {

void MsgQueue::push(const TPCANMsg& msg)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (count_ == slots_.size()) {
            ++lost_;
            return;
        }
        slots_[(head_ + count_) % slots_.size()] = msg;
        ++count_;
    }
    nonEmpty_.notify_all();
}

bool MsgQueue::pop(TPCANMsg& msg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == 0)
        return false;
    msg = slots_[head_];
    head_ = (head_ + 1) % slots_.size();
    --count_;
    return true;
}

bool MsgQueue::waitNonEmpty(std::uint32_t timeoutMicroseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return nonEmpty_.wait_for(lock, std::chrono::microseconds(timeoutMicroseconds),
                              [this] { return count_ > 0 || lost_ > 0; });
}

std::uint64_t MsgQueue::takeLost()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::uint64_t lost = lost_;
    lost_ = 0;
    return lost;
}

void MsgQueue::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    head_ = 0;
    count_ = 0;
    lost_ = 0;
}

}  // namespace ovro::pcanlight
