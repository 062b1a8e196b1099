#include "document/ParameterValue.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "description/QVTDataType.h"
#include "settings/NumberParse.h"

namespace ovro {

namespace {

std::string Format(const char* format, long long a)
{
    char text[32];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

std::string DateTimeText(int day, int month, int year, int hour, int minute)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02i.%02i.%04i %02i:%02i", day, month, year, hour, minute);
    return text;
}

// Seconds of 1 January 2038, 00:00:01 UTC: later instants are not shown.
constexpr std::uint32_t kTimeLimit = 2145916801u;
// Days from 1 January 1970 to 1 January 1984.
constexpr std::uint32_t kDays1970To1984 = 5113;

template <typename T>
void StoreLittleEndian(CQVTParameter& p, T v)
{
    std::uint8_t bytes[sizeof(T)];
    auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<std::uint8_t>((u >> (8 * i)) & 0xFFu);
    p.SetRaw(bytes, sizeof bytes);
}

template <typename T, bool (*Parse)(const char*, T&)>
bool SetInteger(CQVTParameter& p, const std::string& text)
{
    T v = 0;
    if (!Parse(text.c_str(), v))
        return false;
    StoreLittleEndian(p, v);
    return true;
}

// The instant that Time Of Day values past 2038 show instead.
constexpr std::uint32_t kOutOfRangeSeconds = 3600;
constexpr std::uint32_t kSecondsPerDay = 86400;

// "dd.mm.yyyy hh:mm" as the Date and Time Of Day texts are written, with
// blanks and TABs around; the fields need not have leading zeros.
struct DateTimeFields {
    int day = 0;
    int month = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
};

bool ParseDateTime(const std::string& text, DateTimeFields& f)
{
    char rest = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), " %2d.%3d.%4d %2d:%2d%n %c", &f.day, &f.month, &f.year, &f.hour, &f.minute, &used,
                    &rest) != 5)
        return false;
    // Digits only in each field: no sign, nothing glued to the minutes.
    for (int i = 0; i < used; ++i) {
        const char c = text[static_cast<std::size_t>(i)];
        if (c == '+' || c == '-')
            return false;
    }
    return f.day >= 0 && f.month >= 0 && f.year >= 0 && f.hour >= 0 && f.minute >= 0;
}

}  // namespace

std::string CParameterValue::GetValueText(const CQVTParameter& p, bool withEnumeration)
{
    if (withEnumeration && IsIntegerType(p.dataType) && !p.enumerators.empty()) {
        const auto v = static_cast<std::int32_t>(p.GetInteger());
        if (const CQVTEnumerator* e = p.FindEnumerator(v))
            return e->GetDisplayText(true);
    }
    const CQVTParameter::Value& b = p.value;
    switch (p.dataType) {
    case QvtInteger8:
    case QvtInteger16:
    case QvtInteger32:
        return Format("%lli", p.GetInteger());
    case QvtUnsigned8:
    case QvtUnsigned16:
    case QvtUnsigned32:
        return Format("%llu", p.GetInteger());
    case QvtVisibleString:
        return std::string(reinterpret_cast<const char*>(b.data()), static_cast<std::size_t>(p.GetSize()));
    case QvtOctetString: {
        std::string text;
        for (std::uint8_t byte : b)
            text += Format(" 0x%02llX", byte);
        return text;
    }
    case QvtDate:
        return DateText(b);
    case QvtTimeOfDay:
        return TimeOfDayText(b);
    default:
        return std::string();
    }
}

std::string CParameterValue::DateText(const CQVTParameter::Value& b)
{
    // CiA DS-301 DATE: ms (2 bytes), minutes, hours (bit 7: summer time),
    // day of month (bits 0-4), month, year since 1900.
    int minute = b[2];
    int hourByte = b[3];
    int day = b[4] & 0x1F;
    int month = b[5];
    int yearByte = b[6];
    if (b[4] == 0 && b[5] == 0 && b[6] == 0) {
        day = 1;
        month = 1;
        yearByte = 70;
    }
    const int year = yearByte < 70 ? yearByte + 2000 : yearByte + 1900;
    const int hour = (hourByte & 0x1F) + (hourByte >> 7);
    return DateTimeText(day, month, year, hour, minute);
}

std::string CParameterValue::TimeOfDayText(const CQVTParameter::Value& b)
{
    const std::uint32_t ms = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                             (static_cast<std::uint32_t>(b[2]) << 16) |
                             (static_cast<std::uint32_t>(b[3]) << 24);
    const std::uint32_t days = static_cast<std::uint32_t>(b[4]) | (static_cast<std::uint32_t>(b[5]) << 8);
    // In 64 bits: a 32-bit sum would wrap and show a false date instead of
    // the out-of-range mark.
    std::uint64_t seconds = (std::uint64_t{days} + kDays1970To1984) * 86400u + ms / 1000u;
    if (seconds >= kTimeLimit)
        seconds = kOutOfRangeSeconds;
    const std::time_t instant = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr)
        return std::string();
    return DateTimeText(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min);
}

bool CParameterValue::SetValueText(CQVTParameter& p, const std::string& text)
{
    // A zero byte would end the number early and hide what follows.
    if (IsIntegerType(p.dataType) && text.find('\0') != std::string::npos)
        return false;
    switch (p.dataType) {
    case QvtInteger8:
        return SetInteger<std::int8_t, ParseS8>(p, text);
    case QvtInteger16:
        return SetInteger<std::int16_t, ParseS16>(p, text);
    case QvtInteger32:
        return SetInteger<std::int32_t, ParseS32>(p, text);
    case QvtUnsigned8:
        return SetInteger<std::uint8_t, ParseU8>(p, text);
    case QvtUnsigned16:
        return SetInteger<std::uint16_t, ParseU16>(p, text);
    case QvtUnsigned32:
        return SetInteger<std::uint32_t, ParseU32>(p, text);
    case QvtVisibleString:
        if (text.size() > p.value.size())
            return false;
        p.SetRaw(text.data(), text.size());
        return true;
    default:
        return false;
    }
}

