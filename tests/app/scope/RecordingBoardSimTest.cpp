// Recordings through the board-based master (library 100): the emulated
// board "Orvax Stick-U1 compact" receives the drive's PDOs in its own
// thread and hands them to the oscilloscope through its callback, so the
// window's ticks only draw. Each test opens a board of its own, as
// Interface > Initialize does: the callback is handed to every opening.
#include "RecordingSimFixture.h"

#include "scope/BoardPdoCallback.h"

namespace {

using scopetest::RecordingSim;
using RS = RecordingSettings;
using namespace std::chrono_literals;

class RecordingBoard : public RecordingSim {
protected:
    RecordingBoard() { boardInterface_ = true; }
};

TEST_F(RecordingBoard, WithoutTriggerThroughTheCallback)
{
    ovro::CQVTDoc& doc = Connected();
    ASSERT_TRUE(master_.IsBoardLibrary());
    EXPECT_TRUE(CBoardPdoCallback::Registered(master_));
    data.settings.SetChannels({RS::kPosition, RS::kVelocity});
    data.settings.timeBase = 3;  // 5 ms
    ASSERT_TRUE(recording->Start()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_EQ(recording->Lamp(), RecordingState::Recording);
    EXPECT_TRUE(Drive().waitForState("nmt", "operational"));
    MoveTo(doc, 5000);
    ASSERT_TRUE(TicksUntil([&] { return plot.points[0].size() > 100; }));
    EXPECT_EQ(recording->LastTick().attempts, 0) << "the ticks poll nothing";
    const auto& position = plot.points[0];
    EXPECT_EQ(position.front().t, 0.0);
    for (std::size_t i = 1; i < position.size(); ++i) {
        ASSERT_EQ(position[i].t - position[i - 1].t, 5.0) << "no gap at " << i;
        ASSERT_LE(position[i - 1].value, position[i].value) << "in order at " << i;
    }
    EXPECT_EQ(plot.points[1].size(), position.size());

    recording->Stop();
    EXPECT_FALSE(recording->IsRecording());
    EXPECT_TRUE(Drive().waitForState("nmt", "pre-operational"));
    const std::int32_t kept = data.ring.Count();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(data.ring.Count(), kept) << "nothing collected after Stop";
    recording->Close();
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{333ms}));
    std::uint32_t cobId = 0;
    ASSERT_TRUE(doc.Node()->ReadU32(0x1801, 1, cobId));
    EXPECT_EQ(cobId, 0x285u) << "reset communication brought back the drive's PDOs";
}

TEST_F(RecordingBoard, RisingEdgeWithDelayThroughTheCallback)
{
    ovro::CQVTDoc& doc = Connected();
    EXPECT_TRUE(CBoardPdoCallback::Registered(master_)) << "the new board has the callback too";
    data.settings.SetChannels({RS::kPosition});
    data.settings.timeBase = 3;  // 5 ms
    data.settings.trigger = RS::kPosition;
    data.settings.slope = RS::kRisingEdge;
    data.settings.level = "100";
    data.settings.delay = "30";  // 6 samples
    ASSERT_TRUE(recording->Start());
    EXPECT_EQ(recording->Lamp(), RecordingState::WaitTrigger);
    Ticks(3 + 3);
    EXPECT_FALSE(data.collector.Triggered());
    EXPECT_TRUE(plot.points[0].empty());
    MoveTo(doc, 5000);
    ASSERT_TRUE(TicksUntil([&] { return plot.points[0].size() > 20; }));
    EXPECT_EQ(recording->Lamp(), RecordingState::Triggered);
    EXPECT_EQ(data.ring.TriggerOffset(), 6);
    const auto& points = plot.points[0];
    EXPECT_EQ(points.front().t, -30.0);
    EXPECT_EQ(points[6].t, 0.0);
    EXPECT_GE(points[6].value, 100.0);
    EXPECT_LT(points[5].value, 100.0);
    recording->Stop();
    recording->Close();
}

}  // namespace
