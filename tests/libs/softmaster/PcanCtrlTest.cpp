// Tests of the driver layer of the software master against a scripted
// PCAN-Light library (fake_pcan, loaded as libpcan_isa.so).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_pcan.h"
#include "pcan_ctrl.h"

namespace {

constexpr uint32_t kIsa = COP_BOARD_PCAN_ISA;

TPCANMsg message(uint32_t id, uint8_t type, uint8_t len, uint8_t fill)
{
    TPCANMsg m{};
    m.ID = id;
    m.MSGTYPE = type;
    m.LEN = len;
    std::memset(m.DATA, fill, sizeof m.DATA);
    return m;
}

TPCANMsg statusMessage(uint8_t bits)
{
    TPCANMsg m{};
    m.MSGTYPE = PCAN_MSGTYPE_STATUS;
    m.LEN = 4;
    m.DATA[3] = bits;
    return m;
}

void drainRing()
{
    uint32_t id;
    int16_t len;
    uint8_t data[8];
    while (ctrl_read_ring(&id, &len, data) == 0) {
    }
}

class PcanCtrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctrl_close();
        fake_pcan_reset();
        CopHwParam hw{0x378, 7};
        ASSERT_EQ(ctrl_open(kIsa, &hw), 0);
        ASSERT_EQ(ctrl_start(COP_BAUD_500), 0);
        drainRing();
    }
    void TearDown() override { ctrl_close(); }
};

TEST(PcanCtrlOpen, RefusesBadBoardsParametersAndRates)
{
    ctrl_close();
    fake_pcan_reset();
    EXPECT_EQ(ctrl_open(0x1234, nullptr), COP_ERR_PCAN_BOARDTYPE);
    EXPECT_EQ(ctrl_open(kIsa, nullptr), COP_ERR_NULL_POINTER);
    EXPECT_FALSE(ctrl_is_open());
    EXPECT_EQ(ctrl_start(COP_BAUD_500), COP_ERR_NOT_INIT);

    CopHwParam hw{0x2A0, 5};
    ASSERT_EQ(ctrl_open(COP_BOARD_PCAN_ISA_SJA, &hw), 0);
    EXPECT_EQ(ctrl_open(kIsa, &hw), COP_ERR_ALREADY_INIT);
    EXPECT_EQ(ctrl_status(), CTRL_ST_STOPPED);
    EXPECT_EQ(ctrl_start(COP_BAUD_800), COP_ERR_BAUDRATE);
    EXPECT_EQ(ctrl_start(9), COP_ERR_BAUDRATE);
    EXPECT_EQ(fake_pcan_init_call().calls, 0) << "a refused rate must not reach the driver";

    ASSERT_EQ(ctrl_start(COP_BAUD_125), 0);
    FakeInitCall init = fake_pcan_init_call();
    EXPECT_EQ(init.calls, 1);
    EXPECT_EQ(init.btr0btr1, 0x031C);
    EXPECT_EQ(init.msgType, 0);
    EXPECT_EQ(init.hwType, 0x09);
    EXPECT_EQ(init.ioPort, 0x2A0u);
    EXPECT_EQ(init.interrupt, 5);
    EXPECT_EQ(ctrl_start(COP_BAUD_125), COP_ERR_STARTED);

    // A stop re-initialises at the rate in use.
    EXPECT_EQ(ctrl_stop(), 0);
    EXPECT_EQ(fake_pcan_init_call().calls, 2);
    EXPECT_EQ(ctrl_send(0, 0, nullptr), COP_ERR_NOT_STARTED);
    ctrl_close();
    EXPECT_EQ(fake_pcan_close_calls(), 1);
    EXPECT_EQ(ctrl_stop(), COP_ERR_NOT_INIT);
}

