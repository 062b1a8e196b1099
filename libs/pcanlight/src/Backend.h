// Backend - the CAN channel behind a driver library: the virtual bus or a
// SocketCAN interface. Every call may come from any thread.
#ifndef PCANLIGHT_BACKEND_H
#define PCANLIGHT_BACKEND_H

#include <pcanlight/pcan_light.h>

#include <cstdint>

namespace ovro::pcanlight {

class Backend {
public:
    virtual ~Backend() = default;

    // PCAN-Light result words.
    virtual std::uint32_t write(const TPCANMsg& msg) = 0;
    virtual std::uint32_t read(TPCANMsg& msg) = 0;  // PCAN_ERR_QRCVEMPTY when empty
    virtual std::uint32_t status() const = 0;

    // True once something waits for read(), false after the time-out.
    virtual bool waitRead(std::uint32_t timeoutMicroseconds) = 0;

    // Empties the receive queue.
    virtual void reset() = 0;
};

}  // namespace ovro::pcanlight

#endif
