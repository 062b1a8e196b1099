#include "SimulatedNode.h"

#include "CommunicationObjects.h"
#include "DescriptionObjects.h"
#include "ObjectIndex.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <sstream>

namespace {
constexpr uint16_t kNmtId = 0x000;
constexpr uint16_t kSyncId = 0x080;
constexpr uint16_t kEmcyBase = 0x080;
constexpr uint16_t kSdoRequestBase = 0x600;
constexpr uint16_t kSdoAnswerBase = 0x580;
constexpr uint16_t kHeartbeatBase = 0x700;
constexpr uint16_t kNodeSettings = 0x2005;  // sub 1 node-id, sub 2 bit-timing index

enum NmtCommand : uint8_t { Start = 0x01, Stop = 0x02, EnterPreOperational = 0x80, ResetNode = 0x81, ResetComm = 0x82 };

const char* nmtName(NmtState s)
{
    switch (s) {
    case NmtState::Initialising: return "initialising";
    case NmtState::Stopped: return "stopped";
    case NmtState::Operational: return "operational";
    case NmtState::PreOperational: return "pre-operational";
    }
    return "?";
}
}  // namespace

SimulatedNode::SimulatedNode(const SimOptions& options, CanPort& port)
    : m_options(options),
      m_port(port),
      m_store(options.eeprom),
      m_sdo(m_od),
      m_emcy(m_od),
      m_pdo(m_od, [this](const PdoEngine::Frame& f) { send(f.cobId, f.data, f.length); })
{
    m_startUs = nowUs();  // nowUs() counts from 0 while m_startUs is still 0
}

SimulatedNode::~SimulatedNode() = default;

uint64_t SimulatedNode::nowUs() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u - m_startUs;
}

void SimulatedNode::log(const std::string& text) const
{
    if (m_options.quiet)
        return;
    std::fprintf(stderr, "ovro-drive-sim[%u]: %s\n", m_nodeId, text.c_str());
}

void SimulatedNode::logFrame(const char* direction, const canbus_frame& frame) const
{
    if (!m_options.verbose)
        return;
    char line[96];
    int n = std::snprintf(line, sizeof line, "%s %03X%s [%u]", direction, unsigned(frame.id & CANBUS_SFF_MASK),
                          (frame.id & CANBUS_RTR_FLAG) ? " RTR" : "", frame.len);
    for (unsigned i = 0; i < frame.len && i < 8 && n > 0 && n < int(sizeof line) - 4; ++i)
        n += std::snprintf(line + n, sizeof line - size_t(n), " %02X", frame.data[i]);
    log(line);
}

bool SimulatedNode::silent() const
{
    return m_lmtSilent || m_powerOnAtUs != 0 || (m_silentUntilUs != 0 && nowUs() < m_silentUntilUs);
}

void SimulatedNode::send(uint16_t id, const uint8_t* data, uint8_t length, bool remote)
{
    if (silent())
        return;
    canbus_frame frame{};
    frame.id = id | (remote ? CANBUS_RTR_FLAG : 0);
    frame.len = std::min<uint8_t>(length, 8);
    if (data)
        std::copy(data, data + frame.len, frame.data);
    logFrame("tx", frame);
    if (m_port.send(frame))
        ++m_framesSent;
}

