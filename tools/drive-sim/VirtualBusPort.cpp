#include "VirtualBusPort.h"

#include <cstring>

std::unique_ptr<CanPort> CanPort::openVirtual(const std::string& bus, uint32_t bitsPerSecond, bool wireTime,
                                              std::string& error)
{
    int err = 0;
    canbus_endpoint* ep = wireTime ? canbus_open_with(bus.c_str(), bitsPerSecond, CANBUS_WIRE_TIME, &err)
                                   : canbus_open(bus.c_str(), bitsPerSecond, &err);
    if (!ep) {
        error = "cannot open virtual bus '" + bus + "': " + std::strerror(err);
        return nullptr;
    }
    return std::make_unique<VirtualBusPort>(ep, bus);
}

VirtualBusPort::~VirtualBusPort()
{
    canbus_close(m_endpoint);
}

bool VirtualBusPort::send(const canbus_frame& frame)
{
    return canbus_send(m_endpoint, &frame) == 0;
}

bool VirtualBusPort::receive(canbus_frame& frame, int64_t timeoutUs)
{
    return canbus_receive_us(m_endpoint, &frame, timeoutUs) == 1;
}

void VirtualBusPort::setWakeFd(int fd)
{
    canbus_set_wake_fd(m_endpoint, fd);
}

void VirtualBusPort::setBitrate(uint32_t bitsPerSecond)
{
    canbus_set_bitrate(m_endpoint, bitsPerSecond);
}

std::string VirtualBusPort::describe() const
{
    return "virtual bus '" + m_bus + "'";
}
