#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "description/QVTDataType.h"
#include "document/ParameterValue.h"

using namespace ovro;

namespace {

CQVTParameter Make(int type)
{
    CQVTParameter p("P");
    p.dataType = type;
    return p;
}

// Sets the text and returns the value as text, or "refused" (value unchanged).
std::string Set(int type, const std::string& text)
{
    CQVTParameter p = Make(type);
    p.value.fill(0);
    p.value[0] = 0x5A;  // a value the failed set must leave alone
    if (!CParameterValue::SetValueText(p, text))
        return p.value[0] == 0x5A ? "refused" : "refused but changed";
    return CParameterValue::GetValueText(p, false);
}

}  // namespace

TEST(ParameterValue, Integer8FromText)
{
    EXPECT_EQ(Set(QvtInteger8, "127"), "127");
    EXPECT_EQ(Set(QvtInteger8, "128"), "refused");
    EXPECT_EQ(Set(QvtInteger8, "-128"), "-128");
    EXPECT_EQ(Set(QvtInteger8, "-129"), "refused");
    EXPECT_EQ(Set(QvtInteger8, "0x80"), "-128");
    EXPECT_EQ(Set(QvtInteger8, "0x180"), "refused");
    EXPECT_EQ(Set(QvtInteger8, "0377"), "-1");
    EXPECT_EQ(Set(QvtInteger8, "0400"), "refused");
    EXPECT_EQ(Set(QvtInteger8, " \t12 \t"), "12");
    EXPECT_EQ(Set(QvtInteger8, "12a"), "refused");
    EXPECT_EQ(Set(QvtInteger8, "+"), "refused");
    EXPECT_EQ(Set(QvtInteger8, "   "), "refused");
    EXPECT_EQ(Set(QvtInteger8, std::string("1\0" "2", 3)), "refused");
}

TEST(ParameterValue, UnsignedFromText)
{
    EXPECT_EQ(Set(QvtUnsigned8, "-1"), "refused");
    EXPECT_EQ(Set(QvtUnsigned8, "255"), "255");
    EXPECT_EQ(Set(QvtUnsigned8, "256"), "refused");
    EXPECT_EQ(Set(QvtUnsigned8, "+007"), "7");
    EXPECT_EQ(Set(QvtUnsigned16, "0xFFFF"), "65535");
    EXPECT_EQ(Set(QvtUnsigned16, "0x"), "0");
    EXPECT_EQ(Set(QvtUnsigned32, "4294967295"), "4294967295");
    EXPECT_EQ(Set(QvtUnsigned32, "4294967296"), "refused");
    EXPECT_EQ(Set(QvtUnsigned32, "0x0000FFFFFFFF"), "4294967295");
    EXPECT_EQ(Set(QvtInteger32, "-2147483648"), "-2147483648");
    EXPECT_EQ(Set(QvtInteger16, "0xffff"), "-1");

    CQVTParameter p = Make(QvtUnsigned16);
    ASSERT_TRUE(CParameterValue::SetValueText(p, "0x1234"));
    EXPECT_EQ(p.value[0], 0x34);  // little-endian, rest zero
    EXPECT_EQ(p.value[1], 0x12);
    EXPECT_EQ(p.value[2], 0);
    EXPECT_FALSE(p.changed);  // setting from text does not mark the parameter
}

TEST(ParameterValue, VisibleString)
{
    CQVTParameter p = Make(QvtVisibleString);
    ASSERT_TRUE(CParameterValue::SetValueText(p, "abcd"));
    ASSERT_TRUE(CParameterValue::SetValueText(p, "xy"));
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "xy");
    ASSERT_TRUE(CParameterValue::SetValueText(p, "0123456789abcdef"));
    EXPECT_EQ(p.GetSize(), 16);
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "0123456789abcdef");
    EXPECT_FALSE(CParameterValue::SetValueText(p, "0123456789abcdefg"));
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "0123456789abcdef");
}

TEST(ParameterValue, OtherTypesCannotBeSetFromText)
{
    for (int type : {0, 1, 8, int{QvtOctetString}, int{QvtDate}, int{QvtTimeOfDay}, 13})
        EXPECT_EQ(Set(type, "1"), "refused") << type;
    EXPECT_EQ(CParameterValue::GetValueText(Make(8), false), "");
}

