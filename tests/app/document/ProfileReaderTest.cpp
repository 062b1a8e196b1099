#include <gtest/gtest.h>

#include <string>

#include "document/ProfileReader.h"

using ovro::CProfileReader;

TEST(ProfileReader, LookupRules)
{
    const CProfileReader file = CProfileReader::FromText(
        "[Alpha]\r\n"
        "Key=first\r\n"
        "KEY=second\r\n"
        "  Spaced  =  value with blanks  \r\n"
        "Quoted=\"in quotes\"\r\n"
        "Empty=\r\n"
        "Number=42abc\r\n"
        "Negative=-7\r\n"
        "no equals sign\r\n"
        "\r\n"
        "[beta]\n"
        "Key=b\n"
        "[ALPHA]\r\n"
        "Other=hidden\r\n");
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetString("alpha", "key", "d"), "first");  // no case, first entry
    EXPECT_EQ(file.GetString("Alpha", "Spaced", "d"), "value with blanks");
    EXPECT_EQ(file.GetString("Alpha", "Quoted", "d"), "in quotes");
    EXPECT_EQ(file.GetString("Alpha", "Empty", "d"), "");  // present but empty
    EXPECT_EQ(file.GetString("Alpha", "Missing", "d"), "d");
    EXPECT_EQ(file.GetString("Gamma", "Key", "d"), "d");
    EXPECT_EQ(file.GetString("BETA", "Key", "d"), "b");
    // Only the first section of a name is searched.
    EXPECT_EQ(file.GetString("Alpha", "Other", "d"), "d");
    EXPECT_EQ(file.GetInt("Alpha", "Number", 5), 42);
    EXPECT_EQ(file.GetInt("Alpha", "Negative", 5), -7);
    EXPECT_EQ(file.GetInt("Alpha", "Key", 5), 0);
    EXPECT_EQ(file.GetInt("Alpha", "Missing", 5), 5);
}

TEST(ProfileReader, LongValuesAreCutAndMissingFileGivesDefaults)
{
    const CProfileReader file = CProfileReader::FromText("[S]\nLong=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(file.GetString("S", "Long", "").size(), CProfileReader::kMaxValue);

    const CProfileReader missing(testing::TempDir() + "no-such-profile.ini");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.GetString("S", "Long", "default"), "default");
    EXPECT_EQ(missing.GetInt("S", "Long", 3), 3);
}

TEST(ProfileReader, AFolderOrAReadErrorIsAFileThatIsNotThere)
{
    const char* const rows[] = {"/tmp", "/proc/self/mem", "/no/such/file.ini"};
    for (const char* path : rows) {
        SCOPED_TRACE(path);
        bool open = true;
        std::string value;
        EXPECT_NO_THROW({
            const CProfileReader file(path);
            open = file.IsOpen();
            value = file.GetString("Filename", "Name", "default");
        });
        EXPECT_FALSE(open);
        EXPECT_EQ(value, "default");
    }
}
