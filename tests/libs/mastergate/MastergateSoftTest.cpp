// Tests of libmastergate.so forwarding to a fake software master
// (libsoftmaster.so in the test's own folder, no libcardmaster.so there).
#include <cop/cop.h>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <string>
#include <vector>

namespace {

typedef void (*Reset_t)(void);
typedef const char* (*Log_t)(void);
typedef void (*SetResult_t)(const char*, int32_t);
typedef void (*SetAbort_t)(uint32_t);

template <typename F> F Bind(void* library, const char* name)
{
    void* symbol = dlsym(library, name);
    EXPECT_NE(symbol, nullptr) << name;
    F function = nullptr;
    std::memcpy(&function, &symbol, sizeof symbol);
    return function;
}

class MastergateSoftTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_ = dlopen(FAKE_SOFTMASTER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(fake_, nullptr) << dlerror();
        reset_ = Bind<Reset_t>(fake_, "Fake_Reset");
        log_ = Bind<Log_t>(fake_, "Fake_Log");
        setResult_ = Bind<SetResult_t>(fake_, "Fake_SetResult");
        setAbort_ = Bind<SetAbort_t>(fake_, "Fake_SetAbort");
        reset_();
    }
    void TearDown() override
    {
        if (std::string(COP_GetLibraryName()) != "(null)")
            COP_Terminate();
        if (fake_)
            dlclose(fake_);
    }
    void Open()
    {
        ASSERT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_250), 1);
        reset_();
    }
    std::string Log() const { return log_(); }

    void* fake_ = nullptr;
    Reset_t reset_ = nullptr;
    Log_t log_ = nullptr;
    SetResult_t setResult_ = nullptr;
    SetAbort_t setAbort_ = nullptr;
};

TEST_F(MastergateSoftTest, InitializeLoadsAndStartsTheSoftwareMaster)
{
    CopHwParam hw{0x378, 7};
    ASSERT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_DNG, &hw, COP_BAUD_125), 1);
    EXPECT_EQ(Log(), "Initialize 0x00000005 io=0x378 irq=7 4\n");
    EXPECT_STREQ(COP_GetLibraryName(), COP_SOFTMASTER_FILE);
    EXPECT_EQ(COP_GetLastError(), 0);
    EXPECT_EQ(COP_GetBoardHandle(), 0);
    EXPECT_EQ(ORX_Library(), 0);
}

TEST_F(MastergateSoftTest, FailedInitializeKeepsTheLibraryUntilTheNextOne)
{
    setResult_("Initialize", COP_ERR_PCAN_HWINUSE);
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_250), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_PCAN_HWINUSE);
    EXPECT_STREQ(COP_GetLibraryName(), COP_SOFTMASTER_FILE);
    reset_();
    ASSERT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_250), 1);
    EXPECT_EQ(Log(), "Terminate\nInitialize 0x00010000 null 3\n");
}

TEST_F(MastergateSoftTest, EveryCallIsForwardedUnchanged)
{
    static uint8_t data[8] = {0x5A};
    static uint8_t node, pdo, length;
    static char text[32];
    static int16_t sdoLength = 256;
    const std::vector<std::tuple<std::function<COP_BOOL()>, const char*, const char*>> rows = {
        {[] { return COP_ResetCAN(COP_BAUD_500); }, "ResetCAN 2\n", "ResetCAN"},
        {[] { return COP_AddNode(5); }, "AddNode 5\n", "AddNode"},
        {[] { return COP_DeleteNode(5); }, "DeleteNode 5\n", "DeleteNode"},
        {[] { return COP_SearchNode(6); }, "SearchNode 6\n", "SearchNode"},
        {[] { return COP_StartRemoteNode(7); }, "StartRemoteNode 7\n", "StartRemoteNode"},
        {[] { return COP_StopRemoteNode(8); }, "StopRemoteNode 8\n", "StopRemoteNode"},
        {[] { return COP_EnterPreOperationalState(9); }, "EnterPreOperationalState 9\n",
         "EnterPreOperationalState"},
        {[] { return COP_ResetNode(10); }, "ResetNode 10\n", "ResetNode"},
        {[] { return COP_ResetCommunication(11); }, "ResetCommunication 11\n", "ResetCommunication"},
        {[] { return COP_SetSDOTimeout(2500); }, "SetSDOTimeout 2500\n", "SetSDOTimeout"},
        {[] { return COP_ReadSDO(5, 0x1000, 0, &sdoLength, data, 4); }, "ReadSDO 5 0x1000 0 256 4\n", "ReadSDO"},
        {[] { return COP_WriteSDO(5, 0x6040, 0, 2, data); }, "WriteSDO 5 0x6040 0 2 5A\n", "WriteSDO"},
        {[] { return COP_CreatePDO(5, 8, 0, 0x385, 8); }, "CreatePDO 5 8 0 0x385 8\n", "CreatePDO"},
        {[] { return COP_WritePDO(0, 1, data); }, "WritePDO 0 1 5A\n", "WritePDO"},
        {[] { return COP_RequestPDO(5, 9); }, "RequestPDO 5 9\n", "RequestPDO"},
        {[] { return COP_ReadPDO(&node, &pdo, data, &length); }, "ReadPDO\n", "ReadPDO"},
        {[] { return COP_GetEmergency(&node, data); }, "GetEmergency\n", "GetEmergency"},
        {[] { return COP_SendSync(); }, "SendSync\n", "SendSync"},
        {[] { return COP_GetLMTAddress(text, text + 8, text + 16); }, "GetLMTAddress\n", "GetLMTAddress"},
        {[] { return COP_ConfigureNode("OVROKEL", "K315CAN", "00000012345678", 17, 4); },
         "ConfigureNode OVROKEL K315CAN 00000012345678 17 4\n", "ConfigureNode"},
        {[] { return COP_GetBoardHardware(text, 20); }, "GetBoardHardware 20\n", "GetBoardHardware"},
        {[] { return COP_GetBoardFirmware(text, 20); }, "GetBoardFirmware 20\n", "GetBoardFirmware"},
    };
    Open();
    for (const auto& [call, expected, function] : rows) {
        SCOPED_TRACE(function);
        reset_();
        sdoLength = 256;
        data[0] = 0x5A;
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(COP_GetLastError(), 0);
        EXPECT_EQ(Log(), expected);
        // the software master's errors are not shifted
        reset_();
        sdoLength = 256;
        data[0] = 0x5A;
        setResult_(function, COP_ERR_TX_BUSY);
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(COP_GetLastError(), COP_ERR_TX_BUSY);
    }
}

