#include "CommandLine.h"
#include "DumpLine.h"
#include "FrameSyntax.h"

#include <gtest/gtest.h>

namespace {

canbus_frame parsed(const std::string& text)
{
    canbus_frame frame{};
    std::string error;
    EXPECT_TRUE(FrameSyntax::parse(text, frame, error)) << text << ": " << error;
    return frame;
}

TEST(FrameSyntax, DataFramesStandardAndExtended)
{
    canbus_frame f = parsed("123#DEADBEEF");
    EXPECT_EQ(f.id, 0x123u);
    EXPECT_EQ(f.len, 4);
    EXPECT_EQ(f.data[0], 0xDE);
    EXPECT_EQ(f.data[3], 0xEF);

    f = parsed("7ff#11.22.33.44.55.66.77.88");
    EXPECT_EQ(f.id, 0x7FFu);
    EXPECT_EQ(f.len, 8);
    EXPECT_EQ(f.data[7], 0x88);

    f = parsed("12345678#aa");
    EXPECT_EQ(f.id, CANBUS_EFF_FLAG | 0x12345678u);
    EXPECT_EQ(f.len, 1);
    EXPECT_EQ(f.data[0], 0xAA);

    f = parsed("080#");
    EXPECT_EQ(f.id, 0x080u);
    EXPECT_EQ(f.len, 0);
}

TEST(FrameSyntax, RemoteRequestsWithAndWithoutLength)
{
    canbus_frame f = parsed("123#R");
    EXPECT_EQ(f.id, CANBUS_RTR_FLAG | 0x123u);
    EXPECT_EQ(f.len, 0);
    f = parsed("181#R4");
    EXPECT_EQ(f.id, CANBUS_RTR_FLAG | 0x181u);
    EXPECT_EQ(f.len, 4);
    f = parsed("00000181#r8");
    EXPECT_EQ(f.id, CANBUS_RTR_FLAG | CANBUS_EFF_FLAG | 0x181u);
    EXPECT_EQ(f.len, 8);
}

TEST(FrameSyntax, ErrorStateWordsBuildSocketCanErrorFrames)
{
    canbus_frame f = parsed("busoff");
    EXPECT_EQ(f.id, CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF);
    EXPECT_EQ(f.len, 8);
    f = parsed("error-passive");
    EXPECT_EQ(f.id, CANBUS_ERR_FLAG | CANBUS_ERR_CRTL);
    EXPECT_EQ(f.data[1], CANBUS_ERR_CRTL_RX_PASSIVE | CANBUS_ERR_CRTL_TX_PASSIVE);
    f = parsed("error-warning");
    EXPECT_EQ(f.data[1], CANBUS_ERR_CRTL_RX_WARNING | CANBUS_ERR_CRTL_TX_WARNING);
    f = parsed("error-active");
    EXPECT_EQ(f.data[1], CANBUS_ERR_CRTL_ACTIVE);
    f = parsed("20000100#0000000000000000");
    EXPECT_EQ(f.id, CANBUS_ERR_FLAG | CANBUS_ERR_RESTARTED);
}

TEST(FrameSyntax, BadFramesFailWithAMessage)
{
    const char* bad[] = {"",          "123",        "12#11",      "1234#11",     "800#11",
                         "xyz#11",    "123#1",      "123#1G",     "123#112233445566778899",
                         "123#R9",    "123#R44",    "123#.11",    "123#11..22",  "123#1.122",
                         "123#11.",   "4FFFFFFF#",  "E0000000#",  "20000040#R",  "bus-off",
                         "123#11 22", "1x3#11"};
    for (const char* text : bad) {
        canbus_frame frame{};
        frame.id = 0x5A5;
        std::string error;
        EXPECT_FALSE(FrameSyntax::parse(text, frame, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(frame.id, 0x5A5u) << text;  // untouched
    }
}

TEST(DumpLine, LaysOutDataRemoteAndErrorFrames)
{
    canbus_frame f{};
    f.id = 0x605;
    f.len = 8;
    f.data[0] = 0x40;
    f.data[2] = 0x10;
    EXPECT_EQ(DumpLine::format(1701234567, 123456, "vbus", f),
              " (1701234567.123456)  vbus  605   [8]  40 00 10 00 00 00 00 00");
    f.id = CANBUS_RTR_FLAG | 0x181;
    f.len = 4;
    EXPECT_EQ(DumpLine::format(1, 5, "b", f), " (1.000005)  b  181   [4]  remote request");
    f = canbus_frame{};
    f.id = CANBUS_EFF_FLAG | 0xABCDE;
    f.len = 1;
    f.data[0] = 0xFF;
    EXPECT_EQ(DumpLine::format(2, 0, "b", f), " (2.000000)  b  000ABCDE   [1]  FF");
    f = canbus_frame{};
    f.id = CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF;
    f.len = 8;
    EXPECT_EQ(DumpLine::format(3, 0, "b", f),
              " (3.000000)  b  20000040   [8]  00 00 00 00 00 00 00 00   ERRORFRAME");
    f = canbus_frame{};
    f.id = 0x80;
    EXPECT_EQ(DumpLine::format(4, 0, "b", f), " (4.000000)  b  080   [0]");
}

TEST(CommandLine, CommandsBusesAndBitRates)
{
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(cmd.parse({"dump"}, error));
    EXPECT_EQ(cmd.command, CommandLine::Command::Dump);
    EXPECT_EQ(cmd.bus, "default");

    cmd = CommandLine();
    ASSERT_TRUE(cmd.parse({"send", "vbus", "123#11", "--bitrate", "250k"}, error));
    EXPECT_EQ(cmd.command, CommandLine::Command::Send);
    EXPECT_EQ(cmd.bus, "vbus");
    EXPECT_EQ(cmd.frame, "123#11");
    EXPECT_EQ(cmd.bitrate, 250000u);

    cmd = CommandLine();
    ASSERT_TRUE(cmd.parse({"--bitrate=125000", "send", "busoff"}, error));
    EXPECT_EQ(cmd.bus, "default");
    EXPECT_EQ(cmd.frame, "busoff");
    EXPECT_EQ(cmd.bitrate, 125000u);

    cmd = CommandLine();
    ASSERT_TRUE(cmd.parse({"dump", "--help"}, error));
    EXPECT_EQ(cmd.command, CommandLine::Command::Help);
}

TEST(CommandLine, SendManyFramesFloodedWithSteppedIds)
{
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(cmd.parse({"send", "b", "123#11"}, error));
    EXPECT_EQ(cmd.send.count, 1u);
    EXPECT_FALSE(cmd.send.flood);
    EXPECT_FALSE(cmd.send.stepIds);

    cmd = CommandLine();
    ASSERT_TRUE(cmd.parse({"--bitrate", "1M", "send", "b", "123#11", "--count", "0", "--flood", "--ids", "100-17F"},
                          error))
        << error;
    EXPECT_EQ(cmd.send.count, 0u);
    EXPECT_TRUE(cmd.send.flood);
    EXPECT_EQ(cmd.send.bitrate, 1000000u);
    EXPECT_TRUE(cmd.send.stepIds);
    EXPECT_EQ(cmd.send.firstId, 0x100u);
    EXPECT_EQ(cmd.send.lastId, 0x17Fu);
}

TEST(FloodSender, FrameBitsOnTheWireWithoutStuffing)
{
    struct Row {
        const char* frame;
        std::uint32_t bits;
    };
    const Row rows[] = {
        {"123#", 47}, {"123#11", 55}, {"123#1122334455667788", 111}, {"12345678#1122334455667788", 131},
        {"123#R8", 47},
    };
    for (const Row& row : rows) {
        canbus_frame frame;
        std::string error;
        ASSERT_TRUE(FrameSyntax::parse(row.frame, frame, error)) << row.frame;
        EXPECT_EQ(FloodSender::frameBits(frame), row.bits) << row.frame;
    }
}

TEST(CommandLine, RefusesWhatMakesNoSense)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"listen"},
        {"dump", "a", "b"},
        {"send"},
        {"send", "a", "b", "c"},
        {"dump", "--bitrate"},
        {"dump", "--bitrate", "fast"},
        {"dump", "--bitrate", "5000000000"},
        {"dump", "--bitrate", "9999999k"},
        {"dump", "--verbose"},
        {"dump", "../x"},
        {"dump", "--count", "3"},
        {"send", "b", "123#11", "--count", "-1"},
        {"send", "b", "123#11", "--count", "many"},
        {"send", "b", "123#11", "--flood"},  // no bit rate to pace at
        {"send", "b", "123#11", "--ids", "zz"},
        {"play", "log", "--flood"},
    };
    for (const auto& args : bad) {
        CommandLine cmd;
        std::string error;
        EXPECT_FALSE(cmd.parse(args, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
