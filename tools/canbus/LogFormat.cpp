#include "LogFormat.h"

#include "FrameSyntax.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

namespace LogFormat {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// "1700000000.123456": seconds and exactly six decimals, as candump writes.
bool parseStamp(const std::string& text, int64_t& microseconds)
{
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 12 || text.size() - dot - 1 != 6)
        return false;
    int64_t value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == dot)
            continue;
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    microseconds = value;
    return true;
}

}  // namespace

std::string frameText(const canbus_frame& frame)
{
    char buf[48];
    int n;
    if (frame.id & CANBUS_ERR_FLAG)
        n = std::snprintf(buf, sizeof buf, "%08" PRIX32 "#", frame.id & (CANBUS_ERR_FLAG | CANBUS_EFF_MASK));
    else if (frame.id & CANBUS_EFF_FLAG)
        n = std::snprintf(buf, sizeof buf, "%08" PRIX32 "#", frame.id & CANBUS_EFF_MASK);
    else
        n = std::snprintf(buf, sizeof buf, "%03" PRIX32 "#", frame.id & CANBUS_SFF_MASK);
    std::string text(buf, static_cast<std::size_t>(n));
    const unsigned len = frame.len > 8 ? 8 : frame.len;
    if ((frame.id & CANBUS_RTR_FLAG) && !(frame.id & CANBUS_ERR_FLAG)) {
        text += 'R';
        if (len > 0)
            text += static_cast<char>('0' + len);
        return text;
    }
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", frame.data[i]);
        text += buf;
    }
    return text;
}

std::string line(int64_t seconds, int32_t microseconds, const std::string& interface,
                 const canbus_frame& frame)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "(%010" PRId64 ".%06" PRId32 ") ", seconds, microseconds);
    return buf + interface + " " + frameText(frame);
}

bool parseLine(const std::string& text, Record& record, std::string& error)
{
    error.clear();
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            fields.push_back(text.substr(start, i - start));
    }
    if (fields.empty() || fields[0][0] == '#')
        return false;
    if (fields.size() < 3) {
        error = "expected '(SECONDS.MICROSECONDS) INTERFACE FRAME'";
        return false;
    }
    const std::string& stamp = fields[0];
    if (stamp.size() < 3 || stamp.front() != '(' || stamp.back() != ')' ||
        !parseStamp(stamp.substr(1, stamp.size() - 2), record.microseconds)) {
        error = "bad time stamp '" + stamp + "': expected (SECONDS.MICROSECONDS)";
        return false;
    }
    record.interface = fields[1];
    if (fields[2].find("##") != std::string::npos) {
        error = "CAN FD frame '" + fields[2] + "': the bus carries classic frames only";
        return false;
    }
    // A fourth field ("R" or "T" of candump -x) is ignored.
    return FrameSyntax::parse(fields[2], record.frame, error);
}

bool parse(const std::string& text, std::vector<Record>& records, std::string& error)
{
    std::vector<Record> out;
    std::size_t start = 0;
    for (unsigned number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        Record record;
        std::string lineError;
        if (parseLine(text.substr(start, end - start), record, lineError))
            out.push_back(std::move(record));
        else if (!lineError.empty()) {
            error = "line " + std::to_string(number) + ": " + lineError;
            return false;
        }
        start = end + 1;
    }
    records = std::move(out);
    return true;
}

}  // namespace LogFormat
