// CDownloadLog: the log file of a firmware download. Text written with
// Write goes to the file as it comes, every "\n" stored as CR LF, and is
// flushed at once, so that the log of a download that stops half way
// shows the last step attempted.
#pragma once

#include "download/PageBlock.h"
#include "download/TextLine.h"

#include <cstdint>
#include <ctime>
#include <string>

class CDownloadLog {
public:
    static constexpr const char* kVersion = "1.1";
    static constexpr const char* kDateFormat = "%Y/%m/%d %I:%M:%S %p %Z";

    // Creates the file (an existing one is overwritten); false with the
    // system's reason when it cannot be created.
    bool Create(const std::string& path, std::string& reason);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

    // The header: program, version, date, the paths, page size and node-id,
    // and an empty line.
    void WriteHeader(std::time_t now, const std::string& loaderPath, const std::string& appPath,
                     long pageSize, unsigned nodeId);
    // One page as it goes to the drive, with its block checksum.
    void WritePage(const PageBlock& block, std::uint16_t checksum);
    void Write(const std::string& text);
    void Close() { file_.reset(); }

    // The local time in the log's date format.
    static std::string FormatDate(std::time_t now);

private:
    FilePtr file_;
    std::string path_;
};
