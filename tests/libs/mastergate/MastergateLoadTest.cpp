// Tests of libmastergate.so without a usable master library: the calls
// before any initialisation, missing libraries and the installation probe.
#include <cop/cop.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

TEST(MastergateLoadTest, EveryForwardedCallFailsWithoutLibrary)
{
    uint8_t bytes[8] = {};
    char text[32] = {};
    uint8_t node = 0, pdo = 0, length = 0;
    int16_t sdoLength = 0;
    const std::vector<std::pair<const char*, std::function<COP_BOOL()>>> calls = {
        {"ResetCAN", [] { return COP_ResetCAN(3); }},
        {"Terminate", [] { return COP_Terminate(); }},
        {"GetBoardHardware", [&] { return COP_GetBoardHardware(text, sizeof text); }},
        {"GetBoardFirmware", [&] { return COP_GetBoardFirmware(text, sizeof text); }},
        {"AddNode", [] { return COP_AddNode(1); }},
        {"DeleteNode", [] { return COP_DeleteNode(1); }},
        {"SearchNode", [] { return COP_SearchNode(1); }},
        {"StartRemoteNode", [] { return COP_StartRemoteNode(1); }},
        {"StopRemoteNode", [] { return COP_StopRemoteNode(1); }},
        {"EnterPreOperationalState", [] { return COP_EnterPreOperationalState(1); }},
        {"ResetNode", [] { return COP_ResetNode(1); }},
        {"ResetCommunication", [] { return COP_ResetCommunication(1); }},
        {"SetSDOTimeout", [] { return COP_SetSDOTimeout(100); }},
        {"ReadSDO", [&] { return COP_ReadSDO(1, 0x1000, 0, &sdoLength, bytes, 4); }},
        {"WriteSDO", [&] { return COP_WriteSDO(1, 0x1000, 0, 4, bytes); }},
        {"CreatePDO", [] { return COP_CreatePDO(1, 8, 0, 0x381, 8); }},
        {"WritePDO", [&] { return COP_WritePDO(0, 1, bytes); }},
        {"RequestPDO", [] { return COP_RequestPDO(1, 8); }},
        {"ReadPDO", [&] { return COP_ReadPDO(&node, &pdo, bytes, &length); }},
        {"GetEmergency", [&] { return COP_GetEmergency(&node, bytes); }},
        {"SendSync", [] { return COP_SendSync(); }},
        {"GetLMTAddress", [&] { return COP_GetLMTAddress(text, text + 8, text + 16); }},
        {"ConfigureNode", [&] { return COP_ConfigureNode(text, text + 8, text + 16, 5, 3); }},
        {"ORX_DefineCallbacks", [] { return ORX_DefineCallbacks(nullptr, nullptr, nullptr, nullptr); }},
        {"ORX_ReadPDO", [&] { return ORX_ReadPDO(&node, &pdo, &length, bytes); }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
    }
    EXPECT_EQ(COP_GetLibraryVersion(), nullptr);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_GetBoardHandle(), 0);
    EXPECT_EQ(ORX_Library(), 0);
    ASSERT_NE(COP_GetVersion(), nullptr);
    EXPECT_NE(std::string(COP_GetVersion()).find("mastergate"), std::string::npos);
}

TEST(MastergateLoadTest, MissingSoftwareMasterGivesFileNotFound)
{
    // this test's folder holds no libsoftmaster.so
    EXPECT_EQ(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_SYSTEM - ENOENT);
    EXPECT_EQ(COP_GetLastError(), -10002);
    EXPECT_STREQ(COP_GetLibraryName(), "(null)");
    EXPECT_EQ(COP_AddNode(1), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

TEST(MastergateLoadTest, UnknownLibraryCodeProbesAnymaster)
{
    EXPECT_EQ(COP_Initialize(300, 0, nullptr, COP_BAUD_20), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    EXPECT_EQ(COP_AddNode(1), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NO_DLL);
}

// Installation probe: files are looked for, never loaded, so empty files do.
class MastergateInstalledTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/mastergate-installed-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        const char* old = std::getenv("LD_LIBRARY_PATH");
        hadPath_ = old != nullptr;
        if (old)
            oldPath_ = old;
        setenv("LD_LIBRARY_PATH", ("/nonexistent::" + folder_).c_str(), 1);
    }
    void TearDown() override
    {
        for (const auto& file : files_)
            unlink(file.c_str());
        rmdir(folder_.c_str());
        if (hadPath_)
            setenv("LD_LIBRARY_PATH", oldPath_.c_str(), 1);
        else
            unsetenv("LD_LIBRARY_PATH");
    }
    void Touch(const std::string& name)
    {
        files_.push_back(folder_ + "/" + name);
        std::ofstream(files_.back()) << "not a library";
    }

    std::string folder_, oldPath_;
    bool hadPath_ = false;
    std::vector<std::string> files_;
};

TEST_F(MastergateInstalledTest, BoardMasterIsFoundInOwnFolder)
{
    EXPECT_EQ(COP_Installed(COP_LIBRARY_CARDMASTER, 0x01050F00u), 1);
}

TEST_F(MastergateInstalledTest, SoftwareMasterNeedsItsDriverLibraryToo)
{
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    Touch("libsoftmaster.so");
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    Touch("libpcan_usb.so");
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB), 1);
    EXPECT_EQ(COP_GetLastError(), 0);
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_PCI), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    Touch("libpcan____.so");
    EXPECT_EQ(COP_Installed(COP_LIBRARY_SOFTMASTER, 0x12345678u), 1);
}

TEST_F(MastergateInstalledTest, OtherCodesLookForAnymaster)
{
    EXPECT_EQ(COP_Installed(0, 0), 0);
    EXPECT_EQ(COP_GetLastError(), -10002);
    Touch("libanymaster.so");
    EXPECT_EQ(COP_Installed(300, 0), 1);
    // found, but no master library serves the code
    EXPECT_EQ(COP_Initialize(300, 0, nullptr, COP_BAUD_20), 0);
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NOT_SUPPORTED);
}

} // namespace
