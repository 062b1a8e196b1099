#include "MessageInterface.h"

namespace orx {

KDI_RESULT MessageInterface::openQueues(std::uint16_t txQueues, std::uint16_t rxQueues)
{
    if (m_open)
        return KDI_ERR_STATE;
    if (txQueues == 0 || txQueues > m_queues->txQueues() || rxQueues == 0 || rxQueues > m_queues->rxQueues())
        return KDI_ERR_PARAMETER;
    if (m_faults.queues)
        return KDI_ERR_FAULT;
    m_tx = txQueues;
    m_rx = rxQueues;
    m_open = true;
    return KDI_OK;
}

KDI_RESULT MessageInterface::closeQueues()
{
    if (!m_open)
        return KDI_ERR_STATE;
    m_open = false;
    return KDI_OK;
}

KDI_RESULT MessageInterface::txFree(std::uint16_t queue, std::uint32_t* free)
{
    return txOk(queue) ? m_queues->txFree(queue, free) : KDI_ERR_STATE;
}

KDI_RESULT MessageInterface::send(std::uint16_t queue, const void* block, std::uint32_t size)
{
    return txOk(queue) ? m_queues->send(queue, block, size) : KDI_ERR_STATE;
}

KDI_RESULT MessageInterface::rxLevel(std::uint16_t queue, std::uint32_t* count)
{
    return rxOk(queue) ? m_queues->rxLevel(queue, count) : KDI_ERR_STATE;
}

KDI_RESULT MessageInterface::receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size)
{
    return rxOk(queue) ? m_queues->receive(queue, block, capacity, size) : KDI_ERR_STATE;
}

KDI_RESULT MessageInterface::waitEvent(std::uint16_t queue, std::uint32_t timeoutMs)
{
    return rxOk(queue) ? m_queues->waitEvent(queue, timeoutMs) : KDI_ERR_STATE;
}

KDI_RESULT MessageInterface::setEvent(std::uint16_t queue)
{
    return rxOk(queue) ? m_queues->setEvent(queue) : KDI_ERR_STATE;
}

}  // namespace orx
