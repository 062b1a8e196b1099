// VirtualBackend - a driver channel on the virtual CAN bus. The endpoint's
// own receive queue (filled by its reader thread) is the driver's queue.
#ifndef PCANLIGHT_VIRTUALBACKEND_H
#define PCANLIGHT_VIRTUALBACKEND_H

#include "Backend.h"
#include "ErrorState.h"

#include <canbus/canbus.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace ovro::pcanlight {

class VirtualBackend : public Backend {
public:
    // Null with *error set (PCAN-Light bits) when the bus cannot be opened.
    static std::unique_ptr<VirtualBackend> open(const std::string& bus, std::uint32_t bitrate,
                                                bool extended, std::uint32_t* error);
    ~VirtualBackend() override;

    std::uint32_t write(const TPCANMsg& msg) override;
    std::uint32_t read(TPCANMsg& msg) override;
    std::uint32_t status() const override { return errorState_.bits(); }
    bool waitRead(std::uint32_t timeoutMicroseconds) override;
    void reset() override;

private:
    VirtualBackend(canbus_endpoint* endpoint, bool extended)
        : endpoint_(endpoint), extended_(extended) {}

    // A bus frame as the application sees it; false for one it does not get.
    bool convert(const canbus_frame& frame, TPCANMsg& msg);

    canbus_endpoint* endpoint_;
    bool extended_;
    ErrorState errorState_;
    std::mutex mutex_;
    // Messages that a waitRead took from the endpoint ahead of read().
    std::deque<TPCANMsg> held_;
    // Several threads may wait at once: one of them waits on the endpoint
    // (receiving_), the others on `held_` changing, so that a frame the one
    // takes wakes them all.
    bool receiving_ = false;
    std::condition_variable heldChanged_;
};

}  // namespace ovro::pcanlight

#endif
