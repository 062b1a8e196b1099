#include "EmergencyProducer.h"

#include "ObjectIndex.h"

void EmergencyProducer::addObjects(uint8_t nodeId)
{
    m_dictionary.add(ObjectIndex::ErrorRegister, 0, DataType::Unsigned8, Access::ReadOnly, 0,
                     "Error register");
    ObjectEntry& count = m_dictionary.add(ObjectIndex::ErrorHistory, 0, DataType::Unsigned8,
                                          Access::ReadWrite, 0, "Number of errors");
    // Writing 0 clears the history; any other value is refused.
    count.onWrite = [this](ObjectEntry&, const std::vector<uint8_t>& value) -> uint32_t {
        if (value.empty() || value[0] != 0)
            return SdoAbortCode::ValueRange;
        clearHistory();
        return SdoAbortCode::None;
    };
    for (uint8_t sub = 1; sub <= kHistorySize; ++sub)
        m_dictionary.add(ObjectIndex::ErrorHistory, sub, DataType::Unsigned32, Access::ReadOnly, 0,
                         "Standard error field");
    m_dictionary.add(ObjectIndex::EmcyCobId, 0, DataType::Unsigned32, Access::ReadOnly,
                     nodeId ? 0x80 + nodeId : 0x80000000, "COB-ID EMCY");
}

std::array<uint8_t, 8> EmergencyProducer::record(uint16_t errorCode, uint8_t errorRegister,
                                                 const std::array<uint8_t, 5>& data)
{
    if (errorCode != 0) {
        // Shift the history down by one and put the newest entry first.
        for (uint8_t sub = kHistorySize; sub > 1; --sub)
            m_dictionary.set(ObjectIndex::ErrorHistory, sub,
                             int64_t(m_dictionary.getUnsigned(ObjectIndex::ErrorHistory, sub - 1)));
        const uint32_t entry = uint32_t(errorCode) | uint32_t(data[0]) << 16 | uint32_t(data[1]) << 24;
        m_dictionary.set(ObjectIndex::ErrorHistory, 1, entry);
        const uint8_t count = historyCount();
        if (count < kHistorySize)
            m_dictionary.set(ObjectIndex::ErrorHistory, 0, count + 1);
        m_dictionary.set(ObjectIndex::ErrorRegister, 0, errorRegister | 0x01);
    } else {
        m_dictionary.set(ObjectIndex::ErrorRegister, 0, errorRegister);
    }
    const uint8_t reg = uint8_t(m_dictionary.getUnsigned(ObjectIndex::ErrorRegister, 0));
    return {uint8_t(errorCode), uint8_t(errorCode >> 8), reg, data[0], data[1], data[2], data[3], data[4]};
}

void EmergencyProducer::clearHistory()
{
    for (uint8_t sub = 0; sub <= kHistorySize; ++sub)
        m_dictionary.set(ObjectIndex::ErrorHistory, sub, 0);
}

uint8_t EmergencyProducer::historyCount() const
{
    return uint8_t(m_dictionary.getUnsigned(ObjectIndex::ErrorHistory, 0));
}
