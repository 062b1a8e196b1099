// Where the Motion Control and Device Status windows open and what they
// leave in the settings: the records named after the titles, the defaults
// by screen size and the maximised window's "ChildFrame" record.
#include <gtest/gtest.h>

#include "operation/SecondFramePlacement.h"
#include "settings/MemorySettingsStore.h"
#include "settings/WindowPlacement.h"

namespace {

using ovro::CSecondFramePlacement;

TEST(SecondFramePlacementTest, RecordsAreNamedAfterTheTitles)
{
    EXPECT_EQ(CSecondFramePlacement::RecordOf("Motion Control"), "MotionControl");
    EXPECT_EQ(CSecondFramePlacement::RecordOf("Device Status"), "DeviceStatus");
    EXPECT_EQ(CSecondFramePlacement::RecordOf("Oscilloscope"), "");
}

TEST(SecondFramePlacementTest, WithoutARecordTheSizeFollowsTheScreen)
{
    const MemorySettingsStore empty;
    const struct {
        int width, height;
        bool maximised;
        int frameWidth, frameHeight;
    } rows[] = {
        {640, 480, true, 640, 400},
        {800, 600, false, 640, 400},
        {1024, 768, false, 800, 480},
        {1920, 1080, false, 800, 480},
    };
    for (const auto& row : rows) {
        const ovro::SecondFrameGeometry g =
            CSecondFramePlacement::Restore(empty, "Motion Control", row.width, row.height);
        EXPECT_EQ(g.maximised, row.maximised) << row.width;
        EXPECT_EQ(g.width, row.frameWidth) << row.width;
        EXPECT_EQ(g.height, row.frameHeight) << row.width;
        EXPECT_FALSE(g.positioned);
    }
}

TEST(SecondFramePlacementTest, SavedPlacementsComeBackAndAMaximisedOneGoesToChildFrame)
{
    MemorySettingsStore store;
    FrameGeometry normal{20, 30, 600, 350, false, false};
    ASSERT_TRUE(CSecondFramePlacement::Save(store, "Device Status", normal));
    ovro::SecondFrameGeometry g = CSecondFramePlacement::Restore(store, "Device Status", 1024, 768);
    EXPECT_TRUE(g.positioned);
    EXPECT_EQ(g.x, 20);
    EXPECT_EQ(g.y, 30);
    EXPECT_EQ(g.width, 600);
    EXPECT_EQ(g.height, 350);
    EXPECT_FALSE(g.minimised);

    FrameGeometry minimised = normal;
    minimised.minimised = true;
    ASSERT_TRUE(CSecondFramePlacement::Save(store, "Device Status", minimised));
    EXPECT_TRUE(CSecondFramePlacement::Restore(store, "Device Status", 1024, 768).minimised);

    FrameGeometry maximised{5, 6, 700, 400, true, false};
    ASSERT_TRUE(CSecondFramePlacement::Save(store, "Motion Control", maximised));
    WindowPlacement p;
    EXPECT_FALSE(ReadWindowPlacement(store, "MotionControl", p)) << "its own record is not written";
    ASSERT_TRUE(ReadWindowPlacement(store, "ChildFrame", p));
    EXPECT_EQ(p.showCmd, 3u);
    EXPECT_EQ(p.left, 5);
    EXPECT_FALSE(CSecondFramePlacement::Save(store, "Oscilloscope", normal)) << "no record of its own";

    // An unusable record gives the default.
    store.WriteString("Windows", "DeviceStatus", "1,2,3");
    EXPECT_FALSE(CSecondFramePlacement::Restore(store, "Device Status", 1024, 768).positioned);
}

} // namespace
