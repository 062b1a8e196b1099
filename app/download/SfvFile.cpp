#include "download/SfvFile.h"

#include "download/TextLine.h"
#include "settings/NumberParse.h"

#include <sys/stat.h>

namespace {

// The number after the first blank of a deciding line: blanks, an optional
// "0x", then hexadecimal digits. More than 32 bits of value are refused.
bool ParseCrc(const std::string& line, std::uint32_t& value)
{
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos)
        return false;
    std::size_t i = blank + 1;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i + 1 < line.size() && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X') &&
        i + 2 < line.size() && HexDigit(line[i + 2]) >= 0)
        i += 2;
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < line.size() && HexDigit(line[i]) >= 0; ++i, ++digits) {
        v = (v << 4) | static_cast<std::uint64_t>(HexDigit(line[i]));
        if (v > 0xFFFFFFFFu)
            return false;
    }
    if (digits == 0)
        return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace

int ReadSfvFile(const std::string& path, std::uint32_t& expected)
{
    expected = 0xFFFFFFFFu;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -4;
    FilePtr file = OpenForReading(path);
    if (!file)
        return -5;

    std::string line;
    bool atLineStart = true;
    while (ReadTextLine(file.get(), line)) {
        // Only the first piece of an over-long line is looked at.
        const bool startsLine = atLineStart;
        atLineStart = !line.empty() && line.back() == '\n';
        if (!startsLine)
            continue;
        if (line == "\n" || line[0] == ';')
            continue;
        return ParseCrc(line, expected) ? 0 : -6;
    }
    if (std::ferror(file.get()))
        return -5;
    return 0;
}