TEST(PcanCtrlOpen, FailedStartLeavesControllerStopped)
{
    ctrl_close();
    fake_pcan_reset();
    CopHwParam hw{0x378, 7};
    ASSERT_EQ(ctrl_open(kIsa, &hw), 0);
    fake_pcan_set_init_result(PCAN_ERR_HWINUSE);
    EXPECT_EQ(ctrl_start(COP_BAUD_250), COP_ERR_PCAN_HWINUSE);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_STOPPED);
    fake_pcan_set_init_result(0);
    EXPECT_EQ(ctrl_start(COP_BAUD_250), 0);
    ctrl_close();
}

TEST(PcanCtrlErrors, DriverWordsMapInTableOrder)
{
    EXPECT_EQ(ctrl_map_error(0x00FF), 0);
    EXPECT_EQ(ctrl_map_error(0x0100 | 0x0400), COP_ERR_PCAN_HWTEST);
    EXPECT_EQ(ctrl_map_error(0x0400), COP_ERR_PCAN_HWINUSE);
    EXPECT_EQ(ctrl_map_error(0x0800), COP_ERR_PCAN_NETINUSE);
    EXPECT_EQ(ctrl_map_error(0x1C00), COP_ERR_PCAN_ILLCLIENT);
    EXPECT_EQ(ctrl_map_error(0x1800), COP_ERR_PCAN_ILLNET);
    EXPECT_EQ(ctrl_map_error(0x1400), COP_ERR_PCAN_ILLHW);
    EXPECT_EQ(ctrl_map_error(0x1400 | 0x2000), COP_ERR_PCAN_ILLHW);
    EXPECT_EQ(ctrl_map_error(0x2000 | 0x4000), COP_ERR_PCAN_RESOURCE);
    EXPECT_EQ(ctrl_map_error(0x4000 | 0x8000), COP_ERR_PCAN_PARMTYP);
    EXPECT_EQ(ctrl_map_error(0x8000), COP_ERR_PCAN_PARMVAL);
    EXPECT_EQ(ctrl_map_error(0x0200), COP_ERR_PCAN_UNKNOWN);
    EXPECT_EQ(ctrl_map_error(0x0C00), COP_ERR_PCAN_UNKNOWN);
}

TEST_F(PcanCtrl, RingKeepsTheNewest16382FramesOnOverrun)
{
    for (uint32_t i = 0; i < 16383; ++i) {
        TPCANMsg m = message(0x200 + (i % 0x100), PCAN_MSGTYPE_STANDARD, 2, 0);
        m.DATA[0] = uint8_t(i);
        m.DATA[1] = uint8_t(i >> 8);
        ASSERT_TRUE(fake_pcan_push(&m));
    }
    while (ctrl_poll(CTRL_POLL_BUDGET) > 0) {
    }
    EXPECT_EQ(ctrl_ring_status(), COP_ERR_QUEUE_OVERRUN);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_OVERRUN);

    uint32_t id;
    int16_t len;
    uint8_t data[8];
    ASSERT_EQ(ctrl_read_ring(&id, &len, data), 0);
    EXPECT_EQ(data[0] | data[1] << 8, 1) << "the oldest frame is the one dropped";
    EXPECT_EQ(ctrl_ring_status(), 0);
    int count = 1;
    while (ctrl_read_ring(&id, &len, data) == 0)
        ++count;
    EXPECT_EQ(count, 16382);
    EXPECT_EQ(data[0] | data[1] << 8, 16382);
    EXPECT_EQ(ctrl_ring_status(), COP_ERR_RX_EMPTY);

    // The overrun bit goes with the next put after the reading.
    EXPECT_TRUE(ctrl_status() & CTRL_ST_OVERRUN);
    fake_pcan_push_data(0x300, 0, nullptr);
    ctrl_poll(CTRL_POLL_BUDGET);
    EXPECT_FALSE(ctrl_status() & CTRL_ST_OVERRUN);
}

