#include "LmtSlave.h"

#include <algorithm>
#include <cstring>

namespace {
enum Command : uint8_t {
    SwitchSelectiveManufacturer = 0x01,
    SwitchSelectiveProduct = 0x02,
    SwitchSelectiveSerial = 0x03,
    SwitchGlobal = 0x04,
    ConfigureNodeId = 0x11,
    ConfigureBitTiming = 0x13,
    ActivateBitTiming = 0x15,
    StoreConfiguration = 0x17,
    InquireManufacturer = 0x24,
    InquireProduct = 0x25,
    InquireSerial = 0x26,
};
constexpr uint8_t kBitTimingEntries = 9;  // CiA table 0: 1000 ... 10 kbit/s
}  // namespace

LmtSlave::Address LmtSlave::makeAddress(const std::string& manufacturer, const std::string& product, uint64_t serial)
{
    Address a;
    std::memcpy(a.manufacturer.data(), manufacturer.data(), std::min<size_t>(manufacturer.size(), 7));
    std::memcpy(a.product.data(), product.data(), std::min<size_t>(product.size(), 7));
    for (int i = 6; i >= 0; --i) {
        const uint8_t low = uint8_t(serial % 10);
        serial /= 10;
        const uint8_t high = uint8_t(serial % 10);
        serial /= 10;
        a.serial[size_t(i)] = uint8_t(high << 4 | low);
    }
    return a;
}

void LmtSlave::setActive(uint8_t nodeId, uint8_t bitTiming)
{
    m_activeNodeId = nodeId;
    m_activeBitTiming = bitTiming;
    m_pendingNodeId = nodeId;
    m_pendingBitTiming = bitTiming;
}

void LmtSlave::powerOn(uint8_t nodeId, uint8_t bitTiming)
{
    setActive(nodeId, bitTiming);
    m_configuration = false;
    m_selectStep = 0;
    m_phase = Phase::Idle;
}

bool LmtSlave::handle(const uint8_t* data, uint8_t length, std::array<uint8_t, 8>& answer, uint64_t nowMs)
{
    if (length < 1 || m_phase != Phase::Idle)
        return false;
    uint8_t req[8] = {};
    std::memcpy(req, data, std::min<uint8_t>(length, 8));
    answer.fill(0);
    answer[0] = req[0];

    switch (req[0]) {
    case SwitchGlobal:
        m_selectStep = 0;
        if (req[1] == 1) {
            m_configuration = true;
        } else if (req[1] == 0 && m_configuration) {
            m_configuration = false;
            if (m_pendingNodeId != m_activeNodeId && m_pendingNodeId != kUnconfigured) {
                m_activeNodeId = m_pendingNodeId;
                if (m_actions.applyNodeId)
                    m_actions.applyNodeId(m_activeNodeId);
            }
        }
        return false;
    case SwitchSelectiveManufacturer:
        m_selectStep = std::equal(req + 1, req + 8, m_address.manufacturer.begin()) ? 1 : 0;
        return false;
    case SwitchSelectiveProduct:
        m_selectStep = (m_selectStep == 1 && std::equal(req + 1, req + 8, m_address.product.begin())) ? 2 : 0;
        return false;
    case SwitchSelectiveSerial:
        if (m_selectStep == 2 && std::equal(req + 1, req + 8, m_address.serial.begin()))
            m_configuration = true;
        m_selectStep = 0;
        return false;
    default: break;
    }
    if (!m_configuration)
        return false;  // every other service needs configuration mode

    switch (req[0]) {
    case ConfigureNodeId:
        if ((req[1] >= 1 && req[1] <= 127) || req[1] == kUnconfigured) {
            m_pendingNodeId = req[1];
            answer[1] = 0;
        } else {
            answer[1] = 1;  // node-id out of range
        }
        return true;
    case ConfigureBitTiming:
        if (req[1] == 0 && req[2] < kBitTimingEntries) {
            m_pendingBitTiming = req[2];
            answer[1] = 0;
        } else {
            answer[1] = 1;  // bit rate not supported
        }
        return true;
    case ActivateBitTiming:
        m_switchDelayMs = uint16_t(req[1] | req[2] << 8);
        m_phase = Phase::BeforeSwitch;
        m_phaseEndMs = nowMs + m_switchDelayMs;
        if (m_actions.setSilent)
            m_actions.setSilent(true);
        return false;
    case StoreConfiguration:
        answer[1] = (m_actions.store && m_actions.store(m_pendingNodeId, m_pendingBitTiming)) ? 0 : 2;
        return true;
    case InquireManufacturer:
        std::copy(m_address.manufacturer.begin(), m_address.manufacturer.end(), answer.begin() + 1);
        return true;
    case InquireProduct:
        std::copy(m_address.product.begin(), m_address.product.end(), answer.begin() + 1);
        return true;
    case InquireSerial:
        std::copy(m_address.serial.begin(), m_address.serial.end(), answer.begin() + 1);
        return true;
    default: return false;
    }
}

void LmtSlave::poll(uint64_t nowMs)
{
    if (m_phase == Phase::Idle || nowMs < m_phaseEndMs)
        return;
    if (m_phase == Phase::BeforeSwitch) {
        m_activeBitTiming = m_pendingBitTiming;
        if (m_actions.switchBitRate)
            m_actions.switchBitRate(m_activeBitTiming);
        m_phase = Phase::AfterSwitch;
        m_phaseEndMs = nowMs + m_switchDelayMs;
        return;
    }
    m_phase = Phase::Idle;
    if (m_actions.setSilent)
        m_actions.setSilent(false);
}
