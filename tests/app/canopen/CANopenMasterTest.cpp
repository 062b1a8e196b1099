// CCANopenMaster against the scripted COP API.
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "FakeCop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class CANopenMasterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake().Reset();
        fake().boardHandle = 0;
    }
    FakeCop& fake() { return FakeCop::Instance(); }

    void Open(CCANopenMaster& master)
    {
        ASSERT_TRUE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20, 0));
        fake().ClearCalls();
    }
};

TEST_F(CANopenMasterTest, InitializeOpensAndPreparesTheInterface)
{
    CCANopenMaster master;
    EXPECT_FALSE(master.IsInitialised());
    EXPECT_EQ(master.BoardType(), 0xFFFFFFFFu);
    EXPECT_EQ(master.BaudRate(), COP_BAUD_20);
    fake().boardHandle = 2;
    CopHwParam hw{0x378, 7};
    ASSERT_TRUE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_DNG, &hw, COP_BAUD_250, 1));
    EXPECT_EQ(fake().Calls(), (Calls{"Initialize 200 0x00000005 3 io=0x378 irq=7", "ResetCAN 3",
                                     "CreatePDO 0 1 1 0x7E5 8", "SetSDOTimeout 100", "GetBoardHandle"}));
    EXPECT_TRUE(master.IsInitialised());
    EXPECT_EQ(master.BoardHandle(), 2);
    EXPECT_EQ(master.BoardType(), COP_BOARD_PCAN_DNG);
    EXPECT_EQ(master.HwAddress(), 0x378u);
    EXPECT_EQ(master.HwInterrupt(), 7u);
    EXPECT_EQ(master.BaudRate(), COP_BAUD_250);
    EXPECT_EQ(master.Timing(), 1);
    EXPECT_EQ(master.LastError(), 0);
}

TEST_F(CANopenMasterTest, InitializeStopsAtTheFirstFailingStep)
{
    const char* steps[] = {"Initialize", "ResetCAN", "CreatePDO", "SetSDOTimeout"};
    for (size_t failing = 0; failing < 4; ++failing) {
        SCOPED_TRACE(steps[failing]);
        fake().Reset();
        fake().Fail(steps[failing], -201);
        CCANopenMaster master;
        EXPECT_FALSE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 1));
        EXPECT_EQ(master.LastError(), -201);
        EXPECT_FALSE(master.IsInitialised());
        EXPECT_EQ(fake().Calls().size(), failing + 1);
        EXPECT_EQ(master.BoardType(), 0xFFFFFFFFu);
        EXPECT_EQ(master.BaudRate(), COP_BAUD_500) << "the requested rate is remembered";
        EXPECT_EQ(master.Timing(), 1);
    }
}

TEST_F(CANopenMasterTest, InitializeWhileOpenTerminatesFirstAndKeepsNodes)
{
    CCANopenMaster master;
    Open(master);
    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master.ConnectNode(5, &node));
    fake().ClearCalls();
    ASSERT_TRUE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_PCI, nullptr, COP_BAUD_500, 0));
    EXPECT_EQ(fake().Calls().front(), "Terminate");
    EXPECT_EQ(master.GetNode(5), node);
}

TEST_F(CANopenMasterTest, ReinitializeRegistersNodesAgainButNotTheirPdos)
{
    CCANopenMaster master;
    Open(master);
    ASSERT_TRUE(master.ConnectNode(9));
    ASSERT_TRUE(master.ConnectNode(5));
    fake().ClearCalls();
    ASSERT_TRUE(master.Reinitialize(COP_BAUD_1000, 1));
    EXPECT_EQ(fake().Calls(), (Calls{"ResetCAN 0", "CreatePDO 0 1 1 0x7E5 8", "SetSDOTimeout 100",
                                     "AddNode 5", "AddNode 9"}));
    EXPECT_EQ(master.BaudRate(), COP_BAUD_1000);
    EXPECT_EQ(master.Timing(), 1);
    ASSERT_NE(master.GetNode(5), nullptr);

    fake().Fail("ResetCAN", -3);
    EXPECT_FALSE(master.Reinitialize(COP_BAUD_10, 0));
    EXPECT_EQ(master.LastError(), -3);
    EXPECT_EQ(master.BaudRate(), COP_BAUD_1000);
}

