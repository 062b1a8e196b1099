// ReceiveQueue - the bounded receive queue that a socket's reader fills and
// consumers empty: the virtual bus endpoint queues bus frames in it, the
// SocketCAN channel of the PCAN-Light libraries its message records.
//
// A full queue drops the new entries (as a CAN controller loses what it has
// no room for) and counts them. Thread-safe; nothing is allocated after
// construction.
#ifndef CANBUS_RECEIVEQUEUE_H
#define CANBUS_RECEIVEQUEUE_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ovro::canbus {

template <class Entry>
class ReceiveQueue {
public:
    explicit ReceiveQueue(std::size_t capacity) : slots_(capacity) {}

    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;

    // False when the queue was full and the entry was lost.
    bool push(const Entry& entry) { return push(&entry, 1) == 1; }

    // Puts in several entries at once (one lock, one wake-up); entries that
    // do not fit are lost and counted. Returns the number kept.
    std::size_t push(const Entry* entries, std::size_t count)
    {
        std::size_t kept = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (; kept < count && count_ < slots_.size(); ++kept) {
                slots_[(head_ + count_) % slots_.size()] = entries[kept];
                ++count_;
            }
            lost_ += count - kept;
        }
        if (count > 0)
            ready_.notify_all();
        return kept;
    }

    // Takes the oldest entry, waiting up to timeout (negative: no limit).
    bool pop(Entry& entry, std::chrono::microseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!waitFor(lock, timeout, [this] { return count_ > 0; }))
            return false;
        entry = slots_[head_];
        head_ = (head_ + 1) % slots_.size();
        --count_;
        return true;
    }

    // Waits up to timeout (negative: no limit) until an entry waits or an
    // entry was lost; false on time-out.
    bool waitReady(std::chrono::microseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return waitFor(lock, timeout, [this] { return count_ > 0 || lost_ > 0; });
    }

    std::size_t size() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }

    // Entries lost since the last call; resets the count.
    std::uint64_t takeLost()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::uint64_t lost = lost_;
        lost_ = 0;
        return lost;
    }

    // Drops every queued entry; the count of lost entries stays.
    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        head_ = 0;
        count_ = 0;
    }

private:
    template <class Ready>
    bool waitFor(std::unique_lock<std::mutex>& lock, std::chrono::microseconds timeout, Ready ready)
    {
        // Beyond a day counts as "no limit", which also keeps the deadline in range.
        if (timeout.count() < 0 || timeout > std::chrono::hours(24)) {
            ready_.wait(lock, ready);
            return true;
        }
        if (timeout.count() == 0)
            return ready();
        return ready_.wait_until(lock, std::chrono::steady_clock::now() + timeout, ready);
    }

    std::vector<Entry> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::uint64_t lost_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
};

}  // namespace ovro::canbus

#endif
