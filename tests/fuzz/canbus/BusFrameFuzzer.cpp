// BusFrameFuzzer.cpp - libFuzzer target: any datagram that reaches an
// endpoint of the virtual bus, through the decoder and, as the PCAN-Light
// libraries take it, into a message record or a status message. Only a
// 20-byte datagram with a length of at most 8 is a frame; a frame encodes
// back into the same datagram (unused bytes zero); no frame becomes a
// message longer than 8 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <canbus/canbus.h>

#include "ErrorState.h"
#include "FrameConversion.h"

using namespace ovro::pcanlight;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    canbus_frame frame;
    std::memset(&frame, 0xA5, sizeof frame);
    const int decoded = canbus_decode(data, size, &frame);
    const bool isFrame = size == CANBUS_FRAME_SIZE && data[4] <= 8;
    if (decoded != (isFrame ? 1 : 0))
        std::abort();
    if (!decoded)
        return 0;
    if (frame.len > 8)
        std::abort();

    // Encoded again: identifier, length, the data bytes in use and the bit
    // rate as they came, every other byte zero.
    uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&frame, wire);
    const bool remote = frame.id & CANBUS_RTR_FLAG;
    for (size_t i = 0; i < CANBUS_FRAME_SIZE; ++i) {
        const bool used = i < 5 || i >= 16 || (!remote && i >= 8 && i < 8u + frame.len);
        if (wire[i] != (used ? data[i] : 0))
            std::abort();
    }
    canbus_frame again;
    if (!canbus_decode(wire, sizeof wire, &again) || again.id != frame.id || again.len != frame.len ||
        again.bitrate != frame.bitrate || std::memcmp(again.data, frame.data, 8) != 0)
        std::abort();

    // What a PCAN-Light library makes of it.
    TPCANMsg msg;
    if (frame.id & CANBUS_ERR_FLAG) {
        ErrorState state;
        if (state.apply(frame.id, frame.len, frame.data, msg)) {
            if (msg.MSGTYPE != PCAN_MSGTYPE_STATUS || msg.LEN != 4 || (msg.DATA[3] & ~0x1Eu) != 0)
                std::abort();
        }
        return 0;
    }
    FrameConversion::fromBusFrame(frame, msg);
    if (msg.LEN > 8)
        std::abort();
    canbus_frame back;
    if (FrameConversion::toBusFrame(msg, back) == PCAN_ERR_OK) {
        const uint32_t mask = (frame.id & CANBUS_EFF_FLAG) ? CANBUS_EFF_MASK : CANBUS_SFF_MASK;
        if ((back.id & mask) != (frame.id & mask) || back.len != frame.len)
            std::abort();
    }
    return 0;
}
