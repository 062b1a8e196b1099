// SdoAbortCode.h - the CiA 301 SDO abort codes this drive sends.
#pragma once

#include <cstdint>

namespace SdoAbortCode {
constexpr uint32_t None = 0;
constexpr uint32_t ToggleNotAlternated = 0x05030000;
constexpr uint32_t Timeout = 0x05040000;
constexpr uint32_t InvalidCommand = 0x05040001;
constexpr uint32_t OutOfMemory = 0x05040005;
constexpr uint32_t UnsupportedAccess = 0x06010000;
constexpr uint32_t WriteOnly = 0x06010001;  // attempt to read a write-only object
constexpr uint32_t ReadOnly = 0x06010002;   // attempt to write a read-only object
constexpr uint32_t NoObject = 0x06020000;
constexpr uint32_t NotMappable = 0x06040041;
constexpr uint32_t PdoLengthExceeded = 0x06040042;
constexpr uint32_t ParameterIncompatible = 0x06040043;
constexpr uint32_t HardwareError = 0x06060000;
constexpr uint32_t LengthMismatch = 0x06070010;
constexpr uint32_t LengthTooHigh = 0x06070012;
constexpr uint32_t LengthTooLow = 0x06070013;
constexpr uint32_t NoSubIndex = 0x06090011;
constexpr uint32_t ValueRange = 0x06090030;
constexpr uint32_t ValueTooHigh = 0x06090031;
constexpr uint32_t ValueTooLow = 0x06090032;
constexpr uint32_t General = 0x08000000;
constexpr uint32_t CannotStore = 0x08000020;
constexpr uint32_t CannotStoreLocal = 0x08000021;
constexpr uint32_t CannotStoreState = 0x08000022;
constexpr uint32_t NoData = 0x08000024;
}  // namespace SdoAbortCode
