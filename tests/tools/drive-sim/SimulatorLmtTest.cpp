// Layer management of the simulator: inquiry, selective switch, new
// node-id and bit rate, activation and the store.
#include "SimFixture.h"

#include <thread>

namespace {
class SimulatorLmt : public SimFixture {
protected:
    std::vector<std::string> args()
    {
        return {"--node-id", "5", "--bitrate", "500", "--serial", "12345678", "--eeprom", path("eeprom.txt")};
    }

    // The LMT address of the simulator above, as the switch-selective requests carry it.
    static void switchSelective(BusClient& bus)
    {
        bus.lmt({0x01, 'K', 'e', 'l', 'v', 'a', 'n', 'e'}, false);
        bus.lmt({0x02, 'O', 'v', 'K', '3', '1', '5', 0}, false);
        bus.lmt({0x03, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78}, false);
    }
};

TEST_F(SimulatorLmt, InquiryNeedsConfigurationMode)
{
    BusClient& bus = client();
    startSim(args());
    EXPECT_FALSE(bus.lmt({0x24}, true)) << "operation mode: no answer";
    bus.lmt({0x04, 0x01}, false);
    auto m = bus.lmt({0x24}, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (std::vector<uint8_t>{0x24, 'K', 'e', 'l', 'v', 'a', 'n', 'e'}));
    auto p = bus.lmt({0x25}, true);
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, (std::vector<uint8_t>{0x25, 'O', 'v', 'K', '3', '1', '5', 0}));
    auto s = bus.lmt({0x26}, true);
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, (std::vector<uint8_t>{0x26, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78}));
    bus.lmt({0x04, 0x00}, false);
    EXPECT_FALSE(bus.lmt({0x24}, true)) << "back in operation mode";
}

TEST_F(SimulatorLmt, SelectiveSwitchNeedsTheWholeAddress)
{
    BusClient& bus = client();
    startSim(args());
    bus.lmt({0x01, 'K', 'e', 'l', 'v', 'a', 'n', 'e'}, false);
    bus.lmt({0x02, 'O', 'v', 'K', '3', '1', '5', 0}, false);
    bus.lmt({0x03, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x79}, false);  // another serial
    EXPECT_FALSE(bus.lmt({0x11, 9}, true));
    switchSelective(bus);
    auto a = bus.lmt({0x11, 9}, true);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[0], 0x11);
    EXPECT_EQ((*a)[1], 0);
}

TEST_F(SimulatorLmt, RefusesBadValues)
{
    BusClient& bus = client();
    SimProcess& sim = startSim(args());
    switchSelective(bus);
    for (uint8_t bad : {0, 128, 200}) {
        auto a = bus.lmt({0x11, bad}, true);
        ASSERT_TRUE(a);
        EXPECT_EQ((*a)[1], 1) << int(bad);
    }
    auto t = bus.lmt({0x13, 1, 2}, true);
    ASSERT_TRUE(t);
    EXPECT_EQ((*t)[1], 1) << "only table 0";
    t = bus.lmt({0x13, 0, 9}, true);
    ASSERT_TRUE(t);
    EXPECT_EQ((*t)[1], 1) << "no index 9 in table 0";
    ASSERT_EQ(sim.control("refuse store"), "ok\n");
    auto s = bus.lmt({0x17}, true);
    ASSERT_TRUE(s);
    EXPECT_EQ((*s)[1], 2) << "storage media access error";
    s = bus.lmt({0x17}, true);
    ASSERT_TRUE(s);
    EXPECT_EQ((*s)[1], 0);
}

TEST_F(SimulatorLmt, NewNodeIdAndBitRateAfterActivationAndRestart)
{
    BusClient& bus = client(500000);
    SimProcess& sim = startSim(args());
    switchSelective(bus);
    auto a = bus.lmt({0x11, 9}, true);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[1], 0);
    a = bus.lmt({0x13, 0, 4}, true);  // 125 kbit/s
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[1], 0);
    a = bus.lmt({0x17}, true);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[1], 0);
    bus.lmt({0x15, 100, 0}, false);  // activate, switch delay 100 ms
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sim.state("bitrate"), "125");
    EXPECT_EQ(sim.state("node-id"), "5") << "the new node-id waits for operation mode";

    bus.setBitrate(125000);
    bus.flush();
    bus.lmt({0x04, 0x00}, false);
    auto boot = bus.waitFor(0x709, 1000);
    ASSERT_TRUE(boot) << sim.log();
    EXPECT_EQ(boot->data[0], 0);
    EXPECT_EQ(boot->bitrate, 125000u);
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(9, 0x1018, 4, v), 0);
    EXPECT_EQ(v, 12345678u);
    EXPECT_EQ(bus.uploadU32(9, 0x1200, 1, v), 0);
    EXPECT_EQ(v, 0x609u);
    EXPECT_EQ(bus.uploadU32(9, 0x1014, 0, v), 0);
    EXPECT_EQ(v, 0x89u);
    EXPECT_EQ(bus.uploadU32(5, 0x1018, 4, v), BusClient::kTimeout);
    sim.stop();

    // The stored configuration wins over the command line at the next start.
    bus.flush();
    startSim(args());
    boot = bus.waitFor(0x709, 1000);
    ASSERT_TRUE(boot);
    EXPECT_EQ(bus.uploadU32(9, 0x1018, 4, v), 0);
}

TEST_F(SimulatorLmt, UnconfiguredNodeGetsItsFirstNodeId)
{
    BusClient& bus = client();
    startSim({"--bitrate", "500", "--serial", "12345678"});
    bus.lmt({0x04, 0x01}, false);
    auto a = bus.lmt({0x11, 42}, true);
    ASSERT_TRUE(a);
    EXPECT_EQ((*a)[1], 0);
    bus.flush();
    bus.lmt({0x04, 0x00}, false);
    ASSERT_TRUE(bus.waitFor(0x700 + 42, 1000));
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(42, 0x1000, 0, v), 0);
}
}  // namespace
