#include "SdoHandler.h"

#include <orxboard/orx_protocol.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>
#include <unistd.h>

namespace cardmaster {

namespace {

using Clock = std::chrono::steady_clock;

// The longest wait between two looks at the cancel and stop flags.
constexpr std::uint32_t kSliceMs = 50;

void signalEvent(int fd)
{
    if (fd < 0)
        return;
    std::uint64_t one = 1;
    (void)!::write(fd, &one, sizeof one);
}

}  // namespace

SdoHandler::SdoHandler(QueManager& queues, std::uint16_t timeout) : m_queues(queues), m_timeout(timeout) {}

SdoHandler::~SdoHandler()
{
    stop();
}

COP_CM_RESULT SdoHandler::start()
{
    try {
        m_thread = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        return CM_ERR_SDO_INSTALL;
    }
    return CM_OK;
}

void SdoHandler::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_cancel = true;
    }
    m_wake.notify_all();
    KdiMsgIf* kdi = m_queues.kdi();
    kdi->SetEvent(kdi, ORX_RXQ_SDO);
    if (m_thread.joinable())
        m_thread.join();
}

COP_CM_RESULT SdoHandler::put(const SdoRequest& request)
{
    if (request.direction == CM_SDO_DOWNLOAD && request.length > 0 && !request.data)
        return CM_ERR_PARAMETER;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop)
            return CM_ERR_GENERAL;
        if (m_state == State::Running)
            return CM_ERR_SDO_RUNNING;
        m_request = request;
        if (request.direction == CM_SDO_DOWNLOAD)
            m_data.assign(request.data, request.data + request.length);
        else
            m_data.clear();
        m_request.data = nullptr;
        m_received = 0;
        m_abort = 0;
        m_result = CM_OK;
        m_cancel = false;
        m_lastCancelled = false;
        m_state = State::Running;
        m_pending = true;
    }
    m_wake.notify_all();
    return CM_OK;
}

COP_CM_RESULT SdoHandler::get(std::uint8_t* data, std::uint16_t* length, std::uint32_t* abort)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (m_state) {
    case State::Running:
        return CM_ERR_EMPTY;
    case State::Idle:
        return m_lastCancelled ? CM_ERR_SDO_CANCELLED : CM_ERR_GENERAL;
    case State::Done: {
        if (length) {
            std::uint16_t n = std::min<std::uint16_t>(*length, static_cast<std::uint16_t>(m_data.size()));
            if (data && n)
                std::memcpy(data, m_data.data(), n);
            *length = m_request.direction == CM_SDO_UPLOAD ? m_received : m_request.length;
        }
        if (abort)
            *abort = m_abort;
        m_state = State::Idle;
        m_idle.notify_all();
        return CM_OK;
    }
    case State::Failed:
    default:
        if (abort)
            *abort = m_abort;
        if (length)
            *length = 0;
        m_state = State::Idle;
        m_idle.notify_all();
        return m_result;
    }
}

COP_CM_RESULT SdoHandler::cancel(std::uint16_t* transfer, std::uint8_t* node)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    *transfer = m_transfer;  // the last one, also when it has ended
    *node = m_request.node;
    if (m_state == State::Running) {
        m_cancel = true;
        lock.unlock();
        m_wake.notify_all();
        KdiMsgIf* kdi = m_queues.kdi();
        kdi->SetEvent(kdi, ORX_RXQ_SDO);
        lock.lock();
    }
    bool free = m_idle.wait_for(lock, std::chrono::milliseconds(kCancelWaitMs),
                                [&] { return m_state != State::Running; });
    if (!free)
        return CM_ERR_TIMEOUT;
    if (m_state == State::Failed && m_result == CM_ERR_SDO_CANCELLED) {
        // Nobody will fetch a cancelled result: the handler is free now,
        // and a late COP_GetSDO still learns what happened.
        m_state = State::Idle;
        m_lastCancelled = true;
    }
    return CM_OK;
}

bool SdoHandler::cancelled()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cancel;
}

void SdoHandler::finish(State state, COP_CM_RESULT result)
{
    {
        // Signalled with the lock held: the waiter fetches the result under
        // the same lock, so it never closes the event before this write.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state = state;
        m_result = result;
        signalEvent(m_request.event);
    }
    m_idle.notify_all();
}

