// BoardPdoCallback.cpp - the board master's PDO callback.
#include "scope/BoardPdoCallback.h"

#include "canopen/CANopenMaster.h"
#include "scope/SampleCollector.h"

#include <mutex>

namespace {

// The interface opening the callback was handed to. A board
// keeps its callbacks as long as it stays open; a board opened again, or
// another one, is given the callback once more.
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
std::atomic<std::uint32_t> registered{kNone};

// The attached recording. The lock is taken by the board's thread for one
// drain and by the user-interface thread to attach or detach, never for
// longer.
std::mutex targetLock;
CSampleCollector* target = nullptr;
std::uint8_t targetNode = 0;
const std::atomic<bool>* targetCollecting = nullptr;

} // namespace

bool CBoardPdoCallback::Register(CCANopenMaster& master)
{
    const std::uint32_t session = master.Session();
    if (registered.load(std::memory_order_acquire) == session)
        return true;
    if (!master.DefinePdoCallback(&CBoardPdoCallback::OnPdoReceived))
        return false;
    registered.store(session, std::memory_order_release);
    return true;
}

bool CBoardPdoCallback::Registered(const CCANopenMaster& master)
{
    return registered.load(std::memory_order_acquire) == master.Session();
}

void CBoardPdoCallback::Attach(CSampleCollector* collector, std::uint8_t nodeId, const std::atomic<bool>* collecting)
{
    const std::lock_guard<std::mutex> lock(targetLock);
    target = collector;
    targetNode = nodeId;
    targetCollecting = collecting;
}

void CBoardPdoCallback::Detach(CSampleCollector* collector)
{
    const std::lock_guard<std::mutex> lock(targetLock);
    if (target == collector) {
        target = nullptr;
        targetCollecting = nullptr;
    }
}

void CBoardPdoCallback::OnPdoReceived(std::uint32_t, std::uint32_t, std::uint32_t)
{
    const std::lock_guard<std::mutex> lock(targetLock);
    std::uint8_t node = 0, pdo = 0, length = 0;
    std::uint8_t data[8] = {};
    while (CCANopenMaster::ReadBoardPdo(&node, &pdo, &length, data)) {
        if (target != nullptr && targetCollecting != nullptr && targetCollecting->load(std::memory_order_acquire) &&
            node == targetNode)
            target->Collect(pdo, data, length);
    }
}
