// MessageInterface - the host's side of a configured board's queues, as
// the driver's message interface hands it out. Usable from several host
// threads at once once its queues are open.
#ifndef ORXBOARD_MESSAGEINTERFACE_H
#define ORXBOARD_MESSAGEINTERFACE_H

#include "BoardQueues.h"
#include "FaultSet.h"

#include <atomic>
#include <memory>

namespace orx {

class MessageInterface {
public:
    MessageInterface(std::shared_ptr<BoardQueues> queues, FaultSet faults)
        : m_queues(std::move(queues)), m_faults(std::move(faults))
    {
    }

    KDI_RESULT openQueues(std::uint16_t txQueues, std::uint16_t rxQueues);
    KDI_RESULT closeQueues();
    KDI_RESULT txFree(std::uint16_t queue, std::uint32_t* free);
    KDI_RESULT send(std::uint16_t queue, const void* block, std::uint32_t size);
    KDI_RESULT rxLevel(std::uint16_t queue, std::uint32_t* count);
    KDI_RESULT receive(std::uint16_t queue, void* block, std::uint32_t capacity, std::uint32_t* size);
    KDI_RESULT waitEvent(std::uint16_t queue, std::uint32_t timeoutMs);
    KDI_RESULT setEvent(std::uint16_t queue);

private:
    bool txOk(std::uint16_t queue) const { return m_open && queue < m_tx; }
    bool rxOk(std::uint16_t queue) const { return m_open && queue < m_rx; }

    std::shared_ptr<BoardQueues> m_queues;
    FaultSet m_faults;
    std::atomic<bool> m_open{false};
    std::atomic<std::uint16_t> m_tx{0}, m_rx{0};
};

}  // namespace orx

#endif
