// OscilloscopeProfile: the motion profile that the oscilloscope uses for
// its test moves, kept in the current device's working state.
#pragma once

#include <cstdint>

namespace ovro {

struct OscilloscopeProfile {
    bool readFromDrive = true;
    std::uint32_t profileVelocity = 0;
    std::uint32_t acceleration = 0;
    std::uint32_t deceleration = 0;
    std::uint16_t maxCurrent = 0;
};

}  // namespace ovro
