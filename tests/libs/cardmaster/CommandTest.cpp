// The command exports: their argument checks (made before any message
// goes to the board), and each service on the bus against the scripted node.
#include "BoardFixture.h"

#include <orxboard/orx_protocol.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class Commands : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        h = openStick();
        ASSERT_NE(h, 0);
    }
    std::uint16_t h = 0;
};

struct Check {
    const char* name;
    std::function<COP_CM_RESULT(std::uint16_t)> call;
    COP_CM_RESULT result;
};

TEST_F(Commands, ArgumentChecks)
{
    std::uint8_t data[8] = {};
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::uint32_t u32 = 0;
    char text[16] = {};
    const Check checks[] = {
        {"channel 2", [](std::uint16_t b) { return COP_InitInterface(b, 2, 2, 0, 0); }, CM_ERR_PROTOCOL},
        {"flags bit 7", [](std::uint16_t b) { return COP_InitInterface(b, 0, 2, 0x80, 0); }, CM_ERR_PARAMETER},
        {"time bit 15", [](std::uint16_t b) { return COP_InitInterface(b, 0, 2, 0, 0x8000); }, CM_ERR_PARAMETER},
        {"add node time bit 15", [](std::uint16_t b) { return COP_AddNode(b, 5, 0, 0x8000, 0); }, CM_ERR_PARAMETER},
        {"search node bit 7", [](std::uint16_t b) { return COP_SearchNode(b, 0x85); }, CM_ERR_PARAMETER},
        {"delete node bit 7", [](std::uint16_t b) { return COP_DeleteNode(b, 0x80); }, CM_ERR_PARAMETER},
        {"start node bit 7", [](std::uint16_t b) { return COP_StartNode(b, 0xFF); }, CM_ERR_PARAMETER},
        {"pre-op bit 7", [](std::uint16_t b) { return COP_EnterPreOperational(b, 0x81); }, CM_ERR_PARAMETER},
        {"stop bit 7", [](std::uint16_t b) { return COP_StopNode(b, 0x81); }, CM_ERR_PARAMETER},
        {"reset comm bit 7", [](std::uint16_t b) { return COP_ResetComm(b, 0x81); }, CM_ERR_PARAMETER},
        {"reset node bit 7", [](std::uint16_t b) { return COP_ResetNode(b, 0x81); }, CM_ERR_PARAMETER},
        {"request PDO bit 7", [](std::uint16_t b) { return COP_RequestPDO(b, 0x85, 1); }, CM_ERR_PARAMETER},
        {"create PDO bit 7", [](std::uint16_t b) { return COP_CreatePDO(b, 0x85, 1, 1, 1, 8, 0x205); }, CM_ERR_PARAMETER},
        {"write PDO node 128", [&](std::uint16_t b) { return COP_WritePDO(b, 128, 1, data); }, CM_ERR_PARAMETER},
        {"write PDO number 0", [&](std::uint16_t b) { return COP_WritePDO(b, 5, 0, data); }, CM_ERR_PARAMETER},
        {"write PDO number 11", [&](std::uint16_t b) { return COP_WritePDO(b, 5, 11, data); }, CM_ERR_PARAMETER},
        {"write PDO no data", [](std::uint16_t b) { return COP_WritePDO(b, 5, 1, nullptr); }, CM_ERR_PARAMETER},
        {"sync period 0", [](std::uint16_t b) { return COP_DefSyncObj(b, 0, 1); }, CM_ERR_PARAMETER},
        {"sync period above 0xFF00", [](std::uint16_t b) { return COP_DefSyncObj(b, 0xFF01, 1); }, CM_ERR_PARAMETER},
        {"sync window above 0xFF00", [](std::uint16_t b) { return COP_DefSyncObj(b, 10, 0xFF01); }, CM_ERR_PARAMETER},
        {"sync window above period", [](std::uint16_t b) { return COP_DefSyncObj(b, 10, 11); }, CM_ERR_PARAMETER},
        {"sync 1 and 3: 2 and 3", [](std::uint16_t b) { return COP_DefSyncObj(b, 1, 3); }, CM_ERR_PARAMETER},
        {"sync 1 and 2: both 2", [](std::uint16_t b) { return COP_DefSyncObj(b, 1, 2); }, CM_OK},
        {"LMT mode 2", [&](std::uint16_t b) { return COP_LMT_GetAddress(b, 2, 2, text, text, text); }, CM_ERR_PROTOCOL},
        {"LMT baud 9", [&](std::uint16_t b) { return COP_LMT_GetAddress(b, 0, 9, text, text, text); }, CM_ERR_PROTOCOL},
        {"LMT no buffer", [&](std::uint16_t b) { return COP_LMT_GetAddress(b, 0, 2, nullptr, text, text); }, CM_ERR_PARAMETER},
        {"LMT config no buffer", [&](std::uint16_t b) { return COP_LMT_ConfigNode(b, text, nullptr, text, 5, 2, 2); }, CM_ERR_PARAMETER},
        {"read PDO null", [&](std::uint16_t b) { return COP_ReadPDO(b, nullptr, &u8, &u8, data); }, CM_ERR_PARAMETER},
        {"emergency null", [&](std::uint16_t b) { return COP_GetEmergencyObj(b, &u8, nullptr, &u8, data); }, CM_ERR_PARAMETER},
        {"status null", [](std::uint16_t b) { return COP_GetStatus(b, nullptr); }, CM_ERR_PARAMETER},
        {"node state null", [](std::uint16_t b) { return COP_GetNodeState(b, 5, nullptr); }, CM_ERR_PARAMETER},
        {"board info null", [](std::uint16_t b) { return COP_GetBoardInfo(b, nullptr); }, CM_ERR_PARAMETER},
        {"event null", [&](std::uint16_t b) { return COP_GetEvent(b, nullptr, &u32); }, CM_ERR_PARAMETER},
        {"check sync null", [](std::uint16_t b) { return COP_CheckSync(b, nullptr); }, CM_ERR_PARAMETER},
        {"predefined PDO 5", [](std::uint16_t b) { return COP_CreatePDOPredef(b, 5, 5, 1); }, CM_ERR_PARAMETER},
        {"predefined node 0", [](std::uint16_t b) { return COP_CreatePDOPredef(b, 0, 1, 1); }, CM_ERR_PARAMETER},
        {"time stamp identifier 0", [](std::uint16_t b) { return COP_InitTimeStampObj(b, 0); }, CM_ERR_PARAMETER},
        {"send a long block", [&](std::uint16_t b) {
             std::uint8_t block[64] = {};
             orx_block_begin(block, ORX_CMD_TEST, 57);
             return COP_SendMsg(b, block);
         }, CM_ERR_PARAMETER},
        {"test echo too long", [&](std::uint16_t b) { return COP_TestCommand(b, data, 56, data); }, CM_ERR_PARAMETER},
    };
    (void)u16;
    for (const Check& c : checks) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(h), c.result);
        EXPECT_EQ(c.call(0), CM_ERR_GENERAL) << "no board";
    }
    // Nothing went on the bus.
    EXPECT_TRUE(peer->received().empty());
}

