// EmergencyProducer.h - emergency messages, the error register 0x1001 and
// the pre-defined error field 0x1003 (newest entry at sub-index 1).
#pragma once

#include "ObjectDictionary.h"

#include <array>
#include <cstdint>

class EmergencyProducer {
public:
    static constexpr uint8_t kHistorySize = 8;

    explicit EmergencyProducer(ObjectDictionary& dictionary) : m_dictionary(dictionary) {}

    // Adds 0x1001, 0x1003 and 0x1014 (the COB-ID depends on the node-id).
    void addObjects(uint8_t nodeId);
    // Records an emergency and returns the 8 data bytes of its frame.
    std::array<uint8_t, 8> record(uint16_t errorCode, uint8_t errorRegister,
                                  const std::array<uint8_t, 5>& data);
    void clearHistory();
    uint8_t historyCount() const;

private:
    ObjectDictionary& m_dictionary;
};
