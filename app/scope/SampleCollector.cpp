// SampleCollector.cpp - PDOs into samples, and the trigger.
#include "scope/SampleCollector.h"

#include "scope/RecordingPdos.h"

#include <algorithm>
#include <limits>

namespace {

std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// |v|; the one value without a positive twin stays the largest.
std::int32_t Magnitude(std::uint32_t bits)
{
    const std::int32_t v = static_cast<std::int32_t>(bits);
    if (v == std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::max();
    return v < 0 ? -v : v;
}

} // namespace

void CSampleCollector::Arm(const CTrigger& trigger, std::uint8_t timeMasterPdo, const Sample& first)
{
    trigger_ = trigger;
    timeMaster_ = timeMasterPdo;
    ring_.ResetIndices();
    ring_.At(0) = first;
    triggered_.store(trigger.kind == -1, std::memory_order_release);
}

bool CSampleCollector::Store(std::uint8_t pdoNumber, const std::uint8_t* data, std::uint8_t length,
                             Sample& sample) const
{
    using namespace RecordingPdo;
    const Layout* layout = LayoutOf(pdoNumber);
    if (layout == nullptr || data == nullptr || length < layout->length)
        return false;
    switch (pdoNumber) {
    case kStatusword:
        sample.statusword = U16(data);
        break;
    case kDigitalInputs:
        sample.statusword = U16(data);
        sample.digitalInputs = U32(data + 2);
        break;
    case kDemandedVelocity:
        sample.velocity = Magnitude(U32(data));
        sample.demandedVelocity = Magnitude(U32(data + 4));
        break;
    case kPosition:
        sample.statusword = U16(data);
        sample.position = static_cast<std::int32_t>(U32(data + 2));
        break;
    case kVelocityCurrent:
        sample.velocity = Magnitude(U32(data));
        sample.current = static_cast<std::int16_t>(U16(data + 4));
        break;
    default:
        return false;
    }
    return true;
}

void CSampleCollector::Collect(std::uint8_t pdoNumber, const std::uint8_t* data, std::uint8_t length)
{
    const std::int32_t w = ring_.W();
    if (!Store(pdoNumber, data, length, ring_.At(w)))
        return;
    // The time master ends the sample; a full ring keeps overwriting its
    // newest one.
    if (pdoNumber == timeMaster_ && SampleRing::Wrap(std::int64_t(w) + 1) != ring_.S()) {
        ring_.At(w + 1) = ring_.At(w);
        ring_.SetW(w + 1);
    }
    if (!Triggered())
        TestTrigger();
}

void CSampleCollector::TestTrigger()
{
    const std::int32_t w = ring_.W();
    const std::int32_t s = ring_.S();
    const std::int32_t n = ring_.Count();
    if (n > 1) {
        const std::int32_t newer = CTrigger::SignalValue(ring_.At(w - 1), trigger_.signal);
        const std::int32_t older = CTrigger::SignalValue(ring_.At(w - 2), trigger_.signal);
        if (trigger_.Hit(older, newer)) {
            // The trigger sample is time 0. The two oldest samples go, but
            // never the trigger sample itself.
            const std::int32_t t = w - 1;
            const std::int32_t first = s + std::min<std::int32_t>(2, n - 1);
            ring_.SetT(t);
            ring_.SetS(first);
            ring_.SetD(first);
            lamp_.store(static_cast<int>(RecordingState::Triggered), std::memory_order_release);
            triggered_.store(true, std::memory_order_release);
            return;
        }
    }
    // Keep at most delay + 2 samples before the trigger.
    if (n > trigger_.delaySamples + 2) {
        ring_.SetS(s + 1);
        ring_.SetT(s + 1);
        ring_.SetD(s + 1);
    }
}
