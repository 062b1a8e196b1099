// The event timers of the simulator's transmit PDOs, on a clock the test
// drives: one frame per period over long runs, whatever the jitter of the
// main loop, and no drift.
#include "ObjectIndex.h"
#include "PdoEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr uint8_t kNode = 5;

class PdoEngineTimer : public ::testing::Test {
protected:
    ObjectDictionary dictionary;
    std::vector<uint64_t> sentAt;  // time of each frame on 0x385
    uint64_t now = 0;
    PdoEngine engine{dictionary, [this](const PdoEngine::Frame& f) {
                         if (f.cobId == 0x380 + kNode)
                             sentAt.push_back(now);
                     }};

    void SetUp() override
    {
        dictionary.add(ObjectIndex::Statusword, 0, DataType::Unsigned16, Access::ReadOnly, 0x237);
        dictionary.add(ObjectIndex::PositionActual, 0, DataType::Integer32, Access::ReadOnly, 0);
        dictionary.add(ObjectIndex::ModesOfOperationDisplay, 0, DataType::Integer8, Access::ReadOnly, 1);
        engine.addObjects(kNode);
        // The oscilloscope's position PDO: 0x1801 on 0x385 at the time base.
        dictionary.set(0x1800, 1, 0x80000000u | (0x180 + kNode));
        dictionary.set(0x1801, 1, 0x380 + kNode);
    }

    void Timer(uint16_t ms, uint16_t inhibit100us = 0)
    {
        dictionary.set(0x1801, 5, ms);
        dictionary.set(0x1801, 3, inhibit100us);
        engine.restart(now);
    }

    // Main-loop turns from now for the duration, one per millisecond of the
    // clock, each late by a random time up to jitterUs (time never runs back).
    void Run(uint64_t durationUs, uint64_t jitterUs, unsigned seed = 1)
    {
        std::mt19937 random(seed);
        std::uniform_int_distribution<uint64_t> late(0, jitterUs);
        const uint64_t end = now + durationUs;
        uint64_t tick = now;
        while (now < end) {
            engine.poll(now);
            tick += 1000;
            now = std::max(now, tick + late(random));
        }
        engine.poll(now);
    }
};

struct TimerCase {
    const char* name;
    uint16_t periodMs;
    uint64_t jitterUs;
};

class PdoEngineTimerCases : public PdoEngineTimer, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(PdoEngineTimerCases, OneFramePerPeriodForThirtySecondsAndMore)
{
    const TimerCase c = GetParam();
    Timer(c.periodMs);
    const uint64_t start = now;
    Run(31'000'000, c.jitterUs);
    // The first frame goes at once, then one per period on the grid.
    const uint64_t periods = (now - start) / (uint64_t(c.periodMs) * 1000);
    EXPECT_EQ(sentAt.size(), periods + 1) << c.name;
    // No drift: the n-th frame never goes before its deadline, and never
    // later than the loop's own lateness allows.
    for (size_t n = 0; n < sentAt.size(); ++n) {
        const uint64_t due = start + n * uint64_t(c.periodMs) * 1000;
        ASSERT_GE(sentAt[n], due) << c.name << " frame " << n;
        ASSERT_LE(sentAt[n], due + 1000 + c.jitterUs) << c.name << " frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Periods, PdoEngineTimerCases,
                         ::testing::Values(TimerCase{"1ms_steady", 1, 0}, TimerCase{"1ms_jitter", 1, 900},
                                           TimerCase{"1ms_late_turns", 1, 4000},
                                           TimerCase{"2ms_jitter", 2, 1500}, TimerCase{"50ms_jitter", 50, 3000}),
                         [](const ::testing::TestParamInfo<TimerCase>& info) { return info.param.name; });

TEST_F(PdoEngineTimer, ALateTurnSendsTheFramesItMissed)
{
    Timer(1);
    engine.poll(now);  // armed, first frame
    now += 7'400;      // the loop was held up for 7.4 ms
    engine.poll(now);
    EXPECT_EQ(sentAt.size(), 8u);
    now = 8'000;  // the grid goes on at 8 ms
    engine.poll(now);
    EXPECT_EQ(sentAt.size(), 9u);
}

TEST_F(PdoEngineTimer, AStallOfManyPeriodsStartsTheGridAfresh)
{
    Timer(1);
    engine.poll(now);
    now += 500'000;  // half a second without a turn
    engine.poll(now);
    EXPECT_EQ(sentAt.size(), 2u) << "no burst of 500 stale frames";
    now += 1'000;
    engine.poll(now);
    EXPECT_EQ(sentAt.size(), 3u);
}

TEST_F(PdoEngineTimer, AnInhibitTimeKeepsLateFramesApart)
{
    Timer(1, 5);  // 0.5 ms inhibit time
    engine.poll(now);
    now += 3'200;
    engine.poll(now);
    EXPECT_EQ(sentAt.size(), 2u);
}

}  // namespace
