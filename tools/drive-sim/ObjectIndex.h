// ObjectIndex.h - the indexes of the objects the CANopen side of the drive serves.
#pragma once

#include <cstdint>

namespace ObjectIndex {
constexpr uint16_t DeviceType = 0x1000;
constexpr uint16_t ErrorRegister = 0x1001;
constexpr uint16_t StatusRegister = 0x1002;
constexpr uint16_t ErrorHistory = 0x1003;
constexpr uint16_t SyncCobId = 0x1005;
constexpr uint16_t DeviceName = 0x1008;
constexpr uint16_t HardwareVersion = 0x1009;
constexpr uint16_t SoftwareVersion = 0x100A;
constexpr uint16_t StoreParameters = 0x1010;
constexpr uint16_t RestoreDefaults = 0x1011;
constexpr uint16_t EmcyCobId = 0x1014;
constexpr uint16_t ProducerHeartbeat = 0x1017;
constexpr uint16_t Identity = 0x1018;
constexpr uint16_t SdoServer = 0x1200;
constexpr uint16_t RpdoCommunication = 0x1400;
constexpr uint16_t RpdoMapping = 0x1600;
constexpr uint16_t TpdoCommunication = 0x1800;
constexpr uint16_t TpdoMapping = 0x1A00;
constexpr uint16_t ModelProbe = 0x2100;  // K315 only

// Drive-profile objects the fixed PDO mappings and the program use.
constexpr uint16_t ErrorCode = 0x603F;
constexpr uint16_t Controlword = 0x6040;
constexpr uint16_t Statusword = 0x6041;
constexpr uint16_t ModesOfOperation = 0x6060;
constexpr uint16_t ModesOfOperationDisplay = 0x6061;
constexpr uint16_t PositionDemand = 0x6062;
constexpr uint16_t PositionActualInternal = 0x6063;
constexpr uint16_t PositionActual = 0x6064;
constexpr uint16_t VelocityDemand = 0x606B;
constexpr uint16_t VelocityActual = 0x606C;
constexpr uint16_t CurrentActual = 0x6078;
constexpr uint16_t DcLinkVoltage = 0x6079;
constexpr uint16_t TargetPosition = 0x607A;
constexpr uint16_t DigitalInputs = 0x60FD;
constexpr uint16_t TargetVelocity = 0x60FF;
constexpr uint16_t MotorData = 0x6410;
constexpr uint16_t DriveData = 0x6510;
}  // namespace ObjectIndex

// Signatures written to 0x1010 and 0x1011.
constexpr uint32_t kSaveSignature = 0x65766173;  // "save"
constexpr uint32_t kLoadSignature = 0x64616F6C;  // "load"
