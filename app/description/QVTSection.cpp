#include "description/QVTSection.h"

namespace ovro {

void CQVTSection::ClearValues()
{
    for (CQVTParameter& p : parameters)
        p.Clear();
}

CQVTParameter* CQVTSection::FindParameter(std::uint16_t idx, std::uint8_t sub)
{
    for (CQVTParameter& p : parameters) {
        if (p.index == idx && p.subIndex == sub)
            return &p;
    }
    return nullptr;
}

const CQVTParameter* CQVTSection::FindParameter(std::uint16_t idx, std::uint8_t sub) const
{
    return const_cast<CQVTSection*>(this)->FindParameter(idx, sub);
}

CQVTParameter* CQVTSection::FindParameterByName(const std::string& parameterKey)
{
    for (CQVTParameter& p : parameters) {
        if (p.key == parameterKey)
            return &p;
    }
    return nullptr;
}

const CQVTParameter* CQVTSection::FindParameterByName(const std::string& parameterKey) const
{
    return const_cast<CQVTSection*>(this)->FindParameterByName(parameterKey);
}

int CQVTSection::CountParameters(bool transferableOnly, bool changedOnly) const
{
    if (!transferableOnly)
        return static_cast<int>(parameters.size());
    int count = 0;
    for (const CQVTParameter& p : parameters) {
        if (p.IsTransferable() && (!changedOnly || p.changed))
            ++count;
    }
    return count;
}

bool CQVTSection::HasTransferable() const
{
    for (const CQVTParameter& p : parameters) {
        if (p.IsTransferable())
            return true;
    }
    return false;
}

}  // namespace ovro
