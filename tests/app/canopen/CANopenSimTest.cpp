// The CANopen access layer end to end against the drive simulator:
// CCANopenMaster and CCANopenNode over libmastergate.so, the software
// master and the PCAN-USB channel of a private virtual bus, with
// ovro-drive-sim as the drive.
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "PrivateBus.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using ovro::test::SimProcess;

constexpr const char* kBus = "canopensim";
constexpr std::uint8_t kNode = 5;
constexpr std::uint32_t kSerial = 12345678;
constexpr std::uint16_t kSdoTimeout = 500;  // generous: the host may be loaded

class CANopenSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("canopen-sim"));
        setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
        ASSERT_TRUE(sim_.start(bus_.dir(), {"--node-id", std::to_string(kNode), "--bitrate", "500", "--serial",
                                            std::to_string(kSerial), "--bus", kBus}))
            << sim_.log();
        ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 0))
            << "error " << master_.LastError();
        master_.SetSDOTimeout(kSdoTimeout);
        ASSERT_EQ(master_.SdoTimeout(), kSdoTimeout);
    }

    void TearDown() override
    {
        master_.Terminate();
        sim_.stop();
        bus_.remove();
    }

    CCANopenNode* connect(std::uint8_t nodeId = kNode)
    {
        CCANopenNode* node = nullptr;
        EXPECT_TRUE(master_.ConnectNode(nodeId, &node)) << "error " << master_.LastError();
        return node;
    }

    static std::string readText(CCANopenNode& node, std::uint16_t index)
    {
        std::uint8_t text[32] = {};
        std::uint32_t length = 0;
        if (!node.ReadSDO(index, 0, text, &length, sizeof text))
            return "<failed " + std::to_string(node.LastError()) + ">";
        return std::string(reinterpret_cast<const char*>(text), std::min<std::uint32_t>(length, sizeof text));
    }

    // The identity line as it must read, from the drive's own texts.
    static std::string expectedIdentity(CCANopenNode& node)
    {
        return "Device=" + readText(node, 0x1008) + ", S/N=" + std::to_string(kSerial) +
               " HW=" + readText(node, 0x1009) + ", SW=" + readText(node, 0x100A) +
               ", NodeId=" + std::to_string(node.NodeId());
    }

    ovro::test::PrivateBus bus_;
    SimProcess sim_;
    CCANopenMaster master_;
};

TEST_F(CANopenSimTest, ConnectsAndTellsTheBoardAndIdentity)
{
    EXPECT_TRUE(master_.IsInitialised());
    EXPECT_EQ(master_.BoardType(), COP_BOARD_PCAN_USB);
    EXPECT_EQ(master_.BaudRate(), COP_BAUD_500);
    std::string board;
    EXPECT_TRUE(master_.GetBoardInfo(board)) << master_.LastError();
    EXPECT_NE(board.find("Board="), std::string::npos) << board;

    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(master_.GetNode(kNode), node);
    EXPECT_EQ(node->NodeId(), kNode);
    EXPECT_EQ(node->BoardHandle(), master_.BoardHandle());
    std::string identity;
    ASSERT_TRUE(node->GetIdentity(identity)) << node->LastError();
    EXPECT_EQ(identity.rfind("Device=Ovro K315, S/N=12345678 HW=", 0), 0u) << identity;
    EXPECT_EQ(identity, expectedIdentity(*node));

    // the same node twice, or a node-id out of range, is refused
    EXPECT_FALSE(master_.ConnectNode(kNode));
    EXPECT_EQ(master_.LastError(), COP_ERR_NODE_CONNECTED);
    EXPECT_FALSE(master_.ConnectNode(0));
    EXPECT_EQ(master_.LastError(), COP_ERR_NODE_ID);
    EXPECT_TRUE(master_.DisconnectNode(kNode));
    EXPECT_EQ(master_.GetNode(kNode), nullptr);
}

