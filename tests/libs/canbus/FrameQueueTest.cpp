// The receive queue of an endpoint: what a burst from the reader keeps.
#include "FrameQueue.h"

#include <gtest/gtest.h>

#include <vector>

using ovro::canbus::FrameQueue;

namespace {

std::vector<canbus_frame> numbered(std::size_t count, uint32_t first)
{
    std::vector<canbus_frame> frames(count);
    for (std::size_t i = 0; i < count; ++i) {
        frames[i].id = first + static_cast<uint32_t>(i);
        frames[i].len = 1;
    }
    return frames;
}

TEST(FrameQueue, BurstKeepsTheOldestFramesAndCountsTheRest)
{
    FrameQueue queue(8);
    auto first = numbered(5, 0);
    EXPECT_EQ(queue.push(first.data(), first.size()), 5u);
    auto second = numbered(6, 5);
    EXPECT_EQ(queue.push(second.data(), second.size()), 3u);  // room for three
    EXPECT_EQ(queue.size(), 8u);
    EXPECT_EQ(queue.takeLost(), 3u);
    EXPECT_EQ(queue.takeLost(), 0u);

    canbus_frame got{};
    for (uint32_t id = 0; id < 8; ++id) {
        ASSERT_TRUE(queue.pop(got, std::chrono::microseconds(0)));
        EXPECT_EQ(got.id, id);
    }
    EXPECT_FALSE(queue.pop(got, std::chrono::microseconds(0)));

    // The ring wraps around: after taking some, a burst fills the gap again.
    auto third = numbered(8, 100);
    EXPECT_EQ(queue.push(third.data(), third.size()), 8u);
    ASSERT_TRUE(queue.pop(got, std::chrono::microseconds(0)));
    EXPECT_EQ(got.id, 100u);
    EXPECT_TRUE(queue.push(numbered(1, 200)[0]));
    EXPECT_FALSE(queue.push(numbered(1, 201)[0]));
    EXPECT_EQ(queue.takeLost(), 1u);
}

}  // namespace
