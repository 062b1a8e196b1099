// The registry's text form: the defaults a new registry starts with, a
// round trip, and the texts it refuses.
#include "BoardModels.h"
#include "RegistryFile.h"

#include <gtest/gtest.h>

using orx::RegistryFile;

namespace {

TEST(RegistryFile, StartsWithOneEntryPerSupportedBoardAndTheStickAsDefault)
{
    RegistryFile file = RegistryFile::defaults();
    ASSERT_EQ(file.entries().size(), 12u) << "every type of the master library, not the older stick";
    EXPECT_EQ(file.findType(0x01050A00u), nullptr);
    const orx::RegistryEntry* def = file.entry(file.defaultEntry());
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->type, 0x01050F00u);
    for (const orx::RegistryEntry& e : file.entries()) {
        SCOPED_TRACE(e.number);
        ASSERT_NE(orx::BoardModels::find(e.type), nullptr);
        EXPECT_EQ(*file.variable(e.number, "DOWNLOAD"), "1");
        EXPECT_EQ(*file.variable(e.number, "VERIFY"), "1");
        EXPECT_EQ(file.variable(e.number, "CHANNEL"), nullptr) << "unset: the environment's channel";
        EXPECT_EQ(*file.variable(e.number, "Name"), orx::BoardModels::find(e.type)->name);
    }
}

TEST(RegistryFile, WritesWhatItReads)
{
    RegistryFile file = RegistryFile::defaults();
    std::uint32_t n = file.addEntry(0x01021542u);
    ASSERT_TRUE(file.setVariable(n, "CHANNEL", "socketcan:can1"));
    ASSERT_TRUE(file.setVariable(n, "channel", "virtual:lab")) << "names regardless of case";
    file.setDefaultEntry(n);
    RegistryFile back;
    std::string error;
    ASSERT_TRUE(back.parse(file.format(), &error)) << error;
    EXPECT_EQ(back.format(), file.format());
    EXPECT_EQ(back.defaultEntry(), n);
    EXPECT_EQ(back.entry(n)->type, 0x01021500u) << "low byte cleared";
    EXPECT_EQ(*back.variable(n, "CHANNEL"), "virtual:lab");
    ASSERT_TRUE(back.removeEntry(n));
    EXPECT_EQ(back.defaultEntry(), 0u);
    EXPECT_EQ(back.addEntry(0x01050F00u), 13u) << "numbers go on after the highest";
}

TEST(RegistryFile, ReadsCommentsBlanksAndSelections)
{
    RegistryFile file;
    ASSERT_TRUE(file.parse("# x\n; y\n\n[Registry]\nDefault = 3 \nSelection=cancel\n[Other]\nkept=1\n"
                           "[Board3]\nType=0x01051300\nFAULT=silent, version=0x0400\n",
                           nullptr));
    EXPECT_EQ(file.defaultEntry(), 3u);
    EXPECT_EQ(file.selection(), "cancel");
    EXPECT_EQ(*file.variable(3, "FAULT"), "silent, version=0x0400");
}

struct BadText {
    const char* name;
    const char* text;
    const char* why;
};

class RegistryFileRefuses : public ::testing::TestWithParam<BadText> {};

TEST_P(RegistryFileRefuses, AndStaysAsItWas)
{
    RegistryFile file = RegistryFile::defaults();
    const std::string before = file.format();
    std::string error;
    EXPECT_FALSE(file.parse(GetParam().text, &error));
    EXPECT_NE(error.find(GetParam().why), std::string::npos) << error;
    EXPECT_EQ(file.format(), before);
}

const BadText kBad[] = {
    {"ValueOutsideASection", "Default=1\n", "line 1: 'Default' outside"},
    {"NoEquals", "[Registry]\nDefault\n", "line 2"},
    {"UnclosedSection", "[Board1\nType=0x01050F00\n", "without ']'"},
    {"BoardWithoutNumber", "[Board]\n", "without an entry number"},
    {"BoardNumberInHex", "[Board0x1]\nType=0x01050F00\n", "without an entry number"},
    {"BoardZero", "[Board0]\nType=0x01050F00\n", "without an entry number"},
    {"EntryTwice", "[Board1]\nType=0x01050F00\n[Board1]\nType=0x01050F00\n", "twice"},
    {"NoType", "[Board1]\nDOWNLOAD=1\n", "no Type"},
    {"NoTypeBeforeNext", "[Board1]\nDOWNLOAD=1\n[Board2]\nType=0x01050F00\n", "no Type"},
    {"TypeNoNumber", "[Board1]\nType=stick\n", "no board type"},
    {"DefaultNoNumber", "[Registry]\nDefault=stick\n", "no entry number"},
};

INSTANTIATE_TEST_SUITE_P(Texts, RegistryFileRefuses, ::testing::ValuesIn(kBad),
                         [](const ::testing::TestParamInfo<BadText>& i) { return std::string(i.param.name); });

TEST(RegistryFile, NumbersThatReadAsDwords)
{
    struct Row {
        const char* text;
        bool number;
        std::uint32_t value;
    } rows[] = {{"0", true, 0},           {"1", true, 1},         {" 42 ", true, 42},
                {"0x10", true, 16},       {"0XfF", true, 255},    {"4294967295", true, 0xFFFFFFFFu},
                {"4294967296", false, 0}, {"0x100000000", false, 0}, {"", false, 0},
                {"-1", false, 0},         {"1.5", false, 0},      {"0x", false, 0},
                {"virtual:demo", false, 0}, {"12ab", false, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        std::uint32_t v = 7;
        EXPECT_EQ(RegistryFile::asDword(r.text, v), r.number);
        if (r.number) {
            EXPECT_EQ(v, r.value);
        }
    }
}

}  // namespace
