// Start-up, exit and the interface and option commands of the application
// object, message by message, with a scripted user and an in-memory store.
#include "QVTApp.h"
#include "ScriptedUserInterface.h"
#include "TempDir.h"

#include "description/Commissioning.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace SettingsKeys;

namespace {

constexpr std::uint32_t kPcanUsb = 0x00010000u;
constexpr std::uint32_t kPcanIsa = 0x00000001u;

class QVTAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A private virtual bus for every test.
        setenv("OVRO_CANBUS_DIR", bus_.Path().c_str(), 1);
        setenv("OVRO_CAN_CHANNEL", "virtual:shell", 1);
    }
    void TearDown() override
    {
        app_.reset();
        unsetenv("OVRO_CAN_CHANNEL");
        unsetenv("OVRO_CANBUS_DIR");
    }

    CQVTApp& App()
    {
        if (!app_)
            app_ = std::make_unique<CQVTApp>(store_, ui_, description_);
        return *app_;
    }

    void SelectPcanUsb()
    {
        store_.WriteString(kInterface, kVendor, kVendorPeak);
        store_.WriteString(kInterface, kBoard, "PEAK PCAN-USB");
    }

    static std::string DataDir() { return OVRO_DATA_DIR; }

    TempDir bus_;
    MemorySettingsStore store_;
    ScriptedUserInterface ui_;
    ovro::CCommissioning description_;
    std::unique_ptr<CQVTApp> app_;
};

// ---- Start-up ---------------------------------------------------------------

