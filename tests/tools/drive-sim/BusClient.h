// BusClient.h - a test master on the virtual bus: raw frames, an SDO
// client (expedited and segmented) and the LMT requests.
#pragma once

#include <canbus/canbus.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class BusClient {
public:
    // Result of an SDO transfer: 0 success, an abort code, or kTimeout /
    // kBadAnswer when the server did not answer properly.
    static constexpr int64_t kTimeout = -1;
    static constexpr int64_t kBadAnswer = -2;

    BusClient(const std::string& bus, uint32_t bitrate);
    ~BusClient();
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    bool ok() const { return m_ep != nullptr; }
    void setBitrate(uint32_t bitrate) { canbus_set_bitrate(m_ep, bitrate); }

    void send(uint32_t id, std::vector<uint8_t> data);
    // Next frame with this identifier (others are kept aside in order).
    std::optional<canbus_frame> waitFor(uint32_t id, int timeoutMs = 500);
    // Frames with this identifier that arrive within the time.
    std::vector<canbus_frame> collect(uint32_t id, int durationMs);
    void flush();

    int64_t upload(uint8_t node, uint16_t index, uint8_t sub, std::vector<uint8_t>& out);
    int64_t download(uint8_t node, uint16_t index, uint8_t sub, const std::vector<uint8_t>& data);
    // Forces the segmented protocol even for 1..4 bytes.
    int64_t downloadSegmented(uint8_t node, uint16_t index, uint8_t sub, const std::vector<uint8_t>& data);
    int64_t uploadU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t& value);
    int64_t downloadU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t value, size_t size = 4);

    void nmt(uint8_t command, uint8_t node) { send(0x000, {command, node}); }

    // LMT: a confirmed request's answer (8 bytes) or nothing.
    std::optional<std::vector<uint8_t>> lmt(std::vector<uint8_t> request, bool confirmed);

private:
    std::optional<canbus_frame> sdoExchange(uint8_t node, const uint8_t request[8]);

    canbus_endpoint* m_ep = nullptr;
    std::vector<canbus_frame> m_aside;
};
