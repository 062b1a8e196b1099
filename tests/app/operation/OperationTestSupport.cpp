#include "OperationTestSupport.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/StatusPoll.h"
#include "ui/MessageTexts.h"

namespace optest {

using namespace std::chrono_literals;

ovro::ConnectDeviceChoice AlwaysConnect::Choose(const ovro::ConnectDeviceRequest&)
{
    ovro::ConnectDeviceChoice choice;
    choice.result = ovro::ConnectDeviceChoice::Connect;
    choice.nodeId = OperationSimTest::kNode;
    choice.baudRate = COP_BAUD_500;
    return choice;
}

void OperationSimTest::SetUp()
{
    ASSERT_TRUE(bus_.create("ovro-op"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:op", 1);
    ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
    std::map<std::int32_t, std::string> errors;
    for (const ovro::CQVTEnumerator& e : commissioning_.errors)
        errors.emplace(e.value, e.text);
    master_.SetErrorList(errors);
    if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovro-drive-sim is not built";
    monitor_ = std::make_unique<BusMonitor>("op");
    ASSERT_TRUE(monitor_->isOpen());
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 0))
        << "error " << master_.LastError();
    // Generous, for a machine under load.
    master_.SetSDOTimeout(500);
}

void OperationSimTest::TearDown()
{
    drive_.reset();
    doc_.reset();
    master_.Terminate();
    sim_.stop();
    monitor_.reset();
    bus_.remove();
}

void OperationSimTest::Connect(const std::string& model)
{
    ASSERT_TRUE(sim_.start(bus_.dir(), {"--model", model, "--node-id", std::to_string(kNode), "--bitrate", "500",
                                        "--bus", "op", "--eeprom", bus_.path("drive.eeprom"), "--description",
                                        OVRO_DESCRIPTION_FILE}))
        << "ovro-drive-sim did not start: " << sim_.log();
    ovro::DocumentEnvironment env;
    env.master = &master_;
    env.commissioning = &commissioning_;
    env.ui = &ui_;
    env.chooser = &chooser_;
    env.sleep = [](std::chrono::milliseconds) {};
    env.descriptionPath = OVRO_DESCRIPTION_FILE;
    doc_ = std::make_unique<ovro::CQVTDoc>(env);
    ASSERT_TRUE(doc_->OnNewDocument()) << (ui_.messages.empty() ? std::string() : ui_.messages.back().text);
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    drive_ = std::make_unique<ovro::CDocumentDrive>(*doc_, commissioning_);
}

void OperationSimTest::Control(const std::string& line)
{
    EXPECT_EQ(sim_.control(line), "ok\n") << line;
}

bool OperationSimTest::WaitForStatus(std::uint16_t mask, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::uint32_t sw = static_cast<std::uint32_t>(std::stoul(sim_.state("drive.statusword"), nullptr, 16));
        if ((sw & mask) == mask)
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
}

std::uint32_t OperationSimTest::ReadDrive(std::uint16_t index, std::uint8_t sub)
{
    std::uint32_t value = 0;
    EXPECT_TRUE(doc_->Node()->ReadU32(index, sub, value)) << std::hex << index << "/" << int(sub);
    return value;
}

void OperationSimTest::PollCycle()
{
    doc_->SetPollPause(0);
    // At 500 kbit/s a tick reads 24 steps, ending on a multiple of 24: three
    // ticks are one whole cycle from wherever it stands.
    const int ticks = ovro::CStatusPoll::kCycleLength / ovro::CStatusPoll::BatchSize(COP_BAUD_500, 2);
    for (int i = 0; i < ticks; ++i)
        doc_->OnPollTimer();
}

std::vector<std::string> OperationSimTest::TakeMessages()
{
    std::vector<std::string> texts;
    for (const auto& m : ui_.messages)
        texts.push_back(m.text);
    ui_.messages.clear();
    return texts;
}

ovro::CCommissioning& Description()
{
    static ovro::CCommissioning* description = [] {
        auto* c = new ovro::CCommissioning;
        c->LoadDescription(OVRO_DESCRIPTION_FILE);
        return c;
    }();
    return *description;
}

void SetParameter(ovro::CQVTDevice& device, std::uint16_t index, std::uint8_t sub, std::int64_t value)
{
    ovro::CQVTParameter* p = device.FindParameter(index, sub);
    ASSERT_NE(p, nullptr) << std::hex << index << "/" << int(sub);
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    p->SetRaw(bytes, static_cast<std::size_t>(p->GetSize()));
}

std::string Message(unsigned id, const std::string& a, const std::string& b)
{
    return FormatMessage(id, a.c_str(), b.c_str());
}

} // namespace optest