bool SimulatedNode::start(std::string& error)
{
    std::string storeError;
    const bool storeReadable = m_store.load(storeError);
    if (!storeReadable) {
        // Keep the damaged file as it is until the next save: the drive
        // starts with factory values.
        log("store file unusable, starting with factory values: " + storeError);
    }
    m_nodeId = m_options.nodeId;
    m_bitTiming = m_options.bitTiming;
    if (m_store.nodeId) {
        const uint8_t stored = *m_store.nodeId == LmtSlave::kUnconfigured ? 0 : *m_store.nodeId;
        if (stored != m_nodeId)
            log("node-id " + std::to_string(stored) + " from the store file (LMT) overrides the command line");
        m_nodeId = stored;
    }
    if (m_store.bitTiming && *m_store.bitTiming != m_bitTiming) {
        log("bit rate " + std::to_string(CommandLine::kbitOf(*m_store.bitTiming)) +
            " kbit/s from the store file (LMT) overrides the command line");
        m_bitTiming = *m_store.bitTiming;
    }
    m_port.setBitrate(bitsPerSecond());

    CommunicationObjects::add(m_od, m_options.model, m_nodeId, m_options.serial);
    m_emcy.addObjects(m_nodeId);
    m_pdo.addObjects(m_nodeId);
    installStoreHooks();
    if (m_options.description.empty()) {
        log("no device description found: serving the fixed objects only");
    } else {
        const int added = DescriptionObjects::add(m_od, m_options.model, m_options.description, error);
        if (added < 0)
            return false;
        if (m_options.verbose)
            log(std::to_string(added) + " parameters from " + m_options.description);
    }

    // The node settings objects show the active node-id and bit rate.
    m_od.setReadHook(kNodeSettings, 1, [this](ObjectEntry& e) {
        e.value = ObjectDictionary::encode(e.type, m_nodeId ? m_nodeId : LmtSlave::kUnconfigured);
        return SdoAbortCode::None;
    });
    m_od.setReadHook(kNodeSettings, 2, [this](ObjectEntry& e) {
        e.value = ObjectDictionary::encode(e.type, m_bitTiming);
        return SdoAbortCode::None;
    });

    for (auto& [name, factory] : DriveModuleRegistration::all()) {
        std::unique_ptr<IDriveModule> module = factory(*this);
        if (!module) {
            error = "drive module '" + name + "' could not be created";
            return false;
        }
        m_modules.push_back(std::move(module));
    }
    CommunicationObjects::addMissingProfileObjects(m_od);
    for (auto& m : m_modules) {
        if (!m->prepare(error))
            return false;
    }

    LmtSlave::Actions actions;
    actions.store = [this](uint8_t nodeId, uint8_t timing) {
        if (takeInjectedFailure(InjectedFailure::RefuseStore))
            return false;
        m_store.nodeId = nodeId;
        m_store.bitTiming = timing;
        std::string e;
        if (!m_store.save(e)) {
            log("LMT store failed: " + e);
            return false;
        }
        return true;
    };
    actions.switchBitRate = [this](uint8_t timing) {
        m_bitTiming = timing;
        m_port.setBitrate(bitsPerSecond());
        log("bit rate now " + std::to_string(CommandLine::kbitOf(timing)) + " kbit/s");
    };
    actions.applyNodeId = [this](uint8_t nodeId) { changeNodeId(nodeId == LmtSlave::kUnconfigured ? 0 : nodeId); };
    actions.setSilent = [this](bool s) { m_lmtSilent = s; };
    m_lmt = std::make_unique<LmtSlave>(
        LmtSlave::makeAddress(CommunicationObjects::kLmtManufacturer,
                              CommunicationObjects::lmtProductName(m_options.model), m_options.serial),
        std::move(actions));
    m_lmt->setActive(m_nodeId ? m_nodeId : LmtSlave::kUnconfigured, m_bitTiming);

    // Retained values (counters) come from the store once, at power-on.
    for (auto& [key, e] : m_od.entries()) {
        if (e.storage != Storage::Retained)
            continue;
        auto it = m_store.values().find(key);
        if (it != m_store.values().end() && (e.fixedSize() == 0 || it->second.size() == e.fixedSize()))
            e.value = it->second;
    }
    if (!m_store.found() && storeReadable) {
        // A new store holds the factory values.
        for (const auto& [key, e] : m_od.entries()) {
            if (e.storage != Storage::Volatile)
                m_store.values()[key] = e.factoryValue;
        }
        std::string e;
        if (!m_store.save(e)) {
            error = "cannot create the store file: " + e;
            return false;
        }
    }
    log(std::string("drive ") + CommunicationObjects::deviceName(m_options.model) + " on " + m_port.describe() +
        " at " + std::to_string(CommandLine::kbitOf(m_bitTiming)) + " kbit/s" +
        (m_nodeId ? "" : ", unconfigured (LMT only)"));
    powerOn();
    return true;
}

void SimulatedNode::powerOn()
{
    resetNode();
}

void SimulatedNode::resetNode()
{
    m_nmt = NmtState::Initialising;
    m_sdo.reset();
    loadValues(CommunicationRange | ApplicationRange, true);
    m_restorePending = 0;
    for (auto& m : m_modules)
        m->onEvent(DriveEvent::ResetNode);
    resetCommunication();
}

