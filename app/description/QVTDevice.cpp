#include "description/QVTDevice.h"

#include "settings/BaudRate.h"

namespace ovro {

void CQVTDevice::Reset()
{
    name = typeName;
    text.clear();
    date.clear();
    nodeId = kDefaultNodeId;
    baudRate = kDefaultBaudRate;
    nodeIdChanged = false;
    baudRateChanged = false;
    for (CQVTSection& s : sections)
        s.ClearValues();
    motion = MotionMemory();
    scopeProfile = OscilloscopeProfile();
    actual = ActualValues();
}

std::string CQVTDevice::GetNodeIdText() const
{
    return std::to_string(nodeId);
}

std::string CQVTDevice::GetBaudRateText() const
{
    return BaudRateText(baudRate);
}

std::string CQVTDevice::GetModeText(std::int8_t mode) const
{
    for (const CQVTEnumerator& e : modes) {
        if (e.value == mode)
            return e.text;
    }
    return "Unknown mode of operation";
}

std::string CQVTDevice::GetEmergencyText(std::uint32_t code) const
{
    const std::int32_t low = static_cast<std::int32_t>(code & 0xFFFFu);
    for (const CQVTEnumerator& e : emergencyCodes) {
        if (e.value == low)
            return e.text;
    }
    return "Unknown emergency code.";
}

CQVTParameter* CQVTDevice::FindParameter(std::uint16_t idx, std::uint8_t sub)
{
    for (CQVTSection& s : sections) {
        if (CQVTParameter* p = s.FindParameter(idx, sub))
            return p;
    }
    return nullptr;
}

const CQVTParameter* CQVTDevice::FindParameter(std::uint16_t idx, std::uint8_t sub) const
{
    return const_cast<CQVTDevice*>(this)->FindParameter(idx, sub);
}

CQVTParameter* CQVTDevice::FindParameterByName(const char* sectionKey,
                                               const std::string& parameterKey)
{
    if (sectionKey == nullptr || sections.empty())
        return nullptr;
    // The named section; a description without it keeps the old rule of
    // searching the first section.
    for (CQVTSection& s : sections) {
        if (s.key == sectionKey)
            return s.FindParameterByName(parameterKey);
    }
    return sections.front().FindParameterByName(parameterKey);
}

const CQVTParameter* CQVTDevice::FindParameterByName(const char* sectionKey,
                                                     const std::string& parameterKey) const
{
    return const_cast<CQVTDevice*>(this)->FindParameterByName(sectionKey, parameterKey);
}

int CQVTDevice::CountParameters(bool transferableOnly, bool changedOnly) const
{
    int count = 0;
    for (const CQVTSection& s : sections)
        count += s.CountParameters(transferableOnly, changedOnly);
    return count;
}

}  // namespace ovro
