#include "PdoEngine.h"

#include "ObjectIndex.h"

#include <algorithm>

namespace {
constexpr uint32_t kInvalid = 0x80000000u;
constexpr uint32_t kNoRtr = 0x40000000u;
// Periods of an event timer that a late turn of the main loop makes up for.
constexpr uint64_t kMaxCatchUp = 50;

struct MappedObject {
    uint16_t index;
    uint8_t sub;
    uint8_t bits;
};

struct PdoLayout {
    uint16_t number;  // 1-based PDO number
    uint32_t cobBase; // default COB-ID without node-id
    bool valid;       // valid at power-on
    std::vector<MappedObject> mapping;
};

uint32_t mapValue(const MappedObject& m) { return uint32_t(m.index) << 16 | uint32_t(m.sub) << 8 | m.bits; }

// Factory PDO set: the pre-defined connection set for PDOs 1 to 4 and the
// groups the oscilloscope records with.
const std::vector<PdoLayout>& tpdoLayouts()
{
    using namespace ObjectIndex;
    static const std::vector<PdoLayout> layouts = {
        {1, 0x180, true, {{Statusword, 0, 16}}},
        {2, 0x280, true, {{Statusword, 0, 16}, {PositionActual, 0, 32}}},
        {3, 0x380, false, {{Statusword, 0, 16}, {ModesOfOperationDisplay, 0, 8}}},
        {4, 0x480, false, {{Statusword, 0, 16}, {VelocityActual, 0, 32}}},
        {5, 0x200, false, {{ErrorCode, 0, 16}}},
        {6, 0x300, false, {{Statusword, 0, 16}, {PositionDemand, 0, 32}}},
        {7, 0x400, false, {{Statusword, 0, 16}, {DigitalInputs, 0, 32}}},
        {8, 0x500, false, {{CurrentActual, 0, 16}}},
        {33, 0x500, false, {{VelocityActual, 0, 32}, {VelocityDemand, 0, 32}}},
        {34, 0x480, false, {{VelocityActual, 0, 32}, {CurrentActual, 0, 16}}},
    };
    return layouts;
}

const std::vector<PdoLayout>& rpdoLayouts()
{
    using namespace ObjectIndex;
    static const std::vector<PdoLayout> layouts = {
        {1, 0x200, true, {{Controlword, 0, 16}}},
        {2, 0x300, false, {{Controlword, 0, 16}, {TargetPosition, 0, 32}}},
        {3, 0x400, false, {{Controlword, 0, 16}, {TargetVelocity, 0, 32}}},
        {4, 0x500, false, {{Controlword, 0, 16}, {ModesOfOperation, 0, 8}}},
    };
    return layouts;
}
}  // namespace

PdoEngine::PdoEngine(ObjectDictionary& dictionary, Sender sender)
    : m_dictionary(dictionary), m_send(std::move(sender))
{
    for (uint16_t index : tpdoIndexes()) {
        Tpdo pdo;
        pdo.commIndex = index;
        m_tpdos.push_back(pdo);
    }
}

const std::vector<uint16_t>& PdoEngine::tpdoIndexes()
{
    static const std::vector<uint16_t> indexes = [] {
        std::vector<uint16_t> v;
        for (const PdoLayout& l : tpdoLayouts())
            v.push_back(uint16_t(ObjectIndex::TpdoCommunication + l.number - 1));
        return v;
    }();
    return indexes;
}

const std::vector<uint16_t>& PdoEngine::rpdoIndexes()
{
    static const std::vector<uint16_t> indexes = [] {
        std::vector<uint16_t> v;
        for (const PdoLayout& l : rpdoLayouts())
            v.push_back(uint16_t(ObjectIndex::RpdoCommunication + l.number - 1));
        return v;
    }();
    return indexes;
}