void SimulatedNode::resetCommunication()
{
    m_nmt = NmtState::Initialising;
    m_sdo.reset();
    loadValues(CommunicationRange, true);
    m_restorePending &= ~unsigned(CommunicationRange);
    m_pdo.restart(nowUs());
    m_guardToggle = false;
    for (auto& m : m_modules)
        m->onEvent(DriveEvent::ResetCommunication);
    if (m_nodeId == 0)
        return;  // an unconfigured node stays quiet and waits for LMT
    const uint8_t bootUp = 0;
    send(uint16_t(kHeartbeatBase + m_nodeId), &bootUp, 1);
    setNmtState(NmtState::PreOperational);
    const uint64_t period = m_loaderRunning ? 0 : m_od.getUnsigned(ObjectIndex::ProducerHeartbeat, 0);
    m_nextHeartbeatUs = period ? nowUs() + period * 1000 : 0;
}

void SimulatedNode::setNmtState(NmtState state)
{
    if (state == m_nmt)
        return;
    m_nmt = state;
    if (state == NmtState::Operational)
        m_pdo.restart(nowUs());
    if (m_options.verbose)
        log(std::string("NMT ") + nmtName(state));
    for (auto& m : m_modules)
        m->onEvent(DriveEvent::NmtStateChanged);
}

void SimulatedNode::changeNodeId(uint8_t nodeId)
{
    adoptNodeId(nodeId);
    resetCommunication();
}

void SimulatedNode::adoptNodeId(uint8_t nodeId)
{
    log("node-id now " + std::to_string(nodeId));
    m_nodeId = nodeId;
    // COB-IDs that follow the node-id get new factory values; stored ones of
    // the old node-id no longer apply.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> keep;
    for (const auto& [key, e] : m_od.entries())
        keep.emplace_back(key, e.value);
    CommunicationObjects::setNodeId(m_od, nodeId);
    m_emcy.addObjects(nodeId);
    m_pdo.addObjects(nodeId);
    for (uint16_t comm : PdoEngine::tpdoIndexes())
        m_store.values().erase(ObjectDictionary::key(comm, 1));
    for (uint16_t comm : PdoEngine::rpdoIndexes())
        m_store.values().erase(ObjectDictionary::key(comm, 1));
    // Keep the error history and error register across the change.
    for (const auto& [key, value] : keep) {
        ObjectEntry* e = m_od.find(uint16_t(key >> 8), uint8_t(key));
        if (e && e->index >= ObjectIndex::ErrorRegister && e->index <= ObjectIndex::ErrorHistory)
            e->value = value;
    }
}

void SimulatedNode::sendEmergency(uint16_t errorCode, uint8_t errorRegister, const std::array<uint8_t, 5>& data)
{
    const std::array<uint8_t, 8> bytes = m_emcy.record(errorCode, errorRegister, data);
    if (m_nodeId == 0 || m_nmt == NmtState::Stopped || m_nmt == NmtState::Initialising || m_loaderRunning)
        return;
    send(uint16_t(kEmcyBase + m_nodeId), bytes.data(), 8);
}

void SimulatedNode::setLoaderRunning(bool running, std::function<bool(uint16_t index)> served)
{
    if (running != m_loaderRunning)
        log(running ? "a firmware loader runs" : "the application runs");
    m_loaderRunning = running;
    m_sdo.setObjectFilter(running ? std::move(served) : std::function<bool(uint16_t)>());
    if (running)
        m_nextHeartbeatUs = 0;
}

bool SimulatedNode::takeInjectedFailure(InjectedFailure failure)
{
    bool& flag = failure == InjectedFailure::RefuseStore ? m_refuseStore : m_refuseFirmware;
    const bool set = flag;
    flag = false;
    return set;
}

