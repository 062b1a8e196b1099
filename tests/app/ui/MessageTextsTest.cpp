// The table of numbered message texts.
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(MessageTextsTest, NumbersAreUniqueAndTextsPresent)
{
    size_t count = 0;
    const MessageEntry* table = MessageTable(&count);
    ASSERT_GT(count, 0u);
    std::set<unsigned> seen;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(seen.insert(table[i].id).second) << "twice: " << table[i].id;
        ASSERT_NE(table[i].text, nullptr);
        EXPECT_STREQ(MessageText(table[i].id), table[i].text);
    }
    EXPECT_STREQ(MessageText(1), "");
}

TEST(MessageTextsTest, TextsAreLatin1WithTheAcuteAccentByte)
{
    const std::string text = MessageText(63600);
    EXPECT_EQ(text, std::string("ERROR:\tcan") + char(0xB4) + "t read the statusword of the drive!\n\n\t%s");
    EXPECT_EQ(std::string(MessageText(63602)),
              std::string("ERROR:\tcan") + char(0xB4) +
                  "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in "
                  "state 'Fault'.");
    EXPECT_EQ(std::string(MessageText(63501)), "ERROR:\t%s\n\n\tTry again. Use command 'Interface.Initialize'.");
    EXPECT_EQ(std::string(MessageText(63500)),
              "FATAL ERROR:\tfile '%s' corrupted or not found!\n\n\t\tIgnore and start the program?");
}

TEST(MessageTextsTest, FormatFillsTheArguments)
{
    EXPECT_EQ(FormatMessage(63601, "Switched On", "Time-out error."),
              std::string("ERROR:\tcan") + char(0xB4) +
                  "t switch the drive to state 'Switched On'!\n\n\tTime-out error.");
    EXPECT_EQ(FormatMessage(63538, "No CAN Interface DLL loaded!"),
              "ERROR:\tNo CAN Interface DLL loaded!\n\n\tProbably no board present.");
    EXPECT_EQ(StringPrintf("%04X/%02X", 0x2000, 7), "2000/07");
}

} // namespace
