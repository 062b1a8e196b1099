// Driver - the process-global state of one PCAN-Light-compatible driver
// library and its calls. The exported functions of each library forward here.
#ifndef PCANLIGHT_DRIVER_H
#define PCANLIGHT_DRIVER_H

#include "Backend.h"
#include "Channel.h"

#include <pcanlight/pcan_light.h>

#include <memory>
#include <mutex>

namespace ovro::pcanlight {

struct DriverConfig {
    const char* board;           // "PCAN-USB"
    const char* channelEnv;      // "OVRO_CAN_CHANNEL"
    const char* defaultChannel;  // "socketcan:can0"
};

class Driver {
public:
    static constexpr const char* kVersion = "2.49";

    explicit Driver(const DriverConfig& config) : config_(config) {}

    std::uint32_t init(std::uint16_t btr0btr1, int msgType);
    std::uint32_t close();
    std::uint32_t status();
    std::uint32_t write(const TPCANMsg* msg);
    std::uint32_t read(TPCANMsg* msg);
    std::uint32_t versionInfo(char* text);
    std::uint32_t resetClient();
    std::uint32_t waitRead(std::uint32_t timeoutMicroseconds);
    // The channel the next init opens instead of the environment's; null or
    // "" returns to the environment. PCAN_ERR_ILLHW for a text that names
    // no channel (the setting is then left as it was).
    std::uint32_t setChannel(const char* text);

private:
    std::shared_ptr<Backend> current();
    std::string configuredChannel();

    DriverConfig config_;
    std::mutex mutex_;
    std::shared_ptr<Backend> backend_;
    std::string channelText_;  // of the open channel
    std::string channelOverride_;  // set by setChannel, else empty
};

}  // namespace ovro::pcanlight

#endif
