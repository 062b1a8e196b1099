// ActualValues: the device-status record that the document's status poll
// fills by SDO and the motion, status and oscilloscope windows read.
#pragma once

#include <array>
#include <cstdint>

namespace ovro {

struct ActualValues {
    // One entry of the drive's error history (object 0x1003): a transfer of
    // up to 8 bytes; the low 16 bits hold the error code.
    struct ErrorEntry {
        std::array<std::uint8_t, 8> raw{};
        std::uint16_t Code() const
        {
            return static_cast<std::uint16_t>(raw[0] | (raw[1] << 8));
        }
        void SetCode(std::uint16_t code)
        {
            raw.fill(0);
            raw[0] = static_cast<std::uint8_t>(code & 0xFFu);
            raw[1] = static_cast<std::uint8_t>(code >> 8);
        }
    };

    std::uint32_t statusRegister = 0;
    std::uint16_t errorCode = 0;
    std::uint16_t statusword = 0;
    std::int32_t actualPosition = 0;
    std::int32_t actualVelocity = 0;
    std::int16_t actualCurrent = 0;
    std::uint32_t actualVoltage = 0;
    std::int8_t actualTemperature = 0;
    std::uint32_t digitalInputs = 0;
    std::int8_t actualMode = 0;
    std::array<ErrorEntry, 5> errorList{};
    std::uint32_t powerOnTime = 0;
    std::uint32_t turnOnTime = 0;
    std::uint32_t positionings = 0;
    std::int8_t recording = 0;  // not 0: the document also holds a recording
};

}  // namespace ovro