TEST_F(CANopenSimTest, TypedReadsAndWritesOfDriveObjects)
{
    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(readText(*node, 0x1008), "Ovro K315");

    std::uint32_t deviceType = 0;
    ASSERT_TRUE(node->ReadU32(0x1000, 0, deviceType)) << node->LastError();
    EXPECT_EQ(deviceType & 0xFFFFu, 402u) << "the drive profile";

    // 0x6081 profile velocity, U32
    ASSERT_TRUE(node->WriteU32(0x6081, 0, 4321u)) << node->LastError() << " " << std::hex << node->LastAbort();
    std::uint32_t velocity = 0;
    ASSERT_TRUE(node->ReadU32(0x6081, 0, velocity)) << node->LastError();
    EXPECT_EQ(velocity, 4321u);

    // 0x6098 homing method, I8: a negative method travels as one byte
    std::uint8_t method = 0;
    ASSERT_TRUE(node->ReadU8(0x6098, 0, method)) << node->LastError();
    EXPECT_EQ(method, 17);
    ASSERT_TRUE(node->WriteU8(0x6098, 0, static_cast<std::uint8_t>(-1))) << node->LastError();
    ASSERT_TRUE(node->ReadU8(0x6098, 0, method)) << node->LastError();
    EXPECT_EQ(static_cast<std::int8_t>(method), -1);

    // a one-byte object read as U32 keeps the upper bytes of the value
    std::uint32_t wide = 0xAABBCC00u;
    ASSERT_TRUE(node->ReadU32(0x6098, 0, wide)) << node->LastError();
    EXPECT_EQ(wide, 0xAABBCCFFu);

    // U16: the statusword answers with two bytes
    std::uint16_t status = 0xFFFF;
    ASSERT_TRUE(node->ReadU16(0x6041, 0, status)) << node->LastError();
    EXPECT_NE(status, 0xFFFF);

    EXPECT_TRUE(node->ClearErrorHistory()) << node->LastError();
    EXPECT_EQ(node->LastError(), 0);
}

TEST_F(CANopenSimTest, AbortsAreKeptWithTheirTexts)
{
    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);

    // a read-only object
    EXPECT_FALSE(node->WriteU32(0x1000, 0, 1));
    EXPECT_EQ(node->LastError(), COP_ERR_ABORTED);
    EXPECT_EQ(node->LastAbort(), 0x06010002u);
    EXPECT_EQ(node->LastIndex(), 0x1000);
    EXPECT_EQ(node->LastSubIndex(), 0);
    EXPECT_EQ(node->GetAbortText(true), "Attempt to write a read only object.");
    EXPECT_EQ(node->ErrorText(), "Attempt to write a read only object.");
    EXPECT_EQ(node->GetAbortText(false), "Node #5, Object 1000/00: SDO-Transfer aborted!\n\n\tSDO-Abort "
                                         "0x06010002 - Attempt to write a read only object.");

    // an abort the drive is told to give
    ASSERT_EQ(sim_.control("abort 0x6081 0 0x08000022"), "ok\n");
    std::uint32_t value = 0x11223344u;
    EXPECT_FALSE(node->ReadU32(0x6081, 0, value));
    EXPECT_EQ(value, 0x11223344u) << "a failed read leaves the value";
    EXPECT_EQ(node->LastError(), COP_ERR_ABORTED);
    EXPECT_EQ(node->LastAbort(), 0x08000022u);
    EXPECT_EQ(node->GetAbortText(false),
              "Node #5, Object 6081/00: SDO-Transfer aborted!\n\n\tSDO-Abort 0x08000022 - Data cannot be "
              "transferred or stored to the application because of the present device state.");

    // a code outside the table
    ASSERT_EQ(sim_.control("abort 0x6081 0 0x0ABCDEF0"), "ok\n");
    EXPECT_FALSE(node->ReadU32(0x6081, 0, value));
    EXPECT_EQ(node->LastAbort(), 0x0ABCDEF0u);
    EXPECT_EQ(node->GetAbortText(true), "Unknown SDO abort code.");

    // after the abort is lifted the next success clears the abort state
    ASSERT_EQ(sim_.control("abort clear"), "ok\n");
    ASSERT_TRUE(node->ReadU32(0x6081, 0, value)) << node->LastError();
    EXPECT_EQ(node->LastError(), 0);
    EXPECT_EQ(node->LastAbort(), 0u);

    // an object the drive does not have, and a value out of its range
    EXPECT_FALSE(node->ReadU32(0x6400, 0, value));
    EXPECT_EQ(node->LastAbort(), 0x06020000u);
    EXPECT_EQ(node->GetAbortText(true), "Object does not exist in the object dictionary.");
    EXPECT_FALSE(node->WriteU16(0x6081, 0, 1));
    EXPECT_EQ(node->LastAbort(), 0x06070013u);
}

