// BusPorts - the virtual buses a replay plays on: one endpoint per bus
// name, opened when the first frame for it comes, at one bit rate.
#ifndef CANBUS_TOOL_BUSPORTS_H
#define CANBUS_TOOL_BUSPORTS_H

#include "Player.h"

#include <canbus/canbus.h>

#include <map>
#include <string>

class BusPorts : public Player::Port {
public:
    explicit BusPorts(uint32_t bitrate) : bitrate_(bitrate) {}
    ~BusPorts() override;
    BusPorts(const BusPorts&) = delete;
    BusPorts& operator=(const BusPorts&) = delete;

    // Opens the endpoint of a bus now (a replay that waits for live frames
    // must hear them from the start). False with a message in `error`.
    bool open(const std::string& bus, std::string& error);

    bool send(const std::string& bus, const canbus_frame& frame, std::string& error) override;
    bool receive(const std::string& bus, canbus_frame& frame, int64_t timeoutUs) override;

private:
    canbus_endpoint* endpoint(const std::string& bus, std::string& error);

    uint32_t bitrate_;
    std::map<std::string, canbus_endpoint*> endpoints_;
};

#endif