void SimulatedNode::handleFrame(const canbus_frame& frame)
{
    if (frame.id & (CANBUS_ERR_FLAG | CANBUS_EFF_FLAG))
        return;  // error frames and extended identifiers are not CANopen
    if (silent())
        return;
    ++m_framesReceived;
    logFrame("rx", frame);
    const uint16_t id = uint16_t(frame.id & CANBUS_SFF_MASK);
    const bool remote = frame.id & CANBUS_RTR_FLAG;

    if (m_loaderRunning)
        return handleLoaderFrame(frame);
    if (id == LmtSlave::kMasterId && !remote)
        return handleLmt(frame);
    if (m_nodeId == 0)
        return;  // unconfigured: LMT only
    if (id == kNmtId && !remote)
        return handleNmt(frame.data, frame.len);
    if (remote && id == kHeartbeatBase + m_nodeId) {
        // Node guarding: state with the toggle bit.
        const uint8_t state = uint8_t(uint8_t(m_nmt) | (m_guardToggle ? 0x80 : 0));
        m_guardToggle = !m_guardToggle;
        send(id, &state, 1);
        return;
    }
    if (m_nmt == NmtState::Stopped)
        return;
    if (id == kSdoRequestBase + m_nodeId && !remote)
        return handleSdo(frame);
    if (m_nmt != NmtState::Operational)
        return;
    if (id == (m_od.getUnsigned(ObjectIndex::SyncCobId, 0) & 0x7FF) && !remote) {
        m_pdo.onSync();
        return;
    }
    if (remote)
        m_pdo.onRemoteRequest(id);
    else
        m_pdo.onFrame(id, frame.data, frame.len);
}

void SimulatedNode::handleLoaderFrame(const canbus_frame& frame)
{
    // A loader knows its SDO channel and the NMT resets, nothing else: it
    // stays pre-operational until it starts an application.
    const uint16_t id = uint16_t(frame.id & CANBUS_SFF_MASK);
    if (m_nodeId == 0 || (frame.id & CANBUS_RTR_FLAG))
        return;
    if (id == kNmtId && frame.len == 2 && (frame.data[1] == 0 || frame.data[1] == m_nodeId)) {
        if (frame.data[0] == ResetNode || frame.data[0] == ResetComm)
            resetNode();  // the loader restarts the controller either way
        return;
    }
    if (id == kSdoRequestBase + m_nodeId)
        handleSdo(frame);
}

void SimulatedNode::handleNmt(const uint8_t* data, uint8_t length)
{
    if (length != 2 || (data[1] != 0 && data[1] != m_nodeId))
        return;
    switch (data[0]) {
    case Start: setNmtState(NmtState::Operational); break;
    case Stop: setNmtState(NmtState::Stopped); break;
    case EnterPreOperational: setNmtState(NmtState::PreOperational); break;
    case ResetNode: resetNode(); break;
    case ResetComm: resetCommunication(); break;
    default: break;
    }
}

void SimulatedNode::handleSdo(const canbus_frame& frame)
{
    const FaultTriggers::Fault fault = m_triggers.onSdoRequest(frame.data, frame.len, m_sdo.faults());
    if (fault.strikesNow())
        return strike(fault);
    SdoServer::Answer answer;
    if (m_sdo.handle(frame.data, frame.len, answer))
        send(uint16_t(kSdoAnswerBase + m_nodeId), answer.data, answer.length);
}

void SimulatedNode::handleLmt(const canbus_frame& frame)
{
    const FaultTriggers::Fault fault = m_triggers.onLmtRequest(frame.data, frame.len);
    if (fault.strikesNow())
        return strike(fault);
    std::array<uint8_t, 8> answer{};
    if (!m_lmt->handle(frame.data, frame.len, answer, nowMs()))
        return;
    FaultTriggers::Fault& faults = m_triggers.lmtFaults();
    if (faults.dropAnswers > 0) {
        --faults.dropAnswers;
        return;
    }
    const bool wrongLength = faults.wrongLength;
    faults.wrongLength = false;
    send(LmtSlave::kSlaveId, answer.data(), wrongLength ? 5 : 8);
}

void SimulatedNode::sendHeartbeat()
{
    const uint64_t period = m_od.getUnsigned(ObjectIndex::ProducerHeartbeat, 0);
    if (period == 0 || m_nodeId == 0) {
        m_nextHeartbeatUs = 0;
        return;
    }
    const uint64_t now = nowUs();
    if (m_nextHeartbeatUs == 0)
        m_nextHeartbeatUs = now + period * 1000;
    if (now < m_nextHeartbeatUs)
        return;
    m_nextHeartbeatUs = now + period * 1000;
    const uint8_t state = uint8_t(m_nmt);
    send(uint16_t(kHeartbeatBase + m_nodeId), &state, 1);
}

