// OperationTestSupport.h - what the motion and status logic tests share: a
// simulated drive on a private virtual bus, a master at 500 kbit/s, the
// program's document connected to the drive, a listening endpoint that
// decodes the master's SDO requests, and a document double for the
// refreshes that need no bus.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BusMonitor.h"
#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "operation/DocumentDrive.h"
#include "operation/DriveDocument.h"
#include "PrivateBus.h"
#include "ScriptedUserInterface.h"
#include "SimProcess.h"

namespace optest {

using Request = ovro::test::BusMonitor::SdoRequest;
using ovro::test::BusMonitor;

// Shorthands for the expected SDO requests.
inline Request R(std::uint16_t index, std::uint8_t sub = 0)
{
    return BusMonitor::read(index, sub);
}
inline Request W8(std::uint16_t index, std::uint32_t value)
{
    return BusMonitor::write(index, 0, value & 0xFFu, 1);
}
inline Request W16(std::uint16_t index, std::uint32_t value)
{
    return BusMonitor::write(index, 0, value & 0xFFFFu, 2);
}
inline Request W32(std::uint16_t index, std::uint32_t value)
{
    return BusMonitor::write(index, 0, value, 4);
}

class AlwaysConnect : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override;
};

// A drive of the given model as node 5 at 500 kbit/s, the document
// connected to it.
class OperationSimTest : public ::testing::Test {
public:
    static constexpr std::uint8_t kNode = 5;

protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the drive and connects the document (the first Connect, with
    // its upload); fails the test when either does not work.
    void Connect(const std::string& model = "K315");
    // One control line to the simulator; fails the test unless it says ok.
    void Control(const std::string& line);
    // A value of the simulator's state report ("drive.state", ...).
    std::string SimState(const std::string& key) { return sim_.state(key); }
    // Polls the simulator until the statusword shows all bits of mask.
    bool WaitForStatus(std::uint16_t mask, int timeoutMs);
    // Reads an object of the drive with the document's node.
    std::uint32_t ReadDrive(std::uint16_t index, std::uint8_t sub = 0);
    // Runs the status poll until it has read one whole cycle.
    void PollCycle();
    // Message texts shown so far, and forgets them.
    std::vector<std::string> TakeMessages();

    ovro::test::PrivateBus bus_;
    ovro::test::SimProcess sim_;
    CCANopenMaster master_;
    ovro::CCommissioning commissioning_;
    ScriptedUserInterface ui_;
    AlwaysConnect chooser_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
    std::unique_ptr<ovro::CDocumentDrive> drive_;
    std::unique_ptr<BusMonitor> monitor_;
};

// A document without a bus: a device of the description and the flags,
// set by the test.
class FakeDriveDocument : public ovro::IDriveDocument {
public:
    CCANopenNode* Node() const override { return node; }
    ovro::CQVTDevice* Device() const override { return device; }
    bool IsReady() const override { return ready; }
    bool IsOffline() const override { return offline; }
    bool PollFailed() const override { return pollFailed; }
    bool ErrorHistoryValid() const override { return historyValid; }
    int Model() const override { return model; }
    std::string ErrorText(std::int32_t code) const override { return "text of " + std::to_string(code); }
    bool IsBusy() const override { return busy > 0; }
    void BeginCommand() override { ++busy; }
    void EndCommand() override { --busy; }

    CCANopenNode* node = nullptr;
    ovro::CQVTDevice* device = nullptr;
    bool ready = true;
    bool offline = false;
    bool pollFailed = false;
    bool historyValid = true;
    int model = 2;
    int busy = 0;  // commands running
};

// The description of data/, loaded once per test program.
ovro::CCommissioning& Description();
// A parameter's value set in a device's table (integer types).
void SetParameter(ovro::CQVTDevice& device, std::uint16_t index, std::uint8_t sub, std::int64_t value);

// The Latin-1 texts of the message table with their arguments.
std::string Message(unsigned id, const std::string& a = {}, const std::string& b = {});

} // namespace optest
