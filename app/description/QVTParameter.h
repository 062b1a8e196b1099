// CQVTParameter: one parameter of the device description with its current
// value, kept as the raw bytes of the drive's object (little-endian, as they
// travel in an SDO transfer; the bytes after the meaningful ones are zero).
// The text forms of the value are in app/document (CParameterValue).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "description/QVTEnumerator.h"

namespace ovro {

class CQVTParameter {
public:
    using Value = std::array<std::uint8_t, 16>;

    CQVTParameter() = default;
    explicit CQVTParameter(const std::string& k) : key(k), name(k) {}

    // SDO size in bytes: 1, 2 or 4 for the integers, the bytes before the
    // first zero (at most 16) for a Visible String, 16, 7 or 6 for Octet
    // String, Date and Time Of Day, 0 for an unknown type.
    int GetSize() const;
    // Copies min(count, 16) bytes of the value.
    void GetRaw(void* buffer, std::size_t count) const;
    // Value := all zero, then the first min(length, 16) bytes of data.
    void SetRaw(const void* data, std::size_t length);
    // Value := all zero, changed := false.
    void Clear();

    // Transferred, saved and counted only when accessible is not 0.
    bool IsTransferable() const { return accessible != 0; }
    // Numeric value of an integer type (sign-extended for the signed types).
    std::int64_t GetInteger() const;
    // First enumerator with that value, or null.
    const CQVTEnumerator* FindEnumerator(std::int32_t v) const;

    std::string key;   // identifier in commissioning files
    std::string name;  // display name
    std::uint16_t index = 0;
    std::uint8_t subIndex = 0;
    int dataType = 0;
    std::uint8_t accessible = 0;  // mode of operation needed for a write; 0 = not transferred
    std::string minValue;
    std::string maxValue;
    std::string defaultValue;
    std::string description;
    std::string toolTip;
    std::string unit;
    Value value{};
    bool changed = false;
    std::deque<CQVTEnumerator> enumerators;
};

}  // namespace ovro
