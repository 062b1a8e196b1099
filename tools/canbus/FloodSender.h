// FloodSender - `canbus send` of one frame many times: a given number of
// times or until stopped, at the full frame rate of the wire at the
// sender's bit rate (--flood), with the identifier stepping through a range
// (--ids). A sender that falls behind (a loaded machine) catches up, so the
// rate holds on average.
#ifndef CANBUS_TOOL_FLOODSENDER_H
#define CANBUS_TOOL_FLOODSENDER_H

#include <canbus/canbus.h>

#include <csignal>
#include <cstdint>

class FloodSender {
public:
    struct Options {
        std::uint64_t count = 1;    // 0: until stopped
        bool flood = false;         // paced at the wire's frame rate
        std::uint32_t bitrate = 0;  // of the wire (flood)
        bool stepIds = false;       // the identifier runs from firstId to lastId, again and again
        std::uint32_t firstId = 0;
        std::uint32_t lastId = 0;
    };

    // Bits of a frame on the wire without stuffing, the inter-frame space
    // included: 47 + 8n for a standard data frame of n bytes, 67 + 8n for
    // an extended one; a remote request carries no data.
    static std::uint32_t frameBits(const canbus_frame& frame);

    // Sends until the count is reached or stop is set; the frames sent in
    // `sent`. 0, or the negative errno of a failed send.
    static int run(canbus_endpoint* ep, canbus_frame frame, const Options& options,
                   const volatile std::sig_atomic_t& stop, std::uint64_t& sent);
};

#endif
