// SocketReader - keeps a socket drained, with as few thread hops as the
// kernel allows. The virtual bus endpoint and the SocketCAN channel of the
// PCAN-Light libraries both run on it.
//
// Two parties drain the socket into the owner's receive queue, one at a time:
//   - a consumer that waits for data (awaitData) is woken by the kernel
//     itself when a datagram arrives and drains it in its own thread: one
//     wake-up from datagram to consumer;
//   - the reader thread is the backstop: whenever no consumer waits, it is
//     the one the kernel wakes, so the socket never stays undrained.
// Both wait on the socket with EPOLLEXCLUSIVE, the consumer's wait being
// registered first: the kernel wakes the first exclusive waiter it finds
// actually waiting, so a waiting consumer gets the datagram and the reader
// thread sleeps on. A datagram that comes while the consumer is between two
// waits (an answer faster than its own bookkeeping) would still wake the
// reader; so while consumers keep waiting, the reader thread stands aside
// and the consumers drain, and it takes over again 1 ms after the last wait
// ended (well within the 2 ms a sender retries on a full socket, so no
// frame is lost meanwhile).
//
// The thread never gives up on a passing failure (EINTR, ENOMEM); it takes a
// pending socket error (an interface gone down) and goes on. It ends when
// stopped or when the socket is closed under it.
#ifndef CANBUS_SOCKETREADER_H
#define CANBUS_SOCKETREADER_H

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace ovro::canbus {

class SocketReader {
public:
    // drain: reads the socket (without blocking) until it is empty and
    // returns the number of entries it queued. Called with a lock held, by
    // one party at a time.
    SocketReader(int socket, std::function<std::size_t()> drain);
    ~SocketReader();  // stops the thread

    SocketReader(const SocketReader&) = delete;
    SocketReader& operator=(const SocketReader&) = delete;

    // Starts the thread; 0 or a positive errno.
    int start();
    // Stops the thread and waits for it; the socket stays open.
    void stop();

    // Drains the socket now, in the calling thread.
    std::size_t drainNow();

    enum class Wait {
        Ready,    // the socket is readable or the reader queued something
        Woken,    // the wake descriptor became readable
        TimedOut,
        Busy,     // another consumer waits already: wait on the queue instead
    };
    // Waits, as the consumer, until data arrives or the time-out (negative:
    // none) passes. queued tells whether the queue holds something; it is
    // asked once more after the consumer has announced itself, so that
    // nothing the reader queued meanwhile is slept over.
    Wait awaitData(std::chrono::microseconds timeout, const std::function<bool()>& queued);

    // A consumer in awaitData also returns (Woken) when fd becomes readable;
    // -1 takes it away again. 0 or a positive errno.
    int setWakeFd(int fd);

private:
    void run();
    void takeNotification();
    void markConsumerActive();

    int socket_;
    std::function<std::size_t()> drain_;
    int consumerPoll_ = -1;  // the consumer's epoll: socket (first), notification, wake fd
    int readerPoll_ = -1;    // the reader's epoll: socket, stop
    int stopEvent_ = -1;
    int notifyEvent_ = -1;   // the reader queued something for a waiting consumer
    int wakeFd_ = -1;
    std::atomic<bool> consumerWaits_{false};
    // Until when (steady clock, ns) the reader thread stands aside.
    std::atomic<std::int64_t> consumersUntil_{0};
    std::mutex drainMutex_;
    std::mutex setupMutex_;
    std::thread thread_;
};

}  // namespace ovro::canbus

#endif
