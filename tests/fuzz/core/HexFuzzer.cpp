// hex_fuzzer: any bytes as an Intel-HEX firmware file. The record reader
// runs over them to the end (or its first error); then the scan checks the
// same file against a check-sum file that matches it, so that it gets past
// the CRC and reads every line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "download/Crc32.h"
#include "FuzzFiles.h"
#include "download/HexFile.h"
#include "download/TextLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string hexPath = WriteScratchFile("firmware.hex", data, size);

    Crc32 crc;  // as the scan sums the file: line by line, CR before LF
    if (FilePtr file = OpenForReading(hexPath)) {
        std::string line;
        while (ReadTextLine(file.get(), line))
            crc.UpdateTextLine(line);
    }

    if (FilePtr file = OpenForReading(hexPath)) {
        HexRecord record;
        int length;
        while ((length = ReadHexRecord(file.get(), record)) > 0) {
            if (length > static_cast<int>(HexRecord::kMaxData))
                __builtin_trap();  // a data record holds at most kMaxData bytes
        }
    }

    char sfv[64];
    const int sfvSize = std::snprintf(sfv, sizeof sfv, "firmware.hex %08X\r\n",
                                      static_cast<unsigned>(crc.Value()));
    WriteScratchFile("firmware.sfv", reinterpret_cast<const std::uint8_t*>(sfv),
                     static_cast<std::size_t>(sfvSize));
    std::string logPath;
    (void)ScanFile(hexPath, &logPath);
    return 0;
}
