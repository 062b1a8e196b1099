// The document's status poll: its batches, pauses and rest.
#include "DocTestSupport.h"

#include "description/QVTDevice.h"
#include "document/StatusPoll.h"

using namespace doctest;
using ovro::ConnectDeviceChoice;

namespace {

TEST(DocStatusPollBatchTest, TheBatchFollowsTheBaudRate)
{
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(0, 2), 36);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(1, 2), 36);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(2, 2), 24);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(3, 2), 12);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(4, 12), 12);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(6, 24), 24);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(7, 36), 2);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(8, 2), 1);
    EXPECT_EQ(ovro::CStatusPoll::BatchSize(9, 36), 2);
}

TEST(DocStatusPollBatchTest, NothingIsReadWithoutNodeOrWhileADownloadRuns)
{
    ovro::CStatusPoll poll;
    ovro::CStatusPoll::State state;
    state.pollPause = 2;
    ovro::CQVTDevice device;
    poll.Tick(state, nullptr, &device, 7);
    EXPECT_EQ(state.pollPause, 1);
    state.transferIdle = false;
    poll.Tick(state, nullptr, &device, 7);
    poll.Tick(state, nullptr, &device, 7);
    EXPECT_EQ(state.pollPause, 0);
    EXPECT_EQ(poll.Step(), 0);
}

class DocStatusPollTest : public SimBusTest {
protected:
    std::uint64_t FramesReceived(SimProcess& drive) { return std::stoull(drive.state("frames-received")); }
};

TEST_F(DocStatusPollTest, ThePollFillsTheActualValuesPausesAndRestsAfterALostDrive)
{
    SimProcess& drive = AddDrive({});
    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
    ASSERT_TRUE(doc.OnNewDocument());
    drive.control("fault 0x7500");
    const ovro::ActualValues& actual = doc.Device()->actual;

    // The pause after connecting: three ticks read nothing.
    const std::uint64_t before = FramesReceived(drive);
    for (int i = 0; i < ovro::CQVTDoc::kPollPauseAfterConnect; ++i)
        doc.OnPollTimer();
    EXPECT_EQ(doc.PollState().pollPause, 0);
    EXPECT_EQ(FramesReceived(drive), before);
    EXPECT_EQ(actual.actualVoltage, 0u);

    // At 20 kBit/s each tick reads two objects: position and temperature first.
    doc.OnPollTimer();
    EXPECT_NE(actual.actualTemperature, 0);
    EXPECT_EQ(actual.actualVoltage, 0u);
    doc.OnPollTimer();
    EXPECT_NE(actual.actualVoltage, 0u);

    // The rest of the cycle: 36 ticks in all; H1, the last entry of the
    // error history, comes at step 47.
    for (int i = 2; i < 36; ++i)
        doc.OnPollTimer();
    EXPECT_TRUE(doc.PollState().errorHistoryValid);
    // H5 at step 21 starts the next reading of the history.
    for (int i = 0; i < 11; ++i)
        doc.OnPollTimer();
    EXPECT_FALSE(doc.PollState().errorHistoryValid);
    for (int i = 11; i < 36; ++i)
        doc.OnPollTimer();
    EXPECT_TRUE(doc.PollState().errorHistoryValid);
    EXPECT_FALSE(doc.PollState().pollFailed);
    EXPECT_EQ(actual.errorList[0].Code(), 0x7500);
    EXPECT_NE(actual.statusword, 0);
    EXPECT_EQ(actual.errorCode, 0x7500);

    // A lost drive: one failed read, then seven ticks of rest without traffic.
    drive.control("silent");
    doc.OnPollTimer();
    EXPECT_TRUE(doc.PollState().pollFailed);
    const std::uint64_t atRest = FramesReceived(drive);
    for (int i = 0; i < ovro::CStatusPoll::kRestTicks; ++i) {
        doc.OnPollTimer();
        EXPECT_TRUE(doc.PollState().pollFailed);
    }
    EXPECT_EQ(FramesReceived(drive), atRest);
    drive.control("resume");
    doc.OnPollTimer();
    EXPECT_FALSE(doc.PollState().pollFailed);
    EXPECT_GT(FramesReceived(drive), atRest);

    // The oscilloscope's pause.
    doc.SetPollPause(2);
    const std::uint64_t paused = FramesReceived(drive);
    doc.OnPollTimer();
    doc.OnPollTimer();
    EXPECT_EQ(FramesReceived(drive), paused);
}

}  // namespace
