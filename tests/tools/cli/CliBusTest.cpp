// ovro-qvt-cli run as a child process against simulated drives on a
// private virtual bus, with a private settings folder.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "ChildProcess.h"
#include "CliBusFixture.h"
#include "FileText.h"

using ovro::test::ReadFile;
using ovro::test::WriteFile;

namespace {

namespace fs = std::filesystem;
using ovro::test::SimProcess;

const char* const kBoard = "PEAK PCAN-USB";
// The drives answer late on a busy machine; a missing drive costs one
// time-out per SDO, so the runs that expect none keep it short.
const char* const kPatient = "1000";
const char* const kImpatient = "300";

class CliBusTest : public CliBusFixture {
protected:
    CliBusTest() : CliBusFixture("clibus") {}

    static RunResult Cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), OVRO_CLI);
        return RunProgram(args);
    }

    // With the board and drive of the test on the command line.
    static RunResult CliAt(int nodeId, int kbit, std::vector<std::string> args)
    {
        std::vector<std::string> all = {"--board", kBoard, "--node-id", std::to_string(nodeId), "--bitrate",
                                        std::to_string(kbit), "--sdo-timeout", kPatient};
        all.insert(all.end(), args.begin(), args.end());
        return Cli(all);
    }

};

TEST_F(CliBusTest, ScanListsEveryDriveOfTheRange)
{
    StartDrive("K315", 2, 20);
    StartDrive("H315", 5, 20);
    const RunResult r =
        Cli({"--board", kBoard, "--bitrate", "20", "--sdo-timeout", kPatient, "scan", "--first", "1", "--last", "6"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Node-ID"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("#2       20kBit/sec  Ovro K315"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("#5       20kBit/sec  Ovro H315"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("#3"), std::string::npos) << r.out;
    // The progress lines, one per node-id visited.
    EXPECT_NE(r.err.find("Search with 20kBit/sec, Node-ID=1\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Search with 20kBit/sec, Node-ID=6\n"), std::string::npos) << r.err;

    // Downwards, and only one id.
    const RunResult one = Cli(
        {"--board", kBoard, "--bitrate", "20", "--sdo-timeout", kImpatient, "scan", "--first", "5", "--last", "5"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("Ovro H315"), std::string::npos);
    EXPECT_EQ(one.out.find("Ovro K315"), std::string::npos);
}

TEST_F(CliBusTest, ScanAtAnotherBitRateFindsNothingAndFails)
{
    StartDrive("K315", 2, 20);
    const RunResult r = Cli(
        {"--board", kBoard, "--bitrate", "125", "--sdo-timeout", kImpatient, "scan", "--first", "1", "--last", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("SORRY: no node was found in the network!\n    The device may be offline.\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Search with 125kBit/sec, Node-ID=3"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(CliBusTest, InfoShowsIdentityAndModel)
{
    StartDrive("H315", 5, 20);
    const RunResult r = CliAt(5, 20, {"info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Model: Ovro H315\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Connected: CAN,#5,20kBit/s,Ovro H315,"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("INFO: read from node #5:\n    Device=Ovro H315, S/N="), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("NodeId=5\n"), std::string::npos) << r.err;
}

TEST_F(CliBusTest, NoDriveFailsWithTheErrorMessage)
{
    const RunResult info = CliAt(5, 20, {"info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.err.find(std::string("ERROR: can") + kAcute + "t read device type of node #5!\n    "),
              std::string::npos)
        << info.err;
    EXPECT_EQ(info.out, "");

    const RunResult read = CliAt(5, 20, {"read", "0x1000", "0"});
    EXPECT_EQ(read.status, 1);
    EXPECT_NE(read.err.find(std::string("ERROR: can") + kAcute + "t read object 1000/00 of node #5!"),
              std::string::npos)
        << read.err;

    // A failed upload writes nothing, and leaves an older file as it was.
    WriteFile(Path("old.31x"), "older document\n");
    const RunResult upload = CliAt(5, 20, {"upload", Path("old.31x")});
    EXPECT_EQ(upload.status, 1);
    EXPECT_EQ(ReadFile(Path("old.31x")), "older document\n");
}

TEST_F(CliBusTest, UploadSavesADocumentThatShowPrints)
{
    StartDrive("K315", 3, 20);
    const std::string file = Path("k315.31x");
    const RunResult up = CliAt(3, 20, {"upload", file});
    ASSERT_EQ(up.status, 0) << up.err;
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("[Commissioning]\r\nType=Ovro K315\r\n"), std::string::npos);
    EXPECT_NE(text.find("NodeId=3\r\nBaudrate=20\r\n"), std::string::npos);
    EXPECT_NE(text.find("DeviceName=Ovro K315\r\n"), std::string::npos);

    // No bus and no interface needed.
    ::unsetenv("OVRO_CAN_CHANNEL");
    const RunResult show = Cli({"show", file});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("Type       Ovro K315\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Node-ID    3\n"), std::string::npos);
    EXPECT_NE(show.out.find("Baud rate  20kBit/sec\n"), std::string::npos);
    EXPECT_NE(show.out.find("[Identification]\n  Parameter"), std::string::npos);
    EXPECT_NE(show.out.find("Device Name"), std::string::npos);
    EXPECT_NE(show.out.find("1008/00  Ovro K315"), std::string::npos) << show.out;

    const RunResult missing = Cli({"show", Path("none.31x")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ERROR: while reading file '" + Path("none.31x") + "'!\n"), std::string::npos)
        << missing.err;
}

TEST_F(CliBusTest, ShowPrintsTheDateTheFileHolds)
{
    StartDrive("K315", 3, 20);
    const std::string file = Path("dated.31x");
    const RunResult up = CliAt(3, 20, {"upload", file});
    ASSERT_EQ(up.status, 0) << up.err;
    // The file says 16.06.2009 for "Date of Manufacture".
    std::string text = ReadFile(file);
    const std::size_t at = text.find("ManufacturingDate=");
    ASSERT_NE(at, std::string::npos) << text;
    const std::size_t end = text.find("\r\n", at);
    text.replace(at, end - at, "ManufacturingDate=16.06.2009 00:00");
    WriteFile(file, text);

    ::unsetenv("OVRO_CAN_CHANNEL");
    const RunResult show = Cli({"show", file});
    ASSERT_EQ(show.status, 0) << show.err;
    const std::size_t line = show.out.find("Date of Manufacture");
    ASSERT_NE(line, std::string::npos) << show.out;
    const std::string shown = show.out.substr(line, show.out.find('\n', line) - line);
    EXPECT_NE(shown.find("16.06.2009 00:00"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("01.01.1970"), std::string::npos) << shown;
}

TEST_F(CliBusTest, WriteThenReadOneObject)
{
    StartDrive("K315", 2, 20);
    const RunResult w = CliAt(2, 20, {"write", "0x6081", "0", "1234"});
    EXPECT_EQ(w.status, 0) << w.err;
    const RunResult r = CliAt(2, 20, {"read", "0x6081", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1234\n");
    // A type of one's own: the low byte only.
    const RunResult typed = CliAt(2, 20, {"read", "0x6081", "0", "--type", "Unsigned8"});
    EXPECT_EQ(typed.status, 0) << typed.err;
    EXPECT_EQ(typed.out, std::to_string(1234 & 0xFF) + "\n");
    const RunResult text = CliAt(2, 20, {"read", "0x1008", "0"});
    EXPECT_EQ(text.out, "Ovro K315\n");

    const RunResult readOnly = CliAt(2, 20, {"write", "0x1000", "0", "5"});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_NE(readOnly.err.find(std::string("ERROR: can") + kAcute + "t write object 1000/00 of node #2!\n    "),
              std::string::npos)
        << readOnly.err;
}

TEST_F(CliBusTest, DownloadOfAnEditedDocumentWithStore)
{
    const std::string eeprom = Path("eeprom-k");
    SimProcess* drive = StartDrive("K315", 2, 20, eeprom);
    ASSERT_NE(drive, nullptr);
    const std::string file = Path("edit.31x");
    ASSERT_EQ(CliAt(2, 20, {"upload", file}).status, 0);
    std::string text = ReadFile(file);
    const std::size_t at = text.find("\r\nProfileVelocity=");
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = text.find("\r\n", at + 2);
    text.replace(at, end - at, "\r\nProfileVelocity=2500");
    WriteFile(file, text);

    const RunResult d = CliAt(2, 20, {"download", file, "--store"});
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_NE(d.err.find("Profile velocity...OK!\n"), std::string::npos) << d.err;
    EXPECT_NE(d.err.find("Changing Node-Id. and/or Baudrate...OK!\n"), std::string::npos);
    EXPECT_NE(d.err.find("+++ Finished: no error occurred!\n"), std::string::npos);

    // Stored: the drive has it again after a power cycle.
    drive->stop();
    StartDrive("K315", 2, 20, eeprom);
    EXPECT_EQ(CliAt(2, 20, {"read", "0x6081", "0"}).out, "2500\n");

    const RunResult missing = CliAt(2, 20, {"download", Path("none.31x")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ERROR: while reading file"), std::string::npos);
}

TEST_F(CliBusTest, ConfigureGivesTheDriveANewNodeIdAndBitRate)
{
    StartDrive("K315", 2, 20);
    const RunResult c = CliAt(2, 20, {"configure", "--new-node-id", "9", "--new-bitrate", "125"});
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_NE(c.err.find("only one node in the network"), std::string::npos) << c.err;
    EXPECT_NE(c.out.find("Connected: CAN,#9,125kBit/s,Ovro K315"), std::string::npos) << c.out;

    const RunResult there = CliAt(9, 125, {"info"});
    EXPECT_EQ(there.status, 0) << there.err;
    EXPECT_NE(there.err.find("NodeId=9"), std::string::npos);
    EXPECT_EQ(CliAt(2, 20, {"info"}).status, 1);
}

TEST_F(CliBusTest, ResetAndRestoreAskFirst)
{
    StartDrive("K315", 2, 20);
    const std::string factory = CliAt(2, 20, {"read", "0x6081", "0"}).out;
    ASSERT_FALSE(factory.empty());
    ASSERT_EQ(CliAt(2, 20, {"write", "0x6081", "0", "2222"}).status, 0);
    const RunResult store = CliAt(2, 20, {"--yes", "store"});
    EXPECT_EQ(store.status, 0) << store.err;
    EXPECT_NE(store.err.find("Do you want to save the configuration into the EEPROM?\n    -> Yes"), std::string::npos);
    ASSERT_EQ(CliAt(2, 20, {"write", "0x6081", "0", "1111"}).status, 0);

    // Without --yes and without a terminal the answer is No.
    const RunResult no = CliAt(2, 20, {"reset"});
    EXPECT_EQ(no.status, 1);
    EXPECT_NE(no.err.find("Reset all parameters of the device to their power-on values.\n    Continue?\n    -> No"),
              std::string::npos)
        << no.err;
    EXPECT_EQ(CliAt(2, 20, {"read", "0x6081", "0"}).out, "1111\n");

    const RunResult reset = CliAt(2, 20, {"reset", "--yes"});
    EXPECT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(CliAt(2, 20, {"read", "0x6081", "0"}).out, "2222\n");

    const RunResult restore = CliAt(2, 20, {"restore", "--yes"});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_NE(restore.err.find("Restore the factory settings of the device."), std::string::npos);
    EXPECT_EQ(CliAt(2, 20, {"read", "0x6081", "0"}).out, factory);
}

TEST_F(CliBusTest, SavedSettingsChooseInterfaceNodeAndBitRate)
{
    // Without settings and without --board there is no interface.
    const RunResult none = Cli({"info"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no CAN interface chosen"), std::string::npos) << none.err;

    StartDrive("K315", 4, 125);
    const std::string conf = Path("config/Kelvane/Ovro-QVT.conf");
    fs::create_directories(Path("config/Kelvane"));
    const std::string settings =
        "[Interface]\nVendor=PEAK-System Technik\nBoard=PEAK PCAN-USB\nBaudrate=125\n\n[Settings]\nNodeId=4\n";
    WriteFile(conf, settings);
    const RunResult r = Cli({"--sdo-timeout", kPatient, "info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Connected: CAN,#4,125kBit/s,Ovro K315"), std::string::npos) << r.out;
    // The program's settings are read, never written.
    EXPECT_EQ(ReadFile(conf), settings);
}

// The shipped application file and its .sfv, copied into the test folder
// (the log goes beside it).
std::string CopyShippedFirmware(const std::string& dir)
{
    const fs::path shipped = fs::path(OVRO_CLI).parent_path() / "firmware";
    for (const char* name : {"K315_v2200.h86", "K315_v2200.sfv"})
        fs::copy_file(shipped / name, fs::path(dir) / name, fs::copy_options::overwrite_existing);
    return dir + "/K315_v2200.h86";
}

TEST_F(CliBusTest, FirmwareLoadsTheShippedFileAndTheDriveRunsIt)
{
    auto drive = std::make_unique<SimProcess>();
    ASSERT_TRUE(drive->start(dir_, {"--model", "K315", "--node-id", "5", "--bitrate", "1000", "--bus", "clibus",
                                    "--eeprom", Path("eeprom-5"), "--flash", Path("k315.flash")}))
        << drive->log();
    drives_.push_back(std::move(drive));
    const std::string app = CopyShippedFirmware(dir_);
    const RunResult r = CliAt(5, 1000, {"firmware", app});
    EXPECT_EQ(r.status, 0) << r.err;
    // the steps and the progress as lines, then the success message
    for (const char* line : {"Initialize\n", "  node #5\n", "Start First-Level-Loader\n",
                             "Load Second-Level-Loader into RAM\n", "Start Second-Level-Loader\n",
                             "Load Intel-Hex-File into FLASH\n", "Start Application/Reset Microcontroller\n",
                             "Application running!\n", "  100.0% of K315_v2200.h86 loaded, ",
                             "(10240 of 10240 bytes loaded)", "application loaded and started!"}) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    }
    EXPECT_NE(r.err.find("  " + app + "\n"), std::string::npos) << r.err;
    const std::string log = ReadFile(Path("K315_v2200.log"));
    EXPECT_EQ(log.rfind("*** Ovro-QVT Program Download (.log-File) ***\r\nVersion: 1.1\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("\r\n5. Start Application/Reset Microcontroller...OK!\r\n"), std::string::npos);
    // a line per page: 2048 bytes of loader, 8192 of application; CR LF throughout
    std::size_t pages = 0, lines = 0;
    for (std::size_t at = log.find("\r\n   Addr="); at != std::string::npos; at = log.find("\r\n   Addr=", at + 1))
        ++pages;
    for (std::size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1)) {
        ++lines;
        EXPECT_EQ(log[at - 1], '\r') << "line " << lines;
    }
    EXPECT_EQ(pages, 16u + 64u);
    EXPECT_EQ(lines, 9u + 2u + 16u + 1u + 1u + 1u + 64u + 1u + 1u) << "header with its empty line, steps, pages, files";
    EXPECT_NE(log.find("\r\n   File=" + app + ", 8192 byte(s) loaded\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("k315.flash")).substr(0, 4), "OVAP") << "the application is in the FLASH";

    const RunResult info = CliAt(5, 1000, {"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("v2.200"), std::string::npos) << "the new software version: " << info.out;
}

TEST_F(CliBusTest, FirmwareCtrlCCancelsAfterThePageWithTheCancelLine)
{
    // A drive paced at the wire time of 50 kBit/s: the application's pages
    // take seconds, time enough for Ctrl+C.
    auto drive = std::make_unique<SimProcess>();
    ASSERT_TRUE(drive->start(dir_, {"--model", "K315", "--node-id", "5", "--bitrate", "50", "--bus", "clibus",
                                    "--eeprom", Path("eeprom-5"), "--flash", Path("k315.flash"), "--realtime"}))
        << drive->log();
    SimProcess& sim = *drive;
    drives_.push_back(std::move(drive));
    const std::string app = CopyShippedFirmware(dir_);
    bool interrupted = false;
    const auto pressCtrlC = [&](pid_t pid, const RunResult& sofar) {
        if (!interrupted && sofar.err.find("Load Intel-Hex-File into FLASH\n") != std::string::npos) {
            interrupted = true;
            ::kill(pid, SIGINT);
        }
    };
    const RunResult r = RunProgram({OVRO_CLI, "--board", kBoard, "--node-id", "5", "--bitrate", "50", "--sdo-timeout",
                                    kPatient, "firmware", app, "--yes"},
                                   60000, pressCtrlC);
    ASSERT_TRUE(interrupted) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Do you really want to cancel the download?"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("-> Yes (--yes)"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("application loaded and started!"), std::string::npos) << r.err;
    const std::string log = ReadFile(Path("K315_v2200.log"));
    const std::string cancelLine = "\r\n+++ Download cancelled by user!!!\r\n";
    ASSERT_GE(log.size(), cancelLine.size());
    EXPECT_EQ(log.substr(log.size() - cancelLine.size()), cancelLine) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
    EXPECT_NE(log.find("\r\n4. Load Intel-Hex-File into FLASH:\r\n   Addr="), std::string::npos);
    EXPECT_EQ(sim.state("firmware.stage"), "2") << "the drive is not told: its second-level loader waits";
}

TEST_F(CliBusTest, FirmwareFailuresEndWithStatusOne)
{
    StartDrive("K315", 5, 1000);
    StartDrive("H315", 6, 1000);
    const std::string app = CopyShippedFirmware(dir_);
    const RunResult noLoader = CliAt(5, 1000, {"firmware", app, "--sll", Path("missing.H86")});
    EXPECT_EQ(noLoader.status, 1);
    EXPECT_NE(noLoader.err.find("Second-Level-Loader file not found."), std::string::npos) << noLoader.err;
    EXPECT_FALSE(fs::exists(Path("K315_v2200.log"))) << "nothing began";

    const RunResult h315 = CliAt(6, 1000, {"firmware", app});
    EXPECT_EQ(h315.status, 1);
    EXPECT_NE(h315.err.find("this function is only possible with the 'Ovro K315' drive!"), std::string::npos)
        << h315.err;

    const RunResult usage = Cli({"--board", kBoard, "info", "--sll", app});
    EXPECT_EQ(usage.status, 2) << "--sll belongs to firmware";
}

TEST_F(CliBusTest, BadArgumentsAreUsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"upload"},
        {"info", "extra"},
        {"--node-id", "0", "info"},
        {"--node-id", "128", "info"},
        {"--bitrate", "33", "info"},
        {"scan", "--store"},
        {"scan", "--first", "256"},
        {"configure", "--new-node-id", "9"},
        {"read", "0x6081"},
        {"--board", "No Such Board", "info"},
        {"--board", kBoard, "write", "0x6081", "0", "twelve"},
        {"--board", kBoard, "read", "0x10000", "0"},
        {"--board", kBoard, "read", "0x4321", "0"},
        {"--board", kBoard, "read", "0x4321", "0", "--type", "Float"},
    };
    for (const std::vector<std::string>& args : bad) {
        const RunResult r = Cli(args);
        std::string line;
        for (const std::string& a : args)
            line += a + " ";
        EXPECT_EQ(r.status, 2) << line << "\n" << r.err;
        EXPECT_NE(r.err.find("ovro-qvt-cli: "), std::string::npos) << line;
        EXPECT_EQ(r.out, "") << line;
    }

    const RunResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ovro-qvt-cli [OPTIONS] COMMAND", 0), 0u);
    const RunResult commandHelp = Cli({"--board", kBoard, "download", "--help"});
    EXPECT_EQ(commandHelp.status, 0);
    EXPECT_EQ(commandHelp.out.rfind("Usage: ovro-qvt-cli [OPTIONS] download FILE [--store]", 0), 0u)
        << commandHelp.out;
}

}  // namespace

TEST_F(CliBusTest, DiffSetsDriveDocumentAndDefaultSideBySide)
{
    StartDrive("K315", 5, 500);
    auto cli = [](std::vector<std::string> args) { return CliAt(5, 500, std::move(args)); };
    const std::string file = Path("drive5.31x");
    ASSERT_EQ(cli({"upload", file}).status, 0);

    // Just uploaded: drive and document agree.
    RunResult r = cli({"diff", file});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Drive and document agree.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[Motion Profile]\n  Parameter"), std::string::npos) << r.out;

    // Changed in the drive behind the document's back.
    ASSERT_EQ(cli({"write", "0x6081", "0", "2500"}).status, 0);
    r = cli({"diff", file});
    EXPECT_EQ(r.status, 1);
    const std::size_t row = r.out.find("Profile Velocity ");
    ASSERT_NE(row, std::string::npos) << r.out;
    const std::string line = r.out.substr(row, r.out.find('\n', row) - row);
    EXPECT_NE(line.find("6081/00  2500 "), std::string::npos) << line;
    EXPECT_NE(line.find(" 3000 "), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 16), "changed in drive") << line;
    EXPECT_NE(r.out.find("1 changed in drive"), std::string::npos) << r.out;

    // Not yet downloaded: the document holds a value the factory-set drive
    // never got; the document's value is changed from factory.
    ASSERT_EQ(cli({"write", "0x6081", "0", "3000"}).status, 0);
    std::string text = ReadFile(file);
    const std::size_t at = text.find("ProfileVelocity=3000\r\n");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 22, "ProfileVelocity=4000\r\n");
    WriteFile(file, text);
    r = cli({"diff", file});
    EXPECT_EQ(r.status, 1);
    const std::size_t row2 = r.out.find("Profile Velocity ");
    ASSERT_NE(row2, std::string::npos) << r.out;
    const std::string line2 = r.out.substr(row2, r.out.find('\n', row2) - row2);
    EXPECT_NE(line2.find("6081/00  3000 "), std::string::npos) << line2;
    EXPECT_NE(line2.find(" 4000 "), std::string::npos) << line2;
    EXPECT_EQ(line2.substr(line2.size() - 20), "* not yet downloaded") << line2;

    // A download brings them in step again.
    ASSERT_EQ(cli({"--yes", "download", file}).status, 0);
    EXPECT_EQ(cli({"diff", file}).status, 0);
    EXPECT_EQ(cli({"diff", Path("missing.31x")}).status, 1);
}
