#include "settings/AppSettings.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace SettingsKeys;

TEST(AppSettings, DefaultsOfAnEmptyStore)
{
    MemorySettingsStore store;
    CAppSettings s;
    s.Read(store);
    EXPECT_EQ(s.vendor, "(unknown)");
    EXPECT_EQ(s.library, 0);
    EXPECT_EQ(s.board, "Orvax Applet");
    EXPECT_EQ(s.boardType, 0xFFFFFFFFu);
    EXPECT_EQ(s.baudCode, 7);
    EXPECT_EQ(s.timingText, "CiA");
    EXPECT_EQ(s.timing, 0);
    EXPECT_EQ(s.nodeId, 127);
    EXPECT_EQ(s.appFileName, "OvroNeu.H86");
    EXPECT_FALSE(s.privateBuild);
    EXPECT_EQ(s.plugAndPlay, 1);
    EXPECT_EQ(s.hw.ioPort, 0u);
    EXPECT_EQ(s.hw.interrupt, 0);
}

TEST(AppSettings, BaudrateTexts)
{
    const char* texts[] = {"1000", "800", "500", "250", "125", "100", "50", "20", "10"};
    for (std::uint8_t code = 0; code < 9; ++code) {
        EXPECT_EQ(CAppSettings::BaudCodeOfText(texts[code]), code) << texts[code];
        EXPECT_STREQ(CAppSettings::BaudTextOfCode(code), texts[code]);
    }
    EXPECT_EQ(CAppSettings::BaudCodeOfText("125"), 4);
    EXPECT_EQ(CAppSettings::BaudCodeOfText("125 "), 7);
    EXPECT_EQ(CAppSettings::BaudCodeOfText("12"), 7);
    EXPECT_EQ(CAppSettings::BaudCodeOfText(""), 7);
    EXPECT_EQ(CAppSettings::BaudCodeOfText("1000000"), 7);
    EXPECT_STREQ(CAppSettings::BaudTextOfCode(9), "???");
}

TEST(AppSettings, VendorSelectsTheLibraryCaseSensitively)
{
    EXPECT_EQ(CAppSettings::LibraryOfVendor("PEAK-System Technik"), 200);
    EXPECT_EQ(CAppSettings::LibraryOfVendor("Orvax Automation"), 100);
    EXPECT_EQ(CAppSettings::LibraryOfVendor("peak-system technik"), 0);
    EXPECT_EQ(CAppSettings::LibraryOfVendor("(unknown)"), 0);
    EXPECT_EQ(CAppSettings::LibraryOfVendor(""), 0);
    EXPECT_STREQ(CAppSettings::VendorOfLibrary(200), "PEAK-System Technik");
    EXPECT_STREQ(CAppSettings::VendorOfLibrary(100), "Orvax Automation");
}

TEST(AppSettings, BoardNameMapsThroughTheInterfaceTable)
{
    EXPECT_EQ(CAppSettings::BoardTypeOfName("PEAK PCAN-USB"), 0x00010000u);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("PEAK PCAN-ISA"), 0x00000001u);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("PEAK PCAN-PCI (2nd channel)"), 0x0002000Au);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("Orvax Stick-U1 compact"), 0x01050F00u);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("Orvax Applet"), 0xFFFFFFFFu);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("No Such Board"), 0xFFFFFFFFu);
    EXPECT_EQ(CAppSettings::BoardTypeOfName("peak pcan-usb"), 0xFFFFFFFFu);
}

TEST(AppSettings, PeakUsbOpensLibrary200)
{
    MemorySettingsStore store;
    store.WriteString(kInterface, kVendor, "PEAK-System Technik");
    store.WriteString(kInterface, kBoard, "PEAK PCAN-USB");
    store.WriteString(kInterface, kBaudrate, "500");
    CAppSettings s;
    s.Read(store);
    s.ApplyBoardList({});
    EXPECT_EQ(s.library, 200);
    EXPECT_EQ(s.boardType, 0x00010000u);
    EXPECT_EQ(s.baudCode, 2);
}

