// Tests of libmastergate.so against a fake board library that records the
// board calls it receives.
#include "fake_cardmaster.h"

#include <cop/cop.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <string>
#include <vector>

namespace {

const uint16_t kHandle = 3; // the handle the fake hands out

template <typename F> F Bind(void* library, const char* name)
{
    void* symbol = dlsym(library, name);
    EXPECT_NE(symbol, nullptr) << name;
    F function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof symbol);
    return function;
}

class MastergateBoardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_ = dlopen(FAKE_CARDMASTER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(fake_, nullptr) << dlerror();
        reset_ = Bind<Fake_Reset_t>(fake_, "Fake_Reset");
        log_ = Bind<Fake_Log_t>(fake_, "Fake_Log");
        clearLog_ = Bind<Fake_ClearLog_t>(fake_, "Fake_ClearLog");
        setResult_ = Bind<Fake_SetResult_t>(fake_, "Fake_SetResult");
        setBoardInfo_ = Bind<Fake_SetBoardInfo_t>(fake_, "Fake_SetBoardInfo");
        setSdo_ = Bind<Fake_SetSdo_t>(fake_, "Fake_SetSdo");
        setEmergency_ = Bind<Fake_SetEmergency_t>(fake_, "Fake_SetEmergency");
        setPdo_ = Bind<Fake_SetPdo_t>(fake_, "Fake_SetPdo");
        setLmt_ = Bind<Fake_SetLmtAddress_t>(fake_, "Fake_SetLmtAddress");
        fire_ = Bind<Fake_FireCallback_t>(fake_, "Fake_FireCallback");
        reset_();
    }

    void TearDown() override
    {
        if (ORX_Library()) {
            reset_();
            COP_SetSDOTimeout(100); // the time-out outlives the board: restore it
            COP_Terminate();
        }
        if (fake_)
            dlclose(fake_);
    }

    // Opens the fake board at baud-rate code 3 and forgets the calls made.
    void Open()
    {
        ASSERT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 1)
            << COP_GetLastError();
        clearLog_();
    }

    std::string Log() const { return log_(); }

    void* fake_ = nullptr;
    Fake_Reset_t reset_ = nullptr;
    Fake_Log_t log_ = nullptr;
    Fake_ClearLog_t clearLog_ = nullptr;
    Fake_SetResult_t setResult_ = nullptr;
    Fake_SetBoardInfo_t setBoardInfo_ = nullptr;
    Fake_SetSdo_t setSdo_ = nullptr;
    Fake_SetEmergency_t setEmergency_ = nullptr;
    Fake_SetPdo_t setPdo_ = nullptr;
    Fake_SetLmtAddress_t setLmt_ = nullptr;
    Fake_FireCallback_t fire_ = nullptr;
};

TEST_F(MastergateBoardTest, InitializeOpensBoardAndDefinesLmtObject)
{
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    ASSERT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 1);
    EXPECT_EQ(Log(), "InitBoard 0x01050F00\n"
                     "InitInterface 3 0 3 0 0\n"
                     "CreatePDO 3 0 1 1 1 8 0x7E5\n"
                     "SetSDOTimeOut 3 100\n");
    EXPECT_EQ(COP_GetLastError(), 0);
    EXPECT_EQ(COP_GetBoardHandle(), kHandle);
    EXPECT_STREQ(COP_GetLibraryName(), COP_CARDMASTER_FILE);
    EXPECT_EQ(ORX_Library(), 1);
}

