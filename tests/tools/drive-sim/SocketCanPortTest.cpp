// The simulator's SocketCAN port over libs/socketcan's seam: a socketpair
// carrying can_frame records stands for the interface.
#include "CanPort.h"
#include "FakeSocketCan.h"

#include <gtest/gtest.h>

#include <linux/can.h>

namespace {

using ovro::test::FakeSocketCan;

TEST(SocketCanPort, SendsAndReceivesFramesOfTheInterface)
{
    FakeSocketCan can;
    can.add("can0", {500000});
    std::string error;
    std::unique_ptr<CanPort> port = CanPort::openSocketCan("can0", error);
    ASSERT_NE(port, nullptr) << error;
    EXPECT_EQ(port->describe(), "SocketCAN 'can0'");
    const int bus = can.peer("can0");

    canbus_frame boot{};
    boot.id = 0x705;
    boot.len = 1;
    ASSERT_TRUE(port->send(boot));
    can_frame seen;
    ASSERT_TRUE(FakeSocketCan::readFrame(bus, seen, 1000));
    EXPECT_EQ(seen.can_id, 0x705u);
    EXPECT_EQ(seen.len, 1);
    EXPECT_EQ(seen.data[0], 0);

    ASSERT_TRUE(FakeSocketCan::writeFrame(bus, FakeSocketCan::frame(0x605, {0x40, 0x00, 0x10, 0x00})));
    canbus_frame request{};
    ASSERT_TRUE(port->receive(request, 1000000));
    EXPECT_EQ(request.id, 0x605u);
    EXPECT_EQ(request.len, 4);
    EXPECT_EQ(request.data[0], 0x40);
    EXPECT_FALSE(port->receive(request, 1000));  // nothing more
    port.reset();
}

TEST(SocketCanPort, AMissingInterfaceIsNamed)
{
    FakeSocketCan can;
    std::string error;
    EXPECT_EQ(CanPort::openSocketCan("can3", error), nullptr);
    EXPECT_EQ(error, "no CAN interface 'can3'");
}

}  // namespace
