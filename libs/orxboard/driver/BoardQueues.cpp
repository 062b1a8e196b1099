#include "BoardQueues.h"

#include <cstring>

namespace orx {

BoardQueues::BoardQueues(std::uint16_t txQueues, std::uint16_t rxQueues, std::uint16_t depth)
    : m_depth(depth ? depth : 1), m_tx(txQueues), m_rx(rxQueues)
{
}

KDI_RESULT BoardQueues::send(std::uint16_t queue, const void* block, std::uint32_t size)
{
    if (!block || size == 0)
        return KDI_ERR_PARAMETER;
    if (size > KDI_MAX_BLOCK)
        return KDI_ERR_SIZE;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (queue >= m_tx.size())
            return KDI_ERR_PARAMETER;
        if (m_tx[queue].size() >= m_depth)
            return KDI_ERR_FULL;
        Block b;
        b.size = static_cast<std::uint16_t>(size);
        std::memcpy(b.data.data(), block, size);
        m_tx[queue].push_back(b);
    }
    m_hostSent.notify_all();
    return KDI_OK;
}

KDI_RESULT BoardQueues::receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size)
{
    if (!block || !size)
        return KDI_ERR_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (queue >= m_rx.size())
        return KDI_ERR_PARAMETER;
    std::deque<Block>& q = m_rx[queue].blocks;
    if (q.empty())
        return KDI_ERR_EMPTY;
    if (q.front().size > capacity) {
        *size = q.front().size;
        return KDI_ERR_SIZE;
    }
    std::memcpy(block, q.front().data.data(), q.front().size);
    *size = q.front().size;
    q.pop_front();
    return KDI_OK;
}

KDI_RESULT BoardQueues::txFree(std::uint16_t queue, std::uint32_t* free)
{
    if (!free)
        return KDI_ERR_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (queue >= m_tx.size())
        return KDI_ERR_PARAMETER;
    *free = static_cast<std::uint32_t>(m_depth - m_tx[queue].size());
    return KDI_OK;
}

KDI_RESULT BoardQueues::rxLevel(std::uint16_t queue, std::uint32_t* count)
{
    if (!count)
        return KDI_ERR_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (queue >= m_rx.size())
        return KDI_ERR_PARAMETER;
    *count = static_cast<std::uint32_t>(m_rx[queue].blocks.size());
    return KDI_OK;
}

KDI_RESULT BoardQueues::waitEvent(std::uint16_t queue, std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (queue >= m_rx.size())
        return KDI_ERR_PARAMETER;
    RxQueue& q = m_rx[queue];
    if (!q.signal.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return q.event; }))
        return KDI_ERR_TIMEOUT;
    q.event = false;
    return KDI_OK;
}

KDI_RESULT BoardQueues::setEvent(std::uint16_t queue)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (queue >= m_rx.size())
            return KDI_ERR_PARAMETER;
        m_rx[queue].event = true;
    }
    m_rx[queue].signal.notify_all();
    return KDI_OK;
}

bool BoardQueues::take(std::uint16_t queue, Block& out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (queue >= m_tx.size() || m_tx[queue].empty())
        return false;
    out = m_tx[queue].front();
    m_tx[queue].pop_front();
    return true;
}

bool BoardQueues::waitForHost(unsigned mask, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [&] {
        if (m_stopped)
            return true;
        for (std::size_t q = 0; q < m_tx.size(); ++q)
            if ((mask & (1u << q)) && !m_tx[q].empty())
                return true;
        return false;
    };
    m_hostSent.wait_for(lock, timeout, ready);
    return !m_stopped;
}

bool BoardQueues::post(std::uint16_t queue, const std::uint8_t* block, std::uint32_t size)
{
    if (size > KDI_MAX_BLOCK)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopped || queue >= m_rx.size() || m_rx[queue].blocks.size() >= m_depth)
            return false;
        Block b;
        b.size = static_cast<std::uint16_t>(size);
        std::memcpy(b.data.data(), block, size);
        m_rx[queue].blocks.push_back(b);
        m_rx[queue].event = true;
    }
    m_rx[queue].signal.notify_all();
    return true;
}

void BoardQueues::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_hostSent.notify_all();
}

bool BoardQueues::stopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
}

}  // namespace orx
