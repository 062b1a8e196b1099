// Trigger.cpp - the trigger conditions.
#include "scope/Trigger.h"

#include "scope/RecordingSettings.h"

std::int32_t CTrigger::SignalValue(const Sample& sample, int signal)
{
    switch (signal) {
    case RecordingSettings::kPosition:
        return sample.position;
    case RecordingSettings::kVelocity:
        return sample.velocity;
    case RecordingSettings::kCurrent:
        return sample.current;
    case RecordingSettings::kDemandedVelocity:
        return sample.demandedVelocity;
    case RecordingSettings::kDigitalInputs:
        return static_cast<std::int32_t>(sample.digitalInputs);
    case RecordingSettings::kStatusword:
        return sample.statusword;
    default:
        return 0;
    }
}

bool CTrigger::Hit(std::int32_t older, std::int32_t newer) const
{
    const auto rising = [&] { return older < level && level <= newer; };
    const auto falling = [&] { return older > level && level >= newer; };
    const auto inside = [&](std::int32_t x) { return minimum <= x && x <= maximum; };
    const std::uint32_t oldBits = static_cast<std::uint32_t>(older);
    const std::uint32_t newBits = static_cast<std::uint32_t>(newer);
    switch (kind) {
    case RecordingSettings::kRisingEdge:
        return rising();
    case RecordingSettings::kFallingEdge:
        return falling();
    case RecordingSettings::kAnyEdge:
        return rising() || falling();
    case RecordingSettings::kInWindow:
        return !inside(older) && inside(newer);
    case RecordingSettings::kOutWindow:
        return inside(older) && !inside(newer);
    case RecordingSettings::kBinaryAnd:
        // The masked bits changed and now all equal those of the value.
        return (oldBits & mask) != (newBits & mask) && (newBits & mask) == (value & mask);
    case RecordingSettings::kBinaryOr:
        // None of the masked bits had the state the value gives it, and now
        // at least one has: the OR of the masked bit conditions has become
        // true.
        return (~(oldBits ^ value) & mask) == 0 && (~(newBits ^ value) & mask) != 0;
    default:
        return false;
    }
}
