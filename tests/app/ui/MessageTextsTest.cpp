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

TEST(MessageTextsTest, TheProgramsTitleAndTheIdleStatusLine)
{
    EXPECT_STREQ(MessageText(57344), "Ovro-QVT");
    EXPECT_STREQ(MessageText(59143), "Ovro-QVT");
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

TEST(MessageTextsTest, EveryMotionPageHasItsOwnStepMessages)
{
    const std::string acute(1, char(0xB4));
    const std::string readStatusword = "ERROR:\tcan" + acute + "t read the statusword of the drive!\n\n\t%s";
    const std::string switchState = "ERROR:\tcan" + acute + "t switch the drive to state '%s'!\n\n\t%s";
    const std::string notEnabled = "ERROR:\tcan" + acute +
                                   "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may "
                                   "be in state 'Fault'.";
    const std::string readMode = "ERROR:\tcan" + acute + "t read the operation mode of the drive!\n\n\t%s";
    const std::string switchMode = "ERROR:\tcan" + acute + "t switch the drive to mode '%s'!\n\n\t%s";
    const std::string writeParameter =
        "ERROR:\tcan" + acute + "t write the parameter '%s' to the drive!\n\n\t%s";
    const std::string start = "ERROR:\tcan" + acute + "t start the drive!\n\n\t%s";
    const struct {
        const char* page;
        unsigned first; // read statusword ... start, in this order
    } pages[] = {{"position", 63578}, {"velocity", 63585}, {"homing", 63592}};
    for (const auto& page : pages) {
        const std::string steps[] = {readStatusword, switchState, notEnabled, readMode,
                                     switchMode,     writeParameter, start};
        for (unsigned i = 0; i < 7; ++i)
            EXPECT_EQ(MessageText(page.first + i), steps[i]) << page.page << " step " << i;
    }
    EXPECT_EQ(std::string(MessageText(63599)),
              "ERROR:\tcan" + acute + "t assign the reference position of the drive!\n\n\t%s");
    const std::string manual[] = {readStatusword, switchState, notEnabled, readMode, switchMode, start};
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(MessageText(63600 + i), manual[i]) << "manual step " << i;
}

TEST(MessageTextsTest, DriveStatusFieldTexts)
{
    const struct {
        unsigned id;
        const char* text;
    } rows[] = {{63654, "No"},       {63655, "Yes"}, {63656, "Offline!"}, {63657, "No device connected."},
                {63658, "Offline!"}, {63659, "No device connected."}};
    for (const auto& row : rows)
        EXPECT_STREQ(MessageText(row.id), row.text) << row.id;
}

} // namespace
