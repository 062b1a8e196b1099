// The receive queue of an endpoint: what a burst from the reader keeps.
#include <canbus/ReceiveQueue.h>
#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using FrameQueue = ovro::canbus::ReceiveQueue<canbus_frame>;

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

TEST(ReceiveQueue, BurstKeepsTheOldestFramesAndCountsTheRest)
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

namespace {

TEST(ReceiveQueue, WaitingConsumerGetsWhatAnotherThreadPuts)
{
    FrameQueue queue(4);
    canbus_frame got{};
    EXPECT_FALSE(queue.pop(got, std::chrono::microseconds(1000))) << "nothing came";
    std::thread producer([&queue] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        queue.push(numbered(1, 7)[0]);
    });
    EXPECT_TRUE(queue.pop(got, std::chrono::microseconds(-1)));
    EXPECT_EQ(got.id, 7u);
    producer.join();
}

TEST(ReceiveQueue, LostEntriesMakeTheQueueReadyButClearKeepsTheirCount)
{
    FrameQueue queue(1);
    EXPECT_FALSE(queue.waitReady(std::chrono::microseconds(0)));
    auto two = numbered(2, 0);
    EXPECT_EQ(queue.push(two.data(), two.size()), 1u);
    queue.clear();
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_TRUE(queue.waitReady(std::chrono::microseconds(0))) << "a loss is news for the reader too";
    EXPECT_EQ(queue.takeLost(), 1u);
    EXPECT_FALSE(queue.waitReady(std::chrono::microseconds(0)));
}

}  // namespace
