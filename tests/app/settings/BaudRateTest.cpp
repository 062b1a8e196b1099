// The baud-rate table: kBit/s texts and codes, as the lists, the settings
// and the commissioning file use them.
#include <gtest/gtest.h>

#include <string>

#include "settings/BaudRate.h"

using namespace ovro;

TEST(BaudRate, TextsAndCodes)
{
    EXPECT_EQ(BaudRateCode("125"), 4);
    EXPECT_EQ(BaudRateCode("4"), 4);
    EXPECT_EQ(BaudRateCode("33"), 7);
    EXPECT_EQ(BaudRateCode("125 "), 7);
    EXPECT_EQ(BaudRateCode("1000"), 0);
    EXPECT_EQ(BaudRateCode("10"), 8);
    EXPECT_EQ(BaudRateText(7), "20");
    EXPECT_EQ(BaudRateText(33), "20");
    EXPECT_EQ(BaudRateText(0), "1000");
    EXPECT_EQ(BaudRateText(1000), "1000");
    EXPECT_EQ(BaudRateText(8), "10");
    EXPECT_EQ(BaudRateText(125), "125");
}

TEST(BaudRate, EachCodeHasItsRateInAllTexts)
{
    struct Row {
        int code;
        const char* kbitText;
        const char* rateText;
    };
    const Row rows[] = {
        {COP_BAUD_1000, "1000", "1.0MBit/s"}, {COP_BAUD_800, "800", "800kBit/s"},
        {COP_BAUD_500, "500", "500kBit/s"},   {COP_BAUD_250, "250", "250kBit/s"},
        {COP_BAUD_125, "125", "125kBit/s"},   {COP_BAUD_100, "100", "100kBit/s"},
        {COP_BAUD_50, "50", "50kBit/s"},      {COP_BAUD_20, "20", "20kBit/s"},
        {COP_BAUD_10, "10", "10kBit/s"},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(BaudRateKbitText(row.code), row.kbitText) << row.code;
        EXPECT_STREQ(BaudRateRateText(row.code), row.rateText) << row.code;
        EXPECT_EQ(BaudRateText(static_cast<int>(COP_BaudKbit(static_cast<std::uint8_t>(row.code)))), row.kbitText);
        EXPECT_EQ(BaudRateCodeOfKbitText(row.kbitText), row.code);
        EXPECT_EQ(ListedBaudRateCode(row.code), row.code);
    }
    EXPECT_EQ(BaudRateKbitText(9), nullptr);
    EXPECT_EQ(BaudRateRateText(-1), nullptr);
    EXPECT_EQ(BaudRateCodeOfKbitText("20 "), -1);
    EXPECT_EQ(ListedBaudRateCode(9), COP_BAUD_20);
    EXPECT_EQ(ListedBaudRateCode(255), COP_BAUD_20);
}
