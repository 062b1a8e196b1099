#include "FaultTriggers.h"

#include <algorithm>

namespace {
// SDO client command specifiers (bits 5..7 of byte 0) of the initiate requests.
constexpr uint8_t kInitiateDownload = 1;
constexpr uint8_t kInitiateUpload = 2;
}  // namespace

void FaultTriggers::join(Fault& into, const Fault& fault)
{
    into.dropAnswers += fault.dropAnswers;
    into.wrongToggle = into.wrongToggle || fault.wrongToggle;
    into.wrongLength = into.wrongLength || fault.wrongLength;
    into.powerCycle = into.powerCycle || fault.powerCycle;
    into.offMs = std::max(into.offMs, fault.offMs);
    into.silentMs = std::max(into.silentMs, fault.silentMs);
}

void FaultTriggers::clear()
{
    m_sdo.clear();
    m_lmt.clear();
    m_lmtActive = Fault();
}

FaultTriggers::Fault FaultTriggers::onSdoRequest(const uint8_t* data, uint8_t length, SdoServer::Faults& sdo)
{
    if (length != 8 || m_sdo.empty())
        return Fault();
    const uint8_t command = data[0] >> 5;
    if (command != kInitiateDownload && command != kInitiateUpload)
        return Fault();
    const auto it = m_sdo.find(sdoKey(uint16_t(data[1] | data[2] << 8), data[3]));
    if (it == m_sdo.end())
        return Fault();
    const Fault fault = it->second;
    m_sdo.erase(it);
    if (!fault.strikesNow()) {
        sdo.dropAnswers += fault.dropAnswers;
        sdo.wrongToggle = sdo.wrongToggle || fault.wrongToggle;
        sdo.wrongLength = sdo.wrongLength || fault.wrongLength;
    }
    return fault;
}

FaultTriggers::Fault FaultTriggers::onLmtRequest(const uint8_t* data, uint8_t length)
{
    if (length < 1)
        return Fault();
    const auto it = m_lmt.find(data[0]);
    if (it == m_lmt.end())
        return Fault();
    const Fault fault = it->second;
    m_lmt.erase(it);
    if (!fault.strikesNow())
        join(m_lmtActive, fault);
    return fault;
}
