// CQVTDevice: one drive model of the device description with its parameter
// sections and lists, and the working state of the current device (node
// settings, parameter values, motion pages, oscilloscope profile, status).
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "description/ActualValues.h"
#include "description/MotionMemory.h"
#include "description/OscilloscopeProfile.h"
#include "description/QVTEnumerator.h"
#include "description/QVTSection.h"
#include "settings/BaudRate.h"

namespace ovro {

class CQVTDevice {
public:
    // name := typeName; text, date empty; node-id 127, baud-rate code 7,
    // nothing marked changed; every parameter value cleared; motion pages,
    // oscilloscope profile and actual values back to their initial values.
    void Reset();

    std::string GetNodeIdText() const;
    std::string GetBaudRateText() const;
    // Text of the first mode enumerator of that value, else
    // "Unknown mode of operation".
    std::string GetModeText(std::int8_t mode) const;
    // Text of the first emergency enumerator equal to the low 16 bits of
    // code, else "Unknown emergency code.".
    std::string GetEmergencyText(std::uint32_t code) const;

    CQVTParameter* FindParameter(std::uint16_t idx, std::uint8_t sub);
    const CQVTParameter* FindParameter(std::uint16_t idx, std::uint8_t sub) const;
    // Searches the section with that key ("Identification", listed first by
    // the description), or the first section when no section has that key;
    // null without a section key or without sections.
    CQVTParameter* FindParameterByName(const char* sectionKey, const std::string& parameterKey);
    const CQVTParameter* FindParameterByName(const char* sectionKey,
                                             const std::string& parameterKey) const;
    int CountParameters(bool transferableOnly, bool changedOnly) const;

    static constexpr int kDefaultNodeId = 127;
    static constexpr int kDefaultBaudRate = kDefaultBaudRateCode;

    int model = 0;
    std::string typeName = "(unknown)";
    std::string name;
    std::string text;
    std::string date;
    std::string description;
    std::string toolTip;
    int nodeId = kDefaultNodeId;
    bool nodeIdChanged = false;
    int baudRate = kDefaultBaudRate;
    bool baudRateChanged = false;
    std::deque<CQVTSection> sections;
    std::deque<CQVTEnumerator> modes;
    std::deque<CQVTEnumerator> homingMethods;
    std::deque<CQVTEnumerator> emergencyCodes;
    MotionMemory motion;
    OscilloscopeProfile scopeProfile;
    ActualValues actual;
};

}  // namespace ovro
