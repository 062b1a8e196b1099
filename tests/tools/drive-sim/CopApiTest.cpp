// The simulator seen through the COP API: libmastergate.so loads
// libsoftmaster.so, which drives the virtual bus through libpcan_usb.so, or
// libcardmaster.so, whose emulated board does.
#if OVRO_HAVE_COP
#include "CopSimFixture.h"

#include <cstring>
#include <thread>

namespace {

class CopApi : public CopSimFixture {
protected:
    void SetUp() override
    {
        CopSimFixture::SetUp();
        ASSERT_TRUE(initializeCop()) << COP_GetLastError();
        COP_SetSDOTimeout(200);
    }

    std::vector<std::string> args()
    {
        return {"--node-id", "5", "--bitrate", "500", "--serial", "12345678", "--eeprom", path("eeprom.txt")};
    }

    static bool readU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t& value)
    {
        uint8_t data[4] = {};
        int16_t length = 0;
        const bool ok = COP_ReadSDO(node, index, sub, &length, data, 4);
        value = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
        return ok;
    }

    static bool writeU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t value, int16_t size = 4)
    {
        const uint8_t data[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        return COP_WriteSDO(node, index, sub, size, data);
    }

    static std::string readText(uint8_t node, uint16_t index)
    {
        char text[17] = {};
        int16_t length = 0;
        if (!COP_ReadSDO(node, index, 0, &length, reinterpret_cast<uint8_t*>(text), 16))
            return "<failed>";
        return std::string(text, size_t(length));
    }
};

TEST_P(CopApi, FindsTheDriveAndReadsItsIdentity)
{
    startSim(args());
    EXPECT_TRUE(COP_SearchNode(kNode));
    EXPECT_FALSE(COP_SearchNode(kNode + 1));
    ASSERT_TRUE(COP_AddNode(kNode));
    EXPECT_EQ(readText(kNode, 0x1008), "Ovro K315");
    EXPECT_EQ(readText(kNode, 0x1009), "HW 1.20");
    EXPECT_EQ(readText(kNode, 0x100A), "v2.140");
    uint32_t v = 0;
    EXPECT_TRUE(readU32(kNode, 0x1018, 4, v));
    EXPECT_EQ(v, 12345678u);
    EXPECT_TRUE(readU32(kNode, 0x1000, 0, v));
    EXPECT_EQ(v, 0x00030192u);
    uint8_t model[4] = {};
    int16_t length = 0;
    EXPECT_TRUE(COP_ReadSDO(kNode, 0x2100, 0, &length, model, 1));
    EXPECT_EQ(model[0], 2);
}

TEST_P(CopApi, ParametersAndAborts)
{
    startSim(args());
    ASSERT_TRUE(COP_AddNode(kNode));
    uint32_t v = 0;
    ASSERT_TRUE(writeU32(kNode, 0x6081, 0, 4321));
    ASSERT_TRUE(readU32(kNode, 0x6081, 0, v));
    EXPECT_EQ(v, 4321u);
    EXPECT_FALSE(writeU32(kNode, 0x1000, 0, 1));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(COP_GetLastAbort(), 0x06010002u);
    EXPECT_FALSE(readU32(kNode, 0x6400, 0, v));
    EXPECT_EQ(COP_GetLastAbort(), 0x06020000u);
    EXPECT_FALSE(writeU32(kNode, 0x6410, 3, 9999, 2));
    EXPECT_EQ(COP_GetLastAbort(), 0x06090031u);
    EXPECT_FALSE(writeU32(kNode, 0x6081, 0, 1, 2));
    EXPECT_EQ(COP_GetLastAbort(), 0x06070013u);
    // Error history: writing 0 clears it.
    uint8_t zero = 0;
    EXPECT_TRUE(COP_WriteSDO(kNode, 0x1003, 0, 1, &zero));
}

TEST_P(CopApi, StoreRestoreAndResetAcrossARestart)
{
    SimProcess& first = startSim(args());
    ASSERT_TRUE(COP_AddNode(kNode));
    uint32_t factory = 0, v = 0;
    ASSERT_TRUE(readU32(kNode, 0x6081, 0, factory));
    ASSERT_TRUE(writeU32(kNode, 0x6081, 0, factory + 77));
    COP_SetSDOTimeout(2500);
    ASSERT_TRUE(writeU32(kNode, 0x1010, 3, 0x65766173));
    COP_SetSDOTimeout(200);
    ASSERT_TRUE(writeU32(kNode, 0x6081, 0, factory + 99));
    ASSERT_TRUE(COP_ResetNode(kNode));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(readU32(kNode, 0x6081, 0, v));
    EXPECT_EQ(v, factory + 77) << "reset node reloads the store";
    first.stop();

    startSim(args());
    ASSERT_TRUE(readU32(kNode, 0x6081, 0, v));
    EXPECT_EQ(v, factory + 77) << "kept over the restart";
    // Restore as the program does it: configuration mode, "load", reset.
    const uint8_t configuration = 0x80;
    EXPECT_TRUE(COP_WriteSDO(kNode, 0x6060, 0, 1, &configuration));
    ASSERT_TRUE(writeU32(kNode, 0x1011, 1, 0x64616F6C));
    ASSERT_TRUE(COP_ResetNode(kNode));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(readU32(kNode, 0x6081, 0, v));
    EXPECT_EQ(v, factory);
}

