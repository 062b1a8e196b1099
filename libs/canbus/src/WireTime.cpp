#include "WireTime.h"

namespace ovro::canbus {

std::uint32_t WireTime::bits(const canbus_frame& frame)
{
    if (frame.id & CANBUS_ERR_FLAG)
        return 0;
    const std::uint32_t data = (frame.id & CANBUS_RTR_FLAG) ? 0u : 8u * (frame.len > 8 ? 8u : frame.len);
    const bool extended = frame.id & CANBUS_EFF_FLAG;
    // Start of frame, arbitration, control, data and CRC are stuffed; CRC
    // and ACK delimiters, ACK slot, end of frame and intermission are not.
    const std::uint32_t stuffed = (extended ? 54u : 34u) + data;
    const std::uint32_t fixed = 13;
    return stuffed + fixed + (stuffed - 1) / 4;
}

std::int64_t WireTime::nanoseconds(const canbus_frame& frame, std::uint32_t bitrate)
{
    if (bitrate == 0)
        return 0;
    const std::uint64_t ns = (std::uint64_t(bits(frame)) * 1000000000ull + bitrate - 1) / bitrate;
    return static_cast<std::int64_t>(ns);
}

}  // namespace ovro::canbus
