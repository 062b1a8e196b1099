#include "CommandChannel.h"

#include <chrono>
#include <cstring>
#include <unistd.h>

namespace cardmaster {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

COP_CM_RESULT CommandChannel::send(BoardSlot& slot, std::uint16_t queue, const std::uint8_t* block)
{
    if (!block)
        return CM_ERR_PARAMETER;
    const std::uint32_t size = orx_block_size(block);
    if (size > ORX_COMMAND_BLOCK_MAX)
        return CM_ERR_PARAMETER;
    KdiMsgIf* kdi = slot.kdi;
    const unsigned divisor = slot.phase.load() == BoardSlot::kOpening ? 4 : 2;
    const auto limit = std::chrono::milliseconds(slot.commTimeout.load() / divisor);
    const Clock::time_point until = Clock::now() + limit;
    for (;;) {
        std::uint32_t free = 0;
        if (kdi->TxFree(kdi, queue, &free) == KDI_OK && free > 0)
            break;
        if (Clock::now() >= until)
            return CM_ERR_TRY_AGAIN;
        ++slot.sendWaits;
        ::usleep(1000);
    }
    KDI_RESULT r = kdi->Send(kdi, queue, block, size);
    if (r == KDI_ERR_FULL)
        return CM_ERR_TRY_AGAIN;
    return r == KDI_OK ? CM_OK : CM_ERR_COMMUNICATION;
}

COP_CM_RESULT CommandChannel::receive(BoardSlot& slot, std::uint8_t* block)
{
    if (!block)
        return CM_ERR_PARAMETER;
    KdiMsgIf* kdi = slot.kdi;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(slot.commTimeout.load());
    for (;;) {
        std::uint32_t size = 0;
        KDI_RESULT r = slot.queues->receive(ORX_RXQ_ANSWER, block, ORX_COMMAND_BLOCK_MAX, &size);
        if (r == KDI_OK && size >= ORX_HEADER)
            return CM_OK;
        if (r == KDI_ERR_SIZE) {
            // No answer is that long: the block is taken out and dropped, or
            // it would stand in front of every answer to come.
            std::uint8_t discard[KDI_MAX_BLOCK];
            if (slot.queues->receive(ORX_RXQ_ANSWER, discard, sizeof discard, &size) == KDI_OK)
                continue;
        }
        if (r != KDI_OK && r != KDI_ERR_EMPTY && r != KDI_ERR_SIZE)
            return CM_ERR_COMMUNICATION;
        Clock::time_point now = Clock::now();
        if (now >= until)
            return CM_ERR_TIMEOUT;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
        kdi->WaitEvent(kdi, ORX_RXQ_ANSWER, static_cast<std::uint32_t>(left));
    }
}

COP_CM_RESULT CommandChannel::exchange(BoardSlot& slot, std::uint8_t* block)
{
    std::lock_guard<std::mutex> lock(slot.command);
    const std::uint16_t code = orx_block_code(block);
    COP_CM_RESULT r = send(slot, ORX_TXQ_COMMAND, block);
    if (r != CM_OK)
        return r;
    for (;;) {
        r = receive(slot, block);
        if (r != CM_OK)
            return r;
        // An answer to a command that timed out before is late, not ours.
        if (orx_block_code(block) == code && orx_block_length(block) >= 1)
            return static_cast<std::int8_t>(block[ORX_RESULT_BYTE]);
    }
}

COP_CM_RESULT CommandChannel::command(BoardSlot& slot, std::uint16_t code, const std::uint8_t* parameters,
                                      std::uint16_t length)
{
    std::uint8_t block[ORX_COMMAND_BLOCK_MAX];
    if (ORX_HEADER + length > ORX_COMMAND_BLOCK_MAX)
        return CM_ERR_PARAMETER;
    orx_block_begin(block, code, length);
    if (length)
        std::memcpy(block + ORX_PARAM, parameters, length);
    return exchange(slot, block);
}

}  // namespace cardmaster
