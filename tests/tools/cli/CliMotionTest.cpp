// ovro-qvt-cli's motion, status, reset-fault and limits commands run as a
// child process against a simulated drive on a private virtual bus: the
// drive moves in each mode, and status shows what the windows would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <thread>

#include "ChildProcess.h"
#include "CliBusFixture.h"

namespace {

namespace fs = std::filesystem;
using ovro::test::SimProcess;


class CliMotionTest : public CliBusFixture {
protected:
    CliMotionTest() : CliBusFixture("climotion") {}

    // A drive as node 5 at 500 kbit/s; eeprom: the first lines of its store.
    void StartDrive(const std::string& model = "K315", const std::string& eeprom = {})
    {
        const std::string store = Path("drive.eeprom");
        if (!eeprom.empty()) {
            std::ofstream out(store);
            out << "# ovro-drive-sim store\n" << eeprom;
        }
        drive_ = CliBusFixture::StartDrive(model, 5, 500, store);
        ASSERT_NE(drive_, nullptr);
    }

    static RunResult Cli(std::vector<std::string> args)
    {
        std::vector<std::string> all = {OVRO_CLI, "--board", "PEAK PCAN-USB", "--node-id", "5", "--bitrate", "500",
                                        "--sdo-timeout", "1000"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all);
    }

    // The value of a "Label: value" line of a status block; nothing when absent.
    static std::optional<std::string> Field(const std::string& block, const std::string& label)
    {
        const std::string key = "\n" + label + " ";
        const std::string text = "\n" + block;
        const std::size_t at = text.find(key);
        if (at == std::string::npos)
            return std::nullopt;
        const std::size_t begin = at + key.size();
        return text.substr(begin, text.find('\n', begin) - begin);
    }

    std::string Status()
    {
        const RunResult r = Cli({"status"});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }

