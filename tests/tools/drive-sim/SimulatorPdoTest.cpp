// Transmit PDOs of the simulator as the oscilloscope configures them, SYNC,
// remote requests, mapping checks and reset communication.
#include "SimFixture.h"

#include <thread>

namespace {

class SimulatorPdo : public SimFixture {
protected:
    BusClient* m_bus = nullptr;

    void SetUp() override
    {
        SimFixture::SetUp();
        m_bus = &client();
        startSim({"--node-id", "5", "--bitrate", "500"});
    }

    void configure(uint16_t comm, uint32_t cobId, uint8_t type, uint16_t eventTimer)
    {
        ASSERT_EQ(m_bus->downloadU32(kNode, comm, 1, cobId), 0);
        ASSERT_EQ(m_bus->downloadU32(kNode, comm, 2, type, 1), 0);
        ASSERT_EQ(m_bus->downloadU32(kNode, comm, 3, 0, 2), 0);
        ASSERT_EQ(m_bus->downloadU32(kNode, comm, 5, eventTimer, 2), 0);
    }
};

TEST_F(SimulatorPdo, SendsAtItsEventTimerWhileOperational)
{
    BusClient& bus = *m_bus;
    configure(0x1800, 0x80000185, 0xFF, 0);  // quiet the statusword PDO
    configure(0x1801, 0x385, 0xFF, 10);
    configure(0x1821, 0x485, 0xFE, 25);
    EXPECT_TRUE(bus.collect(0x385, 100).empty()) << "pre-operational: no PDOs";
    bus.nmt(0x01, kNode);
    const auto fast = bus.collect(0x385, 500);
    bus.nmt(0x80, kNode);
    const auto slow = bus.collect(0x485, 50);  // the rest that came before the stop
    // About 50 and 20 frames; generous bounds, the host may be loaded.
    EXPECT_GE(fast.size(), 25u);
    EXPECT_LE(fast.size(), 60u);
    EXPECT_GE(slow.size(), 8u);
    EXPECT_LE(slow.size(), 25u);
    for (const canbus_frame& f : fast)
        EXPECT_EQ(f.len, 6);  // statusword and position
    for (const canbus_frame& f : slow)
        EXPECT_EQ(f.len, 6);  // velocity and current
    bus.flush();
    EXPECT_TRUE(bus.collect(0x385, 100).empty()) << "no PDOs after leaving operational";
}

TEST_F(SimulatorPdo, SyncAndRemoteRequests)
{
    BusClient& bus = *m_bus;
    configure(0x1801, 0x80000285, 0xFF, 0);  // the factory PDO 2 shares 0x285
    configure(0x1800, 0x185, 2, 0);      // every second SYNC
    configure(0x1806, 0x285, 253, 0);    // remote request only
    bus.nmt(0x01, kNode);
    bus.flush();
    for (int i = 0; i < 6; ++i) {
        bus.send(0x080, {});
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(bus.collect(0x185, 100).size(), 3u);
    EXPECT_TRUE(bus.collect(0x285, 50).empty());
    canbus_frame rtr{};
    rtr.id = 0x285 | CANBUS_RTR_FLAG;
    rtr.len = 6;
    bus.send(rtr.id, {});
    auto answer = bus.waitFor(0x285);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->len, 6);  // statusword and digital inputs
}

TEST_F(SimulatorPdo, MappingChangesAreChecked)
{
    BusClient& bus = *m_bus;
    EXPECT_EQ(bus.downloadU32(kNode, 0x1A00, 1, 0x60640020), 0x06010000) << "mapping must be disabled first";
    ASSERT_EQ(bus.downloadU32(kNode, 0x1A00, 0, 0, 1), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1A00, 1, 0x60640020), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1A00, 2, 0x606C0020), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1A00, 3, 0x60410010), 0);
    EXPECT_EQ(bus.downloadU32(kNode, 0x1A00, 0, 3, 1), 0x06040042) << "80 bits";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1A00, 0, 9, 1), 0x06090031);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1A00, 3, 0x64000020), 0);
    EXPECT_EQ(bus.downloadU32(kNode, 0x1A00, 0, 3, 1), 0x06040041) << "no such object";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1A00, 0, 2, 1), 0);
    EXPECT_EQ(bus.downloadU32(kNode, 0x1800, 1, 0x20000185), 0x06090030) << "29-bit identifier";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1800, 1, 0x00000985), 0x06090030);
    configure(0x1800, 0x185, 0xFF, 20);
    bus.nmt(0x01, kNode);
    auto pdo = bus.waitFor(0x185);
    ASSERT_TRUE(pdo);
    EXPECT_EQ(pdo->len, 8);
}

TEST_F(SimulatorPdo, ReceivePdoWritesItsMappedObjects)
{
    BusClient& bus = *m_bus;
    ASSERT_EQ(bus.downloadU32(kNode, 0x1600, 0, 0, 1), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1600, 1, 0x607A0020), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1600, 0, 1, 1), 0);
    bus.send(0x205, {0xD2, 0x04, 0, 0});
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x607A, 0, v), 0);
    EXPECT_EQ(v, 0u) << "pre-operational: receive PDOs are not processed";
    bus.nmt(0x01, kNode);
    bus.send(0x205, {0xD2, 0x04, 0, 0});
    EXPECT_EQ(bus.uploadU32(kNode, 0x607A, 0, v), 0);
    EXPECT_EQ(v, 1234u);
    bus.send(0x205, {0x01, 0x02});  // shorter than its mapping
    EXPECT_EQ(bus.uploadU32(kNode, 0x607A, 0, v), 0);
    EXPECT_EQ(v, 1234u);
}

TEST_F(SimulatorPdo, ResetCommunicationBringsBackThePdoConfiguration)
{
    BusClient& bus = *m_bus;
    uint32_t factory = 0, v = 0;
    ASSERT_EQ(bus.uploadU32(kNode, 0x1801, 1, factory), 0);
    EXPECT_EQ(factory, 0x285u);
    configure(0x1801, 0x385, 0xFF, 55);
    bus.flush();
    bus.nmt(0x82, kNode);
    auto boot = bus.waitFor(0x705, 1000);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->data[0], 0);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1801, 1, v), 0);
    EXPECT_EQ(v, factory);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1801, 5, v), 0);
    EXPECT_EQ(v, 0u);
}

TEST_F(SimulatorPdo, HeartbeatAndNodeGuarding)
{
    BusClient& bus = *m_bus;
    ASSERT_EQ(bus.downloadU32(kNode, 0x1017, 0, 20, 2), 0);
    bus.flush();
    const auto beats = bus.collect(0x705, 200);
    EXPECT_GE(beats.size(), 5u);
    for (const canbus_frame& f : beats)
        EXPECT_EQ(f.data[0], 0x7F);
    ASSERT_EQ(bus.downloadU32(kNode, 0x1017, 0, 0, 2), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    bus.flush();
    bus.send(0x705 | CANBUS_RTR_FLAG, {});
    auto first = bus.waitFor(0x705);
    bus.send(0x705 | CANBUS_RTR_FLAG, {});
    auto second = bus.waitFor(0x705);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->data[0] & 0x7F, 0x7F);
    EXPECT_NE(first->data[0] & 0x80, second->data[0] & 0x80) << "toggle bit";
}
}  // namespace
