// The SocketCAN back end without a kernel CAN stack: libs/socketcan hands
// the driver library one end of a socketpair carrying can_frame records,
// and the test plays the bus at the other.
#include "FakeSocketCan.h"
#include "PcanLibrary.h"

#include <gtest/gtest.h>

#include <linux/can/error.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using ovro::test::FakeSocketCan;

class SocketCanSeam : public ::testing::Test {
protected:
    void SetUp() override { setenv("OVRO_CAN_CHANNEL", "socketcan:can0", 1); }
    void TearDown() override
    {
        usb_.unload();  // before the fake's ends go
        unsetenv("OVRO_CAN_CHANNEL");
    }
    std::uint32_t open(FakeSocketCan::Interface state)
    {
        can_.add("can0", state);
        EXPECT_TRUE(usb_.load(PCAN_USB_PATH, "CAN_", true));
        return usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST);
    }
    // The next message Read delivers, waiting up to a second.
    bool next(TPCANMsg& msg)
    {
        if (usb_.waitRead(1000000) != PCAN_ERR_OK)
            return false;
        return usb_.read(&msg) == PCAN_ERR_OK;
    }

    FakeSocketCan can_;
    PcanLibrary usb_;
};

TEST_F(SocketCanSeam, FramesTravelBothWaysAsCanFrameRecords)
{
    ASSERT_EQ(open({500000}), PCAN_ERR_OK);
    const int bus = can_.peer("can0");
    ASSERT_GE(bus, 0);
    EXPECT_EQ(can_.errorMask("can0"), CAN_ERR_CRTL | CAN_ERR_BUSOFF | CAN_ERR_RESTARTED);

    TPCANMsg out{0x605, PCAN_MSGTYPE_STANDARD, 4, {0x40, 0x08, 0x10, 0x00}};
    ASSERT_EQ(usb_.write(&out), PCAN_ERR_OK);
    can_frame frame;
    ASSERT_TRUE(FakeSocketCan::readFrame(bus, frame, 1000));
    EXPECT_EQ(frame.can_id, 0x605u);
    EXPECT_EQ(frame.len, 4);
    EXPECT_EQ(frame.data[1], 0x08);

    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(0x585, {0x43, 0x08, 0x10, 0, 1, 2, 3, 4})));
    // An extended frame is dropped by a standard-only channel.
    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(CAN_EFF_FLAG | 0x1234, {9})));
    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(0x185, {7})));
    TPCANMsg in{};
    ASSERT_TRUE(next(in));
    EXPECT_EQ(in.ID, 0x585u);
    EXPECT_EQ(in.LEN, 8);
    EXPECT_EQ(in.DATA[7], 4);
    ASSERT_TRUE(next(in));
    EXPECT_EQ(in.ID, 0x185u);
}

TEST_F(SocketCanSeam, ErrorFramesBecomeStatusMessagesAndStatusBits)
{
    ASSERT_EQ(open({500000}), PCAN_ERR_OK);
    const int bus = can_.peer("can0");
    can_frame passive = FakeSocketCan::frame(CAN_ERR_FLAG | CAN_ERR_CRTL, {0, CAN_ERR_CRTL_TX_PASSIVE, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, passive));
    TPCANMsg msg{};
    ASSERT_TRUE(next(msg));
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(msg.DATA[3], PCAN_ERR_BUSHEAVY);

    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(CAN_ERR_FLAG | CAN_ERR_BUSOFF, {0, 0, 0, 0, 0, 0, 0, 0})));
    ASSERT_TRUE(next(msg));
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_NE(msg.DATA[3] & PCAN_ERR_BUSOFF, 0);
    EXPECT_NE(usb_.status() & PCAN_ERR_BUSOFF, 0u);

    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(CAN_ERR_FLAG | CAN_ERR_RESTARTED, {0, 0, 0, 0, 0, 0, 0, 0})));
    ASSERT_TRUE(next(msg));
    EXPECT_EQ(msg.DATA[3], 0);
    EXPECT_EQ(usb_.status() & PCAN_ERR_BUSOFF, 0u);
}

TEST_F(SocketCanSeam, AFullReceiveQueueReportsTheLostFrames)
{
    ASSERT_EQ(open({500000}), PCAN_ERR_OK);
    const int bus = can_.peer("can0");
    // More frames than the queue holds, none of them read meanwhile.
    const int frames = 8192 + 300;
    for (int i = 0; i < frames; ++i) {
        const can_frame f = FakeSocketCan::frame(0x181, {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)});
        while (!FakeSocketCan::writeFrame(bus, f)) {
            pollfd p{bus, POLLOUT, 0};
            ASSERT_GT(poll(&p, 1, 2000), 0) << "the driver stopped draining at frame " << i;
        }
    }
    // Let the reader take the rest off the socket.
    usleep(200000);
    TPCANMsg msg{};
    ASSERT_EQ(usb_.read(&msg), PCAN_ERR_OK);
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(msg.DATA[3] & (PCAN_ERR_OVERRUN | PCAN_ERR_QOVERRUN), PCAN_ERR_OVERRUN | PCAN_ERR_QOVERRUN);
    // Then the frames that were kept, from the first on.
    ASSERT_EQ(usb_.read(&msg), PCAN_ERR_OK);
    EXPECT_EQ(msg.ID, 0x181u);
    EXPECT_EQ(msg.DATA[0] | (msg.DATA[1] << 8), 0);
}

struct RateRow {
    const char* name;
    FakeSocketCan::Interface state;
    std::uint32_t result;
    std::uint32_t rateAfter;
};

class SocketCanRates : public SocketCanSeam, public ::testing::WithParamInterface<RateRow> {};

TEST_P(SocketCanRates, FollowTheBitRateRules)
{
    const RateRow& row = GetParam();
    EXPECT_EQ(open(row.state), row.result);
    EXPECT_EQ(can_.state("can0").bitrate, row.rateAfter);
    // Only a usable interface gets a socket.
    EXPECT_EQ(can_.opens("can0"), row.result == PCAN_ERR_OK ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SocketCanRates,
    ::testing::Values(RateRow{"AtTheRate", {500000, true, false, true}, PCAN_ERR_OK, 500000},
                      RateRow{"ChangedWhereAllowed", {250000, true, true, true}, PCAN_ERR_OK, 500000},
                      RateRow{"OtherRateAndLibsocketcanRefuses", {250000, true, false, true}, PCAN_ERR_PARMVAL, 250000},
                      RateRow{"NoBitTiming", {0, true, false, true}, PCAN_ERR_OK, 0},
                      RateRow{"DownAndBroughtUp", {500000, false, false, true}, PCAN_ERR_OK, 500000},
                      RateRow{"DownAndNotOurs", {500000, false, false, false}, PCAN_ERR_REGTEST, 500000}),
    [](const ::testing::TestParamInfo<RateRow>& info) { return info.param.name; });

TEST_F(SocketCanSeam, AMissingInterfaceIsNoHardware)
{
    setenv("OVRO_CAN_CHANNEL", "socketcan:can9", 1);
    EXPECT_EQ(open({500000}), PCAN_ERR_REGTEST);
}

}  // namespace
