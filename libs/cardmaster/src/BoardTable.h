// BoardTable - this process's four board slots, and the way an export
// reaches an open one: BoardTable::Use holds the slot's access lock
// (shared) for the call. COP_ReleaseBoard first closes the slot to new
// calls, stops the threads, then waits for the calls in flight (exclusive)
// before it takes the objects down.
#ifndef CARDMASTER_BOARDTABLE_H
#define CARDMASTER_BOARDTABLE_H

#include "BoardSlot.h"

#include <cstdint>
#include <shared_mutex>

namespace cardmaster {

class BoardTable {
public:
    // The slot with that index (0...3), open or not.
    static BoardSlot& slot(int index);
    // Bits of the slots this process has in use.
    static unsigned busyMask();

    // An open slot of this process, held for one call.
    class Use {
    public:
        explicit Use(std::uint16_t handle);
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        explicit operator bool() const { return m_slot != nullptr; }
        BoardSlot* operator->() const { return m_slot; }
        BoardSlot& operator*() const { return *m_slot; }

    private:
        std::shared_lock<std::shared_mutex> m_lock;
        BoardSlot* m_slot = nullptr;
    };
};

}  // namespace cardmaster

#endif