TEST_F(Commands, NodesAndNmtOnTheBus)
{
    EXPECT_EQ(COP_SearchNode(h, kNode), CM_OK) << "searched without being added";
    EXPECT_EQ(COP_SearchNode(h, kNode + 1), CM_ERR_CAN_TIMEOUT);
    EXPECT_EQ(COP_StartNode(h, kNode), CM_ERR_NO_NODE) << "not added";
    ASSERT_EQ(COP_AddNode(h, kNode, 0, 3, 0), CM_OK) << "time 3 is 5";
    EXPECT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_ERR_PARAMETER) << "twice";
    std::uint8_t state = 0xEE;
    ASSERT_EQ(COP_GetNodeState(h, kNode, &state), CM_OK);
    EXPECT_EQ(state, 0x00);
    EXPECT_EQ(COP_StartNode(h, kNode), CM_OK);
    ASSERT_EQ(COP_GetNodeState(h, kNode, &state), CM_OK);
    EXPECT_EQ(state, 0x05);
    EXPECT_EQ(COP_StopNode(h, kNode), CM_OK);
    EXPECT_EQ(COP_EnterPreOperational(h, 0), CM_OK) << "all nodes";
    ASSERT_EQ(COP_GetNodeState(h, kNode, &state), CM_OK);
    EXPECT_EQ(state, 0x7F);
    EXPECT_EQ(COP_ResetComm(h, kNode), CM_OK);
    EXPECT_EQ(COP_ResetNode(h, kNode), CM_OK);
    EXPECT_EQ(COP_SetDisconnected(h, kNode), CM_OK);
    ASSERT_EQ(COP_GetNodeState(h, kNode, &state), CM_OK);
    EXPECT_EQ(state, 0xFF);
    EXPECT_EQ(COP_ChangeNodeParameter(h, kNode, 1, 100, 3), CM_OK);
    EXPECT_EQ(COP_ChangeNodeParameter(h, kNode + 1, 1, 100, 3), CM_ERR_NO_NODE);
    ASSERT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0 && f.data[0] == 0x81; }, 1s));
    auto nmt = peer->nmtCommands();
    ASSERT_EQ(nmt.size(), 5u);
    const std::uint8_t commands[5] = {0x01, 0x02, 0x80, 0x82, 0x81};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(nmt[i].command, commands[i]);
        EXPECT_EQ(nmt[i].node, i == 2 ? 0 : kNode);
    }

    peer->setObject(0x1018, 1, {0x4B, 0x45, 0x00, 0x00});
    peer->setObject(0x1018, 4, {0x78, 0x56, 0x34, 0x12});
    CopNodeIdentity id{};
    ASSERT_EQ(COP_IdentifyRemNode(h, kNode, 0, &id), CM_OK);
    EXPECT_EQ(id.valid, 0x13) << "device type, vendor, serial; no product or revision";
    EXPECT_EQ(id.deviceType, 0x00020192u);
    EXPECT_EQ(id.vendorId, 0x454Bu);
    EXPECT_EQ(id.serialNumber, 0x12345678u);
    EXPECT_EQ(COP_DeleteNode(h, kNode), CM_OK);
    EXPECT_EQ(COP_DeleteNode(h, kNode), CM_ERR_NO_NODE);
}

