// The reader thread that drains a socket for the endpoint and the SocketCAN
// channel: it drains whatever arrives, and stops and starts again.
#include <canbus/ReceiveQueue.h>
#include <canbus/SocketReader.h>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

using ovro::canbus::ReceiveQueue;
using ovro::canbus::SocketReader;

namespace {

class SocketReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0, fds), 0);
    }
    void TearDown() override
    {
        reader.reset();
        close(fds[0]);
        if (fds[1] >= 0)
            close(fds[1]);
    }

    void startReader()
    {
        reader = std::make_unique<SocketReader>(fds[0], [this] {
            std::uint8_t byte = 0;
            while (recv(fds[0], &byte, 1, MSG_DONTWAIT) == 1)
                queue.push(byte);
        });
        ASSERT_EQ(reader->start(), 0);
    }

    bool sendByte(std::uint8_t byte) { return send(fds[1], &byte, 1, 0) == 1; }

    int fds[2] = {-1, -1};
    ReceiveQueue<std::uint8_t> queue{64};
    std::unique_ptr<SocketReader> reader;
};

constexpr std::chrono::microseconds kWait{2000000};

TEST_F(SocketReaderTest, DrainsMoreThanTheKernelQueueHolds)
{
    startReader();
    // Far more datagrams than the socket keeps: only a reader that keeps
    // draining lets every one through.
    for (int i = 0; i < 40; ++i) {
        while (!sendByte(std::uint8_t(i)))
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    for (int i = 0; i < 40; ++i) {
        std::uint8_t got = 0xFF;
        ASSERT_TRUE(queue.pop(got, kWait)) << i;
        EXPECT_EQ(got, i);
    }
    EXPECT_EQ(queue.takeLost(), 0u);
}

TEST_F(SocketReaderTest, StopsAndStartsAgain)
{
    startReader();
    reader->stop();
    ASSERT_TRUE(sendByte(1));
    std::uint8_t got = 0;
    EXPECT_FALSE(queue.pop(got, std::chrono::microseconds(20000))) << "a stopped reader drains nothing";
    ASSERT_EQ(reader->start(), 0);
    ASSERT_TRUE(queue.pop(got, kWait));
    EXPECT_EQ(got, 1);
}

}  // namespace