TEST(ParameterValue, EnumerationText)
{
    CQVTParameter p = Make(QvtUnsigned8);
    p.value[0] = 3;
    p.enumerators.emplace_back(3, "Homing");
    EXPECT_EQ(CParameterValue::GetValueText(p, true), "3 - Homing");
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "3");
    p.enumerators.front().text.clear();
    EXPECT_EQ(CParameterValue::GetValueText(p, true), "3 - ???");
    p.value[0] = 4;
    EXPECT_EQ(CParameterValue::GetValueText(p, true), "4");

    CQVTParameter s = Make(QvtInteger8);
    s.value[0] = 0xFD;  // -3, sign-extended for the lookup
    s.enumerators.emplace_back(-3, "Manual");
    EXPECT_EQ(CParameterValue::GetValueText(s, true), "-3 - Manual");
}

TEST(ParameterValue, OctetStringAndDate)
{
    CQVTParameter o = Make(QvtOctetString);
    o.value[0] = 1;
    o.value[1] = 2;
    std::string expected = " 0x01 0x02";
    for (int i = 2; i < 16; ++i)
        expected += " 0x00";
    EXPECT_EQ(CParameterValue::GetValueText(o, false), expected);

    CQVTParameter d = Make(QvtDate);
    EXPECT_EQ(CParameterValue::GetValueText(d, false), "01.01.1970 00:00");
    // 23.07.2006 10:15 with summer time: hour byte 0x8A shows 11.
    const unsigned char date[] = {0, 0, 15, 0x8A, 23, 7, 106};
    d.SetRaw(date, sizeof date);
    EXPECT_EQ(CParameterValue::GetValueText(d, false), "23.07.2006 11:15");
    const unsigned char early[] = {0, 0, 5, 3, 0xE1, 2, 5};  // year byte below 70: 2000s
    d.SetRaw(early, sizeof early);
    EXPECT_EQ(CParameterValue::GetValueText(d, false), "01.02.2005 03:05");
}

TEST(ParameterValue, TimeOfDayInLocalTime)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    setenv("TZ", "UTC", 1);
    tzset();
    CQVTParameter t = Make(QvtTimeOfDay);
    EXPECT_EQ(CParameterValue::GetValueText(t, false), "01.01.1984 00:00");
    // 1 day and 90 minutes later.
    const std::uint32_t ms = 90u * 60u * 1000u;
    const unsigned char tod[] = {static_cast<unsigned char>(ms), static_cast<unsigned char>(ms >> 8),
                                 static_cast<unsigned char>(ms >> 16), static_cast<unsigned char>(ms >> 24),
                                 1, 0};
    t.SetRaw(tod, sizeof tod);
    EXPECT_EQ(CParameterValue::GetValueText(t, false), "02.01.1984 01:30");
    // After 2038 the instant 3600 (1 January 1970, 01:00) is shown.
    const unsigned char late[] = {0, 0, 0, 0, 0xFF, 0xFF};
    t.SetRaw(late, sizeof late);
    EXPECT_EQ(CParameterValue::GetValueText(t, false), "01.01.1970 01:00");
    const unsigned char lastDay[] = {0, 0, 0, 0, 0x0B, 0x4D};  // 31.12.2037 = day 19723
    t.SetRaw(lastDay, sizeof lastDay);
    EXPECT_EQ(CParameterValue::GetValueText(t, false), "31.12.2037 00:00");
    setenv("TZ", "CET-1", 1);
    tzset();
    t.value.fill(0);
    EXPECT_EQ(CParameterValue::GetValueText(t, false), "01.01.1984 01:00");
    if (old != nullptr)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(ParameterValue, Compare)
{
    CQVTParameter s = Make(QvtInteger8);
    s.value[0] = 0xFF;  // -1
    std::uint8_t other[16] = {1};
    EXPECT_EQ(CParameterValue::Compare(s, other), -1);
    s.dataType = QvtUnsigned8;  // 255 > 1
    EXPECT_EQ(CParameterValue::Compare(s, other), 1);
    other[0] = 0xFF;
    other[1] = 7;  // beyond the width: ignored
    EXPECT_EQ(CParameterValue::Compare(s, other), 0);
    EXPECT_EQ(CParameterValue::Compare(s, nullptr), -1);

    CQVTParameter v = Make(QvtVisibleString);
    ASSERT_TRUE(CParameterValue::SetValueText(v, "abc"));
    std::uint8_t text[16] = {'a', 'b', 'c'};
    EXPECT_EQ(CParameterValue::Compare(v, text), 0);
    text[2] = 0xE4;  // compared as unsigned characters
    EXPECT_EQ(CParameterValue::Compare(v, text), -1);
    ASSERT_TRUE(CParameterValue::SetValueText(v, "0123456789abcdef"));
    std::uint8_t full[16];
    v.GetRaw(full, sizeof full);
    EXPECT_EQ(CParameterValue::Compare(v, full), 0);  // no terminating zero inside

    CQVTParameter d = Make(QvtDate);
    std::uint8_t zero[16] = {};
    EXPECT_EQ(CParameterValue::Compare(d, zero), 1);  // never equal
}