TEST_F(Commands, PdosEmergenciesAndSync)
{
    ASSERT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_OK);
    ASSERT_EQ(COP_CreatePDOPredef(h, kNode, 1, 1), CM_OK);  // 0x205, the master sends
    ASSERT_EQ(COP_CreatePDOPredef(h, kNode, 3, 0), CM_OK);  // 0x385, the master receives
    const std::uint8_t out[8] = {0x0F, 0x00, 0x34, 0x12, 9, 9, 9, 9};
    ASSERT_EQ(COP_WritePDO(h, kNode, 1, out), CM_OK);
    ASSERT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0x205; }, 1s));
    EXPECT_EQ(peer->receivedWithId(0x205)[0].data[3], 0x12);
    // A short PDO from a buffer just as long: no byte beyond it is read.
    ASSERT_EQ(COP_CreatePDO(h, kNode, 2, 1, 1, 2, 0x305), CM_OK);
    auto two = std::make_unique<std::uint8_t[]>(2);
    two[0] = 0xA1;
    two[1] = 0xA2;
    ASSERT_EQ(COP_WritePDO(h, kNode, 2, two.get()), CM_OK);
    ASSERT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0x305; }, 1s));
    EXPECT_EQ(peer->receivedWithId(0x305)[0].len, 2);
    EXPECT_EQ(peer->receivedWithId(0x305)[0].data[1], 0xA2);
    CopPdoMessage sent{kNode, 1, 8, {7, 7, 7, 7, 7, 7, 7, 7}};
    ASSERT_EQ(COP_WritePDO_S(h, &sent), CM_OK);
    ASSERT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0x205 && f.data[0] == 7; }, 1s));

    peer->setRemoteAnswer(0x385, {1, 2, 3});
    ASSERT_EQ(COP_RequestPDO(h, kNode, 3), CM_OK);
    CopPdoMessage in{};
    COP_CM_RESULT r = CM_ERR_EMPTY;
    for (auto end = Clock::now() + 1s; r == CM_ERR_EMPTY && Clock::now() < end; std::this_thread::sleep_for(1ms))
        r = COP_ReadPDO_S(h, &in);
    ASSERT_EQ(r, CM_OK);
    EXPECT_EQ(in.node, kNode);
    EXPECT_EQ(in.pdoNumber, 3);
    EXPECT_EQ(in.length, 3);
    EXPECT_EQ(in.data[2], 3);

    CopEmergencyMessage e{};
    EXPECT_EQ(COP_GetEmergencyObj_S(h, &e), CM_ERR_EMPTY);
    ASSERT_TRUE(peer->sendEmergency(0x3210, 0x05, {1, 2, 3, 4, 5}));
    r = CM_ERR_EMPTY;
    for (auto end = Clock::now() + 1s; r == CM_ERR_EMPTY && Clock::now() < end; std::this_thread::sleep_for(1ms))
        r = COP_GetEmergencyObj_S(h, &e);
    ASSERT_EQ(r, CM_OK);
    EXPECT_EQ(e.node, kNode);
    EXPECT_EQ(e.code, 0x3210);
    EXPECT_EQ(e.reg, 0x05);
    EXPECT_EQ(e.bytes[4], 5);

    // SYNC: three at 10 ms, each noted for COP_CheckSync.
    std::uint16_t count = 0;
    EXPECT_EQ(COP_CheckSync(h, &count), CM_ERR_EMPTY);
    ASSERT_EQ(COP_DefSyncObj(h, 10, 5), CM_OK);
    ASSERT_EQ(COP_EnableSync(h, 3), CM_OK);
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(COP_CheckSync(h, &count), CM_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(peer->receivedWithId(0x080).size(), 3u);
    ASSERT_EQ(COP_DisableSync(h), CM_OK);
}

