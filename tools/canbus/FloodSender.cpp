#include "FloodSender.h"

#include <time.h>

namespace {

constexpr std::int64_t kNanos = 1000000000;

std::int64_t now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * kNanos + ts.tv_nsec;
}

void sleepUntil(std::int64_t when)
{
    timespec ts;
    ts.tv_sec = when / kNanos;
    ts.tv_nsec = when % kNanos;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

}  // namespace

std::uint32_t FloodSender::frameBits(const canbus_frame& frame)
{
    const bool extended = frame.id & CANBUS_EFF_FLAG;
    const bool remote = frame.id & CANBUS_RTR_FLAG;
    const std::uint32_t data = remote ? 0 : frame.len;
    return (extended ? 67u : 47u) + 8u * data;
}

int FloodSender::run(canbus_endpoint* ep, canbus_frame frame, const Options& options,
                     const volatile std::sig_atomic_t& stop, std::uint64_t& sent)
{
    sent = 0;
    const std::uint32_t flags = frame.id & ~CANBUS_EFF_MASK;
    const std::uint32_t mask = (frame.id & CANBUS_EFF_FLAG) ? CANBUS_EFF_MASK : CANBUS_SFF_MASK;
    std::uint32_t id = options.stepIds ? options.firstId : (frame.id & mask);
    std::int64_t next = now();
    while (!stop && (options.count == 0 || sent < options.count)) {
        frame.id = flags | (id & mask);
        const int result = canbus_send(ep, &frame);
        if (result != 0)
            return result;
        ++sent;
        if (options.stepIds)
            id = id >= options.lastId ? options.firstId : id + 1;
        if (options.flood && options.bitrate > 0) {
            next += std::int64_t(frameBits(frame)) * kNanos / options.bitrate;
            // Behind by more than a second (the machine stood still): start
            // the schedule anew rather than sending a second's frames at once.
            const std::int64_t t = now();
            if (t - next > kNanos)
                next = t;
            if (next > t)
                sleepUntil(next);
        }
    }
    return 0;
}