    SimProcess* drive_ = nullptr;
};

TEST_F(CliMotionTest, PositionModesMoveTheDriveAndStatusShowsIt)
{
    StartDrive();
    RunResult r = Cli({"motion", "position", "3000", "--velocity", "8000", "--wait"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string s = Status();
    EXPECT_EQ(Field(s, "Actual Position:"), "3000") << s;
    EXPECT_EQ(Field(s, "Device state:"), "Operation Enabled");
    EXPECT_EQ(Field(s, "Mode of Operation:"), "Profile Position Mode");
    EXPECT_EQ(Field(s, "Statusword:").value_or("").substr(1), "637h") << "target reached, remote, enabled";
    EXPECT_NE(Field(s, "Statusword lamps:").value_or("").find("Bit 10: Target reached"), std::string::npos);

    r = Cli({"motion", "position", "-500", "--relative", "--wait", "5000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Actual Position:"), "2500");

    // The drive's user profile 2: the manufacturer-specific position mode.
    r = Cli({"motion", "position", "0", "--profile", "2", "--wait"});
    ASSERT_EQ(r.status, 0) << r.err;
    s = Status();
    EXPECT_EQ(Field(s, "Actual Position:"), "0");
    EXPECT_EQ(Field(s, "Mode of Operation:"), "Manufacturer-specific Position Mode");
    EXPECT_EQ(Field(s, "Number of positioning operations:"), "3");
}

TEST_F(CliMotionTest, VelocityRunsUntilHaltAndStatusWatchRepeatsTheBlock)
{
    StartDrive();
    RunResult r = Cli({"motion", "velocity", "-2000", "--acceleration", "1000000"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Cli({"status", "--watch", "--interval", "100", "--count", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex block("Mode of Operation: Profile Velocity Mode\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), block), std::sregex_iterator()), 3)
        << r.out;
    EXPECT_NE(r.out.find("\n\nMode of Operation:"), std::string::npos) << "a blank line between blocks";
    EXPECT_EQ(Field(r.out, "Actual Velocity:"), "-2000");
    const int first = std::stoi(Field(r.out, "Actual Position:").value_or("0"));
    EXPECT_LT(first, 0) << "moving backwards";

    r = Cli({"motion", "halt"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Field(Status(), "Actual Velocity:"), "0");
}

TEST_F(CliMotionTest, HomingAssignsOrSearchesAndRefusesMethodsNotInTheList)
{
    StartDrive();
    RunResult r = Cli({"motion", "homing", "-1", "--assign", "4711", "--wait"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string s = Status();
    EXPECT_EQ(Field(s, "Actual Position:"), "4711");
    EXPECT_EQ(Field(s, "Drive referenced?"), "1 Yes");
    EXPECT_EQ(Field(s, "Mode of Operation:"), "Homing Mode");

    r = Cli({"motion", "homing", "35", "--wait"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Actual Position:"), "0") << "the actual position is home";

    r = Cli({"motion", "homing", "5"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("method 5 is not in the homing list (-1, "), std::string::npos) << r.err;
    r = Cli({"motion", "homing", "17", "--assign", "3"});
    EXPECT_EQ(r.status, 2);
}

TEST_F(CliMotionTest, JogHoldsTheButtonAndManualOffGivesTheDriveItsInputsBack)
{
    StartDrive();
    RunResult r = Cli({"motion", "jog", "+", "--for", "300"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string s = Status();
    const int forward = std::stoi(Field(s, "Actual Position:").value_or("0"));
    EXPECT_GT(forward, 100);
    EXPECT_EQ(Field(s, "Mode of Operation:"), "Simulated Manual Mode");
    EXPECT_EQ(Field(s, "Actual Velocity:"), "0") << "halted on release";

    r = Cli({"motion", "manual", "off"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Mode of Operation:"), "Manual Mode");
    // The drive's own MAN-N input, as the lamps show it.
    EXPECT_EQ(drive_->control("manual n"), "ok\n");
    s = Status();
    EXPECT_NE(Field(s, "Digital Inputs... lamps:").value_or("").find("Bit 16: Input signal MAN-N"),
              std::string::npos)
        << s;
    EXPECT_EQ(drive_->control("manual off"), "ok\n");

    r = Cli({"motion", "manual", "on"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Mode of Operation:"), "Manual Mode") << "setting the box sends nothing";
    r = Cli({"motion", "jog", "-", "--for", "100"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Mode of Operation:"), "Simulated Manual Mode");
    r = Cli({"motion", "stop"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(Status(), "Device state:"), "Switch On Disabled") << "quick stop of a standing drive";
}

TEST_F(CliMotionTest, AFaultStopsEveryStartUntilResetFault)
{
    StartDrive();
    ASSERT_EQ(drive_->control("fault 0x2310"), "ok\n");
    RunResult r = Cli({"motion", "position", "100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("ERROR: can") + kAcute +
                         "t switch the drive to state 'Operation Enabled'!\n    Node #5: the drive may be in state "
                         "'Fault'.\n");
    std::string s = Status();
    EXPECT_EQ(Field(s, "Device state:"), "Fault");
    EXPECT_EQ(Field(s, "Error code:"), "2310h Continuous motor current exceeded");
    EXPECT_EQ(Field(s, "Error List 1:"), "2310h Continuous motor current exceeded");
    EXPECT_NE(Field(s, "Statusregister... lamps:").value_or("").find("Bit 31: Malfunction/error"),
              std::string::npos);

    r = Cli({"reset-fault"});
    EXPECT_EQ(r.status, 0) << r.err;
    s = Status();
    EXPECT_EQ(Field(s, "Device state:"), "Switch On Disabled");
    EXPECT_FALSE(Field(s, "Error List 1:")) << "the history was cleared";
    r = Cli({"motion", "position", "100", "--wait"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliMotionTest, AStartThatMissesItsTargetInTimeFails)
{
    StartDrive();
    RunResult r = Cli({"motion", "position", "15000", "--velocity", "1000", "--wait", "300"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR: the drive did not reach its target within 300 ms!\n    Node #5: statusword "),
              std::string::npos)
        << r.err;
    r = Cli({"motion", "stop"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliMotionTest, StatusShowsTheLogbookAndLimitsBothWindows)
{
    // Power-on time 90061 s (0x00015FCD) in the drive's store.
    StartDrive("K315", "200E 01 CD5F0100\n");
    const std::string s = Status();
    EXPECT_TRUE(std::regex_search(s, std::regex("\nPower-on time of the drive: 9006[1-5] T#1d1h1m[1-5]s\n"))) << s;
    EXPECT_EQ(Field(s, "DC-Link Voltage:").value_or("").find('.'), 2u) << "volts with one decimal";
    const RunResult r = Cli({"limits"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "Max. Profile Velocity:"), "15000") << r.out;
    EXPECT_EQ(Field(r.out, "Position Limits:"), "-1000000 to +1000000");
    EXPECT_EQ(Field(r.out, "Position Safety Limits:"), "-2100000 to +2100000");
    EXPECT_TRUE(Field(r.out, "Motor Rated Current:"));
}

TEST_F(CliMotionTest, ModelOneHasNoVelocityMode)
{
    StartDrive("H315");
    const RunResult r = Cli({"motion", "velocity", "100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("SORRY: this function is only possible with the 'Ovro K315' drive!"), std::string::npos)
        << r.err;
}

TEST_F(CliMotionTest, WithoutADriveEveryCommandFails)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"status"}, {"motion", "stop"}}) {
        const RunResult r = Cli(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
    }
}

} // namespace
