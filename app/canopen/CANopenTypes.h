// CANopenTypes.h - the CANopen vocabulary the program shares: node-id range,
// the drive's object indexes, the master's own PDO objects and the PDO
// communication record.
#pragma once

#include <cstdint>

namespace CANopen {

constexpr std::uint8_t kMinNodeId = 1;
constexpr std::uint8_t kMaxNodeId = 127;
constexpr std::uint8_t kNodeSlots = 128; // slot 0 is never used

constexpr bool IsValidNodeId(unsigned nodeId)
{
    return nodeId >= kMinNodeId && nodeId <= kMaxNodeId;
}

// Objects of the drive's object dictionary used by the program.
namespace Object {
constexpr std::uint16_t DeviceType = 0x1000;
constexpr std::uint16_t ManufacturerStatus = 0x1002; // 32-bit, read after a fault reset
constexpr std::uint16_t ErrorHistory = 0x1003;       // cleared by writing 0 to sub-index 0
constexpr std::uint16_t DeviceName = 0x1008;
constexpr std::uint16_t HardwareVersion = 0x1009;
constexpr std::uint16_t SoftwareVersion = 0x100A;
constexpr std::uint16_t StoreParameters = 0x1010;
constexpr std::uint16_t RestoreParameters = 0x1011;
constexpr std::uint16_t Identity = 0x1018;
constexpr std::uint8_t IdentitySerialNumber = 4;
constexpr std::uint16_t ReceivePdoCommFirst = 0x1400; // the master transmits
constexpr std::uint16_t ReceivePdoCommLast = 0x15FF;
constexpr std::uint16_t TransmitPdoCommFirst = 0x1800; // the master receives
constexpr std::uint16_t TransmitPdoCommLast = 0x19FF;
constexpr std::uint16_t ModelProbe = 0x2100;
constexpr std::uint16_t FirmwareDownload = 0x2F50;
constexpr std::uint16_t Controlword = 0x6040;
constexpr std::uint16_t Statusword = 0x6041;
constexpr std::uint16_t ModesOfOperation = 0x6060;
constexpr std::uint16_t ModesOfOperationDisplay = 0x6061;
} // namespace Object

// The master's own transmit object for raw LMT messages: PDO 1 of node 0.
constexpr std::uint8_t kLmtPdoNode = 0;
constexpr std::uint8_t kLmtPdoNumber = 1;
constexpr std::uint16_t kLmtMasterCobId = 0x7E5;
constexpr std::uint8_t kLmtPdoLength = 8;

// The two receive PDOs every connected node gets (the drive's third and
// fourth transmit PDO); the oscilloscope samples arrive in them.
constexpr std::uint8_t kSamplePdo1 = 8;
constexpr std::uint16_t kSamplePdo1Base = 0x380;
constexpr std::uint8_t kSamplePdo1Length = 8;
constexpr std::uint8_t kSamplePdo2 = 9;
constexpr std::uint16_t kSamplePdo2Base = 0x480;
constexpr std::uint8_t kSamplePdo2Length = 6;

// Bit 31 of a PDO COB-ID: the PDO is not valid.
constexpr std::uint32_t kPdoInvalid = 0x80000000u;

constexpr std::uint16_t kDefaultSdoTimeout = 100;

} // namespace CANopen

// In-memory image of a PDO communication parameter object (0x1400...0x15FF,
// 0x1800...0x19FF).
struct PdoCommParam {
    std::uint8_t entryCount = 0;       // sub-index 0
    std::uint32_t cobId = 0;           // sub-index 1; bit 31: not valid
    std::uint8_t transmissionType = 0; // sub-index 2
    std::uint16_t inhibitTime = 0;     // sub-index 3
    std::uint8_t reserved = 0;         // sub-index 4
    std::uint16_t eventTimer = 0;      // sub-index 5
};
