// The collection of PDOs into the sample ring: every trigger kind on
// crafted sample sequences, the pre-trigger delay, a full ring, and PDOs
// that do not fit.
#include "scope/RecordingPdos.h"
#include "scope/RecordingSettings.h"
#include "scope/SampleCollector.h"
#include "scope/Trigger.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using RS = RecordingSettings;

// A position PDO (8, the time master here): statusword and position.
void Position(CSampleCollector& c, std::int32_t position, std::uint16_t statusword = 0x0237)
{
    const std::uint32_t p = static_cast<std::uint32_t>(position);
    const std::uint8_t data[8] = {static_cast<std::uint8_t>(statusword), static_cast<std::uint8_t>(statusword >> 8),
                                  static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
                                  static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 24)};
    c.Collect(RecordingPdo::kPosition, data, 6);
}

// Velocity and current (9).
void VelocityCurrent(CSampleCollector& c, std::int32_t velocity, std::int16_t current)
{
    const std::uint32_t v = static_cast<std::uint32_t>(velocity);
    const std::uint16_t i = static_cast<std::uint16_t>(current);
    const std::uint8_t data[8] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                  static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24),
                                  static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)};
    c.Collect(RecordingPdo::kVelocityCurrent, data, 6);
}

// Statusword and digital inputs (6).
void Inputs(CSampleCollector& c, std::uint32_t inputs, std::uint16_t statusword = 0x0237)
{
    const std::uint8_t data[8] = {static_cast<std::uint8_t>(statusword), static_cast<std::uint8_t>(statusword >> 8),
                                  static_cast<std::uint8_t>(inputs), static_cast<std::uint8_t>(inputs >> 8),
                                  static_cast<std::uint8_t>(inputs >> 16), static_cast<std::uint8_t>(inputs >> 24)};
    c.Collect(RecordingPdo::kDigitalInputs, data, 6);
}

CTrigger Trigger(int signal, int kind)
{
    CTrigger t;
    t.signal = signal;
    t.kind = kind;
    return t;
}

// ---------------------------------------------------------------- conditions

struct ConditionCase {
    const char* name;
    int kind;
    std::int32_t level, minimum, maximum;
    std::uint32_t mask, value;
    std::int32_t older, newer;
    bool hit;
};

class TriggerCondition : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(TriggerCondition, OfEveryKind)
{
    const ConditionCase& c = GetParam();
    CTrigger t = Trigger(RS::kPosition, c.kind);
    t.level = c.level;
    t.minimum = c.minimum;
    t.maximum = c.maximum;
    t.mask = c.mask;
    t.value = c.value;
    EXPECT_EQ(t.Hit(c.older, c.newer), c.hit);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TriggerCondition,
    ::testing::Values(
        ConditionCase{"rising_through", RS::kRisingEdge, 100, 0, 0, 0, 0, 99, 101, true},
        ConditionCase{"rising_onto_level", RS::kRisingEdge, 100, 0, 0, 0, 0, 99, 100, true},
        ConditionCase{"rising_from_level", RS::kRisingEdge, 100, 0, 0, 0, 0, 100, 150, false},
        ConditionCase{"rising_but_falling", RS::kRisingEdge, 100, 0, 0, 0, 0, 150, 50, false},
        ConditionCase{"rising_negative_level", RS::kRisingEdge, -5, 0, 0, 0, 0, -10, -5, true},
        ConditionCase{"falling_through", RS::kFallingEdge, 100, 0, 0, 0, 0, 101, 99, true},
        ConditionCase{"falling_onto_level", RS::kFallingEdge, 100, 0, 0, 0, 0, 101, 100, true},
        ConditionCase{"falling_but_rising", RS::kFallingEdge, 100, 0, 0, 0, 0, 50, 150, false},
        ConditionCase{"any_rising", RS::kAnyEdge, 100, 0, 0, 0, 0, 50, 150, true},
        ConditionCase{"any_falling", RS::kAnyEdge, 100, 0, 0, 0, 0, 150, 50, true},
        ConditionCase{"any_staying_above", RS::kAnyEdge, 100, 0, 0, 0, 0, 150, 160, false},
        ConditionCase{"in_from_below", RS::kInWindow, 0, 10, 20, 0, 0, 5, 10, true},
        ConditionCase{"in_from_above", RS::kInWindow, 0, 10, 20, 0, 0, 25, 20, true},
        ConditionCase{"in_staying_inside", RS::kInWindow, 0, 10, 20, 0, 0, 12, 15, false},
        ConditionCase{"in_jumping_over", RS::kInWindow, 0, 10, 20, 0, 0, 5, 25, false},
        ConditionCase{"out_above", RS::kOutWindow, 0, 10, 20, 0, 0, 20, 21, true},
        ConditionCase{"out_below", RS::kOutWindow, 0, 10, 20, 0, 0, 10, 9, true},
        ConditionCase{"out_staying_outside", RS::kOutWindow, 0, 10, 20, 0, 0, 5, 30, false},
        ConditionCase{"and_all_masked_bits_reach_value", RS::kBinaryAnd, 0, 0, 0, 0x0C, 0x0C, 0x04, 0x0C, true},
        ConditionCase{"and_only_some", RS::kBinaryAnd, 0, 0, 0, 0x0C, 0x0C, 0x00, 0x04, false},
        ConditionCase{"and_unchanged_masked_bits", RS::kBinaryAnd, 0, 0, 0, 0x0C, 0x0C, 0x0D, 0x0C, false},
        ConditionCase{"and_bit_cleared_to_zero_value", RS::kBinaryAnd, 0, 0, 0, 0x08, 0x00, 0x08, 0x00, true},
        ConditionCase{"or_first_bit_reaches_value", RS::kBinaryOr, 0, 0, 0, 0x0C, 0x0C, 0x00, 0x04, true},
        ConditionCase{"or_other_bit_reaches_value", RS::kBinaryOr, 0, 0, 0, 0x0C, 0x0C, 0x00, 0x08, true},
        ConditionCase{"or_already_one_bit", RS::kBinaryOr, 0, 0, 0, 0x0C, 0x0C, 0x04, 0x0C, false},
        ConditionCase{"or_bits_outside_mask", RS::kBinaryOr, 0, 0, 0, 0x0C, 0x0C, 0x00, 0x03, false},
        ConditionCase{"or_zero_value_bit_cleared", RS::kBinaryOr, 0, 0, 0, 0x03, 0x00, 0x03, 0x02, true},
        ConditionCase{"or_empty_mask_never", RS::kBinaryOr, 0, 0, 0, 0x00, 0x00, 0x00, 0xFF, false},
        ConditionCase{"none_never", RS::kNoTrigger, 0, 0, 0, 0, 0, -100, 100, false}),
    [](const auto& info) { return info.param.name; });

