// SampleRing.cpp - the ring of samples and its indices.
#include "scope/SampleRing.h"

SampleRing::SampleRing() : samples_(std::make_unique<Sample[]>(kSize)) {}

std::int32_t SampleRing::Wrap(std::int64_t x)
{
    const std::int64_t r = x % kSize;
    return static_cast<std::int32_t>(r < 0 ? r + kSize : r);
}

void SampleRing::ResetIndices()
{
    w_.store(0, std::memory_order_release);
    s_.store(0, std::memory_order_release);
    t_.store(0, std::memory_order_release);
    d_.store(0, std::memory_order_release);
}
