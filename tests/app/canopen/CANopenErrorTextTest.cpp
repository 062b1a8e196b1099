// The error-text lookup of the program.
#include "canopen/CANopenErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(CANopenErrorTextTest, SystemCodesGiveTheSystemMessage)
{
    CCANopenErrorText texts;
    texts.SetErrorList({{-10002, "never used"}});
    EXPECT_EQ(texts.Text(-10002), "No such file or directory");
    EXPECT_EQ(texts.Text(-10000 - ENOEXEC), "Exec format error");
    // -10000 itself carries no error number: the list's text, never "Success"
    EXPECT_EQ(texts.Text(-10000), "Resistance is futile, prepare to assimilate!");
    texts.SetErrorList({{-10000, "A system error occurred!"}});
    EXPECT_EQ(texts.Text(-10000), "A system error occurred!");
}

TEST(CANopenErrorTextTest, TextsAreCutAndLoseOneTrailingLineFeed)
{
    CCANopenErrorText texts;
    texts.SetErrorList({{1, "General error.\n"}, {2, std::string(2000, 'x')}});
    EXPECT_EQ(texts.Text(1), "General error.");
    EXPECT_EQ(texts.Text(2).size(), 1023u);
}

TEST(CANopenErrorTextTest, OtherCodesComeFromTheErrorList)
{
    CCANopenErrorText texts;
    EXPECT_EQ(texts.Text(-50), "Resistance is futile, prepare to assimilate!");
    texts.SetErrorList({{-50, "Time-out error."}, {4, "Transfer aborted."}, {-9999, "No CAN Interface DLL loaded!"}});
    EXPECT_EQ(texts.Text(-50), "Time-out error.");
    EXPECT_EQ(texts.Text(4), "Transfer aborted.");
    EXPECT_EQ(texts.Text(-9999), "No CAN Interface DLL loaded!");
    EXPECT_EQ(texts.Text(-9998), "Resistance is futile, prepare to assimilate!");
    EXPECT_EQ(texts.Text(0), "Resistance is futile, prepare to assimilate!");
}

} // namespace
