// The bridge between a virtual bus and a SocketCAN interface, whose socket
// is one end of a socketpair carrying can_frame records: the test plays
// the interface's side (candump, cansend, a real drive).
#include "Bridge.h"
#include "FakeSocketCan.h"
#include "InterfaceSetup.h"
#include "PrivateBus.h"
#include "SimProcess.h"

#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <linux/can/error.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

using ovro::test::FakeSocketCan;

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("canbus-bridge"));
        can_.add("can0", {500000});
        int err = 0;
        bridgeSide_ = canbus_open("demo", 500000, &err);
        ASSERT_NE(bridgeSide_, nullptr) << std::strerror(err);
        listener_ = canbus_open("demo", 500000, &err);
        ASSERT_NE(listener_, nullptr) << std::strerror(err);
        fd_ = socketcan_open("can0", CAN_ERR_MASK);
        ASSERT_GE(fd_, 0);
        interface_ = can_.peer("can0");
        bridge_ = std::make_unique<Bridge>(bridgeSide_, fd_);
        runner_ = std::thread([this] { ok_ = bridge_->run(stop_, error_); });
    }

    void TearDown() override
    {
        stop_ = 1;
        if (runner_.joinable())
            runner_.join();
        if (fd_ >= 0)
            close(fd_);
        canbus_close(listener_);
        canbus_close(bridgeSide_);
        bus_.remove();
    }

    ovro::test::PrivateBus bus_;
    FakeSocketCan can_;
    canbus_endpoint* bridgeSide_ = nullptr;
    canbus_endpoint* listener_ = nullptr;
    int fd_ = -1;
    int interface_ = -1;
    std::unique_ptr<Bridge> bridge_;
    std::thread runner_;
    volatile std::sig_atomic_t stop_ = 0;
    bool ok_ = true;
    std::string error_;
};

