// The command line of "record" and "export".
#include "CliOptions.h"
#include "ParseArguments.h"
#include "RecordOptions.h"

#include <gtest/gtest.h>

namespace {

using RS = RecordingSettings;

TEST(RecordOptions, AFullCommandLineInChannelOrder)
{
    CliOptions cli;
    std::string error;
    ASSERT_TRUE(clitest::ParseArguments({"--node-id", "5", "record", "--signals", "current,position", "--time-base", "2.5s",
                          "--trigger", "current", "--slope", "in-window", "--min", "-10", "--max=0x20",
                          "--delay", "100", "--samples", "500", "--output", "a.csv", "--bitrate", "500",
                          "--document", "d.31x", "--move-to", "-3000", "--move-velocity", "4000"},
                         cli, error))
        << error;
    EXPECT_EQ(cli.command, "record");
    EXPECT_EQ(cli.nodeId, 5);
    EXPECT_EQ(cli.baudRate, 2) << "global options anywhere";
    RecordOptions o;
    ASSERT_TRUE(CRecordOptions::Parse(cli.arguments, o, error)) << error;
    EXPECT_EQ(o.channels, (std::vector<int>{RS::kCurrent, RS::kPosition}));
    EXPECT_EQ(o.timeBase, 14);
    EXPECT_EQ(o.trigger, RS::kCurrent);
    EXPECT_EQ(o.slope, RS::kInWindow);
    EXPECT_EQ(o.minimum, "-10");
    EXPECT_EQ(o.maximum, "0x20");
    EXPECT_EQ(o.delay, "100");
    EXPECT_EQ(o.samples, 500u);
    EXPECT_FALSE(o.durationMs);
    EXPECT_EQ(o.output, "a.csv");
    EXPECT_EQ(o.document, "d.31x");
    EXPECT_EQ(o.moveTo, -3000);
    EXPECT_EQ(o.moveVelocity, 4000u);

    RecordingSettings settings;
    CRecordOptions::Apply(o, settings);
    EXPECT_EQ(settings.signalDefs[RS::kPosition].channel, 1);
    EXPECT_EQ(settings.slope, RS::kInWindow);
    EXPECT_EQ(settings.maximum, "0x20");
}

struct BadCase {
    const char* name;
    std::vector<std::string> args;
    const char* error;
};

class RecordOptionsBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(RecordOptionsBad, GiveAOneLineError)
{
    RecordOptions o;
    std::string error;
    EXPECT_FALSE(CRecordOptions::Parse(GetParam().args, o, error));
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

const std::vector<std::string> kBase = {"--signals", "position", "--time-base", "10ms", "--duration", "100",
                                        "--output", "x.txt"};

std::vector<std::string> With(std::vector<std::string> more)
{
    std::vector<std::string> args = kBase;
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordOptionsBad,
    ::testing::Values(
        BadCase{"unknown_signal", {"--signals", "position,torque"}, "'torque' is not position"},
        BadCase{"trigger_only_signal_as_channel", {"--signals", "inputs"}, "'inputs' is not position"},
        BadCase{"twice", {"--signals", "velocity,velocity"}, "listed twice"},
        BadCase{"no_time_base_text", With({"--time-base", "3ms"}), "'3ms' is not a time base"},
        BadCase{"missing_output", {"--signals", "position", "--time-base", "1ms", "--samples", "5"},
                "needs --signals, --time-base and --output"},
        BadCase{"missing_length", {"--signals", "position", "--time-base", "1ms", "--output", "x"},
                "needs --duration or --samples"},
        BadCase{"trigger_without_slope", With({"--trigger", "position"}), "--trigger and --slope go together"},
        BadCase{"trigger_not_recorded", With({"--trigger", "velocity", "--slope", "rising"}),
                "not among --signals"},
        BadCase{"level_with_window", With({"--trigger", "position", "--slope", "in-window", "--level", "4"}),
                "do not fit --slope"},
        BadCase{"bad_kind", With({"--trigger", "statusword", "--slope", "xor"}), "'xor' is not rising"},
        BadCase{"zero_samples", With({"--samples", "0"}), "not a number above 0"},
        BadCase{"missing_value", With({"--delay"}), "needs a value"},
        BadCase{"positional", With({"extra"}), "takes no argument 'extra'"},
        BadCase{"velocity_without_move", With({"--move-velocity", "5"}), "needs --move-to"}),
    [](const auto& info) { return info.param.name; });

TEST(RecordOptions, ExportTakesTwoArguments)
{
    CliOptions cli;
    std::string error;
    EXPECT_TRUE(clitest::ParseArguments({"export", "a.31x", "b.csv"}, cli, error)) << error;
    EXPECT_FALSE(clitest::ParseArguments({"export", "a.31x"}, cli, error));
    EXPECT_NE(error.find("takes 2 arguments"), std::string::npos) << error;
    EXPECT_FALSE(clitest::ParseArguments({"export", "a.31x", "b", "--signals", "x"}, cli, error));
    EXPECT_NE(error.find("unknown option '--signals'"), std::string::npos) << error;
}

TEST(RecordOptions, NamesOfSignalsAndKinds)
{
    EXPECT_EQ(CRecordOptions::SignalOfName("demanded-velocity"), RS::kDemandedVelocity);
    EXPECT_EQ(CRecordOptions::SignalOfName("inputs"), RS::kDigitalInputs);
    EXPECT_EQ(CRecordOptions::SignalOfName("statusword"), RS::kStatusword);
    EXPECT_EQ(CRecordOptions::SignalOfName("Position"), -1);
    EXPECT_EQ(CRecordOptions::KindOfName("out-window"), RS::kOutWindow);
    EXPECT_EQ(CRecordOptions::KindOfName("or"), RS::kBinaryOr);
    EXPECT_EQ(CRecordOptions::KindOfName("none"), -1);
}

}  // namespace
