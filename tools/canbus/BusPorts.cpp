#include "BusPorts.h"

#include <cstring>

BusPorts::~BusPorts()
{
    for (auto& [bus, ep] : endpoints_)
        canbus_close(ep);
}

canbus_endpoint* BusPorts::endpoint(const std::string& bus, std::string& error)
{
    auto found = endpoints_.find(bus);
    if (found != endpoints_.end())
        return found->second;
    int err = 0;
    canbus_endpoint* ep = canbus_open(bus.c_str(), bitrate_, &err);
    if (!ep) {
        error = "cannot open bus '" + bus + "': " + std::strerror(err);
        return nullptr;
    }
    endpoints_[bus] = ep;
    return ep;
}

bool BusPorts::open(const std::string& bus, std::string& error)
{
    return endpoint(bus, error) != nullptr;
}

bool BusPorts::send(const std::string& bus, const canbus_frame& frame, std::string& error)
{
    canbus_endpoint* ep = endpoint(bus, error);
    if (!ep)
        return false;
    const int result = canbus_send(ep, &frame);
    if (result != 0) {
        error = "cannot send on bus '" + bus + "': " + std::strerror(-result);
        return false;
    }
    return true;
}

bool BusPorts::receive(const std::string& bus, canbus_frame& frame, int64_t timeoutUs)
{
    std::string error;
    canbus_endpoint* ep = endpoint(bus, error);
    return ep && canbus_receive_us(ep, &frame, timeoutUs) == 1;
}
