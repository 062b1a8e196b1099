// LmtSlave.h - layer management (CiA DSP-205) of the drive: switch mode,
// configure node-id and bit timing, activate bit timing, store the
// configuration, inquire the LMT address.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class LmtSlave {
public:
    static constexpr uint16_t kMasterId = 0x7E5;  // master to slave
    static constexpr uint16_t kSlaveId = 0x7E4;   // slave to master
    static constexpr uint8_t kUnconfigured = 0xFF;

    struct Address {
        std::array<uint8_t, 7> manufacturer{};
        std::array<uint8_t, 7> product{};
        std::array<uint8_t, 7> serial{};  // 14 BCD digits
    };

    // What the drive does on the LMT services that change it.
    struct Actions {
        // Store node-id and bit-timing index; false when the store failed.
        std::function<bool(uint8_t nodeId, uint8_t bitTiming)> store;
        // Switch to the pending bit-timing index now (after the first delay).
        std::function<void(uint8_t bitTiming)> switchBitRate;
        // Back to operation mode with a new node-id: reset communication.
        std::function<void(uint8_t nodeId)> applyNodeId;
        // Silence on the bus while the bit rate changes.
        std::function<void(bool silent)> setSilent;
    };

    LmtSlave(const Address& address, Actions actions) : m_address(address), m_actions(std::move(actions)) {}

    // The drive's active settings (at power-on and after a change).
    void setActive(uint8_t nodeId, uint8_t bitTiming);
    // Power on with these settings: operation mode, nothing pending.
    void powerOn(uint8_t nodeId, uint8_t bitTiming);

    // Handles a frame on 0x7E5; returns true and fills answer when a reply is due.
    bool handle(const uint8_t* data, uint8_t length, std::array<uint8_t, 8>& answer, uint64_t nowMs);
    // Runs the delays of an activate bit timing.
    void poll(uint64_t nowMs);

    bool configurationMode() const { return m_configuration; }
    uint8_t pendingNodeId() const { return m_pendingNodeId; }
    uint8_t pendingBitTiming() const { return m_pendingBitTiming; }
    bool switching() const { return m_phase != Phase::Idle; }

    static Address makeAddress(const std::string& manufacturer, const std::string& product, uint64_t serial);

private:
    enum class Phase { Idle, BeforeSwitch, AfterSwitch };

    Address m_address;
    Actions m_actions;
    bool m_configuration = false;
    int m_selectStep = 0;  // matched parts of a selective switch
    uint8_t m_activeNodeId = kUnconfigured;
    uint8_t m_activeBitTiming = 0;
    uint8_t m_pendingNodeId = kUnconfigured;
    uint8_t m_pendingBitTiming = 0;
    Phase m_phase = Phase::Idle;
    uint64_t m_phaseEndMs = 0;
    uint16_t m_switchDelayMs = 0;
};
