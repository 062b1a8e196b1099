#include "SharedSlotTable.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cardmaster {

static_assert(std::atomic<std::uint32_t>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free,
              "the shared table needs address-free atomics");

namespace {

constexpr std::uint32_t kMagic = 0x4F52584Du;  // "ORXM"

std::string objectName(const std::string& registryKey)
{
    // FNV-1a of the registry's location: the name stays short and fixed.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : registryKey)
        h = (h ^ c) * 16777619u;
    char name[64];
    std::snprintf(name, sizeof name, "/orvax-cardmaster-%u-%08x", static_cast<unsigned>(::getuid()), h);
    return name;
}

}  // namespace

SharedSlotTable* SharedSlotTable::attach(const std::string& registryKey)
{
    static std::mutex mutex;
    static std::string attachedKey;
    static SharedSlotTable* table = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (table && attachedKey == registryKey)
        return table;
    std::string name = objectName(registryKey);
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 ||
        (st.st_size < static_cast<off_t>(sizeof(SharedSlotTable)) && ::ftruncate(fd, sizeof(SharedSlotTable)) != 0)) {
        ::close(fd);
        return nullptr;
    }
    void* p = ::mmap(nullptr, sizeof(SharedSlotTable), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED)
        return nullptr;
    // A fresh object is all zeros, which is a table of free slots; the
    // magic only marks it as ours.
    auto* t = static_cast<SharedSlotTable*>(p);
    std::uint32_t expected = 0;
    t->m_magic.compare_exchange_strong(expected, kMagic);
    if (t->m_magic.load() != kMagic) {
        ::munmap(p, sizeof(SharedSlotTable));
        return nullptr;
    }
    // A table of another registry mapped before stays mapped: its slots may
    // still be open.
    table = t;
    attachedKey = registryKey;
    return table;
}

bool SharedSlotTable::alive(std::int32_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool SharedSlotTable::live(const Slot& s) const
{
    return s.state.load() != kFree && alive(s.owner.load());
}

bool SharedSlotTable::takeOpenFlag()
{
    const std::int32_t me = ::getpid();
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::int32_t holder = 0;
        if (m_openFlag.compare_exchange_strong(holder, me))
            return true;
        if (holder == me || alive(holder))
            return false;
        m_openFlag.compare_exchange_strong(holder, 0);  // its process died while opening
    }
    return false;
}

void SharedSlotTable::releaseOpenFlag()
{
    std::int32_t me = ::getpid();
    m_openFlag.compare_exchange_strong(me, 0);
}

int SharedSlotTable::claimFreeSlot(unsigned localBusy)
{
    const std::int32_t me = ::getpid();
    for (int i = 0; i < kSlots; ++i) {
        Slot& s = m_slots[i];
        if (live(s) || (localBusy & (1u << i)))
            continue;
        // Free, or left behind by a dead process (only this process, which
        // holds the open flag, claims slots).
        s.owner = me;
        s.entry = 0;
        s.boardType = 0;
        s.state = kClaimed;
        return i;
    }
    return -1;
}

bool SharedSlotTable::entryInUse(std::uint32_t entry, int except) const
{
    for (int i = 0; i < kSlots; ++i)
        if (i != except && live(m_slots[i]) && m_slots[i].entry.load() == entry)
            return true;
    return false;
}

void SharedSlotTable::setEntry(int slot, std::uint32_t boardType, std::uint32_t entry)
{
    m_slots[slot].boardType = boardType;
    m_slots[slot].entry = entry;
}

void SharedSlotTable::publish(int slot)
{
    m_slots[slot].state = kOpen;
}

void SharedSlotTable::release(int slot)
{
    Slot& s = m_slots[slot];
    if (s.owner.load() != ::getpid())
        return;
    s.entry = 0;
    s.boardType = 0;
    s.state = kFree;
    s.owner = 0;
}

bool SharedSlotTable::ownOpen(int slot) const
{
    return slot >= 0 && slot < kSlots && m_slots[slot].state.load() == kOpen &&
           m_slots[slot].owner.load() == ::getpid();
}

}  // namespace cardmaster
