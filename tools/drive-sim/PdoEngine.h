// PdoEngine.h - the drive's PDOs: communication and mapping objects,
// transmission by event timer, change, SYNC and remote request, and the
// reception of receive PDOs.
#pragma once

#include "ObjectDictionary.h"

#include <cstdint>
#include <functional>
#include <vector>

class PdoEngine {
public:
    struct Frame {
        uint16_t cobId = 0;
        uint8_t length = 0;
        uint8_t data[8] = {};
    };
    using Sender = std::function<void(const Frame&)>;

    PdoEngine(ObjectDictionary& dictionary, Sender sender);

    // Adds the communication and mapping objects with their factory values
    // for the node-id (the default COB-IDs depend on it).
    void addObjects(uint8_t nodeId);
    // Forgets timers and SYNC counters (after reset communication or NMT changes).
    void restart(uint64_t nowUs);

    // Work of one main-loop turn while operational.
    void poll(uint64_t nowUs);
    void onSync();
    // A remote request on an identifier; returns true when a TPDO answered it.
    bool onRemoteRequest(uint16_t cobId);
    // A data frame; returns true when it was a receive PDO of this node.
    bool onFrame(uint16_t cobId, const uint8_t* data, uint8_t length);

    // The TPDO communication indexes this drive has (0x1800 ...).
    static const std::vector<uint16_t>& tpdoIndexes();
    static const std::vector<uint16_t>& rpdoIndexes();

private:
    struct Tpdo {
        uint16_t commIndex = 0;
        uint64_t nextDueUs = 0;     // event timer deadline, 0 = not armed
        uint16_t armedPeriod = 0;   // event timer the deadline was armed with
        uint64_t inhibitUntilUs = 0;
        unsigned syncCount = 0;
        bool sampled = false;       // last holds a sample
        std::vector<uint8_t> last;  // last data sent (change detection)
    };

    bool valid(uint16_t commIndex) const;
    uint16_t cobIdOf(uint16_t commIndex) const;
    bool sample(uint16_t commIndex, Frame& frame);
    void transmit(Tpdo& pdo, const Frame& frame, uint64_t nowUs);
    uint32_t checkMapping(uint16_t mapIndex, uint8_t count) const;

    ObjectDictionary& m_dictionary;
    Sender m_send;
    std::vector<Tpdo> m_tpdos;
    uint64_t m_nowUs = 0;
};
