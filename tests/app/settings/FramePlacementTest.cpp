// Placement records of the frames and the main window's default place.
#include "settings/FramePlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(FramePlacement, NormalMaximisedAndMinimisedFramesSurviveTheRecord)
{
    for (bool maximised : {false, true})
        for (bool minimised : {false, true}) {
            FrameGeometry g{40, 30, 700, 500, maximised, minimised};
            const WindowPlacement p = CFramePlacement::ToPlacement(g);
            EXPECT_EQ(p.left, 40);
            EXPECT_EQ(p.bottom, 530);
            const FrameGeometry back = CFramePlacement::FromPlacement(*ParseWindowPlacement(FormatWindowPlacement(p)));
            EXPECT_EQ(back.x, 40);
            EXPECT_EQ(back.y, 30);
            EXPECT_EQ(back.width, 700);
            EXPECT_EQ(back.height, 500);
            EXPECT_EQ(back.maximised, maximised);
            EXPECT_EQ(back.minimised, minimised);
        }
}

TEST(FramePlacement, ARecordWithAnInvertedRectangleGivesNoSize)
{
    WindowPlacement p;
    p.showCmd = 1;
    p.left = 100;
    p.right = 50;
    p.top = 10;
    p.bottom = 10;
    const FrameGeometry g = CFramePlacement::FromPlacement(p);
    EXPECT_EQ(g.width, 0);
    EXPECT_EQ(g.height, 0);
}

TEST(FramePlacement, MainFrameDefaultsFollowTheScreen)
{
    EXPECT_TRUE(CFramePlacement::MainFrameDefault(800, 600).maximised);
    EXPECT_TRUE(CFramePlacement::MainFrameDefault(640, 480).maximised);

    const InitialFrame xga = CFramePlacement::MainFrameDefault(1024, 768);
    EXPECT_FALSE(xga.maximised);
    EXPECT_TRUE(xga.positioned);
    EXPECT_EQ(xga.x, 32);
    EXPECT_EQ(xga.y, 8);
    EXPECT_EQ(xga.width, 960);
    EXPECT_EQ(xga.height, 720);

    const InitialFrame large = CFramePlacement::MainFrameDefault(1920, 1080);
    EXPECT_FALSE(large.maximised);
    EXPECT_FALSE(large.positioned);
    EXPECT_EQ(large.width, 960);
    EXPECT_EQ(large.height, 720);
}

} // namespace

namespace {

TEST(FramePlacement, ChildAndSecondFrameDefaultsFollowTheScreen)
{
    const InitialFrame tinyChild = CFramePlacement::ChildFrameDefault(640, 480);
    EXPECT_TRUE(tinyChild.maximised);
    const InitialFrame svgaChild = CFramePlacement::ChildFrameDefault(800, 600);
    EXPECT_FALSE(svgaChild.maximised);
    EXPECT_EQ(svgaChild.width, 640);
    EXPECT_EQ(svgaChild.height, 400);
    const InitialFrame largeChild = CFramePlacement::ChildFrameDefault(1280, 1024);
    EXPECT_EQ(largeChild.width, 777);
    EXPECT_EQ(largeChild.height, 444);

    EXPECT_TRUE(CFramePlacement::SecondFrameDefault(640, 480).maximised);
    const InitialFrame svga = CFramePlacement::SecondFrameDefault(800, 600);
    EXPECT_FALSE(svga.maximised);
    EXPECT_EQ(svga.width, 640);
    EXPECT_EQ(svga.height, 400);
    const InitialFrame large = CFramePlacement::SecondFrameDefault(1024, 768);
    EXPECT_EQ(large.width, 800);
    EXPECT_EQ(large.height, 480);
    EXPECT_FALSE(large.positioned);
}

} // namespace
