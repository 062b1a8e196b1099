// CQVTEnumerator: one numbered text of the device description (a mode of
// operation, a homing method, an emergency code, a parameter's value name
// or the text of a master-library error code).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace ovro {

class CQVTEnumerator {
public:
    CQVTEnumerator() = default;
    CQVTEnumerator(std::int32_t v, std::string t) : value(v), text(std::move(t)) {}

    // With value: "<value> - <text>", or "<value> - ???" for an empty text;
    // without value: the text alone.
    std::string GetDisplayText(bool withValue) const;

    std::int32_t value = 0;
    std::string text;
};

}  // namespace ovro
