// Line reading of the download's text files. Files are opened in binary
// mode; a carriage return directly before a line feed is dropped, as text
// mode on the original platform does.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f != nullptr)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading in binary mode; null when it cannot be opened.
FilePtr OpenForReading(const std::string& path);

// Longest piece of a line delivered by one read.
inline constexpr std::size_t kMaxLineRead = 255;

// Reads the next line, its line feed included, or at most kMaxLineRead
// characters of it (the rest comes with the next read). False at the end
// of the file when nothing was read.
bool ReadTextLine(std::FILE* file, std::string& line);
