// BoardLifecycle - opening a board (COP_InitBoard) with every step and the
// undo of the steps done, in reverse order, when one fails; and closing it
// (COP_ReleaseBoard).
#ifndef CARDMASTER_BOARDLIFECYCLE_H
#define CARDMASTER_BOARDLIFECYCLE_H

#include <cardmaster/cardmaster.h>

#include <cstdint>

namespace cardmaster {

class BoardLifecycle {
public:
    static COP_CM_RESULT open(std::uint16_t* handle, std::uint32_t* boardType, std::uint32_t* entry);
    static COP_CM_RESULT release(std::uint16_t handle);
};

}  // namespace cardmaster

#endif
