// Every trigger kind with a pre-trigger delay, on real movements and input
// changes of the simulated drive: nothing is drawn while the lamp is
// yellow; the first pair of samples that meets the condition puts the
// trigger sample at time 0 with the delay's samples before it, and the lamp
// turns red.
#include "RecordingSimFixture.h"

#include "scope/Trigger.h"

namespace {

using scopetest::RecordingSim;
using RS = RecordingSettings;

constexpr std::uint32_t kManualPositive = 1u << 17;  // the MAN-P input

struct KindCase {
    const char* name;
    std::vector<int> channels;
    int signal;
    int kind;
    const char* level;
    const char* minimum;
    const char* maximum;
    const char* mask;
    const char* value;
    const char* delay;  // ms, as typed
    std::int32_t delaySamples;
    std::int32_t moveTo;    // a profile-position move, or 0
    const char* control;    // a line for the drive's control port, or null
    // The condition, written out for the values of the trigger signal in
    // the sample before the trigger sample and in the trigger sample.
    bool (*met)(std::int64_t older, std::int64_t newer);
};

class TriggerKinds : public RecordingSim, public ::testing::WithParamInterface<KindCase> {};

TEST_P(TriggerKinds, TriggerAtTimeZeroWithTheDelayBeforeIt)
{
    const KindCase& c = GetParam();
    ovro::CQVTDoc& doc = Connected();
    data.settings.SetChannels(c.channels);
    data.settings.timeBase = 3;  // 5 ms
    data.settings.trigger = c.signal;
    data.settings.slope = c.kind;
    data.settings.level = c.level;
    data.settings.minimum = c.minimum;
    data.settings.maximum = c.maximum;
    data.settings.mask = c.mask;
    data.settings.value = c.value;
    data.settings.delay = c.delay;
    plot.timeSpan = 500;
    ASSERT_TRUE(recording->Start()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_EQ(data.collector.Trigger().delaySamples, c.delaySamples);
    EXPECT_EQ(plot.timeMin, -100.0);
    // The drive at rest: more samples than the delay keeps, none drawn.
    Ticks(3 + 4);
    EXPECT_FALSE(data.collector.Triggered());
    EXPECT_EQ(recording->Lamp(), RecordingState::WaitTrigger);
    EXPECT_LE(data.ring.Count(), c.delaySamples + 2);
    EXPECT_TRUE(plot.points[0].empty());

    if (c.moveTo != 0)
        MoveTo(doc, c.moveTo);
    if (c.control != nullptr) {
        EXPECT_EQ(Drive().control(c.control), "ok\n");
    }
    ASSERT_TRUE(TicksUntil([&] { return data.collector.Triggered(); }, 60));
    Ticks(2);
    EXPECT_EQ(recording->Lamp(), RecordingState::Triggered);

    const std::int32_t t = data.ring.T();
    const std::int64_t older = CTrigger::SignalValue(data.ring.At(t - 1), c.signal);
    const std::int64_t newer = CTrigger::SignalValue(data.ring.At(t), c.signal);
    EXPECT_TRUE(c.met(older, newer)) << older << " -> " << newer;
    EXPECT_EQ(data.ring.TriggerOffset(), c.delaySamples) << "the delay's samples before the trigger";
    for (std::int32_t i = data.ring.S(); i != SampleRing::Wrap(std::int64_t(t) - 1); i = SampleRing::Wrap(std::int64_t(i) + 1)) {
        const std::int64_t a = CTrigger::SignalValue(data.ring.At(i), c.signal);
        const std::int64_t b = CTrigger::SignalValue(data.ring.At(i + 1), c.signal);
        EXPECT_FALSE(c.met(a, b)) << "an earlier pair met it at " << i;
    }
    const auto& points = plot.points[0];
    ASSERT_GT(points.size(), static_cast<std::size_t>(c.delaySamples));
    EXPECT_EQ(points.front().t, -5.0 * c.delaySamples);
    EXPECT_EQ(points[static_cast<std::size_t>(c.delaySamples)].t, 0.0);
    for (std::size_t i = 1; i < points.size(); ++i)
        ASSERT_EQ(points[i].t - points[i - 1].t, 5.0) << "no gap at " << i;

    recording->Stop();
    EXPECT_EQ(recording->Lamp(), RecordingState::Idle);
    if (c.control != nullptr)
        Drive().control("manual off");
}

bool Falls(std::int64_t o, std::int64_t n)
{
    return o > -100 && n <= -100;
}
bool FallsOrRises(std::int64_t o, std::int64_t n)
{
    return (o > -100 && n <= -100) || (o < -100 && n >= -100);
}
bool EntersWindow(std::int64_t o, std::int64_t n)
{
    return (o < 1000 || o > 3000) && n >= 1000 && n <= 3000;
}
bool LeavesWindow(std::int64_t o, std::int64_t n)
{
    return o >= -50 && o <= 50 && (n < -50 || n > 50);
}
bool ManualPositiveSet(std::int64_t o, std::int64_t n)
{
    return (o & kManualPositive) == 0 && (n & kManualPositive) != 0;
}
bool VelocityFalls(std::int64_t o, std::int64_t n)
{
    return o > 1000 && n <= 1000;
}

const std::vector<int> kPosition{RS::kPosition};

INSTANTIATE_TEST_SUITE_P(
    OnTheDrive, TriggerKinds,
    ::testing::Values(
        KindCase{"FallingEdge", kPosition, RS::kPosition, RS::kFallingEdge, "-100", "", "", "0x0", "0x0", "40", 8,
                 -5000, nullptr, Falls},
        KindCase{"AnyEdgeFalling", kPosition, RS::kPosition, RS::kAnyEdge, "-100", "", "", "0x0", "0x0", "0x14", 4,
                 -5000, nullptr, FallsOrRises},
        // |velocity| passes 1000 rising first, then falling while braking.
        KindCase{"FallingEdgeOfTheVelocity", {RS::kPosition, RS::kVelocity}, RS::kVelocity, RS::kFallingEdge,
                 "1000", "", "", "0x0", "0x0", "25", 5, 3000, nullptr, VelocityFalls},
        KindCase{"InWindow", kPosition, RS::kPosition, RS::kInWindow, "", "1000", "3000", "0x0", "0x0", "40", 8, 5000,
                 nullptr, EntersWindow},
        KindCase{"OutWindow", kPosition, RS::kPosition, RS::kOutWindow, "", "-50", "50", "0x0", "0x0", "  30", 6,
                 5000, nullptr, LeavesWindow},
        KindCase{"BinaryAndOnTheInputs", kPosition, RS::kDigitalInputs, RS::kBinaryAnd, "", "", "", "0x20000",
                 "0x20000", "40", 8, 0, "manual p", ManualPositiveSet},
        // MAN-P or MAN-N: MAN-P alone makes the OR true.
        KindCase{"BinaryOrOnTheInputs", kPosition, RS::kDigitalInputs, RS::kBinaryOr, "", "", "", "0x30000",
                 "0x30000", "40", 8, 0, "manual p", ManualPositiveSet}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

}  // namespace
