// sfv_fuzzer: any bytes as the check-sum file of a small valid HEX file;
// the check-sum reader and the scan that uses it must cope with them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFiles.h"
#include "download/HexFile.h"
#include "download/SfvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string hex = ":0400000001020304F2\r\n:00000001FF\r\n";
    static const std::string hexPath = WriteScratchFile(
        "firmware.hex", reinterpret_cast<const std::uint8_t*>(hex.data()), hex.size());

    const std::string sfvPath = WriteScratchFile("firmware.sfv", data, size);
    std::uint32_t expected = 0;
    const int result = ReadSfvFile(sfvPath, expected);
    if (result != 0 && result != -6)
        __builtin_trap();  // the file exists and is readable
    (void)ScanFile(hexPath);
    return 0;
}
