// FrameConversion - between PCAN-Light message records and frames in the
// SocketCAN identifier layout (which the virtual bus shares), and from the
// BTR0BTR1 register value to the bit rate.
#ifndef PCANLIGHT_FRAMECONVERSION_H
#define PCANLIGHT_FRAMECONVERSION_H

#include <pcanlight/pcan_light.h>

#include <canbus/canbus.h>
#include <linux/can.h>

#include <cstdint>

namespace ovro::pcanlight::FrameConversion {

// Bit rate in bit/s of a BTR0BTR1 value; 0 for a value we do not know.
std::uint32_t bitrateOfBtr(std::uint16_t btr0btr1);

// A data or remote frame (not an error frame) into a message record.
void toPcan(std::uint32_t canId, std::uint8_t len, const std::uint8_t* data, TPCANMsg& msg);

// A message record into identifier word, length and data. Returns 0, or
// PCAN_ERR_PARMTYP for a type we cannot send, PCAN_ERR_PARMVAL for a length
// above 8 or an identifier out of range.
std::uint32_t fromPcan(const TPCANMsg& msg, std::uint32_t& canId, std::uint8_t& len,
                       std::uint8_t data[8]);

// The same for the two frame records.
std::uint32_t toCanFrame(const TPCANMsg& msg, can_frame& frame);
void fromCanFrame(const can_frame& frame, TPCANMsg& msg);
std::uint32_t toBusFrame(const TPCANMsg& msg, canbus_frame& frame);
void fromBusFrame(const canbus_frame& frame, TPCANMsg& msg);

}  // namespace ovro::pcanlight::FrameConversion

#endif
