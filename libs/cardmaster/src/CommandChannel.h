// CommandChannel - command blocks to the firmware and its answers, on
// transmit and receive queue 0 of a board: the waits of COP_SendMsg and
// COP_GetMsg, and the exchange of one command for its answer that every
// command export makes.
#ifndef CARDMASTER_COMMANDCHANNEL_H
#define CARDMASTER_COMMANDCHANNEL_H

#include "BoardSlot.h"

#include <cardmaster/cardmaster.h>
#include <orxboard/orx_protocol.h>

#include <cstdint>

namespace cardmaster {

class CommandChannel {
public:
    // Puts a block into a transmit queue, polling every 1 ms for room up to
    // half the communication time-out (a quarter while the board is still
    // being opened and has no handle yet): CM_ERR_TRY_AGAIN when it stays
    // full, CM_ERR_PARAMETER for a block longer than the queue takes.
    static COP_CM_RESULT send(BoardSlot& slot, std::uint16_t queue, const std::uint8_t* block);
    // The next answer, waiting up to the communication time-out: CM_ERR_TIMEOUT.
    static COP_CM_RESULT receive(BoardSlot& slot, std::uint8_t* block);
    // Sends the command in `block` and reads answers until the one to this
    // command comes; `block` then holds it. Returns its result byte, or
    // the error of the exchange.
    static COP_CM_RESULT exchange(BoardSlot& slot, std::uint8_t* block);
    // A command with only parameter bytes and a result.
    static COP_CM_RESULT command(BoardSlot& slot, std::uint16_t code, const std::uint8_t* parameters,
                                 std::uint16_t length);
};

}  // namespace cardmaster

#endif