TEST_F(MastergateBoardTest, InitializeStopsAtFirstFailingBoardCallAndKeepsLibrary)
{
    const struct {
        const char* failing;
        int16_t result;
        int32_t seen;
        size_t callsMade;
    } cases[] = {
        {"InitBoard", -34, -134, 1},
        {"InitInterface", 2, 2, 2},
        {"CreatePDO", -30, -130, 3},
        {"SetSDOTimeOut", 3, 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        reset_();
        setResult_(c.failing, c.result);
        EXPECT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 0);
        EXPECT_EQ(COP_GetLastError(), c.seen);
        std::string log = Log();
        EXPECT_EQ(static_cast<size_t>(std::count(log.begin(), log.end(), '\n')), c.callsMade) << log;
        // the library stays loaded until the next initialisation or terminate
        EXPECT_EQ(ORX_Library(), 1);
        EXPECT_EQ(COP_Terminate(), 1);
    }
    setResult_("InitInterface", 2);
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_250), 0);
    reset_();
    ASSERT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01050F00u, nullptr, COP_BAUD_500), 1);
    EXPECT_EQ(Log().rfind("ReleaseBoard", 0), 0u) << "a loaded library is terminated first: " << Log();
}

struct Row {
    const char* name;
    std::function<COP_BOOL()> call;
    const char* expected; // the board calls, one per line
    const char* failing;  // the board call whose failure fails the COP call
};

TEST_F(MastergateBoardTest, TranslatesEveryCallOfTheTable)
{
    static uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    static uint8_t node = 0, pdo = 0, length = 0, buffer[8];
    static char manufacturer[8], product[8], serial[16];
    static const char address[] = "MANUFAC\0PRODUCT\0" "01234567890123";
    const std::vector<Row> rows = {
        {"ResetCAN", [] { return COP_ResetCAN(COP_BAUD_125); },
         "InitInterface 3 0 4 0 0\nCreatePDO 3 0 1 1 1 8 0x7E5\nSetSDOTimeOut 3 100\n", "InitInterface"},
        {"AddNode", [] { return COP_AddNode(5); }, "AddNode 3 5 0 0 0\n", "AddNode"},
        {"DeleteNode", [] { return COP_DeleteNode(6); }, "DeleteNode 3 6\n", "DeleteNode"},
        {"SearchNode", [] { return COP_SearchNode(7); }, "SearchNode 3 7\n", "SearchNode"},
        {"StartRemoteNode", [] { return COP_StartRemoteNode(8); }, "StartNode 3 8\n", "StartNode"},
        {"StopRemoteNode", [] { return COP_StopRemoteNode(9); }, "StopNode 3 9\n", "StopNode"},
        {"EnterPreOperationalState", [] { return COP_EnterPreOperationalState(10); },
         "EnterPreOperational 3 10\n", "EnterPreOperational"},
        {"ResetNode", [] { return COP_ResetNode(11); }, "ResetNode 3 11\n", "ResetNode"},
        {"ResetCommunication", [] { return COP_ResetCommunication(12); }, "ResetComm 3 12\n", "ResetComm"},
        {"SetSDOTimeout", [] { return COP_SetSDOTimeout(100); }, "SetSDOTimeOut 3 100\n", "SetSDOTimeOut"},
        {"ReadSDO",
         [] {
             int16_t n = 0;
             return COP_ReadSDO(5, 0x6041, 0, &n, buffer, 2);
         },
         "ReadSDO 3 5 1 0 0x6041 0 256\n", "ReadSDO"},
        {"WriteSDO", [] { return COP_WriteSDO(5, 0x6040, 0, 2, data); },
         "WriteSDO 3 5 1 0 0x6040 0 2 01 02\n", "WriteSDO"},
        {"CreatePDO", [] { return COP_CreatePDO(5, 8, 0, 0x385, 8); }, "CreatePDO 3 5 8 0 1 8 0x385\n",
         "CreatePDO"},
        {"ReadPDO", [] { return COP_ReadPDO(&node, &pdo, buffer, &length); }, "ReadPDO 3\n", "ReadPDO"},
        {"RequestPDO", [] { return COP_RequestPDO(5, 9); }, "RequestPDO 3 5 9\n", "RequestPDO"},
        {"WritePDO", [] { return COP_WritePDO(0, 1, data); }, "WritePDO 3 0 1 01 02 03 04 05 06 07 08\n",
         "WritePDO"},
        {"GetEmergency", [] { return COP_GetEmergency(&node, buffer); }, "GetEmergencyObj 3\n",
         "GetEmergencyObj"},
        {"SendSync", [] { return COP_SendSync(); }, "DisableSync 3\nDefSyncObj 3 1 1\nEnableSync 3 1\n",
         "DefSyncObj"},
        {"GetLMTAddress", [] { return COP_GetLMTAddress(manufacturer, product, serial); },
         "LMT_GetAddress 3 0 4\n", "LMT_GetAddress"},
        {"ConfigureNode", [] { return COP_ConfigureNode(address, address + 8, address + 16, 17, 6); },
         "LMT_ConfigNode 3 MANUFAC PRODUCT 01234567890123 17 4 6\n", "LMT_ConfigNode"},
        {"GetBoardHardware", [] { return COP_GetBoardHardware(reinterpret_cast<char*>(buffer), 8); },
         "GetBoardInfo 3\n", "GetBoardInfo"},
        {"GetBoardFirmware", [] { return COP_GetBoardFirmware(reinterpret_cast<char*>(buffer), 8); },
         "GetBoardInfo 3\n", "GetBoardInfo"},
        {"ORX_ReadPDO", [] { return ORX_ReadPDO(&node, &pdo, &length, buffer); }, "ReadPDO 3\n", "ReadPDO"},
        {"ORX_DefineCallbacks", [] { return ORX_DefineCallbacks(nullptr, nullptr, nullptr, nullptr); },
         "DefineCallbacks 3 null null null null\n", "DefineCallbacks"},
    };
    Open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reset_();
        EXPECT_EQ(row.call(), 1);
        EXPECT_EQ(COP_GetLastError(), 0);
        EXPECT_EQ(Log(), row.expected);

        // a negative board result reads 100 lower; a positive one as it is
        reset_();
        setResult_(row.failing, -20);
        EXPECT_EQ(row.call(), 0);
        EXPECT_EQ(COP_GetLastError(), -120);
        reset_();
        setResult_(row.failing, 5);
        EXPECT_EQ(row.call(), 0);
        EXPECT_EQ(COP_GetLastError(), 5);
    }
}

