// The wire-timed bus: what a frame costs on the wire, and that no frame is
// seen before the frames ahead of it and itself have passed the wire. The
// checks of time are lower bounds (a frame is never early), which hold on
// any machine; how close the bus comes to the wire limit is measured in
// bench/wire_time.
#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

canbus_frame frame(uint32_t id, uint8_t len)
{
    canbus_frame f{};
    f.id = id;
    f.len = len;
    return f;
}

struct BitsRow {
    const char* name;
    canbus_frame frame;
    uint32_t bits;
};

class FrameBits : public ::testing::TestWithParam<BitsRow> {};

TEST_P(FrameBits, CountWorstCaseStuffing)
{
    EXPECT_EQ(canbus_frame_bits(&GetParam().frame), GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameBits,
    ::testing::Values(BitsRow{"StandardEmpty", frame(0x080, 0), 55},       // SYNC
                      BitsRow{"StandardTwoBytes", frame(0x000, 2), 75},    // NMT
                      BitsRow{"StandardFull", frame(0x605, 8), 135},       // SDO
                      BitsRow{"RemoteCarriesNoData", frame(0x705 | CANBUS_RTR_FLAG, 8), 55},
                      BitsRow{"ExtendedEmpty", frame(0x1234 | CANBUS_EFF_FLAG, 0), 80},
                      BitsRow{"ExtendedFull", frame(0x1234 | CANBUS_EFF_FLAG, 8), 160},
                      BitsRow{"ErrorFrameTakesNoTime", frame(CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF, 8), 0}),
    [](const ::testing::TestParamInfo<BitsRow>& info) { return std::string(info.param.name); });

TEST(WireTime, TimeOfTheBitsAtTheRateRoundedUp)
{
    const canbus_frame sdo = frame(0x605, 8);
    EXPECT_EQ(canbus_wire_time_ns(&sdo, 1000000), 135000);
    EXPECT_EQ(canbus_wire_time_ns(&sdo, 125000), 1080000);
    EXPECT_EQ(canbus_wire_time_ns(&sdo, 20000), 6750000);
    const canbus_frame sync = frame(0x080, 0);
    EXPECT_EQ(canbus_wire_time_ns(&sync, 800000), 68750);
    EXPECT_EQ(canbus_wire_time_ns(&sdo, 3), 45000000000);
    EXPECT_EQ(canbus_wire_time_ns(&sdo, 0), 0) << "rate 0: any rate, no time";
}

class WireTimedBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/canbus-wire.XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        setenv("OVRO_CANBUS_DIR", root_.c_str(), 1);
        unsetenv("OVRO_CANBUS_WIRE_TIME");
    }
    void TearDown() override
    {
        for (canbus_endpoint* ep : open_)
            canbus_close(ep);
        unsetenv("OVRO_CANBUS_DIR");
        fs::remove_all(root_);
    }
    canbus_endpoint* open(uint32_t bitrate, unsigned flags = 0)
    {
        canbus_endpoint* ep = canbus_open_with("wire", bitrate, flags, nullptr);
        EXPECT_NE(ep, nullptr);
        if (ep)
            open_.push_back(ep);
        return ep;
    }
    void close(canbus_endpoint* ep)
    {
        canbus_close(ep);
        open_.erase(std::find(open_.begin(), open_.end(), ep));
    }

    std::string root_;
    std::vector<canbus_endpoint*> open_;
};

using Clock = std::chrono::steady_clock;

TEST_F(WireTimedBus, OffUnlessAnEndpointAsksAndOnWhileItIsOpen)
{
    canbus_endpoint* plain = open(125000);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(canbus_wire_timed(plain), 0);
    canbus_endpoint* timed = open(125000, CANBUS_WIRE_TIME);
    ASSERT_NE(timed, nullptr);
    EXPECT_EQ(canbus_wire_timed(plain), 1) << "every endpoint sees it at once";
    EXPECT_EQ(canbus_wire_timed(timed), 1);
    close(timed);
    EXPECT_EQ(canbus_wire_timed(plain), 0);

    setenv("OVRO_CANBUS_WIRE_TIME", "1", 1);
    canbus_endpoint* fromEnvironment = canbus_open("wire", 125000, nullptr);
    unsetenv("OVRO_CANBUS_WIRE_TIME");
    ASSERT_NE(fromEnvironment, nullptr);
    EXPECT_EQ(canbus_wire_timed(plain), 1) << "the program and the benchmark switch it on by the variable";
    canbus_close(fromEnvironment);
}

