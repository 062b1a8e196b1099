#include "LogbookCounters.h"

#include <gtest/gtest.h>

TEST(LogbookCounters, CountsWholeSecondsAcrossShortTicks)
{
    LogbookCounters log;
    log.restore(100, 50, 7);
    for (int i = 0; i < 2999; ++i)
        log.advance(1, i < 1500);  // enabled for the first 1.5 s
    EXPECT_EQ(log.powerOnSeconds(), 102u);  // 2.999 s
    EXPECT_EQ(log.turnOnSeconds(), 51u);
    log.advance(1, false);
    EXPECT_EQ(log.powerOnSeconds(), 103u);
    log.countPositioning();
    EXPECT_EQ(log.positionings(), 8u);
}

TEST(LogbookCounters, AsksForASaveEachMinuteAndEachPositioning)
{
    LogbookCounters log;
    log.restore(58, 0, 0);
    log.advance(1000, true);
    EXPECT_FALSE(log.takeSaveRequest());
    log.advance(1000, true);  // 60 s
    EXPECT_TRUE(log.takeSaveRequest());
    EXPECT_FALSE(log.takeSaveRequest());
    log.countPositioning();
    EXPECT_TRUE(log.takeSaveRequest());
}
