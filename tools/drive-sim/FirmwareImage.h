// FirmwareImage.h - the firmware images of the simulated K315 and where its
// loaders keep them.
//
// The first-level loader receives the second-level loader into RAM; the
// second-level loader writes the application into FLASH. Both images begin
// with a header by which a loader tells a complete image from a partial or
// damaged one:
//   offset  size
//      0     4   magic: "OVSL" second-level loader, "OVAP" application
//      4     4   length of the image in bytes, header included (little-endian)
//      8     4   CRC-32 (as zip computes it) of the bytes from offset 16 to the end
//     12     4   reserved, 0
//     16    16   version text, zero-padded; the drive reports it in 0x100A
//     32   ...   code
// A second-level loader lies at the start of RAM, an application at the
// start of FLASH.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace FirmwareImage {

enum class Kind : uint8_t { Loader, Application };

constexpr uint32_t kRamBase = 0x00000;
constexpr uint32_t kRamSize = 0x08000;    // 32 KiB for the second-level loader
constexpr uint32_t kFlashBase = 0x10000;
constexpr uint32_t kFlashSize = 0x40000;  // 256 KiB of application FLASH
constexpr size_t kHeaderSize = 32;
constexpr size_t kVersionSize = 16;

// Version text of the resident first-level loader, reported while it runs.
constexpr const char* kFirstLevelVersion = "FLL V1.00";
// Size of the application the drive leaves the factory with.
constexpr size_t kFactorySize = 0x4000;

// Where an image of this kind lies and how large its memory is.
uint32_t baseOf(Kind kind);
uint32_t memorySizeOf(Kind kind);

// CRC-32 with the reflected polynomial 0xEDB88320 (zip, SFV).
uint32_t crc32(const uint8_t* data, size_t size);

// A complete image of size bytes (at least the header) with this version
// text (at most 15 characters) and code bytes that follow from the version,
// so that the same arguments always give the same image.
std::vector<uint8_t> make(Kind kind, const std::string& version, size_t size);

// The version text of the complete image of this kind at the start of
// memory (size bytes of RAM or FLASH), or nothing when no complete image
// lies there.
std::optional<std::string> check(Kind kind, const uint8_t* memory, size_t size);

}  // namespace FirmwareImage
