// The Linux channel of the PCAN-Light board types: where it comes from,
// what is offered, and what the user is told to run.
#include "shell/LinuxChannel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

namespace {

struct FakeMachine {
    std::map<std::string, std::string> env;
    std::vector<std::string> interfaces{"can0", "vcan0"};
    std::vector<std::string> buses{"demo"};
    std::map<std::string, std::pair<std::uint32_t, bool>> state{{"can0", {250000, true}}, {"vcan0", {0, true}}};

    CLinuxChannel::Machine Machine()
    {
        CLinuxChannel::Machine m;
        m.getenv = [this](const char* name) -> std::optional<std::string> {
            auto it = env.find(name);
            return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        m.setenv = [this](const char* name, const std::string& value) { env[name] = value; };
        m.socketCanInterfaces = [this] { return interfaces; };
        m.virtualBuses = [this] { return buses; };
        m.bitrate = [this](const std::string& name, std::uint32_t& rate) {
            auto it = state.find(name);
            if (it == state.end())
                return -ENODEV;
            rate = it->second.first;
            return 0;
        };
        m.isUp = [this](const std::string& name) {
            auto it = state.find(name);
            return it == state.end() ? -ENODEV : (it->second.second ? 1 : 0);
        };
        return m;
    }
};

constexpr std::uint32_t kUsb = 0x00010000;
constexpr std::uint32_t kPci2 = 0x0002000A;

TEST(LinuxChannel, TheUsersVariableWinsThenTheSettingsThenTheDefault)
{
    FakeMachine machine;
    CLinuxChannel fromDefault(machine.Machine());
    EXPECT_EQ(fromDefault.InEffect(kUsb, "").channel, "socketcan:can0");
    EXPECT_EQ(fromDefault.InEffect(kUsb, "").source, CLinuxChannel::Source::Default);
    EXPECT_EQ(fromDefault.InEffect(kPci2, "").channel, "socketcan:can1");
    EXPECT_EQ(fromDefault.InEffect(kUsb, "virtual:demo").source, CLinuxChannel::Source::Settings);
    EXPECT_EQ(fromDefault.InEffect(kUsb, "nonsense").source, CLinuxChannel::Source::Default);

    // Applying the stored channel sets the library's variable for this process...
    EXPECT_TRUE(fromDefault.Apply(kUsb, "virtual:demo"));
    EXPECT_EQ(machine.env["OVRO_CAN_CHANNEL"], "virtual:demo");
    // ...and a later choice replaces it, since the user set none.
    EXPECT_TRUE(fromDefault.Apply(kUsb, "socketcan:vcan0"));
    EXPECT_EQ(machine.env["OVRO_CAN_CHANNEL"], "socketcan:vcan0");
    EXPECT_TRUE(fromDefault.Apply(kPci2, "socketcan:can0"));
    EXPECT_EQ(machine.env["OVRO_CAN_CHANNEL2"], "socketcan:can0");

    FakeMachine user;
    user.env["OVRO_CAN_CHANNEL"] = "virtual:mine";
    CLinuxChannel fromUser(user.Machine());
    const CLinuxChannel::Choice c = fromUser.InEffect(kUsb, "socketcan:can0");
    EXPECT_EQ(c.channel, "virtual:mine");
    EXPECT_EQ(c.source, CLinuxChannel::Source::Environment);
    EXPECT_FALSE(fromUser.Apply(kUsb, "socketcan:can0"));
    EXPECT_EQ(user.env["OVRO_CAN_CHANNEL"], "virtual:mine");
    // The second channel's variable is its own.
    EXPECT_EQ(fromUser.InEffect(kPci2, "").source, CLinuxChannel::Source::Default);
}

TEST(LinuxChannel, OffersTheMachinesInterfacesAndBuses)
{
    FakeMachine machine;
    CLinuxChannel channel(machine.Machine());
    EXPECT_EQ(channel.Offers(kUsb), (std::vector<std::string>{"socketcan:can0", "socketcan:vcan0", "virtual:demo"}));
    // The second channel's default is offered even when the machine lacks it.
    EXPECT_EQ(channel.Offers(kPci2).back(), "socketcan:can1");
}

struct CheckRow {
    const char* name;
    const char* channel;
    std::uint32_t rate;
    bool up;
    const char* advice;  // "" or a part of it
};

class LinuxChannelCheck : public ::testing::TestWithParam<CheckRow> {};

TEST_P(LinuxChannelCheck, SaysWhatToRun)
{
    const CheckRow& row = GetParam();
    FakeMachine machine;
    machine.state["can0"] = {row.rate, row.up};
    CLinuxChannel channel(machine.Machine());
    const std::string advice = channel.Check(row.channel, 500000);
    if (*row.advice == '\0')
        EXPECT_EQ(advice, "");
    else
        EXPECT_NE(advice.find(row.advice), std::string::npos) << advice;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LinuxChannelCheck,
    ::testing::Values(
        CheckRow{"AtTheRate", "socketcan:can0", 500000, true, ""},
        CheckRow{"OtherRate", "socketcan:can0", 250000, true,
                 "'can0' runs at 250000 bit/s. Unless the program may change it, run as root:\n"
                 "    ip link set can0 down\n    ip link set can0 up type can bitrate 500000"},
        CheckRow{"Down", "socketcan:can0", 500000, false, "ip link set can0 up type can bitrate 500000"},
        CheckRow{"Missing", "socketcan:can7", 500000, true, "no SocketCAN interface 'can7'"},
        CheckRow{"VirtualBus", "virtual:demo", 0, false, ""}),
    [](const ::testing::TestParamInfo<CheckRow>& info) { return info.param.name; });

TEST(LinuxChannel, DescribesChannelSourceAndBitRateState)
{
    FakeMachine machine;
    CLinuxChannel channel(machine.Machine());
    EXPECT_EQ(channel.Describe(kUsb, "socketcan:can0", 500000),
              "Channel: socketcan:can0 (from the settings)\nBit rate: 250000 bit/s, the connection wants 500000");
    EXPECT_EQ(channel.Describe(kUsb, "", 250000),
              "Channel: socketcan:can0 (the default)\nBit rate: 250000 bit/s, as the connection wants");
    EXPECT_EQ(channel.Describe(kUsb, "socketcan:vcan0", 250000),
              "Channel: socketcan:vcan0 (from the settings)\nBit rate: the interface has no bit timing (vcan)");
    EXPECT_EQ(channel.Describe(kUsb, "virtual:demo", 20000),
              "Channel: virtual:demo (from the settings)\nBit rate: 20000 bit/s on the virtual bus");
    EXPECT_EQ(CLinuxChannel::BitrateOfCode(7), 20000u);
    EXPECT_EQ(CLinuxChannel::BitrateOfCode(9), 0u);
}

}  // namespace
