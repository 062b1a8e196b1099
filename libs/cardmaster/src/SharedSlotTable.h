// SharedSlotTable - the four board slots that every process loading the
// library shares, in a POSIX shared-memory object: per slot its state, the
// owning process, the board type and the registry entry, and one open flag
// that lets one COP_InitBoard at a time choose a slot. All fields are
// lock-free atomics. A slot or flag whose process has died counts as free,
// so a crashed program does not keep its board.
//
// The object is named after the hardware registry's location: processes
// that share a registry share the boards.
#ifndef CARDMASTER_SHAREDSLOTTABLE_H
#define CARDMASTER_SHAREDSLOTTABLE_H

#include <atomic>
#include <cstdint>
#include <string>

namespace cardmaster {

class SharedSlotTable {
public:
    static constexpr int kSlots = 4;

    // The table of this registry, mapped once per process and kept; null
    // when the shared memory cannot be had.
    static SharedSlotTable* attach(const std::string& registryKey);

    // The open flag: false while another live process holds it.
    bool takeOpenFlag();
    void releaseOpenFlag();

    // Claims the first free slot for this process (0...3) whose bit in
    // `localBusy` is clear (slots this process still uses under another
    // registry), or -1.
    int claimFreeSlot(unsigned localBusy);
    // True when a slot other than `except` is claimed or open for `entry`.
    bool entryInUse(std::uint32_t entry, int except) const;
    void setEntry(int slot, std::uint32_t boardType, std::uint32_t entry);
    void publish(int slot);
    void release(int slot);
    // True when the slot is open and belongs to this process.
    bool ownOpen(int slot) const;

private:
    enum : std::uint32_t { kFree = 0, kClaimed = 1, kOpen = 2 };

    struct Slot {
        std::atomic<std::uint32_t> state;
        std::atomic<std::int32_t> owner;
        std::atomic<std::uint32_t> boardType;
        std::atomic<std::uint32_t> entry;
    };

    static bool alive(std::int32_t pid);
    bool live(const Slot& s) const;

    std::atomic<std::uint32_t> m_magic;
    std::atomic<std::int32_t> m_openFlag;  // pid of the process that opens a board, else 0
    Slot m_slots[kSlots];
};

}  // namespace cardmaster

#endif
