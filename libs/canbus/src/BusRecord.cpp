#include "BusRecord.h"

#include "WireTime.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace ovro::canbus {

namespace {

constexpr std::uint32_t kMagic = 0x5342564F;  // "OVBS"
constexpr std::uint32_t kVersion = 1;
constexpr off_t kFileSize = 4096;
constexpr std::int64_t kLongestBusy = 10'000'000'000;  // ns

}  // namespace

std::unique_ptr<BusRecord> BusRecord::open(const std::string& dir)
{
    const std::string path = dir + "/" + kFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    // Made by whoever comes first; a file of zeroes is a valid record.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_size < kFileSize && ftruncate(fd, kFileSize) != 0)) {
        close(fd);
        return nullptr;
    }
    void* map = mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED)
        return nullptr;
    auto* shared = static_cast<Shared*>(map);
    std::uint32_t none = 0;
    if (shared->magic.compare_exchange_strong(none, kMagic))
        shared->version.store(kVersion);
    std::unique_ptr<BusRecord> record(new (std::nothrow) BusRecord(shared));
    if (!record)
        munmap(map, kFileSize);
    return record;
}

std::int64_t BusRecord::reserve(std::int64_t now, std::int64_t wire)
{
    std::int64_t free = shared_->busFree.load();
    for (;;) {
        // A bus busy for longer than any queue of frames could keep it is a
        // damaged record (or a clock from another boot): it is free now.
        const std::int64_t taken = free > now + kLongestBusy ? now : free;
        const WireTime::Slot slot = WireTime::slot(taken, now, wire);
        if (shared_->busFree.compare_exchange_weak(free, slot.end))
            return slot.end;
    }
}

BusRecord::~BusRecord()
{
    munmap(shared_, kFileSize);
}

}  // namespace ovro::canbus
