// FileText.h - a file's whole content as text, and a file written from a
// text, byte for byte (line breaks as they stand), for the tests' checks.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace ovro::test {

// "" when the file cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace ovro::test