void PdoEngine::addObjects(uint8_t nodeId)
{
    auto addSet = [&](const std::vector<PdoLayout>& layouts, uint16_t commBase, uint16_t mapBase, bool transmit) {
        for (const PdoLayout& l : layouts) {
            const uint16_t comm = uint16_t(commBase + l.number - 1);
            const uint16_t map = uint16_t(mapBase + l.number - 1);
            uint32_t cob = l.cobBase + nodeId;
            if (!l.valid || nodeId == 0)
                cob |= kInvalid;
            const uint8_t highest = transmit ? 5 : 2;
            m_dictionary.add(comm, 0, DataType::Unsigned8, Access::Const, highest, "Highest sub-index");
            m_dictionary.add(comm, 1, DataType::Unsigned32, Access::ReadWrite, cob, "COB-ID");
            m_dictionary.add(comm, 2, DataType::Unsigned8, Access::ReadWrite, 0xFF, "Transmission type");
            if (transmit) {
                m_dictionary.add(comm, 3, DataType::Unsigned16, Access::ReadWrite, 0, "Inhibit time");
                m_dictionary.add(comm, 4, DataType::Unsigned8, Access::ReadWrite, 0, "Reserved");
                m_dictionary.add(comm, 5, DataType::Unsigned16, Access::ReadWrite, 0, "Event timer");
            }
            for (uint8_t sub = 1; sub <= highest; ++sub) {
                if (ObjectEntry* e = m_dictionary.find(comm, sub))
                    e->storage = Storage::Parameter;
            }
            // 11-bit identifiers only: a 29-bit COB-ID is out of range.
            m_dictionary.setWriteHook(comm, 1, [](ObjectEntry&, const std::vector<uint8_t>& v) -> uint32_t {
                ObjectEntry probe;
                probe.type = DataType::Unsigned32;
                probe.value = v;
                return (probe.asUnsigned() & 0x3FFFF800u) ? SdoAbortCode::ValueRange : SdoAbortCode::None;
            });
            // Sub-index 4 of a TPDO is reserved (CiA 301): it exists but refuses access.
            if (ObjectEntry* e = m_dictionary.find(comm, 4); e && transmit)
                e->onWrite = [](ObjectEntry&, const std::vector<uint8_t>&) { return SdoAbortCode::NoSubIndex; };

            ObjectEntry& count = m_dictionary.add(map, 0, DataType::Unsigned8, Access::ReadWrite,
                                                  int64_t(l.mapping.size()), "Number of mapped objects");
            count.storage = Storage::Parameter;
            count.onWrite = [this, map](ObjectEntry&, const std::vector<uint8_t>& v) -> uint32_t {
                return checkMapping(map, v.empty() ? 0 : v[0]);
            };
            for (uint8_t sub = 1; sub <= 8; ++sub) {
                const uint32_t value = sub <= l.mapping.size() ? mapValue(l.mapping[sub - 1]) : 0;
                ObjectEntry& m = m_dictionary.add(map, sub, DataType::Unsigned32, Access::ReadWrite, value,
                                                  "Mapped object");
                m.storage = Storage::Parameter;
                // Entries may change only while the mapping is disabled (count 0).
                m.onWrite = [this, map](ObjectEntry&, const std::vector<uint8_t>&) -> uint32_t {
                    return m_dictionary.getUnsigned(map, 0) == 0 ? SdoAbortCode::None
                                                                  : SdoAbortCode::UnsupportedAccess;
                };
            }
        }
    };
    addSet(tpdoLayouts(), ObjectIndex::TpdoCommunication, ObjectIndex::TpdoMapping, true);
    addSet(rpdoLayouts(), ObjectIndex::RpdoCommunication, ObjectIndex::RpdoMapping, false);
}

