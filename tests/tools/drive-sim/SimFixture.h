// SimFixture.h - a private virtual bus in a fresh directory, simulators on
// it as child processes, and a test master.
#pragma once

#include "BusClient.h"
#include "PrivateBus.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using ovro::test::SimProcess;

class SimFixture : public ::testing::Test {
protected:
    static constexpr const char* kBus = "t";
    static constexpr uint8_t kNode = 5;  // the node-id of the drive most tests start

    void SetUp() override { ASSERT_TRUE(m_bus.create("ovro-drive-sim-test")); }

    void TearDown() override
    {
        for (auto& sim : m_sims)
            sim->stop();
        m_sims.clear();
        m_clients.clear();
        m_bus.remove();
    }

    // A simulator with these arguments on the private bus (plus --bus).
    SimProcess& startSim(std::vector<std::string> args)
    {
        args.push_back("--bus");
        args.push_back(kBus);
        m_sims.push_back(std::make_unique<SimProcess>());
        SimProcess& sim = *m_sims.back();
        EXPECT_TRUE(sim.start(m_bus.dir(), args)) << sim.log();
        return sim;
    }

    BusClient& client(uint32_t bitrate = 500000)
    {
        m_clients.push_back(std::make_unique<BusClient>(kBus, bitrate));
        EXPECT_TRUE(m_clients.back()->ok());
        return *m_clients.back();
    }

    std::string path(const std::string& name) const { return m_bus.path(name); }
    const std::string& dir() const { return m_bus.dir(); }

    static std::string descriptionPath()
    {
        return std::filesystem::path(SimProcess::executable()).parent_path() / "Ovro-QVT.xml";
    }

private:
    ovro::test::PrivateBus m_bus;
    std::vector<std::unique_ptr<SimProcess>> m_sims;
    std::vector<std::unique_ptr<BusClient>> m_clients;
};