bool CParameterValue::SetFileText(CQVTParameter& p, const std::string& text)
{
    switch (p.dataType) {
    case QvtOctetString:
        return SetOctetText(p, text);
    case QvtDate:
        return SetDateText(p, text);
    case QvtTimeOfDay:
        return SetTimeOfDayText(p, text);
    default:
        return SetValueText(p, text);
    }
}

// " 0x01 0x02 ...": up to 16 groups of "0x" and one or two hexadecimal
// digits, separated by blanks or TABs; missing bytes are zero.
bool CParameterValue::SetOctetText(CQVTParameter& p, const std::string& text)
{
    CQVTParameter::Value bytes{};
    std::size_t count = 0;
    std::size_t i = 0;
    const auto blank = [&text](std::size_t at) { return text[at] == ' ' || text[at] == '\t'; };
    for (;;) {
        while (i < text.size() && blank(i))
            ++i;
        if (i == text.size())
            break;
        if (count == bytes.size() || (text.compare(i, 2, "0x") != 0 && text.compare(i, 2, "0X") != 0))
            return false;
        i += 2;
        int value = 0;
        int digits = 0;
        for (; i < text.size() && !blank(i); ++i, ++digits) {
            const int d = HexDigit(text[i]);
            if (d < 0 || digits == 2)
                return false;
            value = value * 16 + d;
        }
        if (digits == 0)
            return false;
        bytes[count++] = static_cast<std::uint8_t>(value);
    }
    if (count == 0)
        return false;
    p.SetRaw(bytes.data(), bytes.size());
    return true;
}

// The Date text backwards: the hour without the summer-time flag, no
// milliseconds; years 2000...2069 in the form below 70.
bool CParameterValue::SetDateText(CQVTParameter& p, const std::string& text)
{
    DateTimeFields f;
    if (!ParseDateTime(text, f) || f.day > 31 || f.month > 255 || f.hour > 31 || f.minute > 255)
        return false;
    int yearByte = 0;
    if (f.year >= 2000 && f.year < 2070)
        yearByte = f.year - 2000;
    else if (f.year >= 1970 && f.year <= 1900 + 255)
        yearByte = f.year - 1900;
    else
        return false;
    const std::uint8_t bytes[7] = {0, 0, static_cast<std::uint8_t>(f.minute), static_cast<std::uint8_t>(f.hour),
                                   static_cast<std::uint8_t>(f.day), static_cast<std::uint8_t>(f.month),
                                   static_cast<std::uint8_t>(yearByte)};
    p.SetRaw(bytes, sizeof bytes);
    return true;
}

// The Time Of Day text backwards: the local time it names as days since
// 1984 and milliseconds of that day. The instant shown for values past
// 2038 comes back as such a value.
bool CParameterValue::SetTimeOfDayText(CQVTParameter& p, const std::string& text)
{
    DateTimeFields f;
    if (!ParseDateTime(text, f) || f.day < 1 || f.day > 31 || f.month < 1 || f.month > 12 || f.hour > 23 ||
        f.minute > 59)
        return false;
    std::tm local{};
    local.tm_mday = f.day;
    local.tm_mon = f.month - 1;
    local.tm_year = f.year - 1900;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_isdst = -1;
    const std::time_t instant = std::mktime(&local);
    if (instant == static_cast<std::time_t>(-1) || local.tm_mday != f.day || local.tm_mon != f.month - 1)
        return false;
    std::uint32_t days = 0;
    std::uint32_t ms = 0;
    const std::int64_t seconds = instant;
    if (seconds == kOutOfRangeSeconds) {
        days = 0xFFFF;
    } else if (seconds >= std::int64_t{kDays1970To1984} * kSecondsPerDay && seconds < kTimeLimit) {
        days = static_cast<std::uint32_t>(seconds / kSecondsPerDay) - kDays1970To1984;
        ms = static_cast<std::uint32_t>(seconds % kSecondsPerDay) * 1000u;
    } else {
        return false;
    }
    const std::uint8_t bytes[6] = {static_cast<std::uint8_t>(ms), static_cast<std::uint8_t>(ms >> 8),
                                   static_cast<std::uint8_t>(ms >> 16), static_cast<std::uint8_t>(ms >> 24),
                                   static_cast<std::uint8_t>(days), static_cast<std::uint8_t>(days >> 8)};
    p.SetRaw(bytes, sizeof bytes);
    return true;
}

int CParameterValue::Compare(const CQVTParameter& p, const std::uint8_t* other)
{
    if (other == nullptr)
        return -1;
    CQVTParameter theirs = p;
    theirs.SetRaw(other, theirs.value.size());
    if (IsIntegerType(p.dataType)) {
        const std::int64_t a = p.GetInteger();
        const std::int64_t b = theirs.GetInteger();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (p.dataType == QvtVisibleString) {
        // Each taken as its 16 bytes followed by a terminating zero.
        char a[17] = {};
        char b[17] = {};
        std::memcpy(a, p.value.data(), 16);
        std::memcpy(b, other, 16);
        const int r = std::strcmp(a, b);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    return 1;
}

}  // namespace ovro
