// WireTime - what a frame costs on a real CAN bus, for the wire-timed
// virtual bus: its length in bits with worst-case bit stuffing, its time at
// a bit rate, and the slot it takes on a bus that carries one frame at a
// time.
#ifndef CANBUS_WIRETIME_H
#define CANBUS_WIRETIME_H

#include <canbus/canbus.h>

#include <cstdint>

namespace ovro::canbus {

class WireTime {
public:
    // Bits on the wire, inter-frame space included: 47 + 8n for a standard
    // data frame of n bytes (67 + 8n extended), plus one stuff bit for every
    // four bits of the stuffed part (start of frame to CRC) at worst. A
    // remote request carries no data; an error frame takes no bus time.
    static std::uint32_t bits(const canbus_frame& frame);

    // The time of those bits at bitrate bit/s, rounded up; 0 at rate 0.
    static std::int64_t nanoseconds(const canbus_frame& frame, std::uint32_t bitrate);

    // The slot of a frame of `wire` ns that is ready at `now` on a bus that
    // is free again at `busFree`: it starts when both are so.
    struct Slot {
        std::int64_t start;
        std::int64_t end;
    };
    static Slot slot(std::int64_t busFree, std::int64_t now, std::int64_t wire)
    {
        const std::int64_t start = busFree > now ? busFree : now;
        return {start, start + wire};
    }
};

}  // namespace ovro::canbus

#endif