std::string SimulatedNode::stateReport() const
{
    std::ostringstream out;
    out << "model=" << CommunicationObjects::deviceName(m_options.model) << "\n";
    out << "node-id=" << unsigned(m_nodeId) << "\n";
    out << "bitrate=" << CommandLine::kbitOf(m_bitTiming) << "\n";
    out << "nmt=" << nmtName(m_nmt) << "\n";
    out << "lmt=" << (m_lmt->configurationMode() ? "configuration" : "operation") << "\n";
    out << "lmt-pending-node-id=" << unsigned(m_lmt->pendingNodeId()) << "\n";
    out << "lmt-pending-bitrate=" << CommandLine::kbitOf(m_lmt->pendingBitTiming()) << "\n";
    out << "silent=" << (silent() ? 1 : 0) << "\n";
    out << "loader=" << (m_loaderRunning ? 1 : 0) << "\n";
    out << "error-register=" << m_od.getUnsigned(ObjectIndex::ErrorRegister, 0) << "\n";
    out << "errors=" << unsigned(m_emcy.historyCount()) << "\n";
    out << "restore-pending=" << m_restorePending << "\n";
    out << "frames-sent=" << m_framesSent << "\n";
    out << "frames-received=" << m_framesReceived << "\n";
    std::string modules;
    for (const auto& m : m_modules)
        m->describeState(modules);
    out << modules;
    if (!modules.empty() && modules.back() != '\n')
        out << "\n";
    return out.str();
}

void SimulatedNode::raiseFault(uint16_t errorCode)
{
    sendEmergency(errorCode, 0x01, {});
    for (auto& m : m_modules)
        m->onFault(errorCode);
}

void SimulatedNode::refuseNext(InjectedFailure failure)
{
    (failure == InjectedFailure::RefuseStore ? m_refuseStore : m_refuseFirmware) = true;
}

void SimulatedNode::silenceFor(uint64_t ms)
{
    m_silentUntilUs = nowUs() + ms * 1000;
    m_sdo.reset();
}

void SimulatedNode::silenceUntilResumed()
{
    m_silentUntilUs = std::numeric_limits<uint64_t>::max();
    m_sdo.reset();
}

void SimulatedNode::resume()
{
    m_silentUntilUs = 0;
}

void SimulatedNode::powerCycle()
{
    saveRetained();
    m_silentUntilUs = 0;
    m_powerOnAtUs = 0;
    m_lmtSilent = false;
    // Node-id and bit rate come from the store, else from the command line,
    // as at power-on; what LMT configured without storing is gone.
    uint8_t nodeId = m_options.nodeId;
    if (m_store.nodeId)
        nodeId = *m_store.nodeId == LmtSlave::kUnconfigured ? 0 : *m_store.nodeId;
    const uint8_t bitTiming = m_store.bitTiming ? *m_store.bitTiming : m_options.bitTiming;
    if (bitTiming != m_bitTiming) {
        m_bitTiming = bitTiming;
        m_port.setBitrate(bitsPerSecond());
    }
    if (nodeId != m_nodeId)
        adoptNodeId(nodeId);
    m_lmt->powerOn(m_nodeId ? m_nodeId : LmtSlave::kUnconfigured, m_bitTiming);
    resetNode();
}

void SimulatedNode::strike(const FaultTriggers::Fault& fault)
{
    if (fault.powerCycle)
        switchOff(fault.offMs);
    else if (fault.silentMs == FaultTriggers::kForGood)
        silenceUntilResumed();
    else
        silenceFor(fault.silentMs);
}

void SimulatedNode::switchOff(uint64_t ms)
{
    log("power off for " + std::to_string(ms) + " ms");
    saveRetained();
    m_sdo.reset();
    m_powerOnAtUs = nowUs() + std::max<uint64_t>(ms, 1) * 1000;
}

bool SimulatedNode::moduleControl(const std::vector<std::string>& words, std::string& reply)
{
    for (auto& m : m_modules) {
        if (m->onControl(words, reply))
            return true;
    }
    return false;
}