TEST_F(CANopenMasterTest, TerminateDisconnectsEveryNodeAndCloses)
{
    CCANopenMaster master;
    EXPECT_TRUE(master.Terminate());
    EXPECT_TRUE(fake().Calls().empty()) << "closed: nothing happens";
    Open(master);
    ASSERT_TRUE(master.ConnectNode(3));
    ASSERT_TRUE(master.ConnectNode(127));
    fake().Fail("DeleteNode", -90); // ignored
    fake().ClearCalls();
    EXPECT_TRUE(master.Terminate());
    EXPECT_EQ(fake().Calls(), (Calls{"DeleteNode 3", "DeleteNode 127", "Terminate"}));
    EXPECT_FALSE(master.IsInitialised());
    EXPECT_EQ(master.BoardType(), 0xFFFFFFFFu);
    EXPECT_EQ(master.LastError(), 0);
    EXPECT_EQ(master.GetNode(3), nullptr);
}

TEST_F(CANopenMasterTest, SetSdoTimeoutReturnsThePreviousValue)
{
    CCANopenMaster master;
    Open(master);
    EXPECT_EQ(master.SetSDOTimeout(2500), 100);
    EXPECT_EQ(master.SdoTimeout(), 2500);
    fake().Fail("SetSDOTimeout", -9999);
    EXPECT_EQ(master.SetSDOTimeout(300), 2500);
    EXPECT_EQ(master.SdoTimeout(), 2500);
    EXPECT_EQ(master.LastError(), -9999);
    fake().Heal("SetSDOTimeout");
    EXPECT_EQ(master.SetSDOTimeout(100), 2500);
    EXPECT_EQ(master.LastError(), 0);
    fake().ClearCalls();
    ASSERT_TRUE(master.Reinitialize(COP_BAUD_20, 0));
    EXPECT_EQ(fake().Calls()[2], "SetSDOTimeout 100");
}

TEST_F(CANopenMasterTest, ConnectNodeChecksItsArguments)
{
    CCANopenMaster master;
    Open(master);
    EXPECT_FALSE(master.ConnectNode(0));
    EXPECT_EQ(master.LastError(), -90);
    EXPECT_FALSE(master.ConnectNode(128));
    EXPECT_EQ(master.LastError(), -90);
    EXPECT_TRUE(fake().Calls().empty());

    CCANopenNode* first = nullptr;
    ASSERT_TRUE(master.ConnectNode(5, &first));
    EXPECT_EQ(fake().Calls(), (Calls{"AddNode 5", "CreatePDO 5 8 0 0x385 8", "CreatePDO 5 9 0 0x485 6"}));
    EXPECT_EQ(first->NodeId(), 5);
    CCANopenNode* second = nullptr;
    EXPECT_FALSE(master.ConnectNode(5, &second));
    EXPECT_EQ(master.LastError(), -97);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(master.GetNode(5), first);
}

TEST_F(CANopenMasterTest, FailedConnectLeavesNoNode)
{
    CCANopenMaster master;
    Open(master);
    fake().Fail("AddNode", -90);
    EXPECT_FALSE(master.ConnectNode(6));
    EXPECT_EQ(master.LastError(), -90);
    EXPECT_EQ(master.GetNode(6), nullptr);

    fake().Heal("AddNode");
    fake().Fail("CreatePDO", -93);
    fake().ClearCalls();
    EXPECT_FALSE(master.ConnectNode(6));
    EXPECT_EQ(master.LastError(), -93);
    EXPECT_EQ(fake().Calls(), (Calls{"AddNode 6", "CreatePDO 6 8 0 0x386 8", "DeleteNode 6"}));
}

TEST_F(CANopenMasterTest, GetNodeAndDisconnectNode)
{
    CCANopenMaster master;
    Open(master);
    EXPECT_EQ(master.GetNode(0), nullptr);
    EXPECT_EQ(master.LastError(), -90);
    EXPECT_EQ(master.GetNode(5), nullptr);
    EXPECT_EQ(master.LastError(), -93);
    EXPECT_FALSE(master.DisconnectNode(nullptr));
    EXPECT_EQ(master.LastError(), -94);
    EXPECT_FALSE(master.DisconnectNode(uint8_t{5}));
    EXPECT_EQ(master.LastError(), -93);
    EXPECT_FALSE(master.DisconnectNode(uint8_t{200}));
    EXPECT_EQ(master.LastError(), -90);

    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master.ConnectNode(5, &node));
    EXPECT_EQ(master.GetNode(5), node);
    fake().Fail("DeleteNode", -90);
    EXPECT_FALSE(master.DisconnectNode(node));
    EXPECT_EQ(master.LastError(), -90);
    EXPECT_EQ(master.GetNode(5), node) << "the object stays when the library refuses";
    fake().Heal("DeleteNode");
    EXPECT_TRUE(master.DisconnectNode(node));
    EXPECT_EQ(master.GetNode(5), nullptr);
}

