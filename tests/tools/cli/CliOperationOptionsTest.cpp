// The command line of ovro-qvt-cli's operation commands: each mode with its
// arguments and options, optional values, and what is refused.
#include <gtest/gtest.h>

#include "CliOptions.h"
#include "ParseArguments.h"

namespace {

using Motion = OperationOptions::Motion;

TEST(CliOperationOptions, PositionTakesItsOptionsAndAnOptionalWait)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(clitest::ParseArguments({"--node-id", "5", "motion", "position", "-2500", "--relative", "--velocity", "8000",
                       "--acceleration=90000", "--deceleration", "80000", "--max-current", "700", "--wait", "--bitrate",
                       "125"},
                      o, error))
        << error;
    const OperationOptions& p = o.operation;
    EXPECT_EQ(p.motion, Motion::Position);
    EXPECT_EQ(p.target, -2500);
    EXPECT_TRUE(p.relative);
    EXPECT_EQ(p.velocity, 8000u);
    EXPECT_EQ(p.acceleration, 90000u);
    EXPECT_EQ(p.deceleration, 80000u);
    EXPECT_EQ(p.maxCurrent, 700u);
    EXPECT_EQ(p.waitMs, 10000u) << "--wait without MS: the default";
    EXPECT_FALSE(p.profile);
    EXPECT_EQ(o.nodeId, 5);
    EXPECT_EQ(o.baudRate, 4) << "a global option after --wait is no wait time";

    ASSERT_TRUE(clitest::ParseArguments({"motion", "position", "100", "--profile", "3", "--wait", "2500"}, o, error)) << error;
    EXPECT_EQ(o.operation.profile, 3);
    EXPECT_EQ(o.operation.waitMs, 2500u);
    EXPECT_FALSE(o.operation.relative);
    EXPECT_FALSE(o.operation.velocity) << "not given: the page's value";
}

TEST(CliOperationOptions, EveryModeHasItsArguments)
{
    const struct {
        std::vector<std::string> args;
        Motion motion;
    } rows[] = {
        {{"motion", "velocity", "-3000", "--max-current", "500"}, Motion::Velocity},
        {{"motion", "homing", "-1", "--assign", "4711"}, Motion::Homing},
        {{"motion", "homing", "35", "--wait", "3000"}, Motion::Homing},
        {{"motion", "jog", "-", "--for", "250"}, Motion::Jog},
        {{"motion", "jog", "+"}, Motion::Jog},
        {{"motion", "manual", "off"}, Motion::Manual},
        {{"motion", "stop"}, Motion::Stop},
        {{"motion", "halt"}, Motion::Halt},
    };
    for (const auto& row : rows) {
        CliOptions o;
        std::string error;
        ASSERT_TRUE(clitest::ParseArguments(row.args, o, error)) << row.args[1] << ": " << error;
        EXPECT_EQ(o.operation.motion, row.motion) << row.args[1];
    }
    CliOptions o;
    std::string error;
    ASSERT_TRUE(clitest::ParseArguments({"motion", "homing", "-1", "--assign", "-7"}, o, error));
    EXPECT_EQ(o.operation.method, -1);
    EXPECT_EQ(o.operation.assign, -7);
    ASSERT_TRUE(clitest::ParseArguments({"motion", "jog", "-", "--for", "250"}, o, error));
    EXPECT_TRUE(o.operation.jogNegative);
    EXPECT_EQ(o.operation.jogMs, 250u);
    ASSERT_TRUE(clitest::ParseArguments({"motion", "manual", "off"}, o, error));
    EXPECT_FALSE(o.operation.manualOn);
    ASSERT_TRUE(clitest::ParseArguments({"status", "--watch", "--interval", "200", "--count", "3"}, o, error));
    EXPECT_TRUE(o.operation.watch);
    EXPECT_EQ(o.operation.intervalMs, 200u);
    EXPECT_EQ(o.operation.count, 3u);
    ASSERT_TRUE(clitest::ParseArguments({"status"}, o, error));
    EXPECT_FALSE(o.operation.watch);
    EXPECT_FALSE(o.operation.count);
    EXPECT_TRUE(clitest::ParseArguments({"reset-fault"}, o, error)) << error;
    EXPECT_TRUE(clitest::ParseArguments({"limits"}, o, error)) << error;
}

TEST(CliOperationOptions, BadOperationCommandLinesAreRefusedWithAReason)
{
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } rows[] = {
        {{"motion"}, "needs a mode"},
        {{"motion", "fly"}, "unknown motion mode 'fly'"},
        {{"motion", "position"}, "usage: motion position TARGET"},
        {{"motion", "position", "1.5"}, "is not a target position"},
        {{"motion", "position", "2147483648"}, "is not a target position"},
        {{"motion", "position", "1", "--profile", "11"}, "is not a user profile 1...10"},
        {{"motion", "position", "1", "--profile", "2", "--velocity", "100"}, "do not go with it"},
        {{"motion", "position", "1", "--max-current", "70000"}, "is not a current"},
        {{"motion", "position", "1", "--assign", "5"}, "does not belong to 'motion position'"},
        {{"motion", "position", "1", "--wait", "0"}, "is not a time"},
        {{"motion", "velocity", "100", "--relative"}, "does not belong to 'motion velocity'"},
        {{"motion", "homing", "200"}, "is not a homing method"},
        {{"motion", "jog", "left"}, "the direction is + or -"},
        {{"motion", "manual", "maybe"}, "on or off"},
        {{"motion", "stop", "now"}, "usage: motion stop"},
        {{"status", "--count", "0"}, "is not a number of blocks"},
        {{"status", "extra"}, "usage: status"},
        {{"limits", "--watch"}, "unknown option '--watch'"},
        {{"--relative", "motion", "position", "1"}, "unknown option '--relative'"},
        {{"motion", "position", "1", "--velocity"}, "needs a value"},
    };
    for (const auto& row : rows) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(clitest::ParseArguments(row.args, o, error)) << row.args[0];
        EXPECT_NE(error.find(row.reason), std::string::npos) << "'" << error << "' for " << row.reason;
    }
}

TEST(CliOperationOptions, HelpListsTheOperationCommands)
{
    const std::string usage = CCliOptions::Usage();
    for (const char* command : {"motion MODE", "reset-fault", "status [--watch]", "limits"})
        EXPECT_NE(usage.find(command), std::string::npos) << command;
    const std::string motion = CCliOptions::CommandUsage("motion");
    EXPECT_NE(motion.find("motion homing METHOD [--assign POSITION] [--wait [MS]]"), std::string::npos) << motion;
    EXPECT_NE(motion.find("target reached"), std::string::npos);
}

} // namespace