TEST_F(CANopenSimTest, TimeOutIsExplainedByTheErrorList)
{
    master_.SetErrorList({{COP_ERR_TIMEOUT, "Time-out error."}, {COP_ERR_ABORTED, "SDO aborted."}});
    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);

    ASSERT_EQ(sim_.control("silent"), "ok\n");
    std::uint32_t value = 0;
    EXPECT_FALSE(node->ReadU32(0x1000, 0, value));
    EXPECT_EQ(node->LastError(), COP_ERR_TIMEOUT);
    EXPECT_EQ(node->LastAbort(), 0u);
    EXPECT_EQ(node->ErrorText(), "Time-out error.");
    EXPECT_EQ(master_.ErrorText(node->LastError()), "Time-out error.");
    std::string identity = "unchanged";
    EXPECT_FALSE(node->GetIdentity(identity));
    EXPECT_EQ(identity, "unchanged");
    EXPECT_EQ(node->LastError(), COP_ERR_TIMEOUT);

    ASSERT_EQ(sim_.control("resume"), "ok\n");
    ASSERT_TRUE(node->ReadU32(0x1000, 0, value)) << node->LastError();
    EXPECT_EQ(value & 0xFFFFu, 402u);
    EXPECT_EQ(node->LastError(), 0);

    // a code the list does not have
    EXPECT_EQ(master_.ErrorText(COP_ERR_FORMAT), CCANopenErrorText::kUnknownErrorText);
    // the master's own description of its last error
    EXPECT_FALSE(master_.ConnectNode(kNode));
    std::string text;
    EXPECT_TRUE(master_.GetLastErrorText(text));
    EXPECT_EQ(text.rfind("Rhababermarmelade, Last error=-97, \"", 0), 0u) << text;
}

TEST_F(CANopenSimTest, ConfiguredTransmitPdoArrives)
{
    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);
    // the length of the drive's first transmit PDO from its mapping
    std::uint8_t entries = 0;
    ASSERT_TRUE(node->ReadU8(0x1A00, 0, entries)) << node->LastError();
    ASSERT_GT(entries, 0);
    unsigned bits = 0;
    for (std::uint8_t i = 1; i <= entries; ++i) {
        std::uint32_t entry = 0;
        ASSERT_TRUE(node->ReadU32(0x1A00, i, entry)) << node->LastError();
        bits += entry & 0xFF;
    }
    const std::uint8_t length = static_cast<std::uint8_t>(bits / 8);

    constexpr std::uint8_t kPdo = 3;
    PdoCommParam record;
    record.cobId = 0x180u + kNode;
    record.transmissionType = 0xFF;
    record.inhibitTime = 0;
    record.eventTimer = 20;
    ASSERT_TRUE(node->ConfigurePDO(kPdo, 0x1800, &record, length)) << node->LastError() << " " << node->LastAbort();
    EXPECT_GE(record.entryCount, 5) << "the entry count comes from the drive";

    std::uint32_t cobId = 0;
    ASSERT_TRUE(node->ReadU32(0x1800, 1, cobId));
    EXPECT_EQ(cobId, 0x185u);
    std::uint8_t type = 0;
    ASSERT_TRUE(node->ReadU8(0x1800, 2, type));
    EXPECT_EQ(type, 0xFF);
    std::uint16_t timer = 0;
    ASSERT_TRUE(node->ReadU16(0x1800, 5, timer));
    EXPECT_EQ(timer, 20);

    ASSERT_TRUE(node->StartNode()) << node->LastError();
    ASSERT_TRUE(sim_.waitForState("nmt", "operational", 2000)) << sim_.state("nmt");
    bool received = false;
    std::uint8_t number = 0, size = 0, data[8] = {};
    for (int i = 0; i < 200 && !received; ++i) {
        received = node->ReadPDO(&number, data, &size);
        if (!received)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(received) << node->LastError();
    EXPECT_EQ(number, kPdo);
    EXPECT_EQ(size, length);
    EXPECT_TRUE(node->EnterPreOperational());

    // an invalid COB-ID switches the PDO off in the drive without a master PDO
    PdoCommParam off;
    off.cobId = CANopen::kPdoInvalid | 0x185u;
    ASSERT_TRUE(node->ConfigurePDO(kPdo, 0x1800, &off, length)) << node->LastError();
    ASSERT_TRUE(node->ReadU32(0x1800, 1, cobId));
    EXPECT_EQ(cobId, CANopen::kPdoInvalid | 0x185u);

    // an index outside the PDO ranges is refused before the bus is used
    EXPECT_FALSE(node->ConfigurePDO(kPdo, 0x6081, &record, length));
    EXPECT_EQ(node->LastError(), COP_ERR_ILLEGAL_PARAM);
}

