// IConnectDeviceChooser: the Connect Device dialog as the document sees it.
// The caller presets node-id, baud-rate code, whether working offline and
// the configuration after connecting are allowed, and the two flags; the
// chooser answers with the button and the values the user took.
#pragma once

#include <cstdint>

namespace ovro {

struct ConnectDeviceRequest {
    std::uint8_t nodeId = 127;
    std::uint8_t baudRate = 7;          // baud-rate code 0...8
    bool offlineAllowed = false;
    bool configurationAllowed = false;
    bool download = false;              // "&Download parameters into the device"
    bool store = false;                 // "Store parameters into the &EEPROM"
};

struct ConnectDeviceChoice {
    enum Result { Connect = 1, Cancel = 2, Offline = 5 };
    Result result = Cancel;
    std::uint8_t nodeId = 127;
    std::uint8_t baudRate = 7;
    bool download = false;
    bool store = false;
};

class IConnectDeviceChooser {
public:
    virtual ~IConnectDeviceChooser() = default;
    virtual ConnectDeviceChoice Choose(const ConnectDeviceRequest& request) = 0;
};

}  // namespace ovro
