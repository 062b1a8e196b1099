#include "HomingProcedure.h"

#include <gtest/gtest.h>

namespace {
constexpr double kStep = 0.001;  // one tick of the simulator, in s

DriveMechanics axis()
{
    DriveMechanics a;
    a.negativeLimit = -30000;
    a.positiveLimit = 30000;
    a.homeSwitch = 10500;
    a.indexPitch = 4000;
    return a;
}

struct HomingRun {
    HomingProcedure::Result result;
    double home;
    double position;
};

HomingRun home(int8_t method, double start, const DriveMechanics& a = axis())
{
    MotionModel motion;
    motion.reset(start);
    HomingProcedure homing;
    homing.start(method, {100000, 5000, 2000000}, motion, a);
    for (int i = 0; i < 60000 && homing.running(); ++i) {
        const double before = motion.position();
        motion.tick(kStep);
        homing.update(before, motion, a);
    }
    return {homing.result(), homing.home(), motion.position()};
}

struct Case {
    int8_t method;
    double start;
    double home;
};

class HomingMethod : public ::testing::TestWithParam<Case> {};

TEST_P(HomingMethod, EndsStandingOnItsHomePoint)
{
    const Case c = GetParam();
    const HomingRun r = home(c.method, c.start);
    ASSERT_EQ(r.result, HomingProcedure::Result::Attained) << "method " << int(c.method) << " from " << c.start;
    EXPECT_DOUBLE_EQ(r.home, c.home) << "method " << int(c.method) << " from " << c.start;
    EXPECT_DOUBLE_EQ(r.position, c.home);
}

// Switches: LIM-N at -30000, LIM-P at 30000, REF active from 10500 on,
// index pulses every 4000.
INSTANTIATE_TEST_SUITE_P(Methods, HomingMethod,
                         ::testing::Values(Case{17, 0, -30000}, Case{17, -35000, -30000},  // on the switch
                                           Case{18, 0, 30000}, Case{1, 0, -28000}, Case{2, 0, 28000},
                                           Case{19, 0, 10500}, Case{19, 20000, 10500},  // both sides
                                           Case{20, 0, 10500}, Case{20, 20000, 10500},
                                           Case{3, 0, 8000}, Case{4, 20000, 12000},
                                           Case{21, 0, 10500}, Case{22, 20000, 10500},
                                           Case{5, 0, 12000}, Case{6, 20000, 8000},
                                           Case{33, 5000, 4000}, Case{34, 5000, 8000},
                                           Case{33, 4000, 0}, Case{35, 1234, 1234}, Case{37, -77, -77}));

TEST(HomingProcedure, UnknownMethodIsAnError)
{
    EXPECT_FALSE(HomingProcedure::supported(7));
    EXPECT_FALSE(HomingProcedure::supported(-1));
    EXPECT_EQ(home(7, 0).result, HomingProcedure::Result::Error);
}

TEST(HomingProcedure, LimitSwitchInTheWayIsAnError)
{
    DriveMechanics a = axis();
    a.homeSwitch = 40000;  // behind LIM-P
    const HomingRun r = home(19, 0, a);
    EXPECT_EQ(r.result, HomingProcedure::Result::Error);
    EXPECT_LT(r.position, 40000);
}
}  // namespace