TEST_F(CANopenSimTest, ReinitializeKeepsTheNodes)
{
    CCANopenNode* node = connect();
    ASSERT_NE(node, nullptr);
    ASSERT_TRUE(master_.Reinitialize(COP_BAUD_500, 0)) << master_.LastError();
    EXPECT_EQ(master_.GetNode(kNode), node);
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
    std::uint32_t serial = 0;
    ASSERT_TRUE(node->ReadU32(0x1018, 4, serial)) << node->LastError();
    EXPECT_EQ(serial, kSerial);

    // at a rate the drive does not use nothing answers; back at its rate it does
    ASSERT_TRUE(master_.Reinitialize(COP_BAUD_125, 0)) << master_.LastError();
    EXPECT_EQ(master_.BaudRate(), COP_BAUD_125);
    EXPECT_FALSE(node->ReadU32(0x1018, 4, serial));
    EXPECT_EQ(node->LastError(), COP_ERR_TIMEOUT);
    ASSERT_TRUE(master_.Reinitialize(COP_BAUD_500, 0)) << master_.LastError();
    EXPECT_EQ(master_.GetNode(kNode), node);
    serial = 0;
    ASSERT_TRUE(node->ReadU32(0x1018, 4, serial)) << node->LastError();
    EXPECT_EQ(serial, kSerial);
}

TEST_F(CANopenSimTest, ConfigureNodeMovesTheDriveToANewIdAndRate)
{
    std::vector<std::chrono::milliseconds> waits;
    master_.SetWaitFunction([&waits](std::chrono::milliseconds time) {
        waits.push_back(time);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    });
    CCANopenNode* node = master_.ConfigureNode(9, COP_BAUD_125);
    ASSERT_NE(node, nullptr) << "error " << master_.LastError() << "\n" << sim_.log();
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)});
    EXPECT_EQ(node->NodeId(), 9);
    EXPECT_EQ(master_.GetNode(9), node);
    EXPECT_EQ(master_.BaudRate(), COP_BAUD_125);
    EXPECT_TRUE(sim_.waitForState("node-id", "9", 2000)) << sim_.state("node-id");
    EXPECT_EQ(sim_.state("bitrate"), "125");
    EXPECT_EQ(sim_.state("lmt"), "operation");

    std::uint32_t serial = 0;
    ASSERT_TRUE(node->ReadU32(0x1018, 4, serial)) << node->LastError() << "\n" << sim_.log();
    EXPECT_EQ(serial, kSerial);
    std::string identity;
    ASSERT_TRUE(node->GetIdentity(identity)) << node->LastError();
    EXPECT_EQ(identity, expectedIdentity(*node));
    EXPECT_NE(identity.find(", NodeId=9"), std::string::npos) << identity;

    // nothing answers at the old node-id any more
    CCANopenNode* old = connect(kNode);
    ASSERT_NE(old, nullptr);
    EXPECT_FALSE(old->ReadU32(0x1018, 4, serial));
    EXPECT_EQ(old->LastError(), COP_ERR_TIMEOUT);

    EXPECT_EQ(master_.ConfigureNode(0, COP_BAUD_125), nullptr);
    EXPECT_EQ(master_.LastError(), COP_ERR_NODE_ID);
}

}  // namespace
