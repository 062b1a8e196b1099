// SimulatedNode.h - one simulated drive on the bus: the CANopen side
// (NMT, boot-up, SDO server, EMCY, PDOs, LMT, store file, test control) and
// the drive modules that it ticks.
#pragma once

#include "CanPort.h"
#include "CommandLine.h"
#include "DriveContext.h"
#include "EepromStore.h"
#include "EmergencyProducer.h"
#include "FaultTriggers.h"
#include "LmtSlave.h"
#include "PdoEngine.h"
#include "SdoServer.h"

#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SimulatedNode : public DriveContext {
public:
    SimulatedNode(const SimOptions& options, CanPort& port);
    ~SimulatedNode() override;

    // Loads the store, builds the dictionary (fixed objects, description,
    // modules) and powers the drive on. False with a message on failure.
    bool start(std::string& error);
    // Runs the event loop until stop becomes non-zero.
    void run(const volatile std::sig_atomic_t& stop);
    // What the control socket can do to the drive (ControlCommands).
    std::string stateReport() const;
    // A drive fault with this emergency code, as if the drive detected it.
    void raiseFault(uint16_t errorCode);
    SdoServer& sdoServer() { return m_sdo; }
    // The next store or firmware command is refused.
    void refuseNext(InjectedFailure failure);
    // Stops talking for ms milliseconds, or until resume().
    void silenceFor(uint64_t ms);
    void silenceUntilResumed();
    void resume();
    // Switched off and on: counters saved, reset from the store (node
    // settings too).
    void powerCycle();
    // Switched off now and on again after ms milliseconds.
    void switchOff(uint64_t ms);
    // Faults that wait for an object or LMT service.
    FaultTriggers& triggers() { return m_triggers; }
    // Offers a control line to the drive modules; true when one took it.
    bool moduleControl(const std::vector<std::string>& words, std::string& reply);

    // DriveContext
    ObjectDictionary& dictionary() override { return m_od; }
    DriveModel model() const override { return m_options.model; }
    uint8_t nodeId() const override { return m_nodeId; }
    NmtState nmtState() const override { return m_nmt; }
    uint64_t nowMs() const override { return nowUs() / 1000; }
    void sendEmergency(uint16_t errorCode, uint8_t errorRegister, const std::array<uint8_t, 5>& data) override;
    void saveRetained() override;
    void requestResetNode() override { m_resetRequested = true; }
    bool takeInjectedFailure(InjectedFailure failure) override;

    // Work of the main loop, exposed for the loop in run().
    void handleFrame(const canbus_frame& frame);
    void tick(uint32_t elapsedMs);
    uint64_t nowUs() const;
    // The control socket: poll serves it without blocking; the event loop
    // calls it when wakeFd (readable while a client talks) wakes it, and at
    // least every millisecond while frames keep coming.
    void setControl(int wakeFd, std::function<void()> poll);
    uint32_t bitsPerSecond() const { return CommandLine::kbitOf(m_bitTiming) * 1000; }

private:
    enum Range : unsigned { CommunicationRange = 1, ApplicationRange = 2 };

    void send(uint16_t id, const uint8_t* data, uint8_t length, bool remote = false);
    void logFrame(const char* direction, const canbus_frame& frame) const;
    void log(const std::string& text) const;

    void powerOn();
    void resetNode();
    void resetCommunication();
    void setNmtState(NmtState state);
    void changeNodeId(uint8_t nodeId);
    void adoptNodeId(uint8_t nodeId);
    void handleNmt(const uint8_t* data, uint8_t length);
    void handleSdo(const canbus_frame& frame);
    void handleLmt(const canbus_frame& frame);
    void strike(const FaultTriggers::Fault& fault);
    void sendHeartbeat();

    void installStoreHooks();
    uint32_t storeParameters(unsigned ranges);
    void loadValues(unsigned ranges, bool fromStore);
    static unsigned rangesOfSub(uint8_t sub);
    static bool withinRange(const ObjectEntry& e, const std::vector<uint8_t>& value);
    static bool inRange(const ObjectEntry& e, unsigned ranges);

    bool silent() const;

    // The drive's time runs in steps of 1 ms; catchUp() takes it up to now.
    void catchUp();
    // True while nothing needs a tick every millisecond.
    bool quiet() const;
    // When the event loop must look again at the latest.
    uint64_t nextWakeUs() const;

    SimOptions m_options;
    CanPort& m_port;
    ObjectDictionary m_od;
    EepromStore m_store;
    SdoServer m_sdo;
    FaultTriggers m_triggers;
    EmergencyProducer m_emcy;
    PdoEngine m_pdo;
    std::unique_ptr<LmtSlave> m_lmt;
    std::vector<std::unique_ptr<IDriveModule>> m_modules;

    uint8_t m_nodeId = 0;
    uint8_t m_bitTiming = 7;
    NmtState m_nmt = NmtState::Initialising;
    unsigned m_restorePending = 0;  // ranges to take from the factory values at the next reset
    bool m_resetRequested = false;
    bool m_refuseStore = false;
    bool m_refuseFirmware = false;
    bool m_lmtSilent = false;       // bit-rate switch in progress
    uint64_t m_silentUntilUs = 0;   // control "silent": 0 = off, UINT64_MAX = until "resume"
    uint64_t m_powerOnAtUs = 0;     // switched off until then (0: powered)
    uint64_t m_nextHeartbeatUs = 0;
    bool m_guardToggle = false;
    uint64_t m_framesSent = 0;
    uint64_t m_framesReceived = 0;
    uint64_t m_startUs = 0;
    uint64_t m_lastTickUs = 0;
    std::function<void()> m_controlPoll;
};
