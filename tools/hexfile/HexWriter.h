// HexWriter.h - writes a binary image as an Intel-HEX file with CR LF line
// ends and the check-sum file (".sfv") that the firmware download expects
// beside it.
//
//   std::string error;
//   if (!HexWriter::WriteFiles(image, 0x10000, 32, "fw/K315.h86", error))
//       report(error);
//   // fw/K315.h86 and fw/K315.sfv now exist
//
// Data records carry up to 32 bytes and never cross a 64 KiB boundary;
// an extended linear address record (type 04) comes before the first data
// record of every 64 KiB segment but segment 0 at the start, and an
// end-of-file record closes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class HexWriter {
public:
    static constexpr std::size_t kMaxRecordSize = 32;

    // The text of the HEX file of image loaded at address, recordSize
    // (1..32) bytes per data record.
    static std::string HexText(const std::vector<std::uint8_t>& image, std::uint32_t address,
                               std::size_t recordSize);
    // The text of the check-sum file of a file with this name and text.
    static std::string SfvText(const std::string& fileName, const std::string& fileText);

    // Writes the HEX file and the .sfv beside it. Both are written under
    // temporary names first and then renamed, so a failure to write keeps
    // the files there were.
    // False with a message when the image does not fit the 32-bit address
    // space, the record size is out of range, or a file cannot be written.
    static bool WriteFiles(const std::vector<std::uint8_t>& image, std::uint32_t address, std::size_t recordSize,
                           const std::string& hexPath, std::string& error);
};
