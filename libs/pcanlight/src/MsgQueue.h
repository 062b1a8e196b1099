// MsgQueue - the bounded receive queue of a SocketCAN channel, filled by its
// reader thread; a full queue drops new messages and counts them.
#ifndef PCANLIGHT_MSGQUEUE_H
#define PCANLIGHT_MSGQUEUE_H

#include <pcanlight/pcan_light.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ovro::pcanlight {

class MsgQueue {
public:
    explicit MsgQueue(std::size_t capacity) : slots_(capacity) {}

    void push(const TPCANMsg& msg);
    bool pop(TPCANMsg& msg);
    bool waitNonEmpty(std::uint32_t timeoutMicroseconds);
    std::uint64_t takeLost();
    void clear();

private:
    std::vector<TPCANMsg> slots_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::uint64_t lost_ = 0;
    std::mutex mutex_;
    std::condition_variable nonEmpty_;
};

}  // namespace ovro::pcanlight

#endif