TEST_F(BridgeTest, FramesGoBothWaysWithTheirIdentifierKinds)
{
    // From the interface to the virtual bus: standard, extended, remote.
    ASSERT_TRUE(FakeSocketCan::writeFrame(interface_, FakeSocketCan::frame(0x585, {0x43, 0x00, 0x10, 0x00, 0x92})));
    ASSERT_TRUE(FakeSocketCan::writeFrame(interface_, FakeSocketCan::frame(CAN_EFF_FLAG | 0x18FF0001, {0xAA})));
    can_frame remote = FakeSocketCan::frame(CAN_RTR_FLAG | 0x701, {});
    remote.len = 1;
    ASSERT_TRUE(FakeSocketCan::writeFrame(interface_, remote));
    canbus_frame got;
    ASSERT_EQ(canbus_receive(listener_, &got, 2000), 1);
    EXPECT_EQ(got.id, 0x585u);
    EXPECT_EQ(got.len, 5);
    EXPECT_EQ(got.data[4], 0x92);
    EXPECT_EQ(got.bitrate, 500000u);  // sent at the bus's rate
    ASSERT_EQ(canbus_receive(listener_, &got, 2000), 1);
    EXPECT_EQ(got.id, CANBUS_EFF_FLAG | 0x18FF0001u);
    ASSERT_EQ(canbus_receive(listener_, &got, 2000), 1);
    EXPECT_EQ(got.id, CANBUS_RTR_FLAG | 0x701u);
    EXPECT_EQ(got.len, 1);

    // From the virtual bus to the interface.
    canbus_frame out{};
    out.id = 0x605;
    out.len = 8;
    out.data[0] = 0x40;
    out.data[1] = 0x08;
    out.data[2] = 0x10;
    ASSERT_EQ(canbus_send(listener_, &out), 0);
    can_frame seen;
    ASSERT_TRUE(FakeSocketCan::readFrame(interface_, seen, 2000));
    EXPECT_EQ(seen.can_id, 0x605u);
    EXPECT_EQ(seen.len, 8);
    EXPECT_EQ(seen.data[1], 0x08);
    // The counts follow the frames (the bridge counts after each send).
    for (int i = 0; i < 1000 && (bridge_->stats().toInterface.load() < 1 || bridge_->stats().toBus.load() < 3); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(bridge_->stats().toInterface.load(), 1u);
    EXPECT_EQ(bridge_->stats().toBus.load(), 3u);
}

TEST_F(BridgeTest, TheInterfacesErrorFramesReachTheBusButNotTheOtherWay)
{
    // Bus off of the real controller: the virtual nodes learn of it.
    ASSERT_TRUE(FakeSocketCan::writeFrame(interface_, FakeSocketCan::frame(CAN_ERR_FLAG | CAN_ERR_BUSOFF, {0, 0, 0, 0, 0, 0, 0, 0})));
    canbus_frame got;
    ASSERT_EQ(canbus_receive(listener_, &got, 2000), 1);
    EXPECT_EQ(got.id, CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF);

    // A virtual node's error frame is no bus traffic for the interface.
    canbus_frame passive{};
    passive.id = CANBUS_ERR_FLAG | CANBUS_ERR_CRTL;
    passive.len = 8;
    passive.data[1] = CANBUS_ERR_CRTL_TX_PASSIVE;
    ASSERT_EQ(canbus_send(listener_, &passive), 0);
    canbus_frame data{};
    data.id = 0x123;
    data.len = 1;
    data.data[0] = 0x77;
    ASSERT_EQ(canbus_send(listener_, &data), 0);
    can_frame seen;
    ASSERT_TRUE(FakeSocketCan::readFrame(interface_, seen, 2000));
    EXPECT_EQ(seen.can_id, 0x123u);  // the data frame came, the error frame did not
    EXPECT_FALSE(FakeSocketCan::readFrame(interface_, seen, 50));
}

TEST_F(BridgeTest, EndsWithAMessageWhenTheInterfaceGoesAway)
{
    can_.closePeer("can0");  // the socket's other end is gone
    runner_.join();
    EXPECT_FALSE(ok_);
    EXPECT_NE(error_.find("went away"), std::string::npos) << error_;
}

// cansend and candump on the interface side reach the simulated drive on
// the virtual bus: its device name comes back by SDO.
TEST(BridgeToSimulator, AnSdoReadFromTheInterfaceIsAnsweredByTheSimulatedDrive)
{
    ovro::test::PrivateBus bus;
    ASSERT_TRUE(bus.create("canbus-bridge-sim"));
    ovro::test::SimProcess sim;
    ASSERT_TRUE(sim.start(bus.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", "500", "--bus", "demo"}))
        << sim.log();
    FakeSocketCan can;
    can.add("can0", {500000});
    int err = 0;
    canbus_endpoint* ep = canbus_open("demo", 500000, &err);
    ASSERT_NE(ep, nullptr);
    const int fd = socketcan_open("can0", CAN_ERR_MASK);
    ASSERT_GE(fd, 0);
    const int interface = can.peer("can0");
    Bridge bridge(ep, fd);
    volatile std::sig_atomic_t stop = 0;
    std::string error;
    std::thread runner([&] { bridge.run(stop, error); });

    // Initiate upload of 0x1008 (device name), then the segments.
    ASSERT_TRUE(FakeSocketCan::writeFrame(interface, FakeSocketCan::frame(0x605, {0x40, 0x08, 0x10, 0, 0, 0, 0, 0})));
    std::string name;
    can_frame answer;
    bool done = false;
    uint8_t toggle = 0;
    for (int round = 0; round < 10 && !done; ++round) {
        ASSERT_TRUE(FakeSocketCan::readFrame(interface, answer, 3000)) << sim.log();
        ASSERT_EQ(answer.can_id, 0x585u);
        const uint8_t command = answer.data[0];
        if ((command & 0xE0) == 0x40) {
            if (command & 0x02) {  // expedited
                const int n = (command & 0x01) ? 4 - ((command >> 2) & 3) : 4;
                name.assign(reinterpret_cast<const char*>(answer.data + 4), static_cast<std::size_t>(n));
                done = true;
                break;
            }
        } else if ((command & 0xE0) == 0x00) {  // upload segment
            const int n = 7 - ((command >> 1) & 7);
            name.append(reinterpret_cast<const char*>(answer.data + 1), static_cast<std::size_t>(n));
            if (command & 0x01) {
                done = true;
                break;
            }
            toggle ^= 0x10;
        } else {
            FAIL() << "unexpected answer " << std::hex << int(command);
        }
        ASSERT_TRUE(FakeSocketCan::writeFrame(interface, FakeSocketCan::frame(0x605, {static_cast<uint8_t>(0x60 | toggle), 0, 0, 0, 0, 0, 0, 0})));
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(name, "Ovro K315");
    stop = 1;
    runner.join();
    close(fd);
    canbus_close(ep);
    sim.stop();
}

struct SetupRow {
    const char* name;
    FakeSocketCan::Interface state;
    uint32_t wanted;
    bool ok;
    uint32_t busRate;
    const char* message;  // part of the error
};

class InterfaceSetupTest : public ::testing::TestWithParam<SetupRow> {};

TEST_P(InterfaceSetupTest, PreparesOrSaysWhatToRun)
{
    const SetupRow& row = GetParam();
    FakeSocketCan can;
    can.add("can0", row.state);
    uint32_t busRate = 12345;
    std::string error;
    EXPECT_EQ(InterfaceSetup::prepare("can0", row.wanted, busRate, error), row.ok) << error;
    if (row.ok)
        EXPECT_EQ(busRate, row.busRate);
    else
        EXPECT_NE(error.find(row.message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InterfaceSetupTest,
    ::testing::Values(
        SetupRow{"AsItRuns", {250000, true, false, true}, 0, true, 250000, ""},
        SetupRow{"AtTheAskedRate", {500000, true, false, true}, 500000, true, 500000, ""},
        SetupRow{"RateChangedWhereAllowed", {250000, true, true, true}, 500000, true, 500000, ""},
        SetupRow{"OtherRateRefused", {250000, true, false, true}, 500000, false, 0,
                 "runs at 250000 bit/s and this process may not change it; run (as root): ip link set can0 "
                 "down; ip link set can0 up type can bitrate 500000"},
        SetupRow{"VcanTakesTheAskedRate", {0, true, false, true}, 125000, true, 125000, ""},
        SetupRow{"VcanAnyRate", {0, true, false, true}, 0, true, 0, ""},
        SetupRow{"DownBroughtUp", {500000, false, false, true}, 0, true, 500000, ""},
        SetupRow{"DownAndNotOurs", {500000, false, false, false}, 0, false, 0,
                 "'can0' is down; run (as root): ip link set can0 up type can bitrate 500000"}),
    [](const ::testing::TestParamInfo<SetupRow>& info) { return info.param.name; });

TEST(InterfaceSetupMissing, NamesTheMissingInterface)
{
    FakeSocketCan can;
    uint32_t busRate = 0;
    std::string error;
    EXPECT_FALSE(InterfaceSetup::prepare("can7", 0, busRate, error));
    EXPECT_NE(error.find("no SocketCAN interface 'can7'"), std::string::npos) << error;
}

}  // namespace
