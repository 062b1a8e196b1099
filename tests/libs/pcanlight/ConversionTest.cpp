#include "Channel.h"
#include "ErrorState.h"
#include "FrameConversion.h"

#include <gtest/gtest.h>

#include <linux/can/error.h>

using namespace ovro::pcanlight;

namespace {

TEST(FrameConversion, BtrValuesGiveTheirBitRates)
{
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x0014), 1000000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x001C), 500000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x011C), 250000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x031C), 125000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x432F), 100000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x472F), 50000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x532F), 20000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x672F), 10000u);
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x0000), 0u);  // 800 kbit/s has none
    EXPECT_EQ(FrameConversion::bitrateOfBtr(0x1C00), 0u);
}

TEST(FrameConversion, SocketCanFramesBecomeMessageRecords)
{
    can_frame frame{};
    frame.can_id = 0x605;
    frame.len = 3;
    frame.data[0] = 0x40;
    frame.data[2] = 0x10;
    frame.data[5] = 0x99;
    TPCANMsg msg;
    FrameConversion::fromCanFrame(frame, msg);
    EXPECT_EQ(msg.ID, 0x605u);
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STANDARD);
    EXPECT_EQ(msg.LEN, 3);
    EXPECT_EQ(msg.DATA[2], 0x10);
    EXPECT_EQ(msg.DATA[5], 0);  // beyond the length

    frame.can_id = CAN_EFF_FLAG | CAN_RTR_FLAG | 0x1ABCDEF0;
    frame.len = 4;
    FrameConversion::fromCanFrame(frame, msg);
    EXPECT_EQ(msg.ID, 0x1ABCDEF0u);
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_EXTENDED | PCAN_MSGTYPE_RTR);
    EXPECT_EQ(msg.LEN, 4);
    EXPECT_EQ(msg.DATA[0], 0);
}

TEST(FrameConversion, MessageRecordsBecomeSocketCanFrames)
{
    TPCANMsg msg{0x181, PCAN_MSGTYPE_STANDARD, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    can_frame frame{};
    ASSERT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_OK);
    EXPECT_EQ(frame.can_id, 0x181u);
    EXPECT_EQ(frame.len, 2);
    EXPECT_EQ(frame.data[1], 2);
    EXPECT_EQ(frame.data[2], 0);

    msg = {0x12345, PCAN_MSGTYPE_EXTENDED | PCAN_MSGTYPE_RTR, 8, {9}};
    ASSERT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_OK);
    EXPECT_EQ(frame.can_id, CAN_EFF_FLAG | CAN_RTR_FLAG | 0x12345u);
    EXPECT_EQ(frame.len, 8);
    EXPECT_EQ(frame.data[0], 0);
}

TEST(FrameConversion, RefusesRecordsItCannotSend)
{
    can_frame frame{};
    frame.can_id = 0x7;
    TPCANMsg msg{0x800, PCAN_MSGTYPE_STANDARD, 0, {}};
    EXPECT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_PARMVAL);
    msg = {0x20000000, PCAN_MSGTYPE_EXTENDED, 0, {}};
    EXPECT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_PARMVAL);
    msg = {0x100, PCAN_MSGTYPE_STANDARD, 9, {}};
    EXPECT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_PARMVAL);
    msg = {0x100, PCAN_MSGTYPE_STATUS, 4, {}};
    EXPECT_EQ(FrameConversion::toCanFrame(msg, frame), PCAN_ERR_PARMTYP);
    EXPECT_EQ(frame.can_id, 0x7u);  // untouched on failure
}

TEST(ErrorState, ControllerStatesBecomeStatusBits)
{
    ErrorState state;
    TPCANMsg msg{};
    uint8_t data[8] = {};

    data[1] = CAN_ERR_CRTL_RX_WARNING;
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 8, data, msg));
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(msg.DATA[3], PCAN_ERR_BUSLIGHT);

    data[1] = CAN_ERR_CRTL_TX_PASSIVE;
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 8, data, msg));
    EXPECT_EQ(msg.DATA[3], PCAN_ERR_BUSHEAVY);
    EXPECT_EQ(state.bits(), PCAN_ERR_BUSHEAVY);

    // An overflow keeps the state and adds the overrun bit.
    data[1] = CAN_ERR_CRTL_RX_OVERFLOW;
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 8, data, msg));
    EXPECT_EQ(msg.DATA[3], PCAN_ERR_BUSHEAVY | PCAN_ERR_OVERRUN);

    std::fill(std::begin(data), std::end(data), 0);
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_BUSOFF, 8, data, msg));
    EXPECT_EQ(msg.DATA[3], PCAN_ERR_BUSOFF);
    EXPECT_EQ(state.queueOverrun().DATA[3], PCAN_ERR_BUSOFF | PCAN_ERR_OVERRUN | PCAN_ERR_QOVERRUN);

    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_RESTARTED, 8, data, msg));
    EXPECT_EQ(msg.DATA[3], 0);

    data[1] = CAN_ERR_CRTL_RX_PASSIVE;
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 8, data, msg));
    data[1] = CAN_ERR_CRTL_ACTIVE;
    ASSERT_TRUE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 8, data, msg));
    EXPECT_EQ(msg.DATA[3], 0);
    EXPECT_EQ(state.bits(), 0u);
}

TEST(ErrorState, OtherErrorClassesAndDataFramesGiveNoStatus)
{
    ErrorState state;
    TPCANMsg msg{};
    msg.ID = 0x55;
    uint8_t data[8] = {0, CAN_ERR_CRTL_TX_PASSIVE};
    EXPECT_FALSE(state.apply(CAN_ERR_FLAG | CAN_ERR_PROT | CAN_ERR_ACK, 8, data, msg));
    EXPECT_FALSE(state.apply(CAN_ERR_CRTL, 8, data, msg));  // no error flag
    EXPECT_FALSE(state.apply(CAN_ERR_FLAG | CAN_ERR_CRTL, 1, data, msg));  // too short
    EXPECT_EQ(msg.ID, 0x55u);
    EXPECT_EQ(state.bits(), 0u);
}

TEST(Channel, ParsesBothKindsAndRefusesTheRest)
{
    Channel channel;
    ASSERT_TRUE(Channel::parse("virtual:vbus", channel));
    EXPECT_EQ(channel.kind(), Channel::Kind::Virtual);
    EXPECT_EQ(channel.name(), "vbus");
    ASSERT_TRUE(Channel::parse("virtual:", channel));
    EXPECT_EQ(channel.name(), "default");
    ASSERT_TRUE(Channel::parse("socketcan:vcan0", channel));
    EXPECT_EQ(channel.kind(), Channel::Kind::SocketCan);
    EXPECT_EQ(channel.describe(), "SocketCAN vcan0");
    EXPECT_FALSE(Channel::parse("socketcan:", channel));
    EXPECT_FALSE(Channel::parse("socketcan:averyveryverylonginterfacename", channel));
    EXPECT_FALSE(Channel::parse("virtual:../x", channel));
    EXPECT_FALSE(Channel::parse("can0", channel));
    EXPECT_FALSE(Channel::parse("", channel));
}

}  // namespace