TEST_F(MastergateBoardTest, SdoTimeoutOutlivesResetAndReinitialisation)
{
    Open();
    ASSERT_EQ(COP_SetSDOTimeout(250), 1);
    setResult_("SetSDOTimeOut", 3);
    EXPECT_EQ(COP_SetSDOTimeout(0), 0); // refused: the kept value stays 250
    reset_();
    ASSERT_EQ(COP_ResetCAN(COP_BAUD_1000), 1);
    EXPECT_EQ(Log(), "InitInterface 3 0 0 0 0\nCreatePDO 3 0 1 1 1 8 0x7E5\nSetSDOTimeOut 3 250\n");
    ASSERT_EQ(COP_Terminate(), 1);
    reset_();
    ASSERT_EQ(COP_Initialize(COP_LIBRARY_CARDMASTER, 0x01021500u, nullptr, COP_BAUD_20), 1);
    EXPECT_NE(Log().find("SetSDOTimeOut 3 250\n"), std::string::npos) << Log();
}

TEST_F(MastergateBoardTest, ResetFailureKeepsPreviousBaudRateForLmt)
{
    Open();
    setResult_("CreatePDO", -30);
    EXPECT_EQ(COP_ResetCAN(COP_BAUD_10), 0);
    EXPECT_EQ(COP_GetLastError(), -130);
    reset_();
    char m[8], p[8], s[16];
    ASSERT_EQ(COP_GetLMTAddress(m, p, s), 1);
    EXPECT_EQ(Log(), "LMT_GetAddress 3 0 3\n");
    reset_();
    ASSERT_EQ(COP_ResetCAN(COP_BAUD_10), 1);
    reset_();
    ASSERT_EQ(COP_GetLMTAddress(m, p, s), 1);
    EXPECT_EQ(Log(), "LMT_GetAddress 3 0 8\n");
}

