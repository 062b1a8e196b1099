#include "DumpLine.h"

#include <cinttypes>
#include <cstdio>

namespace DumpLine {

std::string format(int64_t seconds, int32_t microseconds, const std::string& bus,
                   const canbus_frame& frame)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, " (%" PRId64 ".%06" PRId32 ")  ", seconds, microseconds);
    std::string line = buf + bus + "  ";

    if (frame.id & CANBUS_ERR_FLAG)
        std::snprintf(buf, sizeof buf, "%08" PRIX32, frame.id & (CANBUS_ERR_FLAG | CANBUS_EFF_MASK));
    else if (frame.id & CANBUS_EFF_FLAG)
        std::snprintf(buf, sizeof buf, "%08" PRIX32, frame.id & CANBUS_EFF_MASK);
    else
        std::snprintf(buf, sizeof buf, "%03" PRIX32, frame.id & CANBUS_SFF_MASK);
    line += buf;

    const unsigned len = frame.len > 8 ? 8 : frame.len;
    std::snprintf(buf, sizeof buf, "   [%u]", len);
    line += buf;

    if ((frame.id & CANBUS_RTR_FLAG) && !(frame.id & CANBUS_ERR_FLAG))
        return line + "  remote request";
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "  %02X" : " %02X", frame.data[i]);
        line += buf;
    }
    if (frame.id & CANBUS_ERR_FLAG)
        line += "   ERRORFRAME";
    return line;
}

}  // namespace DumpLine
