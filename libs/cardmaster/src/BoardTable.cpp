#include "BoardTable.h"

namespace cardmaster {

namespace {

BoardSlot g_slots[SharedSlotTable::kSlots];

struct Indexes {
    Indexes()
    {
        for (int i = 0; i < SharedSlotTable::kSlots; ++i)
            g_slots[i].index = i;
    }
} g_indexes;

}  // namespace

BoardSlot& BoardTable::slot(int index)
{
    return g_slots[index];
}

unsigned BoardTable::busyMask()
{
    unsigned mask = 0;
    for (int i = 0; i < SharedSlotTable::kSlots; ++i)
        if (g_slots[i].phase.load() != BoardSlot::kClosed)
            mask |= 1u << i;
    return mask;
}

BoardTable::Use::Use(std::uint16_t handle)
{
    if (handle < 1 || handle > SharedSlotTable::kSlots)
        return;
    BoardSlot& s = g_slots[handle - 1];
    if (s.phase.load() != BoardSlot::kOpen)
        return;
    m_lock = std::shared_lock<std::shared_mutex>(s.access);
    if (s.phase.load() != BoardSlot::kOpen || !s.table || !s.table->ownOpen(s.index)) {
        m_lock.unlock();
        return;
    }
    m_slot = &s;
}

}  // namespace cardmaster
