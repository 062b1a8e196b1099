// Endpoint - one socket on a virtual bus, drained by its reader thread.
#ifndef CANBUS_ENDPOINT_H
#define CANBUS_ENDPOINT_H

#include "BusDirectory.h"

#include <canbus/ReceiveQueue.h>
#include <canbus/SocketReader.h>
#include <canbus/canbus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace ovro::canbus {

class Endpoint {
public:
    // Null with *err set (positive errno) on failure.
    static std::unique_ptr<Endpoint> open(const char* name, std::uint32_t bitrate, int* err);
    ~Endpoint();

    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    void setBitrate(std::uint32_t bitrate) { bitrate_.store(bitrate); }
    std::uint32_t bitrate() const { return bitrate_.load(); }

    int send(const canbus_frame& frame);
    ReceiveQueue<canbus_frame>& queue() { return queue_; }

private:
    Endpoint(BusDirectory dir, std::uint32_t bitrate);
    int bindUnique();
    void drain();

    BusDirectory dir_;
    std::string ownName_;
    int socket_ = -1;
    std::atomic<std::uint32_t> bitrate_;
    ReceiveQueue<canbus_frame> queue_;
    std::unique_ptr<SocketReader> reader_;
};

}  // namespace ovro::canbus

#endif