TEST(TriggerCondition, ComparesSignedAndWidensEachSignalsType)
{
    Sample s;
    s.current = -5;
    s.statusword = 0xFFFF;
    s.digitalInputs = 0x80000000u;
    EXPECT_EQ(CTrigger::SignalValue(s, RS::kCurrent), -5);
    EXPECT_EQ(CTrigger::SignalValue(s, RS::kStatusword), 65535) << "unsigned 16 bit";
    EXPECT_LT(CTrigger::SignalValue(s, RS::kDigitalInputs), 0) << "32-bit comparisons are signed";
}

// ---------------------------------------------------------------- collection

class Collection : public ::testing::Test {
protected:
    SampleRing ring;
    CSampleCollector collector{ring};

    // Arms with position as time master and feeds the positions.
    void Run(const CTrigger& trigger, const std::vector<std::int32_t>& positions)
    {
        Sample first;
        first.position = positions.empty() ? 0 : positions.front();
        collector.Arm(trigger, RecordingPdo::kPosition, first);
        for (std::int32_t p : positions)
            Position(collector, p);
    }

    std::vector<std::int32_t> Kept() const
    {
        std::vector<std::int32_t> v;
        for (std::int32_t i = 0; i < ring.Count(); ++i)
            v.push_back(ring.At(ring.S() + i).position);
        return v;
    }
};

TEST_F(Collection, WithoutTriggerEverySampleCountsFromTimeZero)
{
    Run(Trigger(-1, -1), {10, 20, 30});
    EXPECT_TRUE(collector.Triggered());
    EXPECT_EQ(ring.S(), 0);
    EXPECT_EQ(ring.T(), 0);
    EXPECT_EQ(Kept(), (std::vector<std::int32_t>{10, 20, 30}));
    EXPECT_EQ(ring.Step(ring.S()), 0);
    EXPECT_EQ(ring.At(ring.W()).position, 30) << "the open sample starts as a copy";
}