TEST_F(CANopenMasterTest, ConfigureNodeRunsTheLmtSequence)
{
    CCANopenMaster master;
    master.SetWaitFunction([this](std::chrono::milliseconds time) {
        fake().Enter("Wait " + std::to_string(time.count()), "Wait");
    });
    Open(master);
    CCANopenNode* node = master.ConfigureNode(17, COP_BAUD_125);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->NodeId(), 17);
    EXPECT_EQ(fake().Calls(),
              (Calls{"GetLMTAddress", "ConfigureNode OVROKEL K315CAN 00000012345678 17 4",
                     "ResetCAN 7", "CreatePDO 0 1 1 0x7E5 8", "SetSDOTimeout 100",
                     "WritePDO 0 1 15 64 00 00 00 00 00 00", "Wait 1000",
                     "ResetCAN 4", "CreatePDO 0 1 1 0x7E5 8", "SetSDOTimeout 100",
                     "WritePDO 0 1 04 00 00 00 00 00 00 00",
                     "AddNode 17", "CreatePDO 17 8 0 0x391 8", "CreatePDO 17 9 0 0x491 6"}));
    EXPECT_EQ(master.BaudRate(), COP_BAUD_125);

    EXPECT_EQ(master.ConfigureNode(0, COP_BAUD_125), nullptr);
    EXPECT_EQ(master.LastError(), -90);
    fake().Fail("ConfigureNode", 4);
    fake().ClearCalls();
    EXPECT_EQ(master.ConfigureNode(18, COP_BAUD_125), nullptr);
    EXPECT_EQ(master.LastError(), 4);
    EXPECT_EQ(fake().Calls().size(), 2u);
}

TEST_F(CANopenMasterTest, BoardInformation)
{
    CCANopenMaster master;
    Open(master);
    std::string text;
    ASSERT_TRUE(master.GetBoardInfo(text));
    EXPECT_EQ(text, "CANopen Master API for PEAK PCAN-Light, V1.00\n\nBoard=PEAK PCAN-USB, Firmware PCAN-Light V2.5");
    EXPECT_EQ(fake().Calls()[0], "GetBoardHardware 255");
    fake().Fail("GetLibraryVersion", -9999);
    ASSERT_TRUE(master.GetBoardInfo(text));
    EXPECT_EQ(text, "Board=PEAK PCAN-USB, Firmware PCAN-Light V2.5");
    EXPECT_EQ(master.LastError(), 0);
    fake().Fail("GetBoardFirmware", -9999);
    EXPECT_FALSE(master.GetBoardInfo(text));
    EXPECT_EQ(master.LastError(), -9999);
}

TEST_F(CANopenMasterTest, LastErrorTextUsesTheCopTable)
{
    CCANopenMaster master;
    std::string text;
    ASSERT_TRUE(master.GetLastErrorText(text));
    EXPECT_EQ(text, "Rhababermarmelade, Last error=0, \"Success, no error.\"");
    fake().Fail("Initialize", -10005);
    EXPECT_FALSE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20, 0));
    ASSERT_TRUE(master.GetLastErrorText(text));
    EXPECT_EQ(text, "Rhababermarmelade, Last error=-10005, \"Fatal error!\"");
    fake().Fail("Initialize", -138);
    EXPECT_FALSE(master.Initialize(COP_LIBRARY_CARDMASTER, COP_BOARD_ORVAX_APPLET, nullptr, COP_BAUD_20, 0));
    ASSERT_TRUE(master.GetLastErrorText(text));
    EXPECT_EQ(text, "Rhababermarmelade, Last error=-138, \"Timeout (communication error PC to \xB5" "C).\"");
}

TEST_F(CANopenMasterTest, NodesShareTheMastersErrorTexts)
{
    CCANopenMaster master;
    master.SetErrorList({{-50, "Time-out error."}});
    Open(master);
    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master.ConnectNode(5, &node));
    fake().Fail("ReadSDO", -50);
    uint8_t value = 0;
    EXPECT_FALSE(node->ReadU8(0x1001, 0, value));
    EXPECT_EQ(node->ErrorText(), "Time-out error.");
    EXPECT_EQ(master.ErrorText(-10002), "No such file or directory");
}

TEST_F(CANopenMasterTest, DestructorDeletesNodesWithoutBusTraffic)
{
    {
        CCANopenMaster master;
        Open(master);
        ASSERT_TRUE(master.ConnectNode(1));
        ASSERT_TRUE(master.ConnectNode(127));
        fake().ClearCalls();
    }
    EXPECT_TRUE(fake().Calls().empty());
}

} // namespace
