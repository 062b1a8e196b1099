// The driver layer on a plug-and-play board of the second channel, against
// the scripted driver built as libpcan_2pci.so: only CAN2_ names, a
// two-argument initialisation, and ResetClient right after a good one.
#include <gtest/gtest.h>

#include <string>

#include "fake_pcan.h"
#include "pcan_ctrl.h"

namespace {

constexpr uint32_t k2Pci = COP_BOARD_PCAN_2PCI;

class PcanCtrlPnp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctrl_close();
        fake_pcan_reset();
    }
    void TearDown() override { ctrl_close(); }
};

TEST_F(PcanCtrlPnp, BindsTheSecondChannelNamesWithoutBoardParameters)
{
    // The library exports no CAN_ names: a layer that bound those would
    // miss its entry points (-299).
    ASSERT_EQ(ctrl_open(k2Pci, nullptr), 0) << "plug and play needs no I/O port or interrupt";
    ASSERT_EQ(ctrl_start(COP_BAUD_125), 0);
    ASSERT_EQ(ctrl_define(0, 0x123, CTRL_KIND_TRANSMIT), 0);
    const uint8_t data[2] = {0xAB, 0xCD};
    ASSERT_EQ(ctrl_send(0, 2, data), 0);
    TPCANMsg sent{};
    ASSERT_EQ(fake_pcan_written(&sent, 1), 1u) << "written through CAN2_Write";
    EXPECT_EQ(sent.ID, 0x123u);
    EXPECT_EQ(sent.DATA[1], 0xCD);

    const uint8_t answer[1] = {0x42};
    fake_pcan_push_data(0x321, 1, answer);
    uint32_t id = 0;
    int16_t len = 0;
    uint8_t got[8] = {};
    ASSERT_EQ(ctrl_read_ring(&id, &len, got), 0) << "read through CAN2_Read";
    EXPECT_EQ(id, 0x321u);
    EXPECT_EQ(got[0], 0x42);
    ASSERT_NE(ctrl_firmware_text(), nullptr) << "CAN2_VersionInfo";
    ctrl_close();
    EXPECT_EQ(fake_pcan_close_calls(), 1) << "CAN2_Close";
}

TEST_F(PcanCtrlPnp, StartInitialisesWithTwoArgumentsThenResetsTheClient)
{
    ASSERT_EQ(ctrl_open(k2Pci, nullptr), 0);
    ASSERT_EQ(ctrl_start(COP_BAUD_125), 0);
    const FakeInitCall init = fake_pcan_init_call();
    EXPECT_EQ(init.calls, 1);
    EXPECT_EQ(init.btr0btr1, PCAN_BAUD_125K);
    EXPECT_EQ(init.msgType, PCAN_INIT_TYPE_ST);
    EXPECT_EQ(std::string(fake_pcan_call_log()), "IR");
    EXPECT_EQ(ctrl_status() & CTRL_ST_STOPPED, 0);

    // Stop initialises once more (two arguments) and resets nothing else.
    ASSERT_EQ(ctrl_stop(), 0);
    EXPECT_EQ(std::string(fake_pcan_call_log()), "IRI");
    EXPECT_EQ(fake_pcan_init_call().btr0btr1, PCAN_BAUD_125K);
}

TEST_F(PcanCtrlPnp, FailedInitialisationSkipsResetClientAndStaysStopped)
{
    ASSERT_EQ(ctrl_open(k2Pci, nullptr), 0);
    fake_pcan_set_init_result(PCAN_ERR_ILLHW);
    EXPECT_EQ(ctrl_start(COP_BAUD_500), COP_ERR_PCAN_ILLHW);
    EXPECT_EQ(std::string(fake_pcan_call_log()), "I") << "no ResetClient after a failed Init";
    EXPECT_NE(ctrl_status() & CTRL_ST_STOPPED, 0);
}

TEST_F(PcanCtrlPnp, FailedResetClientFailsTheStart)
{
    ASSERT_EQ(ctrl_open(k2Pci, nullptr), 0);
    fake_pcan_set_reset_result(PCAN_ERR_ILLCLIENT);
    EXPECT_EQ(ctrl_start(COP_BAUD_500), COP_ERR_PCAN_ILLCLIENT);
    EXPECT_EQ(std::string(fake_pcan_call_log()), "IR");
    EXPECT_NE(ctrl_status() & CTRL_ST_STOPPED, 0) << "the controller stays stopped";
    fake_pcan_set_reset_result(0);
    EXPECT_EQ(ctrl_start(COP_BAUD_500), 0) << "and starts when the driver agrees";
}

}  // namespace