TEST_F(QVTAppTest, MissingDescriptionAsksAndNoEndsTheProgram)
{
    TempDir empty;
    ui_.answers = {false};
    EXPECT_FALSE(App().InitInstance(empty.Path()));
    ASSERT_EQ(ui_.questions.size(), 1u);
    const std::string path = empty.Path() + "/Ovro-QVT.xml";
    EXPECT_EQ(ui_.questions[0].text, FormatMessage(63500, path.c_str()));
    EXPECT_EQ(ui_.questions[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(ui_.questions[0].defaultYes);
    EXPECT_FALSE(App().Master().IsInitialised());
}

TEST_F(QVTAppTest, AnUnreadableDescriptionAsksInsteadOfEndingTheProgram)
{
    // A folder of the description's name reads as an error, not a crash.
    TempDir folder;
    const std::string path = folder.Path() + "/Ovro-QVT.xml";
    ASSERT_TRUE(std::filesystem::create_directory(path));
    ui_.answers = {true};
    EXPECT_TRUE(App().InitInstance(folder.Path()));
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, FormatMessage(63500, path.c_str()));
    EXPECT_FALSE(App().DescriptionLoaded());
}

TEST_F(QVTAppTest, AnIncompleteDescriptionServesWithWhatItHeld)
{
    // Its boards and its error list come before the fault.
    TempDir folder;
    std::ofstream(folder.Path() + "/Ovro-QVT.xml")
        << "<?xml version=\"1.0\"?>\n<Commissioning Version=\"1.2\">\n"
           "  <Interface><Board Vendor=\"200\" Type=\"0x00010000\" PnP=\"Yes\">Bench USB</Board></Interface>\n"
           "  <Error><Enumerator Value=\"-50\">Bench time-out.</Enumerator></Error>\n"
           "  <Device Type=\"Ovro K315\"></Section>\n";
    store_.WriteString(kInterface, kVendor, kVendorPeak);
    store_.WriteString(kInterface, kBoard, "Bench USB");
    ui_.answers = {true};
    ASSERT_TRUE(App().StartUp(folder.Path()));
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_FALSE(App().DescriptionLoaded());
    // The board name maps to the listed type, as with a whole description.
    EXPECT_EQ(App().Settings().boardType, kPcanUsb);
    ASSERT_EQ(App().Boards().size(), 1u);
    // Both lookups give the listed text.
    EXPECT_EQ(App().ErrorText(-50), "Bench time-out.");
    EXPECT_EQ(App().Master().ErrorText(-50), "Bench time-out.");
    EXPECT_EQ(App().Master().ErrorText(-51), App().ErrorText(-51));
}

TEST_F(QVTAppTest, MissingDescriptionYesStartsWithoutDescriptionButWithInterface)
{
    TempDir empty;
    SelectPcanUsb();
    ui_.answers = {true};
    EXPECT_TRUE(App().InitInstance(empty.Path()));
    EXPECT_FALSE(App().DescriptionLoaded());
    EXPECT_TRUE(App().Boards().empty());
    EXPECT_TRUE(App().Master().IsInitialised());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(QVTAppTest, NoVendorOpensNoInterfaceAndSaysNothing)
{
    EXPECT_TRUE(App().InitInstance(DataDir()));
    EXPECT_TRUE(App().DescriptionLoaded());
    EXPECT_FALSE(App().Boards().empty());
    EXPECT_FALSE(App().Master().IsInitialised());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(ui_.questions.empty());
    EXPECT_EQ(App().Settings().LoaderPath(), DataDir() + "/sll/sll.H86");
}

TEST_F(QVTAppTest, PeakUsbOpensLibrary200WithItsBoardTypeAndExitCloses)
{
    SelectPcanUsb();
    store_.WriteString(kInterface, kBaudrate, "125");
    ASSERT_TRUE(App().InitInstance(DataDir()));
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(App().Settings().library, COP_LIBRARY_SOFTMASTER);
    EXPECT_TRUE(App().Master().IsInitialised());
    EXPECT_EQ(App().Master().BoardType(), kPcanUsb);
    EXPECT_EQ(App().Master().BaudRate(), 4);
    App().ExitInstance();
    EXPECT_FALSE(App().Master().IsInitialised());
}

TEST_F(QVTAppTest, FailingInterfaceIsReportedAndTheProgramGoesOn)
{
    SelectPcanUsb();
    setenv("OVRO_CAN_CHANNEL", "socketcan:ovro-none0", 1);
    EXPECT_TRUE(App().InitInstance(DataDir()));
    EXPECT_FALSE(App().Master().IsInitialised());
    ASSERT_EQ(ui_.messages.size(), 1u);
    const auto& m = ui_.messages[0];
    EXPECT_EQ(m.icon, MessageIcon::Stop);
    EXPECT_EQ(m.text, FormatMessage(63501, App().ErrorText(App().Master().LastError()).c_str()));
    EXPECT_EQ(m.text.rfind("ERROR:\t", 0), 0u);
}

TEST_F(QVTAppTest, UnknownBoardNameKeepsTheUnknownBoardType)
{
    store_.WriteString(kInterface, kVendor, kVendorPeak);
    store_.WriteString(kInterface, kBoard, "PEAK PCAN-USB ");
    setenv("OVRO_CAN_CHANNEL", "socketcan:ovro-none0", 1);
    App().InitInstance(DataDir());
    EXPECT_EQ(App().Settings().boardType, 0xFFFFFFFFu);
}

// ---- "&Initialize..." -------------------------------------------------------

TEST_F(QVTAppTest, InitializeOpensTheChoiceAndWritesTheInterfaceKeys)
{
    ASSERT_TRUE(App().InitInstance(DataDir()));
    InterfaceChoice c;
    c.library = COP_LIBRARY_SOFTMASTER;
    c.boardType = kPcanUsb;
    c.plugAndPlay = true;
    EXPECT_TRUE(App().InitializeInterface(c));
    EXPECT_TRUE(App().Master().IsInitialised());
    EXPECT_EQ(App().Master().BaudRate(), App().Settings().baudCode);
    EXPECT_EQ(store_.ReadString(kInterface, kBoard, ""), "PEAK PCAN-USB");
    EXPECT_EQ(store_.ReadString(kInterface, kVendor, ""), kVendorPeak);
    EXPECT_EQ(store_.ReadInt(kInterface, kPlugAndPlay, -1), 1);
    EXPECT_EQ(store_.ReadInt(kInterface, kAddress, -1), 0);
    EXPECT_EQ(store_.ReadInt(kInterface, kInterrupt, -1), 0);
    EXPECT_EQ(App().PresentInterface().boardType, kPcanUsb);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(QVTAppTest, InitializeFailureWarnsAndStoresNothing)
{
    ASSERT_TRUE(App().InitInstance(DataDir()));
    setenv("OVRO_CAN_CHANNEL", "socketcan:ovro-none0", 1);
    InterfaceChoice c;
    c.library = COP_LIBRARY_SOFTMASTER;
    c.boardType = kPcanIsa;
    c.plugAndPlay = false;
    c.address = 0x378;
    c.irq = 7;
    EXPECT_FALSE(App().InitializeInterface(c));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.messages[0].text,
              FormatMessage(63536, App().ErrorText(App().Master().LastError()).c_str()));
    EXPECT_NE(ui_.messages[0].text.find("Check your harware and try again."), std::string::npos);
    EXPECT_FALSE(store_.Contains(kInterface, kBoard));
    EXPECT_FALSE(store_.Contains(kInterface, kAddress));
    EXPECT_EQ(App().PresentInterface().library, COP_LIBRARY_NONE);
}

TEST_F(QVTAppTest, InitializeOpensTheOrvaxStickThroughTheBoardMaster)
{
    // The emulated board, with a hardware registry of the test's own.
    setenv("XDG_CONFIG_HOME", (bus_.Path() + "/config").c_str(), 1);
    ASSERT_TRUE(App().InitInstance(DataDir()));
    InterfaceChoice c;
    c.library = COP_LIBRARY_CARDMASTER;
    c.boardType = 0x01050F00u;
    c.plugAndPlay = true;
    EXPECT_TRUE(App().InitializeInterface(c));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    EXPECT_TRUE(App().Master().IsInitialised());
    EXPECT_NE(App().Master().BoardHandle(), 0);
    EXPECT_EQ(store_.ReadString(kInterface, kBoard, ""), "Orvax Stick-U1 compact");
    EXPECT_EQ(store_.ReadString(kInterface, kVendor, ""), kVendorOrvax);
    App().ExitInstance();
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(QVTAppTest, StartUpOpensTheConfiguredOrvaxStick)
{
    setenv("XDG_CONFIG_HOME", (bus_.Path() + "/config").c_str(), 1);
    store_.WriteString(kInterface, kVendor, kVendorOrvax);
    store_.WriteString(kInterface, kBoard, "Orvax Stick-U1 compact");
    ASSERT_TRUE(App().InitInstance(DataDir()));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    EXPECT_EQ(App().Settings().boardType, 0x01050F00u);
    EXPECT_TRUE(App().Master().IsInitialised());
    App().ExitInstance();
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(QVTAppTest, TheOlderOrvaxStickIsNotSupported)
{
    setenv("XDG_CONFIG_HOME", (bus_.Path() + "/config").c_str(), 1);
    ASSERT_TRUE(App().InitInstance(DataDir()));
    InterfaceChoice c;
    c.library = COP_LIBRARY_CARDMASTER;
    c.boardType = 0x01050A00u;  // "Orvax Stick-U1"
    EXPECT_FALSE(App().InitializeInterface(c));
    EXPECT_EQ(App().Master().LastError(), -135);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63536, "The given board is not supported by this API."));
    EXPECT_FALSE(store_.Contains(kInterface, kBoard));
    unsetenv("XDG_CONFIG_HOME");
}

// ---- "&Properties..." -------------------------------------------------------

TEST_F(QVTAppTest, PropertiesWithoutBoardSayProbablyNoBoard)
{
    ASSERT_TRUE(App().InitInstance(DataDir()));
    App().ShowInterfaceProperties();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.messages[0].text,
              FormatMessage(63538, App().ErrorText(App().Master().LastError()).c_str()));
}

TEST_F(QVTAppTest, PropertiesOfAnOpenBoardShowBoardAndLibraryTexts)
{
    SelectPcanUsb();
    ASSERT_TRUE(App().InitInstance(DataDir()));
    ASSERT_TRUE(App().Master().IsInitialised());
    App().ShowInterfaceProperties();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
    std::string board;
    std::string library;
    ASSERT_TRUE(App().Master().GetBoardInfo(board));
    ASSERT_TRUE(App().Master().GetLastErrorText(library));
    // A PCAN-Light board also names its Linux channel and bit rate state.
    EXPECT_EQ(ui_.messages[0].text, board + "\n\n" + library + "\n\nChannel: " + std::getenv("OVRO_CAN_CHANNEL") +
                                        " (from OVRO_CAN_CHANNEL)\nBit rate: 20000 bit/s on the virtual bus");
    EXPECT_NE(ui_.messages[0].text.find("Rhababermarmelade"), std::string::npos);
}

// ---- "&Options..." ----------------------------------------------------------

TEST_F(QVTAppTest, OptionsStartWithThePresentValues)
{
    store_.WriteInt(kSettings, kNodeId, 12);
    store_.WriteString(kInterface, kBaudrate, "500");
    ASSERT_TRUE(App().InitInstance(DataDir()));
    const ProgramOptions o = App().Options();
    EXPECT_EQ(o.xmlPath, DataDir());
    EXPECT_EQ(o.sllFileName, DataDir() + "/sll/sll.H86");
    EXPECT_EQ(o.sllPageSize, 128);
    EXPECT_EQ(o.nodeId, 12);
    EXPECT_EQ(o.baudIndex, 2);
}

TEST_F(QVTAppTest, OptionsOkWritesTheirKeysAndAlwaysCiA)
{
    store_.WriteString(kInterface, kTiming, "Orvax");
    ASSERT_TRUE(App().InitInstance(DataDir()));
    ProgramOptions o = App().Options();
    o.sllFileName = "/opt/loader/sll2.h86";
    o.sllPageSize = 256;
    o.nodeId = 42;
    o.baudIndex = 4;
    ASSERT_TRUE(App().ApplyOptions(o));
    EXPECT_EQ(store_.ReadString(kDownload, kSllFileName, ""), "/opt/loader/sll2.h86");
    EXPECT_EQ(store_.ReadInt(kDownload, kSllFileSize, -1), 256);
    EXPECT_EQ(store_.ReadString(kInterface, kBaudrate, ""), "125");
    EXPECT_EQ(store_.ReadString(kInterface, kTiming, ""), "CiA");
    EXPECT_EQ(store_.ReadInt(kSettings, kNodeId, -1), 42);
    EXPECT_EQ(App().Settings().nodeId, 42);
    EXPECT_EQ(App().Settings().baudCode, 4);
    EXPECT_EQ(App().Settings().timing, 0);
    EXPECT_EQ(App().Options().sllFileName, "/opt/loader/sll2.h86");
    EXPECT_FALSE(store_.Contains(kSettings, kPathName));
}

TEST_F(QVTAppTest, OptionsOutOfRangeAreRefusedAndWriteNothing)
{
    ASSERT_TRUE(App().InitInstance(DataDir()));
    ProgramOptions o = App().Options();
    o.nodeId = 0;
    EXPECT_FALSE(App().ApplyOptions(o));
    o = App().Options();
    o.baudIndex = 9;
    EXPECT_FALSE(App().ApplyOptions(o));
    o = App().Options();
    o.sllPageSize = -1;
    EXPECT_FALSE(App().ApplyOptions(o));
    EXPECT_FALSE(store_.Contains(kSettings, kNodeId));
    EXPECT_FALSE(store_.Contains(kDownload, kSllFileSize));
    EXPECT_EQ(App().Settings().nodeId, 127);
}

TEST_F(QVTAppTest, XmlFolderReplacesTheProgramDirectoryAndIsWrittenAtOnce)
{
    ASSERT_TRUE(App().InitInstance(DataDir()));
    EXPECT_TRUE(App().SetXmlFolder("/srv/ovro/"));
    EXPECT_EQ(store_.ReadString(kSettings, kPathName, ""), "/srv/ovro");
    EXPECT_EQ(App().Options().xmlPath, "/srv/ovro");
    // the loader file and the loaded description stay
    EXPECT_EQ(App().Settings().LoaderPath(), DataDir() + "/sll/sll.H86");
    EXPECT_TRUE(App().DescriptionLoaded());
}

} // namespace