TEST_F(PcanCtrl, ReceiveObjectsClaimFramesAndReportLostOnes)
{
    ASSERT_EQ(ctrl_define(1, 0x181, CTRL_KIND_RECEIVE | 8 << 8), 0);
    ASSERT_EQ(ctrl_define(2, 0x181, CTRL_KIND_RECEIVE | 8 << 8), 0);
    int16_t len = 0;
    uint8_t data[8] = {};
    EXPECT_EQ(ctrl_read(1, &len, data), COP_ERR_RX_EMPTY);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_RXEMPTY);

    TPCANMsg a = message(0x181, PCAN_MSGTYPE_STANDARD, 3, 0xAA);
    TPCANMsg b = message(0x181, PCAN_MSGTYPE_STANDARD, 5, 0xBB);
    fake_pcan_push(&a);
    fake_pcan_push(&b);
    fake_pcan_push_data(0x182, 1, data); // nobody's: to the ring
    ASSERT_EQ(ctrl_read(1, &len, data), 0);
    EXPECT_EQ(len, 5);
    EXPECT_EQ(data[0], 0xBB);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_MSGLOST);
    EXPECT_FALSE(ctrl_status() & CTRL_ST_RXEMPTY);
    EXPECT_EQ(ctrl_read(2, &len, data), COP_ERR_RX_EMPTY) << "only the lower object gets the frame";

    uint32_t id = 0;
    ASSERT_EQ(ctrl_read_ring(&id, &len, data), 0);
    EXPECT_EQ(id, 0x182u);

    // The message-lost bit stays until the next open.
    ASSERT_EQ(ctrl_read(1, &len, data), COP_ERR_RX_EMPTY);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_MSGLOST);
    ctrl_close();
    CopHwParam hw{0x378, 7};
    ASSERT_EQ(ctrl_open(kIsa, &hw), 0);
    EXPECT_EQ(ctrl_status(), CTRL_ST_STOPPED);
}

TEST_F(PcanCtrl, ObjectArgumentsAreChecked)
{
    int16_t len;
    uint8_t data[8];
    EXPECT_EQ(ctrl_define(15, 0x100, CTRL_KIND_RECEIVE), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_define(1, 0x800, CTRL_KIND_RECEIVE), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_define(1, 0x100, 5), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_define(1, 0x100, CTRL_KIND_RECEIVE | 9 << 8), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_define(CTRL_RING_OBJECT, 0x100, CTRL_KIND_RECEIVE), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_delete(-1), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_read(CTRL_RING_OBJECT, &len, data), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_read(3, nullptr, data), COP_ERR_NULL_POINTER);
    EXPECT_EQ(ctrl_read(3, &len, data), COP_ERR_ILLEGAL_PARAM) << "object 3 is free";
    ASSERT_EQ(ctrl_define(3, 0x100, CTRL_KIND_RECEIVE), 0);
    EXPECT_EQ(ctrl_send(3, 1, data), COP_ERR_ILLEGAL_PARAM) << "not a transmit object";
    ASSERT_EQ(ctrl_define(0, 0x100, CTRL_KIND_TRANSMIT), 0);
    EXPECT_EQ(ctrl_send(0, 9, data), COP_ERR_ILLEGAL_PARAM);
    EXPECT_EQ(ctrl_send(CTRL_RING_OBJECT, 1, data), COP_ERR_ILLEGAL_PARAM);
}

TEST_F(PcanCtrl, RefusedWritesSetTransmitterBusyUntilTheNextGoodOne)
{
    ASSERT_EQ(ctrl_define(0, 0x201, CTRL_KIND_TRANSMIT), 0);
    const uint8_t data[3] = {1, 2, 3};
    fake_pcan_set_write_result(PCAN_ERR_XMTFULL);
    EXPECT_EQ(ctrl_send(0, 3, data), COP_ERR_TX_BUSY);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_TXBUSY);
    fake_pcan_set_write_result(PCAN_ERR_QXMTFULL);
    EXPECT_EQ(ctrl_send(0, 3, data), COP_ERR_TX_BUSY);
    fake_pcan_set_write_result(PCAN_ERR_RESOURCE);
    EXPECT_EQ(ctrl_send(0, 3, data), COP_ERR_PCAN_RESOURCE);
    EXPECT_TRUE(ctrl_status() & CTRL_ST_TXBUSY);
    fake_pcan_set_write_result(0);
    fake_pcan_clear_written();
    EXPECT_EQ(ctrl_send(0, 3, data), 0);
    EXPECT_FALSE(ctrl_status() & CTRL_ST_TXBUSY);
    TPCANMsg sent{};
    ASSERT_EQ(fake_pcan_written(&sent, 1), 1u);
    EXPECT_EQ(uint32_t(sent.ID), 0x201u);
    EXPECT_EQ(sent.MSGTYPE, PCAN_MSGTYPE_STANDARD);
    EXPECT_EQ(sent.LEN, 3);
    EXPECT_EQ(sent.DATA[2], 3);
}

