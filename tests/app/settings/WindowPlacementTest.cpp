#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

WindowPlacement Sample()
{
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = 3;
    p.minX = -1;
    p.minY = -1;
    p.maxX = -32000;
    p.maxY = -32000;
    p.left = 10;
    p.top = 20;
    p.right = 810;
    p.bottom = 620;
    return p;
}

TEST(WindowPlacement, TextFormat)
{
    EXPECT_EQ(FormatWindowPlacement(Sample()), "2,3,-1,-1,-32000,-32000,10,20,810,620");
    WindowPlacement big;
    big.flags = 4294967295u;
    big.left = -2147483647 - 1;
    EXPECT_EQ(FormatWindowPlacement(big), "4294967295,0,0,0,0,0,-2147483648,0,0,0");
}

TEST(WindowPlacement, RoundTripThroughTheStore)
{
    MemorySettingsStore store;
    ASSERT_TRUE(WriteWindowPlacement(store, SettingsKeys::kMainFrame, Sample()));
    EXPECT_EQ(store.ReadString("Windows", "MainFrame", ""),
              "2,3,-1,-1,-32000,-32000,10,20,810,620");
    WindowPlacement back;
    ASSERT_TRUE(ReadWindowPlacement(store, "MainFrame", back));
    EXPECT_EQ(back, Sample());
}

TEST(WindowPlacement, OnlyExactlyTenNumbersAreTaken)
{
    MemorySettingsStore store;
    const WindowPlacement untouched = Sample();
    const char* bad[] = {
        "1,2,3,4,5,6,7,8,9",            // nine numbers
        "1,2,3,4,5,6,7,8,9,10,11",      // eleven
        "1,2,3,4,5,6,7,8,9,",           // empty tenth
        "1,2,3,4,5,6,7,8,9,x",
        "1,2,3,4,5,6,7,8,9,10x",
        "-1,2,3,4,5,6,7,8,9,10",        // flags are unsigned
        "1,2,3,4,5,6,7,8,9,2147483648", // beyond 32 bits signed
        "1;2;3;4;5;6;7;8;9;10",
        "",
    };
    for (const char* text : bad) {
        store.WriteString("Windows", "ChildFrame", text);
        WindowPlacement p = untouched;
        EXPECT_FALSE(ReadWindowPlacement(store, "ChildFrame", p)) << text;
        EXPECT_EQ(p, untouched) << text;
    }
    WindowPlacement p;
    EXPECT_FALSE(ReadWindowPlacement(store, "Missing", p));

    store.WriteString("Windows", "ChildFrame", " 1, 2,3,4,5,6,7,8,9, 10 ");
    ASSERT_TRUE(ReadWindowPlacement(store, "ChildFrame", p));
    EXPECT_EQ(p.flags, 1u);
    EXPECT_EQ(p.bottom, 10);
}

}  // namespace