uint32_t PdoEngine::checkMapping(uint16_t mapIndex, uint8_t count) const
{
    if (count > 8)
        return SdoAbortCode::ValueTooHigh;
    unsigned bits = 0;
    for (uint8_t sub = 1; sub <= count; ++sub) {
        const uint32_t m = uint32_t(m_dictionary.getUnsigned(mapIndex, sub));
        const uint16_t index = uint16_t(m >> 16);
        const uint8_t objectSub = uint8_t(m >> 8);
        const ObjectEntry* e = m_dictionary.find(index, objectSub);
        if (!e)
            return SdoAbortCode::NotMappable;
        const size_t size = e->fixedSize();
        if (size == 0 || size > 4 || (m & 0xFF) != size * 8)
            return SdoAbortCode::NotMappable;
        bits += m & 0xFF;
    }
    return bits > 64 ? SdoAbortCode::PdoLengthExceeded : SdoAbortCode::None;
}

bool PdoEngine::valid(uint16_t commIndex) const
{
    return (m_dictionary.getUnsigned(commIndex, 1) & kInvalid) == 0;
}

uint16_t PdoEngine::cobIdOf(uint16_t commIndex) const
{
    return uint16_t(m_dictionary.getUnsigned(commIndex, 1) & 0x7FF);
}

void PdoEngine::restart(uint64_t nowUs)
{
    m_nowUs = nowUs;
    for (Tpdo& pdo : m_tpdos) {
        pdo.nextDueUs = 0;
        pdo.armedPeriod = 0;
        pdo.inhibitUntilUs = 0;
        pdo.syncCount = 0;
        pdo.sampled = false;
        pdo.last.clear();
    }
}

bool PdoEngine::sample(uint16_t commIndex, Frame& frame)
{
    const uint16_t map = uint16_t(commIndex - ObjectIndex::TpdoCommunication + ObjectIndex::TpdoMapping);
    frame = Frame();
    frame.cobId = cobIdOf(commIndex);
    const uint8_t count = uint8_t(std::min<uint64_t>(m_dictionary.getUnsigned(map, 0), 8));
    size_t length = 0;
    for (uint8_t sub = 1; sub <= count; ++sub) {
        const uint32_t m = uint32_t(m_dictionary.getUnsigned(map, sub));
        const size_t bytes = (m & 0xFF) / 8;
        if (length + bytes > 8)
            return false;
        std::vector<uint8_t> value;
        if (m_dictionary.read(uint16_t(m >> 16), uint8_t(m >> 8), value) != SdoAbortCode::None)
            value.clear();  // a refused object is sent as zeros
        for (size_t i = 0; i < bytes && length + i < sizeof frame.data; ++i)
            frame.data[length + i] = i < value.size() ? value[i] : 0;
        length += bytes;
    }
    frame.length = uint8_t(length);
    return true;
}

void PdoEngine::transmit(Tpdo& pdo, const Frame& frame, uint64_t nowUs)
{
    m_send(frame);
    pdo.last.assign(frame.data, frame.data + frame.length);
    pdo.sampled = true;
    const uint64_t inhibit = m_dictionary.getUnsigned(pdo.commIndex, 3);  // 100 us units
    pdo.inhibitUntilUs = nowUs + inhibit * 100;
}

