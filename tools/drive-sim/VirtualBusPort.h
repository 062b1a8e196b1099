// VirtualBusPort.h - a CanPort on the virtual CAN bus.
#pragma once

#include "CanPort.h"

class VirtualBusPort : public CanPort {
public:
    VirtualBusPort(canbus_endpoint* endpoint, std::string bus) : m_endpoint(endpoint), m_bus(std::move(bus)) {}
    ~VirtualBusPort() override;
    VirtualBusPort(const VirtualBusPort&) = delete;
    VirtualBusPort& operator=(const VirtualBusPort&) = delete;

    bool send(const canbus_frame& frame) override;
    bool receive(canbus_frame& frame, int64_t timeoutUs) override;
    void setWakeFd(int fd) override;
    void setBitrate(uint32_t bitsPerSecond) override;
    std::string describe() const override;

private:
    canbus_endpoint* m_endpoint;
    std::string m_bus;
};
