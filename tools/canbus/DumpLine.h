// DumpLine - one received frame as a line of text in the layout of the
// SocketCAN dump tool with absolute time stamps:
//  " (1701234567.123456)  vbus  605   [8]  40 00 10 00 00 00 00 00"
#ifndef CANBUS_TOOL_DUMPLINE_H
#define CANBUS_TOOL_DUMPLINE_H

#include <canbus/canbus.h>

#include <cstdint>
#include <string>

namespace DumpLine {

std::string format(int64_t seconds, int32_t microseconds, const std::string& bus,
                   const canbus_frame& frame);

}  // namespace DumpLine

#endif
