// CCANopenNode against the scripted COP API.
#include "canopen/CANopenNode.h"
#include "FakeCop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class CANopenNodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake().Reset();
        ASSERT_TRUE(node.Connect(0, 5));
        fake().ClearCalls();
    }
    FakeCop& fake() { return FakeCop::Instance(); }
    CCANopenNode node;
};

TEST_F(CANopenNodeTest, ConnectAndDisconnect)
{
    EXPECT_EQ(node.NodeId(), 5);
    ASSERT_TRUE(node.Disconnect());
    EXPECT_EQ(fake().Calls(), (Calls{"DeleteNode 5"}));
    EXPECT_EQ(node.NodeId(), 0);

    CCANopenNode other;
    fake().Fail("CreatePDO", -93);
    fake().ClearCalls();
    EXPECT_FALSE(other.Connect(1, 7));
    EXPECT_EQ(other.LastError(), -93);
    EXPECT_EQ(other.NodeId(), 0);
    EXPECT_EQ(other.BoardHandle(), 0);
    EXPECT_EQ(fake().Calls(), (Calls{"AddNode 7", "CreatePDO 7 8 0 0x387 8", "DeleteNode 7"}));
}

TEST_F(CANopenNodeTest, ReadSdoCopiesAtMostSizeAndReportsTheLibrarysLength)
{
    fake().SetObject(0x2000, 1, {1, 2, 3, 4, 5, 6});
    uint8_t data[8] = {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    uint32_t length = 0;
    ASSERT_TRUE(node.ReadSDO(0x2000, 1, data, &length, 4));
    EXPECT_EQ(fake().Calls(), (Calls{"ReadSDO 5 0x2000 1 256 4"}));
    EXPECT_EQ(length, 4u); // the software master reports what it copied
    EXPECT_EQ(data[3], 4);
    EXPECT_EQ(data[4], 0xEE);

    fake().reportReceived = true; // the board path reports what it received
    ASSERT_TRUE(node.ReadSDO(0x2000, 1, data, &length, 4));
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(data[4], 0xEE);
}

TEST_F(CANopenNodeTest, ReadSdoNeverOffersMoreThanItsBuffer)
{
    std::vector<uint8_t> big(300, 0x5A);
    fake().SetObject(0x2001, 0, big);
    std::vector<uint8_t> data(400, 0);
    uint32_t length = 0;
    ASSERT_TRUE(node.ReadSDO(0x2001, 0, data.data(), &length, 400));
    EXPECT_EQ(fake().Calls(), (Calls{"ReadSDO 5 0x2001 0 256 256"}));
    EXPECT_EQ(data[255], 0x5A);
    EXPECT_EQ(data[256], 0);
}

TEST_F(CANopenNodeTest, NullPointersFailWithoutBusTraffic)
{
    uint8_t data[4];
    uint32_t length;
    EXPECT_FALSE(node.ReadSDO(0x1000, 0, data, nullptr, 4));
    EXPECT_EQ(node.LastError(), -94);
    EXPECT_FALSE(node.ReadSDO(0x1000, 0, nullptr, &length, 4));
    EXPECT_FALSE(node.WriteSDO(0x1000, 0, nullptr, 4));
    EXPECT_EQ(node.LastError(), -94);
    uint8_t pdo, len;
    EXPECT_FALSE(node.ReadPDO(&pdo, nullptr, &len));
    EXPECT_EQ(node.LastError(), -94);
    EXPECT_TRUE(fake().Calls().empty());
}

TEST_F(CANopenNodeTest, AbortMessagesNameNodeObjectAndCode)
{
    fake().SetAbort(0x2000, 7, 0x06090011u);
    uint8_t value = 0;
    EXPECT_FALSE(node.ReadU8(0x2000, 7, value));
    EXPECT_EQ(node.LastError(), 4);
    EXPECT_EQ(node.LastAbort(), 0x06090011u);
    EXPECT_EQ(node.GetAbortText(true), "Sub-index does not exist.");
    EXPECT_EQ(node.GetAbortText(false),
              "Node #5, Object 2000/07: SDO-Transfer aborted!\n\n\tSDO-Abort 0x06090011 - Sub-index does not exist.");
    EXPECT_EQ(node.ErrorText(), "Sub-index does not exist.");

    fake().SetAbort(0x3000, 0x1A, 0x12345678u);
    EXPECT_FALSE(node.WriteU16(0x3000, 0x1A, 1));
    EXPECT_EQ(node.GetAbortText(false),
              "Node #5, Object 3000/1A: SDO-Transfer aborted!\n\n\tSDO-Abort 0x12345678 - Unknown SDO abort code.");

    // every transfer starts with a cleared abort code
    fake().SetObject(0x1001, 0, {0});
    EXPECT_TRUE(node.ReadU8(0x1001, 0, value));
    EXPECT_EQ(node.LastAbort(), 0u);
    EXPECT_EQ(node.LastError(), 0);
}

TEST_F(CANopenNodeTest, AbortTextTable)
{
    EXPECT_STREQ(CCANopenNode::AbortText(0x05030000u), "Toggle bit not alternated.");
    EXPECT_STREQ(CCANopenNode::AbortText(0x06010002u), "Attempt to write a read only object.");
    EXPECT_STREQ(CCANopenNode::AbortText(0x06020000u), "Object does not exist in the object dictionary.");
    EXPECT_STREQ(CCANopenNode::AbortText(0x06070010u),
                 "Data type does not match, length of service parameter does not match");
    EXPECT_STREQ(CCANopenNode::AbortText(0x08000000u), "general error");
    EXPECT_STREQ(CCANopenNode::AbortText(0x08000022u),
                 "Data cannot be transferred or stored to the application because of the present device state.");
    EXPECT_STREQ(CCANopenNode::AbortText(0x08000023u),
                 "Object dictionary dynamic generation fails or no object dictionary is present (e.g. object "
                 "dictionary is generated from file and generation fails because of an file error).");
    EXPECT_STREQ(CCANopenNode::AbortText(0), "Unknown SDO abort code.");
    EXPECT_STREQ(CCANopenNode::AbortText(0x06090012u), "Unknown SDO abort code.");
}

TEST_F(CANopenNodeTest, TypedValuesAreLittleEndian)
{
    fake().SetObject(0x6064, 0, {0x78, 0x56, 0x34, 0x12});
    uint32_t u32 = 0;
    ASSERT_TRUE(node.ReadU32(0x6064, 0, u32));
    EXPECT_EQ(u32, 0x12345678u);

    // a shorter answer leaves the rest of the variable as it was
    fake().SetObject(0x6041, 0, {0x37});
    uint16_t u16 = 0xAB00;
    ASSERT_TRUE(node.ReadU16(0x6041, 0, u16));
    EXPECT_EQ(u16, 0xAB37);

    fake().ClearCalls();
    ASSERT_TRUE(node.WriteU32(0x607A, 0, 0x01020304u));
    ASSERT_TRUE(node.WriteU16(0x6040, 0, 0x010F));
    ASSERT_TRUE(node.WriteU8(0x6060, 0, 0xFF));
    ASSERT_TRUE(node.ClearErrorHistory());
    EXPECT_EQ(fake().Calls(), (Calls{"WriteSDO 5 0x607A 0 4 04 03 02 01", "WriteSDO 5 0x6040 0 2 0F 01",
                                     "WriteSDO 5 0x6060 0 1 FF", "WriteSDO 5 0x1003 0 1 00"}));
}

TEST_F(CANopenNodeTest, NmtCommands)
{
    fake().Fail("ResetNode", -50);
    EXPECT_TRUE(node.StartNode());
    EXPECT_TRUE(node.EnterPreOperational());
    EXPECT_FALSE(node.ResetNode());
    EXPECT_EQ(node.LastError(), -50);
    EXPECT_TRUE(node.ResetCommunication());
    EXPECT_EQ(node.LastError(), 0);
    EXPECT_EQ(fake().Calls(), (Calls{"StartRemoteNode 5", "EnterPreOperationalState 5", "ResetNode 5",
                                     "ResetCommunication 5"}));
}

TEST_F(CANopenNodeTest, IdentityLine)
{
    auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    fake().SetObject(0x1008, 0, text("Ovro K315"));
    fake().SetObject(0x1009, 0, text("HW 1.0"));
    fake().SetObject(0x100A, 0, text("V1.004 7.04.2007 build 12"));
    fake().SetObject(0x1018, 4, {0x4E, 0x61, 0xBC, 0x00});
    std::string identity;
    ASSERT_TRUE(node.GetIdentity(identity));
    EXPECT_EQ(identity, "Device=Ovro K315, S/N=12345678 HW=HW 1.0, SW=V1.004 7.04.2007, NodeId=5");

    fake().SetAbort(0x1009, 0, 0x06020000u);
    identity = "unchanged";
    EXPECT_FALSE(node.GetIdentity(identity));
    EXPECT_EQ(node.LastError(), 4);
    EXPECT_EQ(node.LastIndex(), 0x1009);
    EXPECT_EQ(identity, "unchanged");
}

TEST_F(CANopenNodeTest, ConfigurePdoWritesTheEntriesTheDriveHas)
{
    PdoCommParam record;
    EXPECT_FALSE(node.ConfigurePDO(1, 0x1600, &record, 8));
    EXPECT_EQ(node.LastError(), -93);
    EXPECT_FALSE(node.ConfigurePDO(1, 0x1800, nullptr, 8));
    EXPECT_EQ(node.LastError(), -94);
    EXPECT_TRUE(fake().Calls().empty());

    fake().SetObject(0x1802, 0, {5});
    record.cobId = 0x385;
    record.transmissionType = 0xFE;
    record.inhibitTime = 0x0102;
    record.eventTimer = 0x0304;
    ASSERT_TRUE(node.ConfigurePDO(8, 0x1802, &record, 8));
    EXPECT_EQ(record.entryCount, 5);
    EXPECT_EQ(fake().Calls(),
              (Calls{"ReadSDO 5 0x1802 0 256 1", "CreatePDO 5 8 0 0x385 8", "WriteSDO 5 0x1802 1 4 85 03 00 00",
                     "WriteSDO 5 0x1802 2 1 FE", "WriteSDO 5 0x1802 3 2 02 01", "WriteSDO 5 0x1802 5 2 04 03"}));

    // an invalid PDO is written to the drive without defining one in the master
    fake().SetObject(0x1400, 0, {2});
    record.cobId = 0x80000205u;
    fake().ClearCalls();
    ASSERT_TRUE(node.ConfigurePDO(1, 0x1400, &record, 2));
    EXPECT_EQ(fake().Calls(), (Calls{"ReadSDO 5 0x1400 0 256 1", "WriteSDO 5 0x1400 1 4 05 02 00 80",
                                     "WriteSDO 5 0x1400 2 1 FE"}));

    // the master transmits the drive's receive PDOs
    record.cobId = 0x205;
    fake().ClearCalls();
    ASSERT_TRUE(node.ConfigurePDO(1, 0x1400, &record, 2));
    EXPECT_EQ(fake().Calls()[1], "CreatePDO 5 1 1 0x205 2");

    fake().SetAbort(0x1400, 2, 0x06090030u);
    EXPECT_FALSE(node.ConfigurePDO(1, 0x1400, &record, 2));
    EXPECT_EQ(node.LastError(), 4);
    EXPECT_EQ(node.LastSubIndex(), 2);
}

TEST_F(CANopenNodeTest, ReadPdoTakesOnlyItsOwn)
{
    uint8_t pdo = 0, length = 0, data[8] = {};
    uint16_t status = 0xFFFF;
    EXPECT_FALSE(node.ReadPDO(&pdo, data, &length));
    EXPECT_EQ(node.LastError(), 9);

    fake().QueuePdo({3, 8, {1, 2, 3, 4, 5, 6, 7, 8}});
    fake().QueuePdo({5, 9, {9, 8, 7, 6, 5, 4}});
    EXPECT_FALSE(node.ReadPDO(&pdo, data, &length, &status));
    EXPECT_EQ(node.LastError(), 9);
    ASSERT_TRUE(node.ReadPDO(&pdo, data, &length, &status));
    EXPECT_EQ(pdo, 9);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(data[0], 9);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(node.LastError(), 0);
}

TEST_F(CANopenNodeTest, ErrorTextWithoutErrorListFallsBack)
{
    fake().Fail("ReadSDO", -50);
    uint8_t value;
    EXPECT_FALSE(node.ReadU8(0x1001, 0, value));
    EXPECT_EQ(node.ErrorText(), "Resistance is futile, prepare to assimilate!");
}

} // namespace
