#include "BusPump.h"

#include <orxboard/orx_protocol.h>
#include <pcan_ctrl.h>

#include <algorithm>
#include <ctime>

namespace orx {

namespace {

constexpr std::chrono::milliseconds kStep(5);  // longest sleep of a round
constexpr int kFramesPerRound = 256;           // then the lock is given to the others
constexpr std::uint8_t kStateBits = CTRL_ST_BUSOFF | CTRL_ST_WARNING | CTRL_ST_BUSERROR;

// CANopen TIME_OF_DAY: milliseconds after midnight (28 bits), days since
// 1 January 1984 (16 bits), local time.
void timeOfDay(std::uint8_t* out)
{
    std::time_t now = std::time(nullptr);
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&now, &local);
    std::uint32_t ms = static_cast<std::uint32_t>(((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
                                                  ts.tv_nsec / 1000000);
    std::tm epoch{};
    epoch.tm_year = 84;
    epoch.tm_mday = 1;
    epoch.tm_isdst = -1;
    std::time_t start = std::mktime(&epoch);
    std::uint16_t days = static_cast<std::uint16_t>((now - start + local.tm_gmtoff) / 86400);
    orx_put_u32(out, ms & 0x0FFFFFFFu);
    orx_put_u16(out + 4, days);
}

}  // namespace

void BusPump::run()
{
    MasterEngine& engine = m_state.engine;
    while (!m_state.stop) {
        std::uint16_t t = m_state.sdoTimeout;
        Clock::duration step = std::min<Clock::duration>(kStep, std::chrono::milliseconds(std::max(1, t / 4)));
        bool pumped = false;
        if (engine.mutex().try_lock()) {
            std::lock_guard<std::mutex> lock(engine.mutex(), std::adopt_lock);
            pumpLocked(Clock::now());
            pumped = true;
        }
        Clock::time_point now = Clock::now();
        busyNote(now);
        Clock::duration wait = std::min(step, untilNextDeadline(now));
        auto us = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
        if (us <= 0)
            continue;
        // With the engine free, until a frame comes; while another service
        // has it (its frames are its own), or with the controller stopped,
        // a short while.
        if (pumped && engine.running())
            engine.waitForFrame(static_cast<std::uint32_t>(us));
        else
            m_state.queues->waitForHost(0, std::chrono::duration_cast<std::chrono::milliseconds>(wait) +
                                               std::chrono::milliseconds(1));
    }
}

Clock::duration BusPump::untilNextDeadline(Clock::time_point now) const
{
    Clock::duration d = Clock::duration::max();
    if (m_syncDue)
        d = std::min(d, m_nextSync - now);
    if (m_timeDue)
        d = std::min(d, m_nextTime - now);
    return d;
}

void BusPump::pumpLocked(Clock::time_point now)
{
    MasterEngine& engine = m_state.engine;
    if (engine.started()) {
        int frames = 0;
        bool more = true;
        while (more && frames < kFramesPerRound) {
            more = false;
            std::uint8_t node = 0, pdo = 0, length = 0, data[8] = {};
            if (engine.readPdo(&node, &pdo, data, &length)) {
                std::uint8_t block[ORX_HEADER + 11];
                orx_block_begin(block, ORX_MSG_PDO, 11);
                block[ORX_PARAM] = node;
                block[ORX_PARAM + 1] = pdo;
                block[ORX_PARAM + 2] = length;
                std::copy(data, data + 8, block + ORX_PARAM + 3);
                post(ORX_RXQ_PDO, block, sizeof block);
                more = true;
                ++frames;
            }
            std::uint8_t emcy[8] = {};
            if (engine.readEmergency(&node, emcy)) {
                std::uint8_t block[ORX_HEADER + 9];
                orx_block_begin(block, ORX_MSG_EMCY, 9);
                block[ORX_PARAM] = node;
                std::copy(emcy, emcy + 8, block + ORX_PARAM + 1);
                post(ORX_RXQ_EMCY, block, sizeof block);
                more = true;
                ++frames;
            }
        }
        std::uint8_t status = engine.controllerStatus() & kStateBits;
        if (status != m_lastStatus) {
            m_lastStatus = status;
            event(ORX_EVENT_CAN_STATUS, status);
        }
    }
    produceSync(now);
    produceTime(now);
    m_syncDue = m_state.sync.enabled;
    m_nextSync = m_state.sync.next;
    m_timeDue = m_state.time.active;
    m_nextTime = m_state.time.next;
}

void BusPump::post(std::uint16_t queue, const std::uint8_t* block, std::uint32_t size)
{
    if (m_state.queues->post(queue, block, size)) {
        m_lost[queue] = false;
        return;
    }
    if (!m_lost[queue]) {  // once per run of losses
        m_lost[queue] = true;
        event(ORX_EVENT_LOST, queue);
    }
}

void BusPump::event(std::uint16_t code, std::uint32_t value)
{
    std::uint8_t block[ORX_HEADER + 6];
    orx_block_begin(block, ORX_MSG_EVENT, 6);
    orx_put_u16(block + ORX_PARAM, code);
    orx_put_u32(block + ORX_PARAM + 2, value);
    m_state.queues->post(ORX_RXQ_EVENT, block, sizeof block);
}

void BusPump::produceSync(Clock::time_point now)
{
    SyncProducer& s = m_state.sync;
    if (!s.enabled || !m_state.engine.started() || now < s.next)
        return;
    if (m_state.engine.sendSync() == ORX_RESULT_OK) {
        std::uint8_t note[ORX_HEADER + 6];
        orx_block_begin(note, ORX_MSG_SYNC, 6);
        orx_put_u16(note + ORX_PARAM, s.number++);
        orx_put_u32(note + ORX_PARAM + 2, static_cast<std::uint32_t>(
                                              std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  now.time_since_epoch()).count()));
        post(ORX_RXQ_SYNC, note, sizeof note);
    }
    if (!s.endless && --s.remaining == 0)
        s.enabled = false;
    s.next += std::chrono::milliseconds(s.period);
    if (s.next < now)
        s.next = now + std::chrono::milliseconds(s.period);  // fell behind: no burst to catch up
}

void BusPump::produceTime(Clock::time_point now)
{
    TimeProducer& t = m_state.time;
    if (!t.active || !m_state.engine.started() || now < t.next)
        return;
    std::uint8_t data[8] = {};
    timeOfDay(data);
    m_state.engine.writePdo(0, kTimePdo, data);
    t.next = now + std::chrono::seconds(t.interval ? t.interval : 1);
}

void BusPump::busyNote(Clock::time_point now)
{
    if (!m_state.sdoBusy || m_state.settings.silentSdo)
        return;
    auto interval = std::chrono::milliseconds(std::max(1, m_state.sdoTimeout / 4));
    if (now - m_lastNote < interval)
        return;
    m_lastNote = now;
    std::uint8_t note[ORX_HEADER + 2];
    orx_block_begin(note, ORX_SDO_BUSY, 2);
    orx_put_u16(note + ORX_PARAM, m_state.sdoTransfer);
    m_state.queues->post(ORX_RXQ_SDO, note, sizeof note);
}

}  // namespace orx