TEST_P(CopApi, LmtInquiryThenNewNodeIdAndBitRate)
{
    SimProcess& sim = startSim(args());
    ASSERT_TRUE(COP_SearchNode(kNode));  // the drive is up
    char manufacturer[8] = {}, product[8] = {}, serial[16] = {};
    ASSERT_TRUE(COP_GetLMTAddress(manufacturer, product, serial)) << COP_GetLastError();
    EXPECT_EQ(std::string(manufacturer, 7), "Kelvane");
    EXPECT_STREQ(product, "OvK315");
    EXPECT_EQ(std::string(serial, 14), "00000012345678");

    ASSERT_TRUE(COP_ConfigureNode(manufacturer, product, serial, 9, COP_BAUD_125))
        << COP_GetLastError() << " " << COP_GetLastAbort();
    // What the program's master does next: activate the bit timing at the
    // old rate, wait, switch over and back to operation mode.
    ASSERT_TRUE(COP_ResetCAN(COP_BAUD_500));
    ASSERT_TRUE(COP_CreatePDO(0, 1, 1, 0x7E5, 8));
    const uint8_t activate[8] = {0x15, 100, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(COP_WritePDO(0, 1, activate));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ASSERT_TRUE(COP_ResetCAN(COP_BAUD_125));
    ASSERT_TRUE(COP_CreatePDO(0, 1, 1, 0x7E5, 8));
    const uint8_t operation[8] = {0x04, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(COP_WritePDO(0, 1, operation));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(COP_AddNode(9));
    uint32_t v = 0;
    EXPECT_TRUE(readU32(9, 0x1018, 4, v)) << sim.log();
    EXPECT_EQ(v, 12345678u);
    EXPECT_EQ(sim.state("bitrate"), "125");
    EXPECT_EQ(sim.state("node-id"), "9");
    EXPECT_FALSE(COP_SearchNode(kNode));
}

TEST_P(CopApi, TransmitPdosAtTheirEventTimer)
{
    startSim(args());
    ASSERT_TRUE(COP_AddNode(kNode));
    ASSERT_TRUE(COP_CreatePDO(kNode, 8, 0, 0x385, 6));
    ASSERT_TRUE(writeU32(kNode, 0x1800, 1, 0x80000185));
    ASSERT_TRUE(writeU32(kNode, 0x1801, 1, 0x385));
    ASSERT_TRUE(writeU32(kNode, 0x1801, 2, 0xFF, 1));
    ASSERT_TRUE(writeU32(kNode, 0x1801, 3, 0, 2));
    ASSERT_TRUE(writeU32(kNode, 0x1801, 5, 10, 2));
    ASSERT_TRUE(COP_StartRemoteNode(kNode));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(COP_EnterPreOperationalState(kNode));
    int count = 0;
    uint8_t node = 0, number = 0, length = 0, data[8];
    while (COP_ReadPDO(&node, &number, data, &length)) {
        EXPECT_EQ(node, kNode);
        EXPECT_EQ(number, 8);
        EXPECT_EQ(length, 6);
        ++count;
    }
    EXPECT_EQ(COP_GetLastError(), COP_ERR_QUEUE_EMPTY);
    // About 30 in 300 ms; wide bounds for a loaded host.
    EXPECT_GE(count, 12);
    EXPECT_LE(count, 40);
}

TEST_P(CopApi, ControlCommandsReachEveryFailurePath)
{
    SimProcess& sim = startSim(args());
    ASSERT_TRUE(COP_AddNode(kNode));
    uint32_t v = 0;
    uint8_t text[16];
    int16_t length = 0;

    // The board names what went wrong in its own codes.
    ASSERT_EQ(sim.control("drop 1"), "ok\n");
    EXPECT_FALSE(readU32(kNode, 0x1000, 0, v));
    EXPECT_EQ(COP_GetLastError(), code(COP_ERR_TIMEOUT, COP_ERR_TIMEOUT_CAN));
    EXPECT_TRUE(readU32(kNode, 0x1000, 0, v));

    ASSERT_EQ(sim.control("toggle"), "ok\n");
    EXPECT_FALSE(COP_ReadSDO(kNode, 0x1008, 0, &length, text, 16));
    EXPECT_EQ(COP_GetLastError(), code(COP_ERR_FORMAT, COP_ERR_CAL));

    ASSERT_EQ(sim.control("length"), "ok\n");
    EXPECT_FALSE(readU32(kNode, 0x1000, 0, v));
    EXPECT_EQ(COP_GetLastError(), code(COP_ERR_LENGTH, COP_ERR_CAL));

    ASSERT_EQ(sim.control("abort 0x1000 0 0x06060000"), "ok\n");
    EXPECT_FALSE(readU32(kNode, 0x1000, 0, v));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(COP_GetLastAbort(), 0x06060000u);
    ASSERT_EQ(sim.control("abort clear"), "ok\n");

    ASSERT_EQ(sim.control("refuse store"), "ok\n");
    EXPECT_FALSE(writeU32(kNode, 0x1010, 3, 0x65766173));
    EXPECT_EQ(COP_GetLastAbort(), 0x08000020u);

    ASSERT_EQ(sim.control("silent"), "ok\n");
    EXPECT_FALSE(COP_SearchNode(kNode));
    ASSERT_EQ(sim.control("resume"), "ok\n");
    EXPECT_TRUE(COP_SearchNode(kNode));

    ASSERT_EQ(sim.control("fault 0x5530"), "ok\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint8_t node = 0, emcy[8] = {};
    readU32(kNode, 0x1000, 0, v);  // frames are collected while a call runs
    ASSERT_TRUE(COP_GetEmergency(&node, emcy)) << COP_GetLastError();
    EXPECT_EQ(node, kNode);
    EXPECT_EQ(emcy[0], 0x30);
    EXPECT_EQ(emcy[1], 0x55);
}
INSTANTIATE_TEST_SUITE_P(Masters, CopApi, ::testing::ValuesIn(kCopMasters), copMasterName);

}  // namespace
#endif
