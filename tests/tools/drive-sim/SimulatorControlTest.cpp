// The test control socket of the simulator: each command and its effect on the bus.
#include "SimFixture.h"

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class SimulatorControl : public SimFixture {
protected:
    BusClient* m_bus = nullptr;
    SimProcess* m_sim = nullptr;

    void SetUp() override
    {
        SimFixture::SetUp();
        m_bus = &client();
        m_sim = &startSim({"--node-id", "5", "--bitrate", "500", "--eeprom", path("eeprom.txt")});
    }
};

TEST_F(SimulatorControl, DropLosesTheNextAnswers)
{
    uint32_t v = 0;
    ASSERT_EQ(m_sim->control("drop 2"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
}

TEST_F(SimulatorControl, WrongToggleAndWrongLength)
{
    std::vector<uint8_t> bytes;
    ASSERT_EQ(m_sim->control("toggle"), "ok\n");
    EXPECT_EQ(m_bus->upload(kNode, 0x1008, 0, bytes), BusClient::kBadAnswer);
    m_bus->send(0x600 + kNode, {0x80, 0x08, 0x10, 0, 0, 0, 0x04, 0x05});  // the client gives up
    EXPECT_EQ(m_bus->upload(kNode, 0x1008, 0, bytes), 0) << "only the next answer was wrong";

    ASSERT_EQ(m_sim->control("length"), "ok\n");
    m_bus->send(0x600 + kNode, {0x40, 0x00, 0x10, 0, 0, 0, 0, 0});
    auto a = m_bus->waitFor(0x580 + kNode);
    ASSERT_TRUE(a);
    EXPECT_NE(a->len, 8);
    uint32_t v = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
}

TEST_F(SimulatorControl, AbortGivenObjectsWithGivenCodes)
{
    uint32_t v = 0;
    ASSERT_EQ(m_sim->control("abort 0x6081 0 0x08000022"), "ok\n");
    ASSERT_EQ(m_sim->control("abort 0x1018 * 0x06060000"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6081, 0, v), 0x08000022);
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x6081, 0, 100), 0x08000022);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 1, v), 0x06060000);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 4, v), 0x06060000);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
    ASSERT_EQ(m_sim->control("abort clear"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6081, 0, v), 0);
}

TEST_F(SimulatorControl, RefuseTheNextStore)
{
    ASSERT_EQ(m_sim->control("refuse store"), "ok\n");
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x1010, 3, 0x65766173), 0x08000020);
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x1010, 3, 0x65766173), 0);
    EXPECT_EQ(m_sim->control("refuse firmware"), "ok\n");
}

TEST_F(SimulatorControl, SilentAndBack)
{
    uint32_t v = 0;
    ASSERT_EQ(m_sim->control("silent"), "ok\n");
    EXPECT_EQ(m_sim->state("silent"), "1");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout);
    ASSERT_EQ(m_sim->control("resume"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);

    ASSERT_EQ(m_sim->control("silent 300"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
}

TEST_F(SimulatorControl, FaultSendsTheEmergency)
{
    ASSERT_EQ(m_sim->control("fault 0x7121"), "ok\n");
    auto emcy = m_bus->waitFor(0x80 + kNode);
    ASSERT_TRUE(emcy);
    EXPECT_EQ(emcy->data[0], 0x21);
    EXPECT_EQ(emcy->data[1], 0x71);
    EXPECT_NE(emcy->data[2] & 0x01, 0);
    uint32_t v = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1003, 1, v), 0);
    EXPECT_EQ(v & 0xFFFF, 0x7121u);
}

TEST_F(SimulatorControl, StateAndPowerCycle)
{
    const std::string state = m_sim->control("state");
    EXPECT_NE(state.find("node-id=5\n"), std::string::npos);
    EXPECT_NE(state.find("nmt=pre-operational\n"), std::string::npos);
    EXPECT_NE(state.find("bitrate=500\n"), std::string::npos);
    EXPECT_EQ(state.substr(state.size() - 3), "ok\n");
    m_bus->flush();
    ASSERT_EQ(m_sim->control("powercycle"), "ok\n");
    EXPECT_TRUE(m_bus->waitFor(0x705, 1000));
}

TEST_F(SimulatorControl, FaultsPlacedAtAnObjectWaitForIt)
{
    uint32_t v = 0;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(m_sim->control("drop 2 at 0x1018 1"), "ok\n");
    ASSERT_EQ(m_sim->control("length at 0x1018 2"), "ok\n");
    ASSERT_EQ(m_sim->control("toggle at 0x1008 0"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0) << "other objects are answered";
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 1, v), BusClient::kTimeout);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout) << "two answers from the trigger on";
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 1, v), 0) << "the trigger strikes once";

    m_bus->send(0x600 + kNode, {0x40, 0x18, 0x10, 2, 0, 0, 0, 0});
    auto a = m_bus->waitFor(0x580 + kNode);
    ASSERT_TRUE(a);
    EXPECT_NE(a->len, 8);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 2, v), 0);

    EXPECT_EQ(m_bus->upload(kNode, 0x1008, 0, bytes), BusClient::kBadAnswer);
    m_bus->send(0x600 + kNode, {0x80, 0x08, 0x10, 0, 0, 0, 0x04, 0x05});
    EXPECT_EQ(m_bus->upload(kNode, 0x1008, 0, bytes), 0);
}