TEST_F(MastergateBoardTest, ReadSdoCopiesAtMostSizeAndReportsReceivedLength)
{
    Open();
    const uint8_t answer[6] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    setSdo_(answer, sizeof answer, 0);
    uint8_t data[8] = {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    int16_t length = 0;
    ASSERT_EQ(COP_ReadSDO(5, 0x1008, 0, &length, data, 4), 1);
    EXPECT_EQ(length, 6);
    const uint8_t expected[8] = {0x11, 0x22, 0x33, 0x44, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(0, std::memcmp(data, expected, sizeof data));

    // a negative capacity copies nothing
    std::memset(data, 0xEE, sizeof data);
    ASSERT_EQ(COP_ReadSDO(5, 0x1008, 0, &length, data, -1), 1);
    EXPECT_EQ(data[0], 0xEE);
}

TEST_F(MastergateBoardTest, SdoAbortCodeIsKeptOnlyForError4)
{
    Open();
    uint8_t data[4] = {};
    int16_t length = 0;
    setSdo_(data, 0, 0x06090011u);
    setResult_("ReadSDO", 4);
    EXPECT_EQ(COP_ReadSDO(5, 0x2000, 7, &length, data, 4), 0);
    EXPECT_EQ(COP_GetLastError(), 4);
    EXPECT_EQ(COP_GetLastAbort(), 0x06090011u);

    setSdo_(data, 0, 0x08000000u);
    setResult_("ReadSDO", -38);
    EXPECT_EQ(COP_ReadSDO(5, 0x2000, 7, &length, data, 4), 0);
    EXPECT_EQ(COP_GetLastError(), -138);
    EXPECT_EQ(COP_GetLastAbort(), 0x06090011u) << "other failures leave the abort code";

    setSdo_(data, 0, 0x06010002u);
    setResult_("WriteSDO", 4);
    EXPECT_EQ(COP_WriteSDO(5, 0x1000, 0, 4, data), 0);
    EXPECT_EQ(COP_GetLastAbort(), 0x06010002u);
}

TEST_F(MastergateBoardTest, NullBuffersAreRefusedWithoutBoardCall)
{
    Open();
    uint8_t data[8];
    int16_t length = 0;
    EXPECT_EQ(COP_ReadSDO(5, 0x1000, 0, nullptr, data, 4), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_PARAMETER);
    EXPECT_EQ(COP_ReadSDO(5, 0x1000, 0, &length, nullptr, 4), 0);
    EXPECT_EQ(COP_WriteSDO(5, 0x1000, 0, -1, data), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_PARAMETER);
    EXPECT_EQ(COP_GetEmergency(nullptr, data), 0);
    EXPECT_EQ(COP_GetBoardHardware(nullptr, 10), 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(MastergateBoardTest, BoardInformationTexts)
{
    CopBoardInfo info{};
    info.hardwareVersion = 0x0102;
    info.firmwareVersion = 0x040A;
    info.apiVersion = 0x0263;
    std::memcpy(info.serialNumber, "12345678", 9);
    std::memcpy(info.boardName, "Stick-U1 compact", 17);
    setBoardInfo_(&info);
    Open();

    char text[256];
    ASSERT_EQ(COP_GetBoardHardware(text, 255), 1);
    EXPECT_STREQ(text, "Orvax Stick-U1 compact, S/N=12345678, HW=V1.02");
    ASSERT_EQ(COP_GetBoardFirmware(text, 255), 1);
    EXPECT_STREQ(text, "V4.10, ORX\\API, SW=V2.99");
    const char* version = COP_GetLibraryVersion();
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version, "Orvax CANopen Master API, V2.99");

    // at most size characters: a longer text is cut and not terminated
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(COP_GetBoardFirmware(text, 5), 1);
    EXPECT_EQ(std::string(text, 6), "V4.10#");

    // texts that fill their fields are read only as far as the fields go
    std::memset(info.serialNumber, '7', sizeof info.serialNumber);
    std::memset(info.boardName, 'N', sizeof info.boardName);
    setBoardInfo_(&info);
    ASSERT_EQ(COP_GetBoardHardware(text, 255), 1);
    EXPECT_EQ(std::string(text), "Orvax " + std::string(40, 'N') + ", S/N=" + std::string(16, '7') +
                                     ", HW=V1.02");

    setResult_("GetBoardInfo", -30);
    EXPECT_EQ(COP_GetLibraryVersion(), nullptr);
    EXPECT_EQ(COP_GetLastError(), -130);
}

TEST_F(MastergateBoardTest, EmergencyAndPdoLayouts)
{
    Open();
    const uint8_t manufacturerBytes[5] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
    setEmergency_(12, 0x8130, 0x11, manufacturerBytes);
    uint8_t node = 0;
    uint8_t data[8] = {};
    ASSERT_EQ(COP_GetEmergency(&node, data), 1);
    EXPECT_EQ(node, 12);
    const uint8_t expected[8] = {0x30, 0x81, 0x11, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
    EXPECT_EQ(0, std::memcmp(data, expected, 8));

    const uint8_t pdoData[8] = {9, 8, 7, 6, 5, 4, 3, 2};
    setPdo_(7, 9, 6, pdoData);
    uint8_t pdo = 0, length = 0;
    ASSERT_EQ(COP_ReadPDO(&node, &pdo, data, &length), 1);
    EXPECT_EQ(node, 7);
    EXPECT_EQ(pdo, 9);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(0, std::memcmp(data, pdoData, 8));
    node = pdo = length = 0;
    std::memset(data, 0, sizeof data);
    ASSERT_EQ(ORX_ReadPDO(&node, &pdo, &length, data), 1);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(0, std::memcmp(data, pdoData, 8));
}

int callbackCalls = 0;
void CountCallback(uint32_t, uint32_t, uint32_t)
{
    ++callbackCalls;
}

TEST_F(MastergateBoardTest, CallbacksReachTheBoard)
{
    Open();
    ASSERT_EQ(ORX_DefineCallbacks(CountCallback, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Log(), "DefineCallbacks 3 fn null null null\n");
    callbackCalls = 0;
    ASSERT_EQ(fire_(), 1);
    EXPECT_EQ(callbackCalls, 1);
}

TEST_F(MastergateBoardTest, SendSyncStopsAtFirstFailure)
{
    Open();
    setResult_("DisableSync", -22);
    EXPECT_EQ(COP_SendSync(), 0);
    EXPECT_EQ(COP_GetLastError(), -122);
    EXPECT_EQ(Log(), "DisableSync 3\n");
}

TEST_F(MastergateBoardTest, OwnSystemCodesAreNotShifted)
{
    Open();
    // no libsoftmaster.so next to this copy of the library
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_SYSTEM - ENOENT);
}

TEST_F(MastergateBoardTest, TerminateReleasesBoardAndUnloads)
{
    Open();
    setResult_("ReleaseBoard", 1); // ignored
    ASSERT_EQ(COP_Terminate(), 1);
    EXPECT_EQ(Log(), "ReleaseBoard 3\n");
    EXPECT_EQ(COP_GetLastError(), 0);
    EXPECT_EQ(COP_GetBoardHandle(), 0);
    EXPECT_EQ(ORX_Library(), 0);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_AddNode(5), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
    EXPECT_EQ(COP_Terminate(), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

TEST_F(MastergateBoardTest, TerminateReallyUnloadsTheBoardLibrary)
{
    Open();
    dlclose(fake_); // mastergate holds the only reference now
    fake_ = nullptr;
    void* probe = dlopen(FAKE_CARDMASTER_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(probe, nullptr);
    dlclose(probe);
    ASSERT_EQ(COP_Terminate(), 1);
    EXPECT_EQ(dlopen(FAKE_CARDMASTER_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST_F(MastergateBoardTest, OtherLibraryCodeTerminatesAndFails)
{
    Open();
    EXPECT_EQ(COP_Initialize(300, 0, nullptr, COP_BAUD_20), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_SYSTEM - ENOENT);
    EXPECT_EQ(Log(), "ReleaseBoard 3\n");
    EXPECT_EQ(ORX_Library(), 0);
    EXPECT_EQ(COP_SendSync(), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

} // namespace
