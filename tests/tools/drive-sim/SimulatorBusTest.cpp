// The simulator as a process on a private virtual bus: boot-up, identity,
// the parameters of the description, aborts, NMT, store and restore.
#include "description/Commissioning.h"
#include "DescriptionObjects.h"
#include "SimFixture.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace {

std::string text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> le(uint64_t value, size_t size)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < size; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
    return out;
}

size_t sizeOfCode(int code)
{
    switch (code) {
    case 2:
    case 5: return 1;
    case 3:
    case 6: return 2;
    case 4:
    case 7: return 4;
    case 11: return 7;
    case 12: return 6;
    default: return 0;
    }
}

class SimulatorBus : public SimFixture {
protected:
    std::vector<std::string> args(const std::string& model = "K315")
    {
        return {"--model", model, "--node-id", "5", "--bitrate", "500", "--serial", "4711", "--eeprom",
                path("eeprom-" + model + ".txt")};
    }
};

TEST_F(SimulatorBus, SendsBootUpAndServesItsIdentity)
{
    BusClient& bus = client();
    startSim(args());
    auto boot = bus.waitFor(0x700 + kNode, 1000);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->len, 1);
    EXPECT_EQ(boot->data[0], 0);

    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(v, 0x00030192u);  // the description's device type
    std::vector<uint8_t> bytes;
    EXPECT_EQ(bus.upload(kNode, 0x1008, 0, bytes), 0);  // segmented
    EXPECT_EQ(text(bytes), "Ovro K315");
    EXPECT_EQ(bus.upload(kNode, 0x1009, 0, bytes), 0);
    EXPECT_EQ(text(bytes), "HW 1.20");
    EXPECT_EQ(bus.upload(kNode, 0x100A, 0, bytes), 0);
    EXPECT_EQ(text(bytes), "v2.140");
    EXPECT_EQ(bus.uploadU32(kNode, 0x1018, 0, v), 0);
    EXPECT_EQ(v, 4u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1018, 1, v), 0);
    EXPECT_EQ(v, 533u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1018, 4, v), 0);
    EXPECT_EQ(v, 4711u);
    EXPECT_EQ(bus.upload(kNode, 0x2100, 0, bytes), 0);
    EXPECT_EQ(bytes, std::vector<uint8_t>{2});
    EXPECT_EQ(bus.uploadU32(kNode, 0x2005, 1, v), 0);
    EXPECT_EQ(v, kNode);
    EXPECT_EQ(bus.uploadU32(kNode, 0x2005, 2, v), 0);
    EXPECT_EQ(v, 2u) << "bit-timing index of 500 kbit/s";
}

TEST_F(SimulatorBus, H315HasNoModelProbe)
{
    BusClient& bus = client();
    startSim(args("H315"));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(bus.upload(kNode, 0x2100, 0, bytes), 0x06020000);
    EXPECT_EQ(bus.upload(kNode, 0x1008, 0, bytes), 0);
    EXPECT_EQ(text(bytes), "Ovro H315");
}

