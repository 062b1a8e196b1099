// CQVTSection: a parameter section of a device, in description order.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "description/QVTParameter.h"

namespace ovro {

class CQVTSection {
public:
    CQVTSection() = default;
    explicit CQVTSection(const std::string& k) : key(k), name(k) {}

    void ClearValues();
    CQVTParameter* FindParameter(std::uint16_t idx, std::uint8_t sub);
    const CQVTParameter* FindParameter(std::uint16_t idx, std::uint8_t sub) const;
    CQVTParameter* FindParameterByName(const std::string& parameterKey);
    const CQVTParameter* FindParameterByName(const std::string& parameterKey) const;
    // All parameters; with transferableOnly those whose accessible is not 0
    // and, with changedOnly too, whose changed flag is set.
    int CountParameters(bool transferableOnly, bool changedOnly) const;
    bool HasTransferable() const;

    std::string key;   // the "Name" attribute; the section name in commissioning files
    std::string name;  // display name
    std::string description;
    std::string toolTip;
    std::deque<CQVTParameter> parameters;
};

}  // namespace ovro