void SdoHandler::work()
{
    for (;;) {
        SdoRequest request;
        std::vector<std::uint8_t> data;
        std::uint16_t number;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_pending || m_stop; });
            if (m_pending && m_stop) {
                m_pending = false;
                lock.unlock();
                finish(State::Failed, CM_ERR_SDO_CANCELLED);
                return;
            }
            if (m_stop)
                return;
            m_pending = false;
            request = m_request;
            data.swap(m_data);
            number = ++m_transfer;
            if (number == 0)
                number = m_transfer = 1;
        }
        COP_CM_RESULT r = transfer(number, request, data);
        finish(r == CM_OK ? State::Done : State::Failed, r);
    }
}

bool SdoHandler::sendPiece(const std::uint8_t* block, std::uint32_t size)
{
    KdiMsgIf* kdi = m_queues.kdi();
    Clock::time_point until = Clock::now() + std::chrono::milliseconds(m_timeout.load());
    for (;;) {
        KDI_RESULT r = kdi->Send(kdi, ORX_TXQ_SDO, block, size);
        if (r == KDI_OK)
            return true;
        if (r != KDI_ERR_FULL || Clock::now() >= until || cancelled())
            return false;
        ::usleep(1000);
    }
}

COP_CM_RESULT SdoHandler::transfer(std::uint16_t number, const SdoRequest& q, const std::vector<std::uint8_t>& data)
{
    // Answers of a request given up before are still on their way: skip them.
    const bool download = q.direction == CM_SDO_DOWNLOAD;
    std::size_t offset = 0;
    std::uint8_t piece = 0;
    do {
        std::size_t n = download ? std::min<std::size_t>(data.size() - offset, ORX_SDO_PIECE_DATA) : 0;
        std::uint8_t block[ORX_SDO_BLOCK_MAX];
        orx_block_begin(block, piece == 0 ? ORX_SDO_REQUEST : ORX_SDO_DATA,
                        static_cast<std::uint16_t>(ORX_SDO_PIECE_HEADER - ORX_HEADER + n));
        orx_put_u16(block + ORX_SDOQ_TRANSFER, number);
        block[ORX_SDOQ_PIECE] = piece++;
        block[ORX_SDOQ_NODE] = q.node;
        block[ORX_SDOQ_SDO] = q.sdoNumber;
        block[ORX_SDOQ_FLAGS] = static_cast<std::uint8_t>((download ? ORX_SDOF_DOWNLOAD : 0) |
                                                          (q.mode == CM_SDO_BLOCK ? ORX_SDOF_BLOCK : 0));
        orx_put_u16(block + ORX_SDOQ_INDEX, q.index);
        block[ORX_SDOQ_SUB] = q.subIndex;
        orx_put_u16(block + ORX_SDOQ_LENGTH, q.length);
        if (n)
            std::memcpy(block + ORX_SDO_PIECE_HEADER, data.data() + offset, n);
        if (!sendPiece(block, static_cast<std::uint32_t>(ORX_SDO_PIECE_HEADER + n)))
            return cancelled() ? CM_ERR_SDO_CANCELLED : CM_ERR_TIMEOUT;
        offset += n;
    } while (offset < data.size());

    std::vector<std::uint8_t> received;
    KdiMsgIf* kdi = m_queues.kdi();
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_timeout.load());
    for (;;) {
        if (cancelled())
            return CM_ERR_SDO_CANCELLED;
        std::uint8_t block[ORX_SDO_BLOCK_MAX];
        std::uint32_t size = 0;
        if (m_queues.receive(ORX_RXQ_SDO, block, sizeof block, &size) == KDI_OK) {
            if (size < ORX_HEADER)
                continue;
            std::uint16_t code = orx_block_code(block);
            if (code == ORX_SDO_BUSY) {
                deadline = Clock::now() + std::chrono::milliseconds(m_timeout.load());
                continue;
            }
            if (code != ORX_SDO_ANSWER || size < ORX_SDO_PIECE_HEADER ||
                orx_get_u16(block + ORX_SDOA_TRANSFER) != number)
                continue;
            deadline = Clock::now() + std::chrono::milliseconds(m_timeout.load());
            received.insert(received.end(), block + ORX_SDO_PIECE_HEADER, block + size);
            if (!(block[ORX_SDOA_FLAGS] & ORX_SDOA_LAST))
                continue;
            auto result = static_cast<std::int8_t>(block[ORX_SDOA_RESULT]);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_abort = orx_get_u32(block + ORX_SDOA_ABORT);
            m_received = orx_get_u16(block + ORX_SDOA_LENGTH);
            m_data.swap(received);
            return result;
        }
        Clock::time_point now = Clock::now();
        if (now >= deadline)
            return CM_ERR_TIMEOUT;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        kdi->WaitEvent(kdi, ORX_RXQ_SDO, static_cast<std::uint32_t>(std::min<long long>(left, kSliceMs)));
    }
}

}  // namespace cardmaster