TEST_F(PcanCtrl, RemoteObjectSendsItsRequestWhenDefined)
{
    fake_pcan_clear_written();
    ASSERT_EQ(ctrl_define(1, 0x381, CTRL_KIND_REMOTE | 6 << 8), 0);
    TPCANMsg sent{};
    ASSERT_EQ(fake_pcan_written(&sent, 1), 1u);
    EXPECT_EQ(uint32_t(sent.ID), 0x381u);
    EXPECT_EQ(sent.MSGTYPE, PCAN_MSGTYPE_RTR);
    EXPECT_EQ(sent.LEN, 6);
    fake_pcan_set_write_result(PCAN_ERR_XMTFULL);
    EXPECT_EQ(ctrl_define(1, 0x381, CTRL_KIND_REMOTE | 6 << 8), COP_ERR_TX_BUSY);
}

TEST_F(PcanCtrl, StatusMessagesSetAndClearTheBusBits)
{
    TPCANMsg s = statusMessage(PCAN_ERR_BUSOFF | PCAN_ERR_BUSLIGHT | PCAN_ERR_BUSHEAVY | PCAN_ERR_OVERRUN);
    fake_pcan_push(&s);
    ctrl_poll(CTRL_POLL_BUDGET);
    EXPECT_EQ(ctrl_status() & 0x72, CTRL_ST_BUSOFF | CTRL_ST_WARNING | CTRL_ST_BUSERROR | CTRL_ST_MSGLOST);
    s = statusMessage(0);
    fake_pcan_push(&s);
    ctrl_poll(CTRL_POLL_BUDGET);
    EXPECT_EQ(ctrl_status() & 0x72, CTRL_ST_MSGLOST) << "message lost is sticky, the others follow the driver";
}

// One driver bit at a time: each sets its own controller bit and no other.
struct StatusBitRow {
    const char* name;
    uint8_t driverBit;
    uint8_t controllerBit;  // 0: the bit changes nothing
    bool sticky;
};

class PcanCtrlStatusBit : public PcanCtrl, public ::testing::WithParamInterface<StatusBitRow> {};

TEST_P(PcanCtrlStatusBit, SetsOnlyItsOwnBit)
{
    const StatusBitRow& row = GetParam();
    const uint8_t before = ctrl_status();
    ASSERT_EQ(before & 0x72, 0);
    TPCANMsg s = statusMessage(row.driverBit);
    fake_pcan_push(&s);
    ctrl_poll(CTRL_POLL_BUDGET);
    EXPECT_EQ(ctrl_status(), before | row.controllerBit);

    s = statusMessage(0);
    fake_pcan_push(&s);
    ctrl_poll(CTRL_POLL_BUDGET);
    EXPECT_EQ(ctrl_status(), before | (row.sticky ? row.controllerBit : 0))
        << (row.sticky ? "stays until the next open" : "follows the driver");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PcanCtrlStatusBit,
    ::testing::Values(StatusBitRow{"BusOff", PCAN_ERR_BUSOFF, CTRL_ST_BUSOFF, false},
                      StatusBitRow{"ErrorPassive", PCAN_ERR_BUSHEAVY, CTRL_ST_BUSERROR, false},
                      StatusBitRow{"ErrorWarning", PCAN_ERR_BUSLIGHT, CTRL_ST_WARNING, false},
                      StatusBitRow{"Overrun", PCAN_ERR_OVERRUN, CTRL_ST_MSGLOST, true},
                      StatusBitRow{"TransmitBufferFull", PCAN_ERR_XMTFULL, 0, false},
                      StatusBitRow{"ReceiveQueueEmpty", PCAN_ERR_QRCVEMPTY, 0, false},
                      StatusBitRow{"ReceiveQueueOverrun", PCAN_ERR_QOVERRUN, 0, false},
                      StatusBitRow{"TransmitQueueFull", PCAN_ERR_QXMTFULL, 0, false}),
    [](const ::testing::TestParamInfo<StatusBitRow>& info) { return std::string(info.param.name); });