// The text forms that the file holds come back as values that show them.
TEST(ParameterValue, OctetDateAndTimeOfDayReadBackThroughTheirTexts)
{
    const struct {
        const char* name;
        int type;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"octet 01 02", QvtOctetString, {0x01, 0x02}},
        {"octet all bytes", QvtOctetString, {0xFF, 0x00, 0xA5, 0x5A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xFE}},
        {"date 16.06.2009 14:35", QvtDate, {0, 0, 35, 14, 16, 6, 109}},
        {"date 31.12.2069", QvtDate, {0, 0, 59, 23, 31, 12, 69}},
        {"date of 1999", QvtDate, {0x10, 0x27, 5, 7, 3, 4, 99}},
        {"date with summer time", QvtDate, {0, 0, 0, 0x8A, 1, 7, 110}},
        {"date all zero", QvtDate, {}},
        {"time of day 1984", QvtTimeOfDay, {}},
        {"time of day 2009", QvtTimeOfDay, {0x80, 0xEE, 0x36, 0x00, 0x34, 0x24}},
        {"time of day past 2038", QvtTimeOfDay, {0, 0, 0, 0, 0xFF, 0xFF}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CQVTParameter written = Make(row.type);
        written.SetRaw(row.bytes.data(), row.bytes.size());
        const std::string text = CParameterValue::GetValueText(written, false);
        CQVTParameter read = Make(row.type);
        ASSERT_TRUE(CParameterValue::SetFileText(read, text)) << text;
        EXPECT_EQ(CParameterValue::GetValueText(read, false), text);
    }
    // The date as the file of a drive holds it, byte for byte.
    CQVTParameter date = Make(QvtDate);
    ASSERT_TRUE(CParameterValue::SetFileText(date, "16.06.2009 00:00"));
    const std::uint8_t expected[7] = {0, 0, 0, 0, 16, 6, 9};
    EXPECT_TRUE(std::equal(expected, expected + 7, date.value.begin()));
    EXPECT_EQ(CParameterValue::GetValueText(date, false), "16.06.2009 00:00");
}

TEST(ParameterValue, TextsThatAreNoTextFormAreRefusedByTheFileReader)
{
    const struct {
        int type;
        const char* text;
    } rows[] = {
        {QvtOctetString, ""},
        {QvtOctetString, "   "},
        {QvtOctetString, "01 02"},
        {QvtOctetString, " 0x1G"},
        {QvtOctetString, " 0x123"},
        {QvtOctetString, " 0x"},
        {QvtOctetString, " 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00 0x00"},
        {QvtDate, "16.06.2009"},
        {QvtDate, "16.06.2009 12:00 x"},
        {QvtDate, "32.06.2009 12:00"},
        {QvtDate, "16.06.1969 12:00"},
        {QvtDate, "-1.06.2009 12:00"},
        {QvtDate, "today"},
        {QvtTimeOfDay, "31.02.2009 12:00"},
        {QvtTimeOfDay, "16.06.1983 12:00"},
        {QvtTimeOfDay, "16.06.2040 12:00"},
        {QvtTimeOfDay, "16.06.2009 24:00"},
        {QvtTimeOfDay, "16.13.2009 12:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        CQVTParameter p = Make(row.type);
        p.value.fill(0);
        p.value[0] = 0x5A;
        EXPECT_FALSE(CParameterValue::SetFileText(p, row.text));
        EXPECT_EQ(p.value[0], 0x5A);
    }
    // The other types read as SetValueText reads them; the table's editor
    // still takes no text for these three.
    CQVTParameter number = Make(QvtUnsigned16);
    EXPECT_TRUE(CParameterValue::SetFileText(number, "0x10"));
    EXPECT_EQ(CParameterValue::GetValueText(number, false), "16");
    CQVTParameter date = Make(QvtDate);
    EXPECT_FALSE(CParameterValue::SetValueText(date, "16.06.2009 00:00"));
}
