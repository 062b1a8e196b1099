// RecordingPdos.h - the transmit PDOs of the drive that carry the
// oscilloscope's signals: their numbers in the master, their communication
// objects, COB-IDs, transmission types, lengths and the message shown when
// one cannot be configured. A PDO's data are little-endian.
#pragma once

#include "ui/MessageIds.h"

#include <array>
#include <cstdint>

namespace RecordingPdo {

// PDO numbers in the master's receive table.
constexpr std::uint8_t kStatusword = 1;       // statusword (16)
constexpr std::uint8_t kDigitalInputs = 6;    // statusword (16), digital inputs (32)
constexpr std::uint8_t kDemandedVelocity = 7; // velocity (32), demanded velocity (32)
constexpr std::uint8_t kPosition = 8;         // statusword (16), position (32)
constexpr std::uint8_t kVelocityCurrent = 9;  // velocity (32), current (16)

// Transmission types: asynchronous, manufacturer-specific or by profile.
constexpr std::uint8_t kTypeProfile = 0xFF;
constexpr std::uint8_t kTypeManufacturer = 0xFE;

// Bit 31 of a COB-ID: the PDO is not used.
constexpr std::uint32_t kInvalid = 0x80000000u;

// The groups in the order Start configures them.
enum class Group { Position, VelocityCurrent, DemandedVelocity, DigitalInputs, Statusword };

struct Layout {
    Group group;
    std::uint8_t pdo;
    std::uint16_t commIndex;  // communication parameter of the drive
    std::uint16_t cobBase;    // COB-ID without the node-id
    std::uint8_t type;
    bool timed;               // event timer = the time base, else 0
    std::uint8_t length;
    unsigned failureText;     // message number
};

constexpr std::array<Layout, 5> kLayouts = {{
    {Group::Position, kPosition, 0x1801, 0x380, kTypeProfile, true, 6, kMsgCantConfigurePdo2},
    {Group::VelocityCurrent, kVelocityCurrent, 0x1821, 0x480, kTypeManufacturer, true, 6, kMsgCantConfigurePdo34},
    {Group::DemandedVelocity, kDemandedVelocity, 0x1820, 0x500, kTypeManufacturer, true, 8, kMsgCantConfigurePdo33},
    {Group::DigitalInputs, kDigitalInputs, 0x1806, 0x280, kTypeProfile, false, 6, kMsgCantConfigurePdo7},
    {Group::Statusword, kStatusword, 0x1800, 0x180, kTypeProfile, false, 2, kMsgCantConfigurePdo1},
}};

// The layout of a PDO number, or null.
constexpr const Layout* LayoutOf(std::uint8_t pdo)
{
    for (const Layout& layout : kLayouts)
        if (layout.pdo == pdo)
            return &layout;
    return nullptr;
}

} // namespace RecordingPdo
