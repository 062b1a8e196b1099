// SocketCanBackend - a driver channel on a Linux SocketCAN interface: a raw
// CAN socket with error frames, drained by a reader thread of its own into
// a receive queue (the same reader and queue as the virtual bus endpoint's).
#ifndef PCANLIGHT_SOCKETCANBACKEND_H
#define PCANLIGHT_SOCKETCANBACKEND_H

#include "Backend.h"
#include "ErrorState.h"

#include <canbus/ReceiveQueue.h>
#include <canbus/SocketReader.h>

#include <memory>
#include <string>

namespace ovro::pcanlight {

class SocketCanBackend : public Backend {
public:
    static constexpr std::size_t kQueueMessages = 8192;

    // Null with *error set when the interface cannot be used at `bitrate`:
    // PCAN_ERR_REGTEST when it (or SocketCAN) is missing or cannot be
    // brought up, PCAN_ERR_PARMVAL when it runs at another rate that this
    // process may not change.
    static std::unique_ptr<SocketCanBackend> open(const std::string& interface,
                                                  std::uint32_t bitrate, bool extended,
                                                  std::uint32_t* error);
    ~SocketCanBackend() override;

    std::uint32_t write(const TPCANMsg& msg) override;
    std::uint32_t read(TPCANMsg& msg) override;
    std::uint32_t status() const override { return errorState_.bits(); }
    bool waitRead(std::uint32_t timeoutMicroseconds) override;
    void reset() override;

private:
    explicit SocketCanBackend(bool extended) : extended_(extended), queue_(kQueueMessages) {}
    std::size_t drain();

    bool extended_;
    int socket_ = -1;
    ErrorState errorState_;
    canbus::ReceiveQueue<TPCANMsg> queue_;
    std::unique_ptr<canbus::SocketReader> reader_;
};

}  // namespace ovro::pcanlight

#endif
