// "record" and "export" of ovro-qvt-cli run as child processes against a
// simulated drive on a private virtual bus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "ChildProcess.h"
#include "SimProcess.h"
#include "FileText.h"

using ovro::test::ReadFile;

namespace {

namespace fs = std::filesystem;
using ovro::test::SimProcess;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class CliRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ovro-cli-record-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ + "/config");
        ::setenv("OVRO_CANBUS_DIR", dir_.c_str(), 1);
        ::setenv("OVRO_CAN_CHANNEL", "virtual:clirec", 1);
        ::setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
        drive_ = std::make_unique<SimProcess>();
        ASSERT_TRUE(drive_->start(dir_, {"--model", "K315", "--node-id", "5", "--bitrate", "1000", "--bus", "clirec",
                                         "--eeprom", dir_ + "/eeprom"}))
            << drive_->log();
    }

    void TearDown() override
    {
        drive_.reset();
        ::unsetenv("OVRO_CANBUS_DIR");
        ::unsetenv("OVRO_CAN_CHANNEL");
        ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static RunResult Cli(std::vector<std::string> args)
    {
        std::vector<std::string> all = {OVRO_CLI, "--board", "PEAK PCAN-USB", "--node-id", "5", "--bitrate",
                                        "1000", "--sdo-timeout", "1000"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all);
    }

    std::string dir_;
    std::unique_ptr<SimProcess> drive_;
};

TEST_F(CliRecordTest, RecordsAMovementWithATriggerAndExportsItAgain)
{
    const RunResult r = Cli({"record", "--signals", "position,velocity", "--time-base", "5ms", "--trigger",
                             "position", "--slope", "rising", "--level", "100", "--delay", "25", "--samples", "120",
                             "--move-to", "20000", "--output", Path("move.csv"), "--document", Path("move.31x")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" samples (5 before the trigger), 5 ms apart, written to " + Path("move.csv")),
              std::string::npos)
        << r.out;
    const std::vector<std::string> csv = Lines(ReadFile(Path("move.csv")));
    ASSERT_GE(csv.size(), 121u);
    EXPECT_EQ(csv[0], "\"Time [ms]\";\"Actual Position [inc]\";\"Actual Velocity [inc/s]\"");
    EXPECT_EQ(csv[1].substr(0, 6), "\"-25\";");
    EXPECT_EQ(csv[6].substr(0, 5), "\"+0\";");
    const long atTrigger = std::stol(csv[6].substr(csv[6].find(";\"") + 2));
    const long before = std::stol(csv[5].substr(csv[5].find(";\"") + 2));
    EXPECT_GE(atTrigger, 100);
    EXPECT_LT(before, 100);

    // The document carries the parameters and the recording.
    const std::string doc = ReadFile(Path("move.31x"));
    EXPECT_NE(doc.find("Type=Ovro K315\r\n"), std::string::npos);
    EXPECT_NE(doc.find("Recording=1\r\n"), std::string::npos);
    EXPECT_NE(doc.find("[Recording]\r\nSignals=2\r\nSignal1=0\r\nSignal2=1\r\n"), std::string::npos);
    EXPECT_NE(doc.find("PlotTrigger=5\r\n\r\n[PlotData]\r\n"), std::string::npos);
    EXPECT_EQ(drive_->state("nmt"), "pre-operational") << "reset communication after the recording";

    const RunResult e = Cli({"export", Path("move.31x"), Path("again.txt")});
    ASSERT_EQ(e.status, 0) << e.err;
    const std::vector<std::string> text = Lines(ReadFile(Path("again.txt")));
    ASSERT_EQ(text.size(), csv.size());
    EXPECT_EQ(text[0], "Time [ms]\tActual Position [inc]\tActual Velocity [inc/s]");
    EXPECT_EQ(text[6].substr(0, 3), "+0\t");
    // The same numbers in both forms.
    std::string quoted = text[40];
    for (char& c : quoted)
        if (c == '\t')
            c = ';';
    std::string unquoted = csv[40];
    unquoted.erase(std::remove(unquoted.begin(), unquoted.end(), '"'), unquoted.end());
    EXPECT_EQ(quoted, unquoted);
}

TEST_F(CliRecordTest, TheTabsChecksAndStartFailuresEndTheCommand)
{
    const RunResult level = Cli({"record", "--signals", "position", "--time-base", "5ms", "--trigger", "position",
                                 "--slope", "rising", "--level", "ten", "--samples", "10", "--output", Path("x.txt")});
    EXPECT_EQ(level.status, 1);
    EXPECT_NE(level.err.find("Illegal value for slope level entered!"), std::string::npos) << level.err;

    const RunResult delay = Cli({"record", "--signals", "position", "--time-base", "5ms", "--trigger", "statusword",
                                 "--slope", "and", "--mask", "0x0400", "--value", "0x0400", "--delay", "10001",
                                 "--samples", "10", "--output", Path("x.txt")});
    EXPECT_EQ(delay.status, 1);
    EXPECT_NE(delay.err.find("ERROR"), std::string::npos) << delay.err;
    EXPECT_FALSE(fs::exists(Path("x.txt")));

    const RunResult usage = Cli({"record", "--signals", "position", "--time-base", "5ms", "--output", Path("x")});
    EXPECT_EQ(usage.status, 2);

    const RunResult none = Cli({"export", Path("missing.31x"), Path("y.csv")});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("while reading file"), std::string::npos) << none.err;

    // At 125 kBit/s three PDO groups cannot come every millisecond.
    drive_ = std::make_unique<SimProcess>();
    ASSERT_TRUE(drive_->start(dir_, {"--model", "K315", "--node-id", "5", "--bitrate", "125", "--bus", "clirec",
                                     "--eeprom", dir_ + "/eeprom"}));
    const RunResult slow = Cli({"record", "--signals", "position,velocity,demanded-velocity", "--time-base", "1ms",
                                "--samples", "10", "--output", Path("x.txt"), "--bitrate", "125"});
    EXPECT_EQ(slow.status, 1);
    EXPECT_NE(slow.err.find("Illegal value for time base entered!"), std::string::npos) << slow.err;
    EXPECT_FALSE(fs::exists(Path("x.txt")));
}

}  // namespace