TEST_F(SimulatorBus, EveryDescribedParameterReadsAndWritesBack)
{
    ovro::CCommissioning description;
    ASSERT_TRUE(description.LoadDescription(descriptionPath()));
    for (const char* model : {"K315", "H315"}) {
        SCOPED_TRACE(model);
        BusClient& bus = client();
        SimProcess& sim = startSim(args(model));
        const ovro::CQVTDevice* device = description.GetDevice(
            std::string(model) == "K315" ? ovro::CCommissioning::ModelK315 : ovro::CCommissioning::ModelH315);
        ASSERT_NE(device, nullptr);
        int count = 0;
        for (const auto& section : device->sections) {
            for (const auto& p : section.parameters) {
                SCOPED_TRACE(section.key + "/" + p.key);
                ++count;
                std::vector<uint8_t> value;
                ASSERT_EQ(bus.upload(kNode, p.index, p.subIndex, value), 0);
                const size_t size = sizeOfCode(p.dataType);
                if (size != 0)
                    EXPECT_EQ(value.size(), size);
                else
                    EXPECT_LE(value.size(), 16u);
                if (p.accessible == 0) {
                    EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, value), 0x06010002) << "read-only";
                    continue;
                }
                EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, value), 0) << "write back";
                if (size == 0 || size > 4)
                    continue;
                EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, std::vector<uint8_t>(size + 1, 0)), 0x06070012);
                if (size > 1) {
                    EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, std::vector<uint8_t>(size - 1, 0)),
                              0x06070013);
                }
                if (p.index >= 0x1400 && p.index < 0x1C00)
                    continue;  // PDO COB-IDs: the described range is that of node-id 127
                int64_t lo = 0, hi = 0;
                const bool isSigned = p.dataType >= 2 && p.dataType <= 4;
                const int64_t typeMax = isSigned ? (int64_t(1) << (8 * size - 1)) - 1 : (int64_t(1) << (8 * size)) - 1;
                const int64_t typeMin = isSigned ? -(int64_t(1) << (8 * size - 1)) : 0;
                if (DescriptionObjects::parseInteger(p.maxValue, hi) && hi < typeMax && hi >= typeMin) {
                    EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, le(uint64_t(hi + 1), size)), 0x06090031);
                }
                if (DescriptionObjects::parseInteger(p.minValue, lo) && lo > typeMin && lo <= typeMax) {
                    EXPECT_EQ(bus.download(kNode, p.index, p.subIndex, le(uint64_t(lo - 1), size)), 0x06090032);
                }
            }
        }
        EXPECT_GT(count, 50);
        sim.stop();
    }
}

TEST_F(SimulatorBus, WrongAccessesGetTheirAbortCodes)
{
    BusClient& bus = client();
    startSim(args());
    std::vector<uint8_t> bytes;
    EXPECT_EQ(bus.upload(kNode, 0x6400, 0, bytes), 0x06020000) << "no object";
    EXPECT_EQ(bus.upload(kNode, 0x1018, 9, bytes), 0x06090011) << "no sub-index";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1000, 0, 1), 0x06010002) << "read-only";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1017, 0, 100, 4), 0x06070012) << "too long";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1017, 0, 100, 1), 0x06070013) << "too short";
    EXPECT_EQ(bus.downloadU32(kNode, 0x6410, 3, 5000, 2), 0x06090031) << "above the maximum";
    EXPECT_EQ(bus.downloadU32(kNode, 0x6410, 3, 50, 2), 0x06090032) << "below the minimum";
    EXPECT_EQ(bus.downloadSegmented(kNode, 0x1017, 0, {1, 2, 3, 4, 5}), 0x06070012) << "segmented, too long";
    EXPECT_EQ(bus.downloadSegmented(kNode, 0x1017, 0, {0x64, 0}), 0) << "segmented, right size";
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x1017, 0, v), 0);
    EXPECT_EQ(v, 100u);

    // A segment without a transfer and an unknown command specifier.
    bus.send(0x600 + kNode, {0x00, 0, 0, 0, 0, 0, 0, 0});
    auto a = bus.waitFor(0x580 + kNode);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->data[0], 0x80);
    EXPECT_EQ(a->data[7] << 24 | a->data[6] << 16 | a->data[5] << 8 | a->data[4], 0x05040001);
    bus.send(0x600 + kNode, {0xE0, 0x00, 0x10, 0, 0, 0, 0, 0});
    a = bus.waitFor(0x580 + kNode);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->data[0], 0x80);
    // A short frame is no SDO request.
    bus.send(0x600 + kNode, {0x40, 0x00, 0x10});
    EXPECT_FALSE(bus.waitFor(0x580 + kNode, 100));
}

