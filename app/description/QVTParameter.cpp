#include "description/QVTParameter.h"

#include <algorithm>
#include <cstring>

#include "description/QVTDataType.h"

namespace ovro {

int CQVTParameter::GetSize() const
{
    if (dataType == QvtVisibleString) {
        const auto zero = std::find(value.begin(), value.end(), std::uint8_t{0});
        return static_cast<int>(zero - value.begin());
    }
    return DataTypeFixedSize(dataType);
}

void CQVTParameter::GetRaw(void* buffer, std::size_t count) const
{
    if (buffer != nullptr)
        std::memcpy(buffer, value.data(), std::min(count, value.size()));
}

void CQVTParameter::SetRaw(const void* data, std::size_t length)
{
    value.fill(0);
    if (data != nullptr)
        std::memcpy(value.data(), data, std::min(length, value.size()));
}

void CQVTParameter::Clear()
{
    value.fill(0);
    changed = false;
}

std::int64_t CQVTParameter::GetInteger() const
{
    const std::uint32_t raw = static_cast<std::uint32_t>(value[0]) |
                              (static_cast<std::uint32_t>(value[1]) << 8) |
                              (static_cast<std::uint32_t>(value[2]) << 16) |
                              (static_cast<std::uint32_t>(value[3]) << 24);
    switch (dataType) {
    case QvtInteger8:
        return static_cast<std::int8_t>(raw & 0xFFu);
    case QvtInteger16:
        return static_cast<std::int16_t>(raw & 0xFFFFu);
    case QvtInteger32:
        return static_cast<std::int32_t>(raw);
    case QvtUnsigned8:
        return raw & 0xFFu;
    case QvtUnsigned16:
        return raw & 0xFFFFu;
    case QvtUnsigned32:
        return raw;
    default:
        return 0;
    }
}

const CQVTEnumerator* CQVTParameter::FindEnumerator(std::int32_t v) const
{
    for (const CQVTEnumerator& e : enumerators) {
        if (e.value == v)
            return &e;
    }
    return nullptr;
}

}  // namespace ovro
