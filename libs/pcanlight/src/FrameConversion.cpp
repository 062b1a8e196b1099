#include "FrameConversion.h"

#include <cstring>

namespace ovro::pcanlight::FrameConversion {

namespace {

struct BtrRate {
    std::uint16_t btr;
    std::uint32_t bitrate;
};

constexpr BtrRate kBtrRates[] = {
    {PCAN_BAUD_1M, 1000000}, {PCAN_BAUD_500K, 500000}, {PCAN_BAUD_250K, 250000},
    {PCAN_BAUD_125K, 125000}, {PCAN_BAUD_100K, 100000}, {PCAN_BAUD_50K, 50000},
    {PCAN_BAUD_20K, 20000},   {PCAN_BAUD_10K, 10000},
};

}  // namespace

std::uint32_t bitrateOfBtr(std::uint16_t btr0btr1)
{
    for (const BtrRate& entry : kBtrRates)
        if (entry.btr == btr0btr1)
            return entry.bitrate;
    return 0;
}

void toPcan(std::uint32_t canId, std::uint8_t len, const std::uint8_t* data, TPCANMsg& msg)
{
    std::memset(&msg, 0, sizeof msg);
    msg.LEN = len > 8 ? 8 : len;
    if (canId & CANBUS_EFF_FLAG) {
        msg.ID = canId & CANBUS_EFF_MASK;
        msg.MSGTYPE = PCAN_MSGTYPE_EXTENDED;
    } else {
        msg.ID = canId & CANBUS_SFF_MASK;
        msg.MSGTYPE = PCAN_MSGTYPE_STANDARD;
    }
    if (canId & CANBUS_RTR_FLAG)
        msg.MSGTYPE |= PCAN_MSGTYPE_RTR;
    else if (data)
        std::memcpy(msg.DATA, data, msg.LEN);
}

std::uint32_t fromPcan(const TPCANMsg& msg, std::uint32_t& canId, std::uint8_t& len,
                       std::uint8_t data[8])
{
    if (msg.MSGTYPE & ~(PCAN_MSGTYPE_RTR | PCAN_MSGTYPE_EXTENDED))
        return PCAN_ERR_PARMTYP;
    if (msg.LEN > 8)
        return PCAN_ERR_PARMVAL;
    const bool extended = msg.MSGTYPE & PCAN_MSGTYPE_EXTENDED;
    if (msg.ID > (extended ? CANBUS_EFF_MASK : CANBUS_SFF_MASK))
        return PCAN_ERR_PARMVAL;
    canId = msg.ID;
    if (extended)
        canId |= CANBUS_EFF_FLAG;
    len = msg.LEN;
    std::memset(data, 0, 8);
    if (msg.MSGTYPE & PCAN_MSGTYPE_RTR)
        canId |= CANBUS_RTR_FLAG;
    else
        std::memcpy(data, msg.DATA, len);
    return PCAN_ERR_OK;
}

std::uint32_t toCanFrame(const TPCANMsg& msg, can_frame& frame)
{
    can_frame out;
    std::memset(&out, 0, sizeof out);
    std::uint32_t error = fromPcan(msg, out.can_id, out.len, out.data);
    if (error == PCAN_ERR_OK)
        frame = out;
    return error;
}

void fromCanFrame(const can_frame& frame, TPCANMsg& msg)
{
    toPcan(frame.can_id, frame.len, frame.data, msg);
}

std::uint32_t toBusFrame(const TPCANMsg& msg, canbus_frame& frame)
{
    canbus_frame out{};
    std::uint32_t error = fromPcan(msg, out.id, out.len, out.data);
    if (error == PCAN_ERR_OK)
        frame = out;
    return error;
}

void fromBusFrame(const canbus_frame& frame, TPCANMsg& msg)
{
    toPcan(frame.id, frame.len, frame.data, msg);
}

}  // namespace ovro::pcanlight::FrameConversion
