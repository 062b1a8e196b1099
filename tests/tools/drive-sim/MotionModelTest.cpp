#include "MotionModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr double kDt = 0.001;
constexpr double kEps = 1e-6;

struct Move {
    double start;
    double target;
    MotionRamp ramp;
};

class PositionMove : public ::testing::TestWithParam<Move> {};

// A move never passes its target, keeps to its speed and ramps, and ends
// standing exactly on the target.
TEST_P(PositionMove, ReachesTargetWithinRampsWithoutOvershoot)
{
    const Move m = GetParam();
    MotionModel motion;
    motion.reset(m.start);
    motion.moveTo(m.target, m.ramp);
    const double dir = m.target > m.start ? 1.0 : -1.0;
    double lastV = 0;
    double lastX = m.start;
    int ticks = 0;
    while (!motion.targetReached() && ticks < 200000) {
        motion.tick(kDt);
        ++ticks;
        const double x = motion.position();
        const double v = motion.velocity();
        ASSERT_LE((x - m.target) * dir, kEps) << "passed the target at tick " << ticks;
        ASSERT_GE((x - lastX) * dir, -kEps) << "moved backwards at tick " << ticks;
        ASSERT_LE(std::fabs(v), m.ramp.velocity + kEps);
        const double dv = std::fabs(v) - std::fabs(lastV);
        if (!motion.targetReached()) {
            ASSERT_LE(dv, m.ramp.acceleration * kDt + kEps) << "accelerates too hard at tick " << ticks;
            ASSERT_GE(dv, -m.ramp.deceleration * kDt - kEps) << "brakes too hard at tick " << ticks;
        }
        lastV = v;
        lastX = x;
    }
    ASSERT_TRUE(motion.targetReached());
    EXPECT_DOUBLE_EQ(motion.position(), m.target);
    EXPECT_EQ(motion.velocity(), 0.0);
    EXPECT_EQ(motion.mode(), MotionModel::Mode::Idle);
    // trapezoid: the time is at least the distance at full speed
    EXPECT_GE(ticks * kDt + 1e-9, std::fabs(m.target - m.start) / m.ramp.velocity);
}

INSTANTIATE_TEST_SUITE_P(Moves, PositionMove,
                         ::testing::Values(Move{0, 100000, {20000, 100000, 100000}},    // trapezoid
                                           Move{0, 1000, {20000, 100000, 100000}},      // triangle
                                           Move{5000, -30000, {15000, 50000, 200000}},  // negative, asymmetric
                                           Move{0, 3, {1000, 1000, 1000}},              // a few increments
                                           Move{-7.5, 123456, {99999, 333333, 77777}}));

TEST(MotionModel, VelocityRampReachesSpeedAndHoldsIt)
{
    MotionModel motion;
    motion.reset(0);
    motion.runAt(10000, {0, 50000, 100000});
    int ticks = 0;
    while (!motion.targetReached() && ticks < 10000) {
        motion.tick(kDt);
        ++ticks;
        ASSERT_LE(motion.velocity(), 10000.0);
    }
    EXPECT_EQ(ticks, 200);  // 10000 / 50000 s
    EXPECT_EQ(motion.velocity(), 10000.0);
    motion.tick(kDt);
    EXPECT_EQ(motion.velocity(), 10000.0);
    EXPECT_NEAR(motion.position(), 0.5 * 10000 * 0.2 + 10, 1e-6);
}

TEST(MotionModel, ReversalBrakesWithDecelerationThroughZero)
{
    MotionModel motion;
    motion.reset(0);
    motion.runAt(10000, {0, 100000, 100000});
    for (int i = 0; i < 200; ++i)
        motion.tick(kDt);
    ASSERT_EQ(motion.velocity(), 10000.0);
    motion.runAt(-10000, {0, 100000, 20000});
    double last = motion.velocity();
    bool sawZero = false;
    while (!motion.targetReached()) {
        motion.tick(kDt);
        const double v = motion.velocity();
        if (last > 0)
            ASSERT_NEAR(last - v, std::min(last, 20.0), 1e-9) << "braking uses the deceleration";
        else
            ASSERT_LE(last - v, 100.0 + 1e-9);
        sawZero = sawZero || v == 0.0;
        last = v;
    }
    EXPECT_TRUE(sawZero);
    EXPECT_EQ(motion.velocity(), -10000.0);
}

TEST(MotionModel, StopDeceleratesToStandstill)
{
    MotionModel motion;
    motion.reset(0);
    motion.runAt(20000, {0, 1e6, 1e6});
    for (int i = 0; i < 100; ++i)
        motion.tick(kDt);
    const double x0 = motion.position();
    motion.stop(100000);
    double last = motion.velocity();
    int ticks = 0;
    while (motion.mode() != MotionModel::Mode::Idle) {
        motion.tick(kDt);
        ++ticks;
        const double v = motion.velocity();
        ASSERT_LE(last - v, 100 + 1e-9) << "brakes harder than asked";
        if (v > 0) {
            ASSERT_NEAR(last - v, 100, 1e-9) << "brakes softer than asked";
        }
        last = v;
    }
    EXPECT_EQ(ticks, 200);
    EXPECT_EQ(motion.velocity(), 0.0);
    EXPECT_NEAR(motion.position() - x0, 20000.0 * 20000.0 / (2 * 100000), 1.0);
    EXPECT_TRUE(motion.targetReached());
}

TEST(MotionModel, TargetTooCloseWhileMovingIsPassedAndApproachedAgain)
{
    MotionModel motion;
    motion.reset(0);
    motion.runAt(20000, {0, 1e6, 1e6});
    for (int i = 0; i < 100; ++i)
        motion.tick(kDt);
    const double x = motion.position();
    motion.moveTo(x + 100, {20000, 100000, 100000});  // braking needs 2000 increments
    double furthest = x;
    int ticks = 0;
    while (!motion.targetReached() && ticks < 100000) {
        motion.tick(kDt);
        ++ticks;
        furthest = std::max(furthest, motion.position());
        ASSERT_LE(std::fabs(motion.velocity()), 20000.0 + kEps);
    }
    EXPECT_GT(furthest, x + 1900);  // it braked with 100000 inc/s², not harder
    EXPECT_DOUBLE_EQ(motion.position(), x + 100);
}

TEST(MotionModel, HaltStopsAtOnce)
{
    MotionModel motion;
    motion.reset(10);
    motion.runAt(5000, {0, 1e6, 1e6});
    motion.tick(kDt);
    motion.halt();
    EXPECT_EQ(motion.velocity(), 0.0);
    const double x = motion.position();
    motion.tick(kDt);
    EXPECT_EQ(motion.position(), x);
}
}  // namespace
