// SimulatedNode's EEPROM: the store and restore commands (0x1010, 0x1011)
// by range, the counters kept across power cycles, and the values a reset
// loads from the store or the factory.
#include "SimulatedNode.h"

#include "ObjectIndex.h"

void SimulatedNode::installStoreHooks()
{
    for (uint8_t sub = 1; sub <= 3; ++sub) {
        m_od.setWriteHook(ObjectIndex::StoreParameters, sub,
                          [this, sub](ObjectEntry&, const std::vector<uint8_t>& v) -> uint32_t {
                              ObjectEntry probe;
                              probe.type = DataType::Unsigned32;
                              probe.value = v;
                              if (probe.asUnsigned() != kSaveSignature)
                                  return SdoAbortCode::CannotStore;
                              return storeParameters(rangesOfSub(sub));
                          });
        m_od.setWriteHook(ObjectIndex::RestoreDefaults, sub,
                          [this, sub](ObjectEntry&, const std::vector<uint8_t>& v) -> uint32_t {
                              ObjectEntry probe;
                              probe.type = DataType::Unsigned32;
                              probe.value = v;
                              if (probe.asUnsigned() != kLoadSignature)
                                  return SdoAbortCode::CannotStore;
                              // The factory values take effect at the next reset.
                              m_restorePending |= rangesOfSub(sub);
                              for (auto& m : m_modules)
                                  m->onEvent(DriveEvent::Restored);
                              return SdoAbortCode::None;
                          });
    }
}

unsigned SimulatedNode::rangesOfSub(uint8_t sub)
{
    return sub == 1 ? (CommunicationRange | ApplicationRange) : sub == 2 ? CommunicationRange : ApplicationRange;
}

bool SimulatedNode::inRange(const ObjectEntry& e, unsigned ranges)
{
    const bool communication = e.index >= 0x1000 && e.index < 0x2000;
    return (communication && (ranges & CommunicationRange)) || (!communication && (ranges & ApplicationRange));
}

uint32_t SimulatedNode::storeParameters(unsigned ranges)
{
    if (takeInjectedFailure(InjectedFailure::RefuseStore))
        return SdoAbortCode::CannotStore;
    auto saved = m_store.values();
    for (const auto& [key, e] : m_od.entries()) {
        if ((e.storage == Storage::Parameter && inRange(e, ranges)) || e.storage == Storage::Retained)
            m_store.values()[key] = e.value;
    }
    std::string error;
    if (!m_store.save(error)) {
        m_store.values() = std::move(saved);
        log("store failed: " + error);
        return SdoAbortCode::HardwareError;
    }
    for (auto& m : m_modules)
        m->onEvent(DriveEvent::Stored);
    return SdoAbortCode::None;
}

void SimulatedNode::saveRetained()
{
    bool changed = false;
    for (const auto& [key, e] : m_od.entries()) {
        if (e.storage != Storage::Retained)
            continue;
        auto& slot = m_store.values()[key];
        if (slot != e.value) {
            slot = e.value;
            changed = true;
        }
    }
    std::string error;
    if (changed && !m_store.save(error))
        log("saving counters failed: " + error);
}

void SimulatedNode::loadValues(unsigned ranges, bool fromStore)
{
    for (auto& [key, e] : m_od.entries()) {
        if (e.storage == Storage::Retained || !inRange(e, ranges))
            continue;
        if (e.index >= ObjectIndex::ErrorRegister && e.index <= ObjectIndex::ErrorHistory && ranges != (CommunicationRange | ApplicationRange))
            continue;  // reset communication keeps the error state
        e.value = e.factoryValue;
        if (!fromStore || e.storage != Storage::Parameter)
            continue;
        if (m_restorePending & (inRange(e, CommunicationRange) ? CommunicationRange : ApplicationRange))
            continue;
        auto it = m_store.values().find(key);
        if (it == m_store.values().end())
            continue;
        // A stored value that does not fit the object (another model's
        // store, a damaged entry) leaves the factory value.
        const size_t fixed = e.fixedSize();
        const bool sizeFits = fixed != 0 ? it->second.size() == fixed : (e.maxSize == 0 || it->second.size() <= e.maxSize);
        if (sizeFits && withinRange(e, it->second))
            e.value = it->second;
    }
}

bool SimulatedNode::withinRange(const ObjectEntry& e, const std::vector<uint8_t>& value)
{
    if (!e.hasRange || e.fixedSize() == 0 || e.fixedSize() > 4)
        return true;
    ObjectEntry probe;
    probe.type = e.type;
    probe.value = value;
    if (ObjectDictionary::isSigned(e.type))
        return probe.asSigned() >= e.minimum && probe.asSigned() <= e.maximum;
    return int64_t(probe.asUnsigned()) >= e.minimum && int64_t(probe.asUnsigned()) <= e.maximum;
}
