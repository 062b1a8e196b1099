#include "description/QVTEnumerator.h"

#include <cstdio>

namespace ovro {

std::string CQVTEnumerator::GetDisplayText(bool withValue) const
{
    if (!withValue)
        return text;
    char number[16];
    std::snprintf(number, sizeof number, "%li", static_cast<long>(value));
    return std::string(number) + " - " + (text.empty() ? std::string("???") : text);
}

}  // namespace ovro