TEST_F(PcanCtrl, MalformedFramesStayInsideTheBuffers)
{
    ASSERT_EQ(ctrl_define(1, 0x581, CTRL_KIND_RECEIVE | 8 << 8), 0);
    TPCANMsg big = message(0x581, PCAN_MSGTYPE_STANDARD, 255, 0x11);
    fake_pcan_push(&big);
    TPCANMsg ext = message(0x582, PCAN_MSGTYPE_EXTENDED, 8, 1);
    TPCANMsg rtr = message(0x583, PCAN_MSGTYPE_RTR, 8, 1);
    TPCANMsg wide = message(0x12345, PCAN_MSGTYPE_STANDARD, 8, 1);
    TPCANMsg odd = message(0x584, 0x33, 8, 1);
    fake_pcan_push(&ext);
    fake_pcan_push(&rtr);
    fake_pcan_push(&wide);
    fake_pcan_push(&odd);
    TPCANMsg good = message(0x581, PCAN_MSGTYPE_STANDARD, 8, 0x5A);
    fake_pcan_push(&good);
    uint8_t data[8];
    int16_t len = 0;
    ASSERT_EQ(ctrl_read(1, &len, data), 0);
    EXPECT_EQ(len, 8);
    EXPECT_EQ(data[7], 0x5A);
    EXPECT_FALSE(ctrl_status() & CTRL_ST_MSGLOST) << "the 255-byte record is no frame";
    uint32_t id;
    EXPECT_EQ(ctrl_read_ring(&id, &len, data), COP_ERR_RX_EMPTY) << "nothing else is a standard data frame";
}

TEST_F(PcanCtrl, PollTakesAtMostItsBudget)
{
    for (int i = 0; i < 250; ++i)
        fake_pcan_push_data(0x400, 0, nullptr);
    EXPECT_EQ(ctrl_poll(CTRL_POLL_BUDGET), 100);
    EXPECT_EQ(fake_pcan_pending(), 150u);
}

TEST_F(PcanCtrl, VersionTextsComeFromTheDriverText)
{
    fake_pcan_set_version("PCAN-ISA fake driver 2.49");
    EXPECT_STREQ(ctrl_hardware_text(), "PCAN-ISA fake driver 2.49");
    EXPECT_STREQ(ctrl_firmware_text(), "V2.49");
    fake_pcan_set_version("PCAN-ISA rev 3\nbuilt by PEAK 1.7");
    EXPECT_STREQ(ctrl_hardware_text(), "PCAN-ISA rev 3");
    EXPECT_STREQ(ctrl_firmware_text(), "V1.7");
    fake_pcan_set_version("nospace");
    EXPECT_STREQ(ctrl_firmware_text(), "nospace");
    ctrl_close();
    EXPECT_EQ(ctrl_hardware_text(), nullptr);
}

TEST_F(PcanCtrl, DeadlinePassesAfterItsTime)
{
    ASSERT_EQ(ctrl_timer_start(0), 0);
    EXPECT_EQ(ctrl_timer_expired(), 1);
    ASSERT_EQ(ctrl_timer_start(60000), 0);
    EXPECT_EQ(ctrl_timer_expired(), 0);
}

} // namespace