TEST_F(SimulatorBus, StoreAndRestoreSurviveARestart)
{
    BusClient& bus = client();
    SimProcess& first = startSim(args());
    uint32_t v = 0;
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    const uint32_t factory = v;
    ASSERT_EQ(bus.downloadU32(kNode, 0x6081, 0, factory + 1234), 0);
    EXPECT_EQ(bus.downloadU32(kNode, 0x1010, 3, 0x12345678), 0x08000020) << "wrong signature";
    ASSERT_EQ(bus.downloadU32(kNode, 0x1010, 3, 0x65766173), 0);  // "save"
    EXPECT_EQ(bus.uploadU32(kNode, 0x1010, 3, v), 0);
    EXPECT_EQ(v, 1u);
    first.stop();

    SimProcess& second = startSim(args());
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, factory + 1234) << "stored value after the restart";

    // Restore the factory values: they take effect at the next reset, in RAM only.
    EXPECT_EQ(bus.downloadU32(kNode, 0x1011, 1, 0x11111111), 0x08000020) << "wrong signature";
    ASSERT_EQ(bus.downloadU32(kNode, 0x1011, 1, 0x64616F6C), 0);  // "load"
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, factory + 1234);
    bus.flush();
    bus.nmt(0x81, kNode);
    ASSERT_TRUE(bus.waitFor(0x700 + kNode, 1000));
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, factory);
    second.stop();

    // The store still holds the saved value until the next save.
    startSim(args());
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, factory + 1234);
}

TEST_F(SimulatorBus, ResetNodeTakesTheStoredValuesAgain)
{
    BusClient& bus = client();
    startSim(args());
    uint32_t factory = 0, v = 0;
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, factory), 0);
    ASSERT_EQ(bus.downloadU32(kNode, 0x6081, 0, factory + 1), 0);
    bus.flush();
    bus.nmt(0x81, 0);  // all nodes
    auto boot = bus.waitFor(0x700 + kNode, 1000);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->data[0], 0);
    ASSERT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, factory);
}

TEST_F(SimulatorBus, NmtStatesGateTheServices)
{
    BusClient& bus = client();
    SimProcess& sim = startSim(args());
    EXPECT_EQ(sim.state("nmt"), "pre-operational");
    bus.nmt(0x01, kNode);
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(sim.state("nmt"), "operational");
    bus.nmt(0x02, kNode);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout) << "no SDO while stopped";
    EXPECT_EQ(sim.state("nmt"), "stopped");
    bus.nmt(0x01, kNode + 1);  // another node
    EXPECT_EQ(sim.state("nmt"), "stopped");
    bus.nmt(0x80, 0);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(sim.state("nmt"), "pre-operational");
}

TEST_F(SimulatorBus, SeveralSimulatorsShareOneBus)
{
    BusClient& bus = client();
    startSim({"--node-id", "5", "--bitrate", "500", "--serial", "105"});
    startSim({"--node-id", "6", "--bitrate", "500", "--serial", "106", "--model", "H315"});
    startSim({"--node-id", "7", "--bitrate", "250", "--serial", "107"});
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(5, 0x1018, 4, v), 0);
    EXPECT_EQ(v, 105u);
    EXPECT_EQ(bus.uploadU32(6, 0x1018, 4, v), 0);
    EXPECT_EQ(v, 106u);
    EXPECT_EQ(bus.uploadU32(7, 0x1018, 4, v), BusClient::kTimeout) << "node 7 runs at another bit rate";
}

TEST_F(SimulatorBus, UnconfiguredNodeAnswersOnlyLmt)
{
    BusClient& bus = client();
    startSim({"--bitrate", "500", "--serial", "1"});
    EXPECT_FALSE(bus.waitFor(0x77F, 200));
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(127, 0x1000, 0, v), BusClient::kTimeout);
    bus.lmt({0x04, 0x01}, false);
    auto answer = bus.lmt({0x24}, true);
    ASSERT_TRUE(answer);
    EXPECT_EQ(std::string(answer->begin() + 1, answer->end()), "Kelvane");
}

