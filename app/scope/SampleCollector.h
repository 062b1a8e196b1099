// CSampleCollector: puts the received PDOs of a recording into the sample
// ring. Each PDO fills its fields of sample W; the PDO of the first
// channel's signal (the time master) ends the sample, which opens the next
// one as its copy. Until the trigger condition is met the ring keeps only
// the samples of the pre-trigger delay; the trigger sample then becomes
// time 0.
//
// It runs in the user-interface thread with the software master and in the
// board's receive thread with the board master (see SampleRing).
//
//   CSampleCollector collector(ring);
//   collector.Arm(trigger, 8, first);           // Start
//   collector.Collect(pdoNumber, data, length); // for each PDO of the node
//   if (collector.Triggered()) ...              // plot from D up to W - 1
#pragma once

#include "scope/RecordingState.h"
#include "scope/SampleRing.h"
#include "scope/Trigger.h"

#include <atomic>
#include <cstdint>

class CSampleCollector {
public:
    explicit CSampleCollector(SampleRing& ring) : ring_(ring) {}

    // A new recording: sample 0 := first, W = S = T = D = 0; triggered at
    // once without a trigger. Not while PDOs are being collected.
    void Arm(const CTrigger& trigger, std::uint8_t timeMasterPdo, const Sample& first);

    // One received PDO of the node. A PDO shorter than its layout, or of a
    // number that carries no signal, is dropped.
    void Collect(std::uint8_t pdoNumber, const std::uint8_t* data, std::uint8_t length);

    bool Triggered() const { return triggered_.load(std::memory_order_acquire); }
    // Red once the trigger has been met.
    RecordingState Lamp() const { return static_cast<RecordingState>(lamp_.load(std::memory_order_acquire)); }
    void SetLamp(RecordingState state) { lamp_.store(static_cast<int>(state), std::memory_order_release); }

    const CTrigger& Trigger() const { return trigger_; }
    std::uint8_t TimeMaster() const { return timeMaster_; }
    SampleRing& Ring() { return ring_; }

private:
    bool Store(std::uint8_t pdoNumber, const std::uint8_t* data, std::uint8_t length, Sample& sample) const;
    void TestTrigger();

    SampleRing& ring_;
    CTrigger trigger_;
    std::uint8_t timeMaster_ = 0;
    std::atomic<bool> triggered_{false};
    std::atomic<int> lamp_{static_cast<int>(RecordingState::Idle)};
};
