// CTrigger: the trigger condition of a recording - the signal it watches,
// its kind and the values that Start has read from the Trigger tab's texts
// (already in the units of the samples) - and the test of one pair of
// consecutive samples.
#pragma once

#include "scope/SampleRing.h"

#include <cstdint>

class CTrigger {
public:
    // The value of a signal in a sample, widened as the comparisons need it:
    // the current signed and the statusword unsigned from 16 bits, the
    // others as 32-bit values.
    static std::int32_t SignalValue(const Sample& sample, int signal);

    // Does the step from older to newer meet the condition of the kind?
    // A kind of -1 (no trigger) never does.
    bool Hit(std::int32_t older, std::int32_t newer) const;

    int signal = -1;
    int kind = -1;
    std::int32_t level = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::uint32_t mask = 0;
    std::uint32_t value = 0;
    std::int32_t delaySamples = 0;
};