void PdoEngine::poll(uint64_t nowUs)
{
    m_nowUs = nowUs;
    for (Tpdo& pdo : m_tpdos) {
        if (!valid(pdo.commIndex)) {
            pdo.nextDueUs = 0;
            pdo.sampled = false;
            continue;
        }
        const uint8_t type = uint8_t(m_dictionary.getUnsigned(pdo.commIndex, 2));
        if (type < 254)
            continue;  // SYNC or remote-request driven
        const uint16_t period = uint16_t(m_dictionary.getUnsigned(pdo.commIndex, 5));
        Frame frame;
        if (period != 0) {
            if (pdo.nextDueUs == 0 || pdo.armedPeriod != period) {
                pdo.armedPeriod = period;
                pdo.nextDueUs = nowUs + uint64_t(period) * 1000;
                if (!sample(pdo.commIndex, frame))
                    continue;
                transmit(pdo, frame, nowUs);
                continue;
            }
            if (nowUs < pdo.nextDueUs || nowUs < pdo.inhibitUntilUs)
                continue;
            // The deadlines stay on the grid of the first one, so the
            // period holds over any length of time; a turn of the loop that
            // came late sends the frames of every period it missed. Only
            // after a stall of many periods does the grid start afresh.
            const uint64_t periodUs = uint64_t(period) * 1000;
            const uint64_t missed = (nowUs - pdo.nextDueUs) / periodUs + 1;
            if (missed > kMaxCatchUp) {
                pdo.nextDueUs = nowUs + periodUs;
                if (sample(pdo.commIndex, frame))
                    transmit(pdo, frame, nowUs);
                continue;
            }
            pdo.nextDueUs += missed * periodUs;
            // An inhibit time forbids the frames to follow each other closely.
            const uint64_t frames = m_dictionary.getUnsigned(pdo.commIndex, 3) != 0 ? 1 : missed;
            for (uint64_t i = 0; i < frames && sample(pdo.commIndex, frame); ++i)
                transmit(pdo, frame, nowUs);
        } else {
            // No event timer: send when the mapped data change.
            pdo.nextDueUs = 0;
            pdo.armedPeriod = 0;
            if (nowUs < pdo.inhibitUntilUs || !sample(pdo.commIndex, frame))
                continue;
            if (!pdo.sampled || !std::equal(pdo.last.begin(), pdo.last.end(), frame.data, frame.data + frame.length) ||
                pdo.last.size() != frame.length)
                transmit(pdo, frame, nowUs);
        }
    }
}

void PdoEngine::onSync()
{
    for (Tpdo& pdo : m_tpdos) {
        if (!valid(pdo.commIndex))
            continue;
        const uint8_t type = uint8_t(m_dictionary.getUnsigned(pdo.commIndex, 2));
        Frame frame;
        if (type == 0) {
            if (sample(pdo.commIndex, frame) &&
                (!pdo.sampled || pdo.last != std::vector<uint8_t>(frame.data, frame.data + frame.length)))
                transmit(pdo, frame, m_nowUs);
        } else if (type <= 240) {
            if (++pdo.syncCount >= type) {
                pdo.syncCount = 0;
                if (sample(pdo.commIndex, frame))
                    transmit(pdo, frame, m_nowUs);
            }
        }
    }
}

bool PdoEngine::onRemoteRequest(uint16_t cobId)
{
    for (Tpdo& pdo : m_tpdos) {
        const uint32_t cob = uint32_t(m_dictionary.getUnsigned(pdo.commIndex, 1));
        if ((cob & kInvalid) || (cob & 0x7FF) != cobId)
            continue;
        if (cob & kNoRtr)
            return true;
        Frame frame;
        if (sample(pdo.commIndex, frame))
            transmit(pdo, frame, m_nowUs);
        return true;
    }
    return false;
}

bool PdoEngine::onFrame(uint16_t cobId, const uint8_t* data, uint8_t length)
{
    for (uint16_t comm : rpdoIndexes()) {
        const uint32_t cob = uint32_t(m_dictionary.getUnsigned(comm, 1));
        if ((cob & kInvalid) || (cob & 0x7FF) != cobId)
            continue;
        const uint16_t map = uint16_t(comm - ObjectIndex::RpdoCommunication + ObjectIndex::RpdoMapping);
        const uint8_t count = uint8_t(std::min<uint64_t>(m_dictionary.getUnsigned(map, 0), 8));
        size_t needed = 0;
        for (uint8_t sub = 1; sub <= count; ++sub)
            needed += (m_dictionary.getUnsigned(map, sub) & 0xFF) / 8;
        if (needed > length || needed > 8)
            return true;  // a PDO shorter than its mapping is not used
        size_t offset = 0;
        for (uint8_t sub = 1; sub <= count; ++sub) {
            const uint32_t m = uint32_t(m_dictionary.getUnsigned(map, sub));
            const size_t bytes = (m & 0xFF) / 8;
            m_dictionary.write(uint16_t(m >> 16), uint8_t(m >> 8), data + offset, bytes);
            offset += bytes;
        }
        return true;
    }
    return false;
}
