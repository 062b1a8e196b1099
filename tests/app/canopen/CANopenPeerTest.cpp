// The CANopen access layer end to end: libmastergate.so with the software
// master over the virtual CAN bus, against a scripted CANopen peer.
#include "canopen/CANopenDrive.h"
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "PrivateBus.h"
#include "ScriptedPeer.h"
#include "ScriptedUserInterface.h"
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using ovro::test::ScriptedPeer;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class CANopenPeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("canopen-peer"));
        setenv("OVRO_CAN_CHANNEL", "virtual:canopen", 1);
        peer_ = std::make_unique<ScriptedPeer>("canopen", 5);
        ASSERT_TRUE(peer_->isOpen());
        ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_250, 0))
            << "error " << master_.LastError();
        ASSERT_TRUE(master_.ConnectNode(5, &node_)) << "error " << master_.LastError();
    }
    void TearDown() override
    {
        master_.Terminate();
        peer_.reset();
        bus_.remove();
    }

    ovro::test::PrivateBus bus_;
    std::unique_ptr<ScriptedPeer> peer_;
    CCANopenMaster master_;
    CCANopenNode* node_ = nullptr;
};

TEST_F(CANopenPeerTest, IdentityAndTypedAccess)
{
    peer_->setObject(0x1008, 0, Bytes("Ovro K315"));
    peer_->setObject(0x1009, 0, Bytes("1.0"));
    peer_->setObject(0x100A, 0, Bytes("V1.004"));
    peer_->setObject(0x1018, 4, {0x4E, 0x61, 0xBC, 0x00});
    std::string identity;
    ASSERT_TRUE(node_->GetIdentity(identity)) << node_->LastError();
    EXPECT_EQ(identity, "Device=Ovro K315, S/N=12345678 HW=1.0, SW=V1.004, NodeId=5");

    peer_->setObject(0x607A, 0, {0, 0, 0, 0});
    ASSERT_TRUE(node_->WriteU32(0x607A, 0, 0x01020304u)) << node_->LastError();
    EXPECT_EQ(peer_->object(0x607A, 0), (std::vector<uint8_t>{4, 3, 2, 1}));
    uint32_t value = 0;
    ASSERT_TRUE(node_->ReadU32(0x607A, 0, value));
    EXPECT_EQ(value, 0x01020304u);
}

TEST_F(CANopenPeerTest, ShortReadReportsTheCopiedLength)
{
    peer_->setObject(0x2001, 0, {1, 2, 3, 4, 5, 6});
    uint8_t data[8] = {};
    uint32_t length = 0;
    ASSERT_TRUE(node_->ReadSDO(0x2001, 0, data, &length, 4));
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(data[3], 4);
    EXPECT_EQ(data[4], 0);
}

TEST_F(CANopenPeerTest, AbortOfThePeerIsExplained)
{
    uint8_t value = 0;
    EXPECT_FALSE(node_->ReadU8(0x2000, 7, value));
    EXPECT_EQ(node_->LastError(), 4);
    EXPECT_EQ(node_->LastAbort(), 0x06020000u);
    EXPECT_EQ(node_->GetAbortText(false), "Node #5, Object 2000/07: SDO-Transfer aborted!\n\n\tSDO-Abort "
                                          "0x06020000 - Object does not exist in the object dictionary.");
}

TEST_F(CANopenPeerTest, EnableSequenceWritesTheControlword)
{
    ScriptedUserInterface ui;
    peer_->setObject(0x6040, 0, {0x00, 0x00});
    peer_->setObject(0x6041, 0, {0x37, 0x02}, ScriptedPeer::Access::ReadOnly);
    EXPECT_TRUE(EnableOperation(*node_, ui));
    EXPECT_TRUE(ui.messages.empty());

    // a peer that does not change its state ends in message 63602
    peer_->setObject(0x6041, 0, {0x50, 0x02}, ScriptedPeer::Access::ReadOnly);
    EXPECT_FALSE(EnableOperation(*node_, ui));
    EXPECT_EQ(peer_->object(0x6040, 0), (std::vector<uint8_t>{0x06, 0x00}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, FormatMessage(63602, 5u));
}

TEST_F(CANopenPeerTest, NmtCommandsReachThePeer)
{
    ASSERT_TRUE(node_->StartNode());
    ASSERT_TRUE(node_->EnterPreOperational());
    ASSERT_TRUE(peer_->waitForFrame([](const canbus_frame& f) { return f.id == 0 && f.data[0] == 0x80; },
                                    std::chrono::milliseconds(1000)));
    auto commands = peer_->nmtCommands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0].command, 0x01);
    EXPECT_EQ(commands[0].node, 5);
    EXPECT_EQ(commands[1].command, 0x80);
}

TEST_F(CANopenPeerTest, PdosOfTheNodeArrive)
{
    ASSERT_TRUE(peer_->sendFrame(0x385, {1, 2, 3, 4, 5, 6, 7, 8}));
    uint8_t pdo = 0, length = 0, data[8] = {};
    bool received = false;
    for (int i = 0; i < 100 && !received; ++i) {
        received = node_->ReadPDO(&pdo, data, &length);
        if (!received)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(received) << node_->LastError();
    EXPECT_EQ(pdo, 8);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(data[7], 8);
}

TEST_F(CANopenPeerTest, ConfigureNodeGivesTheUnconfiguredNodeItsIdAndRate)
{
    ASSERT_TRUE(master_.DisconnectNode(node_));
    peer_->setLmtAddress("OVROKEL", "K315CAN", "00000012345678");
    master_.SetWaitFunction([](std::chrono::milliseconds) {});
    CCANopenNode* configured = master_.ConfigureNode(17, COP_BAUD_250);
    ASSERT_NE(configured, nullptr) << master_.LastError();
    EXPECT_EQ(configured->NodeId(), 17);
    EXPECT_EQ(peer_->lmtConfiguredNodeId(), std::optional<uint8_t>(17));
    EXPECT_EQ(peer_->lmtConfiguredBitTiming(), std::optional<uint8_t>(COP_BAUD_250));
    EXPECT_EQ(peer_->lmtStoreCount(), 1u);
    EXPECT_EQ(master_.BaudRate(), COP_BAUD_250);
}

TEST_F(CANopenPeerTest, BoardInformationAndReset)
{
    std::string text;
    ASSERT_TRUE(master_.GetBoardInfo(text)) << master_.LastError();
    EXPECT_EQ(text.rfind("CANopen Master API for PEAK PCAN-Light, V1.00\n\nBoard=", 0), 0u) << text;
    ASSERT_TRUE(master_.Reinitialize(COP_BAUD_500, 0)) << master_.LastError();
    EXPECT_EQ(master_.GetNode(5), node_);
    peer_->setObject(0x1001, 0, {0x00});
    uint8_t value = 0xFF;
    ASSERT_TRUE(node_->ReadU8(0x1001, 0, value)) << node_->LastError();
    EXPECT_EQ(value, 0);
}

} // namespace