TEST(AppSettings, DescriptionBoardListOverridesTheTable)
{
    const std::vector<InterfaceBoard> boards = {
        {"Orvax Applet", 200, 0x11u},            // other library: not taken
        {"My Board", 100, 0x01020304u},
        {"Orvax Applet", 100, 0x01050A00u},      // first match of library and name
        {"Orvax Applet", 100, 0x22u},
        {"PEAK PCAN-USB", 200, 0x00020000u},
    };

    MemorySettingsStore store;
    store.WriteString(kInterface, kVendor, "Orvax Automation");
    CAppSettings s;
    s.Read(store);
    EXPECT_EQ(s.boardType, 0xFFFFFFFFu);
    s.ApplyBoardList(boards);
    EXPECT_EQ(s.boardType, 0x01050A00u);

    store.WriteString(kInterface, kBoard, "My Board");
    s.Read(store);
    EXPECT_EQ(s.boardType, 0xFFFFFFFFu);    // unknown to the interface table
    s.ApplyBoardList(boards);
    EXPECT_EQ(s.boardType, 0x01020304u);

    store.WriteString(kInterface, kBoard, "my board");
    s.Read(store);
    s.ApplyBoardList(boards);
    EXPECT_EQ(s.boardType, 0xFFFFFFFFu);

    // A listed board of another library leaves the table's code.
    store.WriteString(kInterface, kVendor, "Orvax Automation");
    store.WriteString(kInterface, kBoard, "PEAK PCAN-USB");
    s.Read(store);
    s.ApplyBoardList(boards);
    EXPECT_EQ(s.boardType, 0x00010000u);
}

TEST(AppSettings, PrivateBuildIgnoresLetterCase)
{
    EXPECT_TRUE(CAppSettings::IsPrivateBuildText("Yes"));
    EXPECT_TRUE(CAppSettings::IsPrivateBuildText("yES"));
    EXPECT_FALSE(CAppSettings::IsPrivateBuildText("No"));
    EXPECT_FALSE(CAppSettings::IsPrivateBuildText("Yes "));
    EXPECT_FALSE(CAppSettings::IsPrivateBuildText("Ye"));
    EXPECT_FALSE(CAppSettings::IsPrivateBuildText("Yess"));
    EXPECT_FALSE(CAppSettings::IsPrivateBuildText(""));

    MemorySettingsStore store;
    store.WriteString(kSettings, kPrivateBuild, "YES");
    CAppSettings s;
    s.Read(store);
    EXPECT_TRUE(s.privateBuild);
}

TEST(AppSettings, StoredValuesAreRead)
{
    MemorySettingsStore store;
    store.WriteString(kInterface, kTiming, "Orvax");
    store.WriteInt(kSettings, kNodeId, 5);
    store.WriteString(kDownload, kAppFileName, "/fw/new.h86");
    store.WriteInt(kInterface, kPlugAndPlay, 0);
    store.WriteInt(kInterface, kAddress, 0xD000);
    store.WriteInt(kInterface, kInterrupt, 11);
    CAppSettings s;
    s.Read(store);
    EXPECT_EQ(s.timingText, "Orvax");
    EXPECT_EQ(s.timing, 0);            // the program always starts with CiA
    EXPECT_EQ(s.nodeId, 5);
    EXPECT_EQ(s.appFileName, "/fw/new.h86");
    EXPECT_EQ(s.plugAndPlay, 0);
    EXPECT_EQ(s.hw.ioPort, 0xD000u);
    EXPECT_EQ(s.hw.interrupt, 11);
}

TEST(AppSettings, OutOfRangeNodeIdAndInterruptFallBack)
{
    MemorySettingsStore store;
    CAppSettings s;
    for (int id : {0, 128, 383, -1}) {
        store.WriteInt(kSettings, kNodeId, id);
        s.Read(store);
        EXPECT_EQ(s.nodeId, 127) << id;
    }
    store.WriteString(kSettings, kNodeId, "abc");
    s.Read(store);
    EXPECT_EQ(s.nodeId, 127);
    store.WriteInt(kSettings, kNodeId, 1);
    s.Read(store);
    EXPECT_EQ(s.nodeId, 1);

    store.WriteInt(kInterface, kInterrupt, 70000);
    s.Read(store);
    EXPECT_EQ(s.hw.interrupt, 0);
    store.WriteInt(kInterface, kInterrupt, -3);
    s.Read(store);
    EXPECT_EQ(s.hw.interrupt, 0);
}

TEST(AppSettings, WriteInterfaceNamesTheListedBoard)
{
    const std::vector<InterfaceBoard> boards = {
        {"PEAK PCAN-ISA", 200, 0x1u},
        {"Orvax Card-A1/PCI", 100, 0x01020700u},
    };
    MemorySettingsStore store;
    CAppSettings s;
    s.library = 200;
    s.boardType = 0x1u;
    s.plugAndPlay = 0;
    s.hw = {0xFFFFFFF0u, 5};
    ASSERT_TRUE(s.WriteInterface(store, boards));
    EXPECT_EQ(store.ReadString(kInterface, kBoard, ""), "PEAK PCAN-ISA");
    EXPECT_EQ(store.ReadString(kInterface, kVendor, ""), "PEAK-System Technik");
    EXPECT_EQ(store.ReadInt(kInterface, kPlugAndPlay, 9), 0);
    EXPECT_EQ(store.ReadInt(kInterface, kInterrupt, 9), 5);

    CAppSettings back;
    back.Read(store);
    EXPECT_EQ(back.hw.ioPort, 0xFFFFFFF0u);    // the full 32-bit address survives
    EXPECT_EQ(back.library, 200);
    EXPECT_EQ(back.boardType, 0x1u);

    // A board that no list entry matches (library and type) is written as
    // the board-based master's own selection.
    s.library = 100;
    s.boardType = 0x1u;
    ASSERT_TRUE(s.WriteInterface(store, boards));
    EXPECT_EQ(store.ReadString(kInterface, kBoard, ""), "Orvax Applet");
    EXPECT_EQ(store.ReadString(kInterface, kVendor, ""), "Orvax Automation");
}

