// Endpoint - one socket on a virtual bus: it sends to the cached list of
// peers with one system call and is drained by its SocketReader.
#ifndef CANBUS_ENDPOINT_H
#define CANBUS_ENDPOINT_H

#include "BusDirectory.h"
#include "BusRecord.h"
#include "PeerList.h"

#include <canbus/ReceiveQueue.h>
#include <canbus/SocketReader.h>
#include <canbus/canbus.h>

#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ovro::canbus {

class Endpoint {
public:
    // Null with *err set (positive errno) on failure. wireTime: the bus
    // costs wire time while this endpoint is open.
    static std::unique_ptr<Endpoint> open(const char* name, std::uint32_t bitrate, bool wireTime, int* err);
    ~Endpoint();

    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    void setBitrate(std::uint32_t bitrate) { bitrate_.store(bitrate); }
    std::uint32_t bitrate() const { return bitrate_.load(); }

    // Sends to every peer; on a wire-timed bus only once the frame has had
    // its slot on the wire, after the frames before it.
    int send(const canbus_frame& frame);
    // Whether the bus costs wire time, as the peers now say.
    bool wireTimed();

    // Takes the oldest frame, waiting up to timeout (negative: no limit).
    // A waiting consumer drains the socket itself. False on time-out, or
    // when the wake descriptor became readable.
    bool receive(canbus_frame& frame, std::chrono::microseconds timeout);

    int setWakeFd(int fd) { return reader_->setWakeFd(fd); }

    ReceiveQueue<canbus_frame>& queue() { return queue_; }

private:
    // A peer whose datagram must be sent once more.
    struct Retry {
        std::size_t peer;
        bool refused;
        std::chrono::steady_clock::time_point refusedAt;
        dev_t dev;
        ino_t ino;
    };

    Endpoint(BusDirectory dir, std::uint32_t bitrate);
    int bindUnique(bool wireTime);
    void passWire(const canbus_frame& frame);
    std::size_t drain();
    void refreshPeers();
    bool noteRefusal(Retry& peer, std::chrono::steady_clock::time_point now);
    bool retryRefused(Retry& peer, std::chrono::steady_clock::time_point now,
                      std::chrono::steady_clock::time_point deadline);

    BusDirectory dir_;
    std::string ownName_;
    int socket_ = -1;
    std::atomic<std::uint32_t> bitrate_;
    ReceiveQueue<canbus_frame> queue_;
    std::unique_ptr<SocketReader> reader_;

    // The sending side, one sender at a time; sized when the peers change.
    std::unique_ptr<BusRecord> record_;  // may be missing: then the folder is read per send
    std::mutex sendMutex_;
    PeerList peers_;
    std::vector<mmsghdr> messages_;
    std::vector<Retry> retry_;
    std::int64_t localBusFree_ = 0;  // without the bus record: this endpoint's own wire
};

}  // namespace ovro::canbus

#endif