TEST_F(Commands, TimeStampLmtAndTheBoardItself)
{
    ASSERT_EQ(COP_InitTimeStampObj(h, 0x100), CM_OK);
    ASSERT_EQ(COP_StartStopTSObj(h, 1, 0), CM_OK);
    ASSERT_TRUE(peer->waitForFrame([](const canbus_frame& f) { return f.id == 0x100 && f.len == 6; }, 1s));
    ASSERT_EQ(COP_StartStopTSObj(h, 0, 0), CM_OK);
    std::uint16_t status = 0;
    ASSERT_EQ(COP_GetStatus(h, &status), CM_OK);
    EXPECT_TRUE(status & ORX_STATUS_CAN_STARTED);
    EXPECT_FALSE(status & ORX_STATUS_TIME_ACTIVE);

    peer->setLmtAddress("Kelvane", "OvroK31", "20061234567890");
    char manufacturer[8] = {}, product[8] = {}, serial[16] = {};
    ASSERT_EQ(COP_LMT_GetAddress(h, 0, COP_BAUD_500, manufacturer, product, serial), CM_OK);
    EXPECT_STREQ(manufacturer, "Kelvane");
    EXPECT_STREQ(product, "OvroK31");
    EXPECT_STREQ(serial, "20061234567890");
    ASSERT_EQ(COP_LMT_ConfigNode(h, manufacturer, product, serial, 9, COP_BAUD_500, COP_BAUD_250), CM_OK);
    EXPECT_EQ(peer->lmtConfiguredNodeId(), 9);
    EXPECT_EQ(peer->lmtConfiguredBitTiming(), COP_BAUD_250);
    ovro::test::ScriptedPeer::LmtScript refuse;
    refuse.errorCode = 2;
    peer->setLmtScript(0x13, refuse);
    EXPECT_EQ(COP_LMT_ConfigNode(h, manufacturer, product, serial, 9, COP_BAUD_500, COP_BAUD_125), CM_ERR_ABORTED);

    std::uint16_t code = 0;
    std::uint32_t value = 0;
    ASSERT_EQ(COP_GetEvent(h, &code, &value), CM_OK);
    EXPECT_EQ(code, ORX_EVENT_BOOTED);
    EXPECT_EQ(value, 0x0414u);
    const std::uint8_t hello[5] = {'h', 'e', 'l', 'l', 'o'};
    std::uint8_t echo[5] = {};
    ASSERT_EQ(COP_TestCommand(h, hello, 5, echo), CM_OK);
    EXPECT_EQ(std::memcmp(echo, hello, 5), 0);

    // The raw command channel: a command the firmware does not know.
    std::uint8_t block[ORX_COMMAND_BLOCK_MAX];
    orx_block_begin(block, 0x7777, 0);
    ASSERT_EQ(COP_SendMsg(h, block), CM_OK);
    ASSERT_EQ(COP_GetMsg(h, block), CM_OK);
    EXPECT_EQ(orx_block_code(block), 0x7777);
    EXPECT_EQ(static_cast<std::int8_t>(block[ORX_RESULT_BYTE]), CM_ERR_UNKNOWN_COMMAND);

    // Back to the state after opening: the interface is gone.
    ASSERT_EQ(COP_Reset_DLL(h), CM_OK);
    EXPECT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_ERR_NOT_STARTED);
    ASSERT_EQ(COP_InitInterface(h, 0, COP_BAUD_500, 0, 0), CM_OK);
    EXPECT_EQ(COP_InitInterface(h, 1, COP_BAUD_500, 0, 0), CM_ERR_PARAMETER) << "one channel on the stick";
    EXPECT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_OK);
}

TEST_F(Commands, AFirmwareThatStopsAnsweringRunsIntoTheCommunicationTimeOut)
{
    releaseAll();
    setVariable(kStick, "FAULT", "silent");
    COP_CM_RESULT r = 1;
    h = open(kStick, &r);
    ASSERT_EQ(r, CM_OK) << "the version query is still answered";
    ASSERT_EQ(COP_SetCommTimeOut(h, 10), CM_OK);
    auto start = Clock::now();
    EXPECT_EQ(COP_InitInterface(h, 0, COP_BAUD_500, 0, 0), CM_ERR_TIMEOUT);
    auto took = Clock::now() - start;
    EXPECT_GE(took, 55ms) << "at least 55 ms";
    EXPECT_LT(took, 1s);
    std::uint8_t block[ORX_COMMAND_BLOCK_MAX];
    EXPECT_EQ(COP_GetMsg(h, block), CM_ERR_TIMEOUT);
}

}  // namespace
