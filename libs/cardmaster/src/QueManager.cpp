#include "QueManager.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <system_error>

namespace cardmaster {

namespace {

constexpr std::uint32_t kEventWaitMs = 200;

}  // namespace

QueManager::QueManager(KdiMsgIf* kdi, std::uint16_t handle)
    : m_kdi(kdi), m_handle(handle), m_shared(std::make_shared<Shared>())
{
}

QueManager::~QueManager()
{
    stop();
}

COP_CM_RESULT QueManager::open()
{
    if (m_kdi->OpenQueues(m_kdi, ORX_TX_QUEUES, ORX_RX_QUEUES) != KDI_OK)
        return CM_ERR_KDI;
    m_open = true;
    return CM_OK;
}

void QueManager::close()
{
    if (m_open)
        m_kdi->CloseQueues(m_kdi);
    m_open = false;
}

KDI_RESULT QueManager::receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size)
{
    if (queue >= ORX_RX_QUEUES)
        return KDI_ERR_PARAMETER;
    std::lock_guard<std::mutex> lock(m_locks[queue]);
    return m_kdi->Receive(m_kdi, queue, block, capacity, size);
}

KDI_RESULT QueManager::level(std::uint16_t queue, std::uint32_t* count)
{
    if (queue >= ORX_RX_QUEUES)
        return KDI_ERR_PARAMETER;
    std::lock_guard<std::mutex> lock(m_locks[queue]);
    return m_kdi->RxLevel(m_kdi, queue, count);
}

void QueManager::flush(std::uint16_t queue)
{
    if (queue >= ORX_RX_QUEUES)
        return;
    std::lock_guard<std::mutex> lock(m_locks[queue]);
    std::uint8_t block[KDI_MAX_BLOCK];
    std::uint32_t n = 0;
    while (m_kdi->Receive(m_kdi, queue, block, sizeof block, &n) == KDI_OK) {
    }
}

COP_CM_RESULT QueManager::defineCallbacks(const std::array<ORX_CALLBACK, kNotified>& callbacks)
{
    std::lock_guard<std::mutex> lock(m_defineMutex);
    if (m_defined)
        return CM_ERR_GENERAL;
    bool any = false;
    for (ORX_CALLBACK c : callbacks)
        any = any || c != nullptr;
    if (!any)
        return CM_ERR_CALLBACK;
    m_callbacks = callbacks;
    m_defined = true;
    return startThreads();
}

COP_CM_RESULT QueManager::defineWindowMessages(int window, const std::array<std::uint32_t, kNotified>& messages)
{
    std::lock_guard<std::mutex> lock(m_defineMutex);
    if (m_defined)
        return CM_ERR_GENERAL;
    bool any = false;
    for (std::uint32_t m : messages)
        any = any || m != 0;
    if (window < 0 || !any)
        return CM_ERR_CALLBACK;
    m_window = window;
    m_messages = messages;
    m_defined = true;
    return startThreads();
}

COP_CM_RESULT QueManager::startThreads()
{
    // In the order PDO, emergency, event, SYNC, for the queues that notify.
    for (int i = 0; i < kNotified; ++i) {
        if (!m_callbacks[i] && m_messages[i] == 0)
            continue;
        try {
            m_threads[i] = std::thread([this, i] { run(i); });
        } catch (const std::system_error&) {
            return CM_ERR_RESOURCE;
        }
    }
    return CM_OK;
}

void QueManager::run(int index)
{
    // Everything the loop touches after a stop lives in `shared`, so that
    // a thread left behind in its callback never reaches freed memory.
    std::shared_ptr<Shared> shared = m_shared;
    const auto queue = static_cast<std::uint16_t>(ORX_RXQ_PDO + index);
    const ORX_CALLBACK callback = m_callbacks[index];
    const std::uint32_t message = m_messages[index];
    const int window = m_window;
    const std::uint16_t handle = m_handle;
    KdiMsgIf* kdi = m_kdi;
    shared->tid[index] = static_cast<std::uint32_t>(::syscall(SYS_gettid));
    while (!shared->stop) {
        kdi->WaitEvent(kdi, queue, kEventWaitMs);
        if (shared->stop)
            break;
        std::uint32_t waiting = 0;
        if (level(queue, &waiting) != KDI_OK || waiting == 0)
            continue;
        if (callback) {
            callback(handle, queue, 0);
        } else {
            CopWindowMessage m{message, handle, queue};
            pollfd p{window, POLLOUT, 0};
            if (::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT))
                (void)!::write(window, &m, sizeof m);  // a full pipe loses the message, as a full window queue
        }
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->finished[index] = true;
    shared->tid[index] = 0;
    shared->ended.notify_all();
}

void QueManager::stop()
{
    m_shared->stop = true;
    for (int i = 0; i < kNotified; ++i) {
        if (!m_threads[i].joinable())
            continue;
        if (m_threads[i].get_id() == std::this_thread::get_id()) {
            m_threads[i].detach();  // released from its own callback
            continue;
        }
        m_kdi->SetEvent(m_kdi, static_cast<std::uint16_t>(ORX_RXQ_PDO + i));
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        bool done = m_shared->ended.wait_for(lock, std::chrono::milliseconds(kStopWaitMs),
                                             [&] { return m_shared->finished[i]; });
        lock.unlock();
        if (done)
            m_threads[i].join();
        else
            m_threads[i].detach();  // stuck in its callback: left behind
    }
}

void QueManager::threadIds(std::uint32_t ids[kNotified]) const
{
    for (int i = 0; i < kNotified; ++i)
        ids[i] = m_shared->tid[i];
}

}  // namespace cardmaster