TEST_F(Collection, RisingEdgeKeepsTheDelayBeforeTheTriggerSample)
{
    CTrigger t = Trigger(RS::kPosition, RS::kRisingEdge);
    t.level = 100;
    t.delaySamples = 3;
    Run(t, {0, 10, 20, 30, 40, 50, 60, 70});
    EXPECT_FALSE(collector.Triggered());
    EXPECT_LE(ring.Count(), t.delaySamples + 2) << "no more than delay + 2 before the trigger";
    Position(collector, 120);  // the edge: 70 -> 120
    ASSERT_TRUE(collector.Triggered());
    EXPECT_EQ(collector.Lamp(), RecordingState::Triggered);
    EXPECT_EQ(ring.At(ring.T()).position, 120);
    EXPECT_EQ(ring.TriggerOffset(), 3) << "three samples at negative times";
    EXPECT_EQ(Kept(), (std::vector<std::int32_t>{50, 60, 70, 120}));
    EXPECT_EQ(ring.D(), ring.S());
    EXPECT_EQ(ring.Step(ring.S()), -3);
    Position(collector, 130);
    EXPECT_EQ(ring.Step(ring.W() - 1), 1);
    EXPECT_EQ(ring.T(), SampleRing::Wrap(ring.W() - 2)) << "the trigger stays where it was";
}

TEST_F(Collection, AnEdgeAtTheVeryFirstPairKeepsTheTriggerSample)
{
    CTrigger t = Trigger(RS::kPosition, RS::kRisingEdge);
    t.level = 100;
    Run(t, {0, 150});
    ASSERT_TRUE(collector.Triggered());
    EXPECT_EQ(ring.TriggerOffset(), 0);
    EXPECT_EQ(Kept(), (std::vector<std::int32_t>{150}));
}

TEST_F(Collection, OnlyTheTimeMasterEndsASample)
{
    Run(Trigger(-1, -1), {});
    VelocityCurrent(collector, -2500, -40);
    EXPECT_EQ(ring.W(), 0);
    Position(collector, 7);
    ASSERT_EQ(ring.Count(), 1);
    const Sample& s = ring.At(0);
    EXPECT_EQ(s.position, 7);
    EXPECT_EQ(s.velocity, 2500) << "stored as magnitude";
    EXPECT_EQ(s.current, -40);
    VelocityCurrent(collector, std::numeric_limits<std::int32_t>::min(), 0);
    EXPECT_EQ(ring.At(ring.W()).velocity, std::numeric_limits<std::int32_t>::max());
}

TEST_F(Collection, ShortAndUnknownPdosAreDropped)
{
    Run(Trigger(-1, -1), {});
    const std::uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    collector.Collect(RecordingPdo::kPosition, data, 5);
    collector.Collect(3, data, 8);
    collector.Collect(RecordingPdo::kPosition, nullptr, 6);
    EXPECT_EQ(ring.W(), 0);
    EXPECT_EQ(ring.At(0).position, 0);
}

TEST_F(Collection, DigitalInputsTriggerOnTheirOwnPdo)
{
    CTrigger t = Trigger(RS::kDigitalInputs, RS::kBinaryAnd);
    t.mask = 0x00030000;
    t.value = 0x00030000;
    Run(t, {});
    for (int i = 0; i < 5; ++i) {
        Inputs(collector, 0x00010000);
        Position(collector, i);
    }
    EXPECT_FALSE(collector.Triggered());
    Inputs(collector, 0x00030000);
    Position(collector, 5);
    EXPECT_TRUE(collector.Triggered());
    EXPECT_EQ(ring.At(ring.T()).digitalInputs, 0x00030000u);
}

TEST_F(Collection, AFullRingKeepsOverwritingItsNewestSample)
{
    Run(Trigger(-1, -1), {});
    for (std::int32_t p = 1; p <= SampleRing::kSize + 10; ++p)
        Position(collector, p);
    EXPECT_EQ(ring.Count(), SampleRing::kCapacity);
    EXPECT_EQ(ring.W(), SampleRing::kCapacity);
    EXPECT_EQ(ring.S(), 0);
    EXPECT_EQ(ring.At(ring.W()).position, SampleRing::kSize + 10) << "the newest sample is overwritten";
    EXPECT_EQ(ring.At(ring.W() - 1).position, SampleRing::kCapacity) << "the ones before stay";
    EXPECT_EQ(ring.At(0).position, 1);
}

TEST_F(Collection, TheRingWrapsAroundWhileWaiting)
{
    CTrigger t = Trigger(RS::kPosition, RS::kRisingEdge);
    t.level = 1'000'000;
    t.delaySamples = 10;
    std::vector<std::int32_t> positions;
    for (std::int32_t p = 0; p < SampleRing::kSize + 500; ++p)
        positions.push_back(p);
    Run(t, positions);
    EXPECT_FALSE(collector.Triggered());
    EXPECT_LT(ring.W(), 1000) << "W went round the ring";
    Position(collector, 2'000'000);
    ASSERT_TRUE(collector.Triggered());
    EXPECT_EQ(ring.TriggerOffset(), 10);
    EXPECT_EQ(ring.At(ring.S()).position, SampleRing::kSize + 500 - 10);
}

}  // namespace
