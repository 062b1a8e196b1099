#include "download/HexFile.h"

#include "download/Crc32.h"
#include "download/SfvFile.h"
#include "download/TextLine.h"
#include "settings/NumberParse.h"

#include <sys/stat.h>

namespace {

// Shortest line that can be a record: ":LLAAAATTCC" (the line feed counts).
constexpr std::size_t kMinRecordLine = 11;

// The byte of the two characters at pos; 0 when either is no hexadecimal
// digit or lies beyond the line.
unsigned HexByte(const std::string& line, std::size_t pos)
{
    if (pos + 1 >= line.size())
        return 0;
    const int hi = HexDigit(line[pos]);
    const int lo = HexDigit(line[pos + 1]);
    if (hi < 0 || lo < 0)
        return 0;
    return static_cast<unsigned>(hi * 16 + lo);
}

// A 16-bit field of four characters, high byte first.
unsigned HexWord(const std::string& line, std::size_t pos)
{
    return HexByte(line, pos) << 8 | HexByte(line, pos + 2);
}

bool IsRecordLine(const std::string& line)
{
    return line.size() >= kMinRecordLine && line[0] == ':';
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const char* ext)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    std::string stem = (dot != std::string::npos && dot >= nameStart) ? path.substr(0, dot) : path;
    return stem + '.' + ext;
}

long ScanFile(const std::string& path, std::string* logPath)
{
    const std::string sfvPath = ReplaceExtension(path, "sfv");
    if (logPath != nullptr)
        *logPath = ReplaceExtension(path, "log");

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return kScanNotFound;

    long count = 0;
    Crc32 crc;
    {
        FilePtr file = OpenForReading(path);
        if (!file)
            return kScanAccessDenied;
        std::string line;
        bool anyLine = false;
        while (ReadTextLine(file.get(), line)) {
            anyLine = true;
            if (!IsRecordLine(line))
                return kScanBadLine;
            if (HexByte(line, 7) == 0x00) {
                const unsigned ll = HexByte(line, 1);
                // Longer data records than the reader's store are refused
                // here already, before anything reaches the drive.
                if (ll > HexRecord::kMaxData)
                    return kScanBadLine;
                count += static_cast<long>(ll);
            }
            crc.UpdateTextLine(line);
        }
        if (std::ferror(file.get()))
            return kScanAccessDenied;
        // A file without a single record delivers nothing to load.
        if (!anyLine)
            return kScanBadLine;
    }

    std::uint32_t expected = 0;
    const int sfv = ReadSfvFile(sfvPath, expected);
    if (sfv < 0)
        return sfv;
    if (crc.Value() != expected)
        return kScanCrcMismatch;
    return count;
}

int ReadHexRecord(std::FILE* file, HexRecord& record)
{
    std::string line;
    for (;;) {
        if (!ReadTextLine(file, line))
            return 0;
        ++record.line;
        if (!IsRecordLine(line))
            return kRecordBad;

        const unsigned ll = HexByte(line, 1);
        // The line must hold the whole record; a cut-off line would
        // otherwise deliver zeros for the missing bytes.
        const std::size_t content = line.size() - (line.back() == '\n' ? 1 : 0);
        if (content < kMinRecordLine + 2 * ll)
            return kRecordBad;

        unsigned sum = 0;
        for (unsigned i = 0; i < ll + 4; ++i)
            sum += HexByte(line, 1 + 2 * i);
        if (((0u - sum) & 0xFFu) != HexByte(line, 2 * ll + 9))
            return kRecordChecksum;

        const unsigned type = HexByte(line, 7);
        // The record store holds 32 bytes; longer data records are refused.
        if (type == 0x00 && ll > HexRecord::kMaxData)
            return kRecordBad;
        // An extended address record carries its address in two data bytes.
        if ((type == 0x02 || type == 0x04) && ll != 2)
            return kRecordBad;
        record.length = static_cast<std::uint8_t>(ll);
        record.offset = HexWord(line, 3);

        switch (type) {
        case 0x00:
            for (unsigned i = 0; i < ll; ++i)
                record.data[i] = static_cast<std::uint8_t>(HexByte(line, 9 + 2 * i));
            return static_cast<int>(ll);
        case 0x01:
            return 0;
        case 0x02:
            record.base = HexWord(line, 9) * 16u;
            break;
        case 0x04:
            record.base = HexWord(line, 9) * 65536u;
            break;
        case 0x03:
        case 0x05:
            break;
        default:
            return kRecordUnknownType;
        }
    }
}
