// CanPort.h - where the drive's frames go: the virtual bus or a SocketCAN
// interface. Frames use the identifier layout of canbus_frame.
#pragma once

#include <canbus/canbus.h>

#include <cstdint>
#include <memory>
#include <string>

class CanPort {
public:
    virtual ~CanPort() = default;
    // Sends one frame; false when it could not be sent.
    virtual bool send(const canbus_frame& frame) = 0;
    // Waits up to timeoutUs for a frame; true with a frame. False on
    // time-out, or as soon as the wake descriptor is readable.
    virtual bool receive(canbus_frame& frame, int64_t timeoutUs) = 0;
    // The descriptor that ends a wait in receive() (-1: none).
    virtual void setWakeFd(int fd) = 0;
    virtual void setBitrate(uint32_t bitsPerSecond) = 0;
    virtual std::string describe() const = 0;

    // wireTime: the bus costs wire time while this port is open.
    static std::unique_ptr<CanPort> openVirtual(const std::string& bus, uint32_t bitsPerSecond, bool wireTime,
                                                std::string& error);
    static std::unique_ptr<CanPort> openSocketCan(const std::string& interface, std::string& error);
};
