// SampleRing: the oscilloscope's store of 30000 samples, allocated once,
// with its four indices, all taken modulo 30000: W the sample being filled,
// S the oldest kept sample, T the trigger sample and D the next sample to
// plot. The samples from S up to W - 1 are the recording.
//
// With the board master the PDO callback moves W (and, until the trigger,
// S, T and D) in the board's receive thread while the user-interface
// thread reads the samples before W and moves D. Each index is written by
// one side at a time; W is published with release order after its sample
// is complete, so a reader that loads W with acquire order sees complete
// samples before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

struct Sample {
    std::int32_t position = 0;
    std::int32_t velocity = 0;          // absolute value
    std::int16_t current = 0;           // per thousand of the rated current
    std::int32_t demandedVelocity = 0;  // absolute value
    std::uint32_t digitalInputs = 0;
    std::uint16_t statusword = 0;
};

class SampleRing {
public:
    static constexpr std::int32_t kSize = 30000;
    // The most samples a recording holds: W stops one short of S.
    static constexpr std::int32_t kCapacity = kSize - 1;

    SampleRing();
    SampleRing(const SampleRing&) = delete;
    SampleRing& operator=(const SampleRing&) = delete;

    // x modulo 30000, for any x.
    static std::int32_t Wrap(std::int64_t x);

    Sample& At(std::int32_t index) { return samples_[Wrap(index)]; }
    const Sample& At(std::int32_t index) const { return samples_[Wrap(index)]; }

    std::int32_t W() const { return w_.load(std::memory_order_acquire); }
    std::int32_t S() const { return s_.load(std::memory_order_acquire); }
    std::int32_t T() const { return t_.load(std::memory_order_acquire); }
    std::int32_t D() const { return d_.load(std::memory_order_acquire); }
    void SetW(std::int32_t w) { w_.store(Wrap(w), std::memory_order_release); }
    void SetS(std::int32_t s) { s_.store(Wrap(s), std::memory_order_release); }
    void SetT(std::int32_t t) { t_.store(Wrap(t), std::memory_order_release); }
    void SetD(std::int32_t d) { d_.store(Wrap(d), std::memory_order_release); }

    // (W - S) mod 30000: the samples recorded.
    std::int32_t Count() const { return Wrap(std::int64_t(W()) - S()); }
    // (T - S) mod 30000: the trigger sample counted from the first sample.
    std::int32_t TriggerOffset() const { return Wrap(std::int64_t(T()) - S()); }
    // Position of a ring index counted from S.
    std::int32_t Offset(std::int32_t index) const { return Wrap(std::int64_t(index) - S()); }
    // Time of a ring index in time steps: negative before the trigger.
    std::int32_t Step(std::int32_t index) const { return Offset(index) - TriggerOffset(); }

    // W = S = T = D = 0; the samples stay.
    void ResetIndices();

private:
    std::unique_ptr<Sample[]> samples_;
    std::atomic<std::int32_t> w_{0};
    std::atomic<std::int32_t> s_{0};
    std::atomic<std::int32_t> t_{0};
    std::atomic<std::int32_t> d_{0};
};