TEST(AppSettings, WriteNodeOptionsAndFirmwareName)
{
    MemorySettingsStore store;
    CAppSettings s;
    s.baudCode = 4;
    s.timing = 1;
    s.nodeId = 33;
    s.appFileName = "fw.hex";
    ASSERT_TRUE(s.WriteNodeOptions(store));
    ASSERT_TRUE(s.WriteAppFileName(store));
    EXPECT_EQ(store.ReadString(kInterface, kBaudrate, ""), "125");
    EXPECT_EQ(store.ReadString(kInterface, kTiming, ""), "Orvax");
    EXPECT_EQ(store.ReadInt(kSettings, kNodeId, 0), 33);
    EXPECT_EQ(store.ReadString(kDownload, kAppFileName, ""), "fw.hex");

    s.timing = 0;
    s.WriteNodeOptions(store);
    EXPECT_EQ(store.ReadString(kInterface, kTiming, ""), "CiA");

    CAppSettings back;
    back.Read(store);
    EXPECT_EQ(back.baudCode, 4);
    EXPECT_EQ(back.nodeId, 33);
}

TEST(AppSettings, ProgramDirectoryAndDerivedPaths)
{
    CAppSettings s;
    s.SetProgramDirectory("/opt/ovro/");
    EXPECT_EQ(s.ProgramDirectory(), "/opt/ovro");
    EXPECT_EQ(s.DescriptionPath(), "/opt/ovro/Ovro-QVT.xml");
    EXPECT_EQ(s.LoaderPath(), "/opt/ovro/sll/sll.H86");

    s.ReplaceProgramDirectory("/home/u/xml");
    EXPECT_EQ(s.DescriptionPath(), "/home/u/xml/Ovro-QVT.xml");
    EXPECT_EQ(s.LoaderPath(), "/opt/ovro/sll/sll.H86");

    s.SetProgramDirectory("/");
    EXPECT_EQ(s.DescriptionPath(), "/Ovro-QVT.xml");
}

TEST(AppSettings, AnInstalledProgramFindsItsDataInShare)
{
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/ovro-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share/ovro-qvt");
    const std::string bin = (root / "usr/bin").string();
    // Nothing anywhere: the program's own folder.
    EXPECT_EQ(CAppSettings::DataDirectory(bin), bin);
    std::ofstream((root / "usr/share/ovro-qvt/Ovro-QVT.xml").string()) << "<Commissioning/>";
    CAppSettings s;
    s.SetProgramDirectory(bin + "/");
    EXPECT_EQ(s.ProgramDirectory(), (root / "usr/share/ovro-qvt").string());
    EXPECT_EQ(s.DescriptionPath(), (root / "usr/share/ovro-qvt/Ovro-QVT.xml").string());
    EXPECT_EQ(s.LoaderPath(), (root / "usr/share/ovro-qvt/sll/sll.H86").string());
    // A description beside the program (a build tree) comes first.
    std::ofstream((root / "usr/bin/Ovro-QVT.xml").string()) << "<Commissioning/>";
    EXPECT_EQ(CAppSettings::DataDirectory(bin), bin);
    fs::remove_all(root);
}

TEST(MemorySettingsStore, IntegersAreTheirDecimalText)
{
    MemorySettingsStore store;
    EXPECT_EQ(store.ReadInt("A", "k", -4), -4);
    store.WriteString("A", "k", "12");
    EXPECT_EQ(store.ReadInt("A", "k", 0), 12);
    store.WriteString("A", "k", "12x");
    EXPECT_EQ(store.ReadInt("A", "k", 3), 3);
    store.WriteString("A", "k", "");
    EXPECT_EQ(store.ReadInt("A", "k", 3), 3);
    store.WriteString("A", "k", "99999999999");
    EXPECT_EQ(store.ReadInt("A", "k", 3), 3);
    store.WriteInt("A", "k", -7);
    EXPECT_EQ(store.ReadString("A", "k", ""), "-7");
    EXPECT_EQ(store.ReadString("B", "k", "none"), "none");   // sections are apart
}

}  // namespace
