// BusRecord - the state that all endpoints of one bus share: a small file
// "bus.state" in the bus folder, mapped into every endpoint of this library
// (other programs on the bus may ignore it; they only look at "*.sock").
//
// It holds
//   - a count that every endpoint of this library raises when it has bound
//     its socket and when it is about to remove one, so that a sender knows
//     without a system call when its list of peers is out of date;
//   - for the wire-timed bus, the time (CLOCK_MONOTONIC) when the bus is
//     free again: every sender of every process takes its frame's slot from
//     it, so that the frames of all nodes follow each other on one wire.
#ifndef CANBUS_BUSRECORD_H
#define CANBUS_BUSRECORD_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace ovro::canbus {

class BusRecord {
public:
    // Maps the record of the bus folder dir, making it when missing; null
    // when that cannot be done (the endpoints then do without it).
    static std::unique_ptr<BusRecord> open(const std::string& dir);
    ~BusRecord();

    BusRecord(const BusRecord&) = delete;
    BusRecord& operator=(const BusRecord&) = delete;

    // Changes of the bus's endpoints so far.
    std::uint64_t peerChanges() const { return shared_->peerChanges.load(); }
    void notePeerChange() { shared_->peerChanges.fetch_add(1); }

    // Takes the next slot of a frame of `wire` ns that is ready at `now`
    // (CLOCK_MONOTONIC ns); returns the end of the slot, when the frame has
    // passed the wire.
    std::int64_t reserve(std::int64_t now, std::int64_t wire);

    static constexpr const char* kFileName = "bus.state";

private:
    struct Shared {
        std::atomic<std::uint32_t> magic;
        std::atomic<std::uint32_t> version;
        std::atomic<std::uint64_t> peerChanges;
        std::atomic<std::int64_t> busFree;
    };
    static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "shared between processes");
    static_assert(std::atomic<std::int64_t>::is_always_lock_free, "shared between processes");

    explicit BusRecord(Shared* shared) : shared_(shared) {}

    Shared* shared_;
};

}  // namespace ovro::canbus

#endif
