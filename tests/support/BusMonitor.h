// BusMonitor.h - a listening endpoint on a virtual CAN bus for tests: it
// hears every frame of the bus (at any bit rate) and decodes the SDO
// requests a master sends to one node, so that a test can check which
// objects were read and written, with which values, in which order.
//
// Typical use, after the test's PrivateBus has set OVRO_CANBUS_DIR:
//   ovro::test::BusMonitor monitor("doc");
//   monitor.clear();
//   ... run the command ...
//   auto requests = monitor.sdoRequests(5);   // node 5
//   EXPECT_EQ(monitor.controlwords(5), (std::vector<uint16_t>{6, 7, 15, 31, 15}));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <canbus/canbus.h>

namespace ovro::test {

class BusMonitor {
public:
    // One SDO request of the master: an initiate upload (read) or an
    // expedited initiate download (write) with its value.
    struct SdoRequest {
        bool write = false;
        std::uint16_t index = 0;
        std::uint8_t sub = 0;
        std::uint32_t value = 0; // of a write, little-endian, unused bytes 0
        std::uint8_t size = 0;   // bytes of a write
        bool operator==(const SdoRequest&) const = default;
    };

    explicit BusMonitor(const std::string& bus);
    ~BusMonitor();
    BusMonitor(const BusMonitor&) = delete;
    BusMonitor& operator=(const BusMonitor&) = delete;

    bool isOpen() const { return ep_ != nullptr; }

    // Takes what has arrived until the bus has been quiet for quietMs.
    void collect(int quietMs = 40);
    // Collects, then forgets every frame heard so far.
    void clear();
    // Collects, then the frames heard since the last clear().
    const std::vector<canbus_frame>& frames();
    // Collects, then the SDO requests to node nodeId (0x600 + node-id).
    std::vector<SdoRequest> sdoRequests(std::uint8_t nodeId);
    // The values written to the controlword 0x6040 in those requests.
    std::vector<std::uint16_t> controlwords(std::uint8_t nodeId);

    // "R 6041/00", "W 6040/00=0006" - for failure messages.
    static std::string text(const SdoRequest& request);
    static std::string text(const std::vector<SdoRequest>& requests);

    static SdoRequest read(std::uint16_t index, std::uint8_t sub = 0);
    static SdoRequest write(std::uint16_t index, std::uint8_t sub, std::uint32_t value, std::uint8_t size);

private:
    canbus_endpoint* ep_ = nullptr;
    std::vector<canbus_frame> frames_;
};

} // namespace ovro::test