TEST_F(WireTimedBus, FramesOffTheWireCostNothingByDefault)
{
    canbus_endpoint* tx = open(20000);
    canbus_endpoint* rx = open(20000);
    ASSERT_TRUE(tx && rx);
    const canbus_frame f = frame(0x181, 8);
    const auto started = Clock::now();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(canbus_send(tx, &f), 0);
    // 20 frames at 20 kbit/s would need 135 ms on a wire.
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(100));
    canbus_frame got{};
    EXPECT_EQ(canbus_receive(rx, &got, 1000), 1);
}

TEST_F(WireTimedBus, NoFrameIsSeenBeforeItAndAllBeforeItHavePassedTheWire)
{
    const uint32_t rate = 125000;
    canbus_endpoint* a = open(rate, CANBUS_WIRE_TIME);
    canbus_endpoint* b = open(rate);
    canbus_endpoint* rx = open(rate);
    ASSERT_TRUE(a && b && rx);
    const canbus_frame f = frame(0x181, 8);
    const auto wire = std::chrono::nanoseconds(canbus_wire_time_ns(&f, rate));  // 1.08 ms
    ASSERT_EQ(canbus_wire_timed(b), 1);

    // Two senders at once: they share the one wire, each waiting for a free bus.
    const int perSender = 6;
    const auto started = Clock::now();
    auto send = [&f](canbus_endpoint* ep) {
        for (int i = 0; i < perSender; ++i)
            canbus_send(ep, &f);
    };
    std::thread first(send, a), second(send, b);
    for (int k = 1; k <= 2 * perSender; ++k) {
        canbus_frame got{};
        ASSERT_EQ(canbus_receive(rx, &got, 2000), 1) << k;
        EXPECT_GE(Clock::now() - started, k * wire) << "frame " << k << " came before its time";
    }
    first.join();
    second.join();
}

TEST_F(WireTimedBus, AnswerFollowsTheRequestOnTheWire)
{
    // One master and one node: request and answer each take their time,
    // one after the other.
    const uint32_t rate = 20000;
    canbus_endpoint* master = open(rate, CANBUS_WIRE_TIME);
    canbus_endpoint* node = open(rate);
    ASSERT_TRUE(master && node);
    const canbus_frame request = frame(0x605, 8), answer = frame(0x585, 8);
    const auto wire = std::chrono::nanoseconds(canbus_wire_time_ns(&request, rate));  // 6.75 ms
    std::thread server([&] {
        canbus_frame got{};
        if (canbus_receive(node, &got, 2000) == 1)
            canbus_send(node, &answer);
    });
    const auto started = Clock::now();
    ASSERT_EQ(canbus_send(master, &request), 0);
    EXPECT_GE(Clock::now() - started, wire) << "the sender returns once its frame is on the other side";
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(master, &got, 2000), 1);
    EXPECT_EQ(got.id, 0x585u);
    EXPECT_GE(Clock::now() - started, 2 * wire);
    server.join();
}

TEST_F(WireTimedBus, ErrorFramesAndRateZeroTakeNoTime)
{
    canbus_endpoint* tx = open(0, CANBUS_WIRE_TIME);
    canbus_endpoint* slow = open(10000);
    ASSERT_TRUE(tx && slow);
    const canbus_frame any = frame(0x181, 8);
    canbus_frame error = frame(CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF, 8);
    const auto started = Clock::now();
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(canbus_send(tx, &any), 0);      // "any rate": no rate to time it by
        ASSERT_EQ(canbus_send(slow, &error), 0);  // a state report, not a frame on the wire
    }
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(100)) << "10 frames at 10 kbit/s take 135 ms";
}

TEST_F(WireTimedBus, ABusFreeTimeFarAheadIsTakenForADamagedRecord)
{
    canbus_endpoint* tx = open(1000000, CANBUS_WIRE_TIME);
    canbus_endpoint* rx = open(1000000);
    ASSERT_TRUE(tx && rx);
    char dir[256];
    ASSERT_NE(canbus_directory("wire", dir, sizeof dir), nullptr);
    // The record's free time (after the magic, the version and the count of
    // changes): an hour ahead, and the most negative time there is.
    const std::string record = std::string(dir) + "/bus.state";
    const int64_t values[] = {[] {
                                  timespec now{};
                                  clock_gettime(CLOCK_MONOTONIC, &now);
                                  return int64_t(now.tv_sec + 3600) * 1000000000;
                              }(),
                              INT64_MIN};
    const canbus_frame f = frame(0x181, 8);
    for (const int64_t value : values) {
        FILE* file = std::fopen(record.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fseek(file, 16, SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(&value, sizeof value, 1, file), 1u);
        std::fclose(file);
        const auto started = Clock::now();
        ASSERT_EQ(canbus_send(tx, &f), 0);
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(1)) << value;
        canbus_frame got{};
        EXPECT_EQ(canbus_receive(rx, &got, 1000), 1) << value;
    }
}

}  // namespace
