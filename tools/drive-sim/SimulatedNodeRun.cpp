// SimulatedNode's time: the millisecond tick of the node and its modules,
// the catching up after a wait, and the loop that waits for frames, the
// control socket and the next timer - for a whole tick only while the
// drive is busy.
#include "SimulatedNode.h"

#include "ObjectIndex.h"

#include <algorithm>
#include <limits>

namespace {
// While the drive is at rest its time is caught up at least this often.
constexpr uint64_t kRestTickUs = 100000;
}  // namespace

void SimulatedNode::tick(uint32_t elapsedMs)
{
    if (m_powerOnAtUs != 0 && nowUs() >= m_powerOnAtUs) {
        m_powerOnAtUs = 0;
        log("power on");
        powerCycle();
    }
    if (m_silentUntilUs != 0 && nowUs() >= m_silentUntilUs) {
        m_silentUntilUs = 0;
        log("talking again");
    }
    m_lmt->poll(nowMs());
    for (auto& m : m_modules)
        m->tick(elapsedMs);
    if (m_resetRequested) {
        m_resetRequested = false;
        resetNode();
    }
    if (!silent() && !m_loaderRunning) {
        if (m_nmt == NmtState::Operational)
            m_pdo.poll(nowUs());
        sendHeartbeat();
    }
}

void SimulatedNode::setControl(int wakeFd, std::function<void()> poll)
{
    m_controlPoll = std::move(poll);
    m_port.setWakeFd(wakeFd);
}

void SimulatedNode::catchUp()
{
    const uint64_t now = nowUs();
    if (now < m_lastTickUs + 1000)
        return;
    const uint64_t elapsedMs = (now - m_lastTickUs) / 1000;
    m_lastTickUs += elapsedMs * 1000;
    tick(uint32_t(std::min<uint64_t>(elapsedMs, std::numeric_limits<uint32_t>::max())));
}

bool SimulatedNode::quiet() const
{
    if (m_nmt == NmtState::Operational || m_resetRequested || m_lmt->switching())
        return false;
    return std::all_of(m_modules.begin(), m_modules.end(), [](const auto& m) { return m->atRest(); });
}

uint64_t SimulatedNode::nextWakeUs() const
{
    const uint64_t nextTick = m_lastTickUs + 1000;
    if (!quiet())
        return nextTick;
    // At rest only the timers of the node itself can make it talk; a
    // heartbeat just configured is scheduled by the next tick.
    if (m_nextHeartbeatUs == 0 && m_nodeId != 0 && m_od.getUnsigned(ObjectIndex::ProducerHeartbeat, 0) != 0)
        return nextTick;
    uint64_t wake = m_lastTickUs + kRestTickUs;
    if (m_nextHeartbeatUs != 0)
        wake = std::min(wake, m_nextHeartbeatUs);
    if (m_silentUntilUs != 0)
        wake = std::min(wake, m_silentUntilUs);
    return std::max(wake, nextTick);
}

void SimulatedNode::run(const volatile std::sig_atomic_t& stop)
{
    m_lastTickUs = nowUs();
    uint64_t lastControlUs = 0;
    while (!stop) {
        const uint64_t wake = nextWakeUs();
        uint64_t now = nowUs();
        canbus_frame frame{};
        const bool got = m_port.receive(frame, wake > now ? int64_t(wake - now) : 0);
        if (got) {
            catchUp();  // the drive's time up to now, before the frame acts on it
            handleFrame(frame);
        }
        catchUp();
        // The control socket when it woke the loop, and every millisecond
        // while frames keep coming.
        now = nowUs();
        if (m_controlPoll && (!got || now - lastControlUs >= 1000)) {
            lastControlUs = now;
            m_controlPoll();
        }
    }
    saveRetained();
}