TEST_F(MastergateSoftTest, AbortCodeIsFetchedAfterEveryAbort)
{
    Open();
    uint8_t data[4] = {};
    int16_t length = 256;
    setAbort_(0x06020000u);
    setResult_("ReadSDO", COP_ERR_ABORTED);
    EXPECT_EQ(COP_ReadSDO(5, 0x2000, 7, &length, data, 4), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(COP_GetLastAbort(), 0x06020000u);

    // an LMT refusal carries the node's code too, never the one of an earlier transfer
    setAbort_(0x05040000u);
    setResult_("ConfigureNode", COP_ERR_ABORTED);
    EXPECT_EQ(COP_ConfigureNode("a", "b", "c", 5, 3), 0);
    EXPECT_EQ(COP_GetLastAbort(), 0x05040000u);

    // a failure that is no abort leaves the kept code alone
    setAbort_(0u);
    setResult_("WriteSDO", COP_ERR_TIMEOUT);
    EXPECT_EQ(COP_WriteSDO(5, 0x1000, 0, 4, data), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_TIMEOUT);
    EXPECT_EQ(COP_GetLastAbort(), 0x05040000u);

    setAbort_(0x08000020u);
    setResult_("WriteSDO", COP_ERR_ABORTED);
    EXPECT_EQ(COP_WriteSDO(5, 0x1000, 0, 4, data), 0);
    EXPECT_EQ(COP_GetLastAbort(), 0x08000020u);
}

TEST_F(MastergateSoftTest, LibraryVersionIsCopiedAndOutlivesTheLibrary)
{
    Open();
    const char* version = COP_GetLibraryVersion();
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version, "CANopen Master API for PEAK PCAN-Light, V1.00");
    ASSERT_EQ(COP_Terminate(), 1);
    EXPECT_STREQ(version, "CANopen Master API for PEAK PCAN-Light, V1.00");
    Open();
    setResult_("GetLibraryVersion", COP_ERR_NOT_INIT);
    EXPECT_EQ(COP_GetLibraryVersion(), nullptr);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NOT_INIT);
}

TEST_F(MastergateSoftTest, BoardOnlyFunctionsAreNotSupported)
{
    Open();
    uint8_t node, pdo, length, data[8];
    EXPECT_EQ(ORX_ReadPDO(&node, &pdo, &length, data), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NOT_SUPPORTED);
    EXPECT_EQ(ORX_DefineCallbacks(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NOT_SUPPORTED);
    EXPECT_EQ(ORX_Library(), 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(MastergateSoftTest, TerminateIgnoresTheLibrarysResultAndUnloads)
{
    Open();
    setResult_("Terminate", COP_ERR_NOT_INIT);
    ASSERT_EQ(COP_Terminate(), 1);
    EXPECT_EQ(Log(), "Terminate\n");
    EXPECT_EQ(COP_GetLastError(), 0);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_ResetCAN(3), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

TEST_F(MastergateSoftTest, MissingBoardMaster)
{
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    EXPECT_EQ(COP_Installed(COP_LIBRARY_CARDMASTER, 0), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
}

} // namespace
