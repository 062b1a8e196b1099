// Exports - what every export of the library shares: the visibility, the
// guard that keeps exceptions inside, and the way to an open board.
#ifndef CARDMASTER_EXPORTS_H
#define CARDMASTER_EXPORTS_H

#include "BoardTable.h"
#include "CommandChannel.h"

#include <cardmaster/cardmaster.h>

#define CM_EXPORT extern "C" __attribute__((visibility("default")))

namespace cardmaster {

// Runs f(slot) for an open board of this process; CM_ERR_GENERAL for an
// unknown or closed handle and for anything thrown.
template <class F>
COP_CM_RESULT withBoard(std::uint16_t handle, F f) noexcept
{
    try {
        BoardTable::Use use(handle);
        if (!use)
            return CM_ERR_GENERAL;
        return f(*use);
    } catch (...) {
        return CM_ERR_GENERAL;
    }
}

// Bit 7 of a node-id marks no node the board can address.
inline bool badNode(std::uint8_t node)
{
    return (node & 0x80u) != 0;
}

}  // namespace cardmaster

#endif