TEST_F(SimulatorBus, EmergencyIsSentAndKeptInTheErrorHistory)
{
    BusClient& bus = client();
    SimProcess& sim = startSim(args());
    EXPECT_EQ(sim.control("emcy 0x3210 0x04 1 2 3 4 5"), "ok\n");
    auto emcy = bus.waitFor(0x80 + kNode);
    ASSERT_TRUE(emcy);
    EXPECT_EQ(std::vector<uint8_t>(emcy->data, emcy->data + emcy->len),
              (std::vector<uint8_t>{0x10, 0x32, 0x05, 1, 2, 3, 4, 5}));
    EXPECT_EQ(sim.control("emcy 0x8130"), "ok\n");
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 0, v), 0);
    EXPECT_EQ(v, 2u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 1, v), 0);
    EXPECT_EQ(v & 0xFFFF, 0x8130u) << "newest first";
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 2, v), 0);
    EXPECT_EQ(v & 0xFFFF, 0x3210u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 5, v), 0) << "unused entries read as 0";
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1001, 0, v), 0);
    EXPECT_NE(v & 0x01, 0u);
    EXPECT_EQ(bus.downloadU32(kNode, 0x1003, 0, 1, 1), 0x06090030) << "only 0 may be written";
    EXPECT_EQ(bus.downloadU32(kNode, 0x1003, 0, 0, 1), 0);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 0, v), 0);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(bus.uploadU32(kNode, 0x1003, 1, v), 0);
    EXPECT_EQ(v, 0u);
    // Stopped nodes send no emergencies.
    bus.nmt(0x02, kNode);
    EXPECT_TRUE(sim.waitForState("nmt", "stopped"));
    bus.flush();
    EXPECT_EQ(sim.control("emcy 0x5000"), "ok\n");
    EXPECT_FALSE(bus.waitFor(0x80 + kNode, 100));
}

TEST_F(SimulatorBus, DamagedStoreFileIsKeptAndFactoryValuesUsed)
{
    const std::string file = path("eeprom-K315.txt");
    {
        std::ofstream out(file);
        out << "# ovro-drive-sim store\n6081 00 zz\n";
    }
    BusClient& bus = client();
    SimProcess& sim = startSim(args());
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, 3000u);
    std::ifstream in(file);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "# ovro-drive-sim store\n6081 00 zz\n");
    EXPECT_NE(sim.log().find("malformed"), std::string::npos);
}

TEST_F(SimulatorBus, BadCommandLinesAreRefused)
{
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--node-id", "0"}, {"--node-id", "128"}, {"--bitrate", "333"},
          {"--model", "X999"}, {"--frobnicate"}, {"--node-id"}}) {
        SimProcess sim;
        EXPECT_FALSE(sim.start(dir(), bad)) << bad[0];
        EXPECT_NE(sim.log().find("ovro-drive-sim:"), std::string::npos);
    }
    SimProcess help;
    EXPECT_FALSE(help.start(dir(), {"--help"})) << "prints its usage and ends";
    EXPECT_NE(help.log().find("--node-id N"), std::string::npos);
}
}  // namespace

namespace {
TEST_F(SimulatorBus, StoredValueOutsideItsRangeGivesTheFactoryValue)
{
    {
        std::ofstream out(path("eeprom-H315.txt"));
        out << "# ovro-drive-sim store\n60C5 00 40420F00\n6081 00 D0070000\n";  // 1000000, 2000
    }
    BusClient& bus = client();
    startSim(args("H315"));
    uint32_t v = 0;
    EXPECT_EQ(bus.uploadU32(kNode, 0x60C5, 0, v), 0);
    EXPECT_EQ(v, 500000u) << "the H315 allows at most 500000";
    EXPECT_EQ(bus.uploadU32(kNode, 0x6081, 0, v), 0);
    EXPECT_EQ(v, 2000u);
}
}  // namespace

namespace {
TEST_F(SimulatorBus, RealtimePacingKeepsTheProtocol)
{
    BusClient& bus = client(10000);
    startSim({"--node-id", "5", "--bitrate", "10", "--realtime"});
    std::vector<uint8_t> bytes;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(bus.upload(kNode, 0x1008, 0, bytes), 0);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(text(bytes), "Ovro K315");
    // Initiate and two segments, each request and answer a frame of 8 bytes,
    // 135 bits at 10 kbit/s: the client's frames cost their time as well as
    // the simulator's.
    EXPECT_GE(took, 6 * std::chrono::microseconds(13500));
}
}  // namespace
