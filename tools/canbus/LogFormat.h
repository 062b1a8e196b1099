// LogFormat - frames in the log format of can-utils (candump -l, canplayer,
// log2asc): one frame a line, a time stamp in seconds with six decimals in
// brackets, the interface name and the frame in the command-line syntax of
// cansend, the data bytes without separators:
//   "(1700000000.123456) demo 605#4000100000000000"
//   "(1700000000.123999) demo 20000004#0030000000000000"   error frame
//   "(1700000000.124500) demo 701#R"                       remote request
#ifndef CANBUS_TOOL_LOGFORMAT_H
#define CANBUS_TOOL_LOGFORMAT_H

#include <canbus/canbus.h>

#include <cstdint>
#include <string>
#include <vector>

namespace LogFormat {

struct Record {
    int64_t microseconds = 0;  // time stamp
    std::string interface;
    canbus_frame frame{};
};

// The frame as cansend writes it: "123#11223344", "12345678#..." for an
// extended identifier, "123#R" or "123#R4" for a remote request,
// "20000040#..." for an error frame with its classes.
std::string frameText(const canbus_frame& frame);

// One line, without the line feed.
std::string line(int64_t seconds, int32_t microseconds, const std::string& interface,
                 const canbus_frame& frame);

// Reads one line. Blank lines and lines starting with '#' are no record:
// false with an empty error. Otherwise false with a message in `error`.
bool parseLine(const std::string& text, Record& record, std::string& error);

// Reads a whole log. False with "line N: ..." in `error` at the first line
// that is no frame; nothing is returned then.
bool parse(const std::string& text, std::vector<Record>& records, std::string& error);

}  // namespace LogFormat

#endif