TEST_F(SimulatorControl, PowerCycleAtAnObjectSwitchesOffInsteadOfAnswering)
{
    uint32_t v = 0;
    ASSERT_EQ(m_sim->control("powercycle at 0x1018 4 1000"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
    m_bus->flush();
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 4, v), BusClient::kTimeout);
    EXPECT_EQ(m_sim->state("silent"), "1") << "off";
    EXPECT_TRUE(m_bus->waitFor(0x705, 1500)) << "boot-up after the power comes back";
    EXPECT_EQ(m_sim->state("nmt"), "pre-operational");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 4, v), 0);
}

TEST_F(SimulatorControl, SilenceAtAnObjectOrLmtService)
{
    uint32_t v = 0;
    ASSERT_EQ(m_sim->control("silent 600 at 0x1018 1"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 1, v), BusClient::kTimeout);
    EXPECT_EQ(m_sim->state("silent"), "1");
    EXPECT_TRUE(m_sim->waitForState("silent", "0", 1500));
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1018, 1, v), 0);

    ASSERT_EQ(m_sim->control("silent at lmt 0x04"), "ok\n");
    m_bus->lmt({0x04, 0x01, 0, 0, 0, 0, 0, 0}, false);
    EXPECT_TRUE(m_sim->waitForState("silent", "1", 1000)) << "for good";
    EXPECT_EQ(m_sim->state("lmt"), "operation") << "the request that struck was not taken";
    ASSERT_EQ(m_sim->control("resume"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
}

TEST_F(SimulatorControl, LmtAnswersLostOrTooShort)
{
    const std::vector<uint8_t> global = {0x04, 0x01, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> inquire = {0x26, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(m_sim->control("drop 1 at lmt 0x26"), "ok\n");
    m_bus->lmt(global, false);
    EXPECT_FALSE(m_bus->lmt(inquire, true)) << "lost";
    EXPECT_TRUE(m_bus->lmt(inquire, true));
    ASSERT_EQ(m_sim->control("length at lmt 0x26"), "ok\n");
    m_bus->send(0x7E5, inquire);
    auto a = m_bus->waitFor(0x7E4);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->len, 5);
    EXPECT_TRUE(m_bus->lmt(inquire, true));
}

TEST_F(SimulatorControl, AFailedStoreFileWriteRefusesTheStoreAndKeepsTheFile)
{
    const std::string file = path("eeprom.txt");
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x1010, 1, 0x65766173), 0);
    const auto read = [&] {
        std::ifstream in(file);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string stored = read();
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x6081, 0, 4321), 0);
    for (const char* call : {"open", "write", "fsync", "close", "rename"}) {
        ASSERT_EQ(m_sim->control(std::string("fail-write ") + call), "ok\n");
        EXPECT_EQ(m_bus->downloadU32(kNode, 0x1010, 1, 0x65766173), 0x06060000) << call;
        EXPECT_EQ(read(), stored) << call;
        EXPECT_FALSE(std::filesystem::exists(file + ".tmp")) << call;
    }
    EXPECT_NE(m_sim->log().find("store failed"), std::string::npos);
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x1010, 1, 0x65766173), 0);
    EXPECT_NE(read(), stored);
}

TEST_F(SimulatorControl, ClearTakesBackEveryInjectedFault)
{
    uint32_t v = 0;
    for (const char* line : {"drop 1", "drop 1 at 0x1000 0", "length", "abort 0x1000 0 0x06010000", "refuse store",
                             "fail-write rename", "powercycle at 0x1000 0"})
        ASSERT_EQ(m_sim->control(line), "ok\n") << line;
    ASSERT_EQ(m_sim->control("clear"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x1010, 1, 0x65766173), 0);
}

TEST_F(SimulatorControl, BadCommandsAreRefused)
{
    for (const char* bad : {"frobnicate", "drop", "drop x", "abort 0x6081 0", "abort 0x6081 300 5", "fault 0",
                            "emcy 0x1000 0x1 1", "refuse everything", "silent x", "drop 1 at", "drop 0 at 0x1000 0",
                            "toggle at lmt 0x11", "length at 0x1000", "powercycle at 0x1000 0 x", "fail-write seek",
                            "fail-write open 0", "silent 0 at 0x1000 0",
                            "silent x at lmt 4"}) {
        const std::string reply = m_sim->control(bad);
        EXPECT_EQ(reply.rfind("error", 0), 0u) << bad << ": " << reply;
    }
    EXPECT_NE(m_sim->control("help").find("abort INDEX"), std::string::npos);
}
}  // namespace
