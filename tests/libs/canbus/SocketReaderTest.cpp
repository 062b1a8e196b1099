// The drainer of a socket for the endpoint and the SocketCAN channel: the
// reader thread drains whatever arrives while nobody waits; a waiting
// consumer is woken by the kernel and drains the datagram itself, without
// the reader thread; the consumer's wait ends on its wake descriptor, on
// time-out, and never sleeps over what the reader queued.
#include <canbus/ReceiveQueue.h>
#include <canbus/SocketReader.h>

#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

using ovro::canbus::ReceiveQueue;
using ovro::canbus::SocketReader;

namespace {

constexpr std::chrono::microseconds kWait{2000000};

pid_t threadId()
{
    return static_cast<pid_t>(syscall(SYS_gettid));
}

// True once the thread sleeps in the kernel (state S in its stat line).
bool waitUntilSleeping(pid_t tid)
{
    for (int i = 0; i < 2000; ++i) {
        std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
        std::string line;
        std::getline(in, line);
        const size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S')
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

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
        close(fds[1]);
    }

    void startReader()
    {
        reader = std::make_unique<SocketReader>(fds[0], [this] {
            std::size_t queued = 0;
            std::uint8_t byte = 0;
            while (recv(fds[0], &byte, 1, MSG_DONTWAIT) == 1) {
                lastDrainer.store(threadId());
                queued += queue.push(byte) ? 1 : 0;
            }
            return queued;
        });
        ASSERT_EQ(reader->start(), 0);
    }

    bool sendByte(std::uint8_t byte) { return send(fds[1], &byte, 1, 0) == 1; }
    bool queued() { return queue.size() > 0; }

    int fds[2] = {-1, -1};
    ReceiveQueue<std::uint8_t> queue{64};
    std::unique_ptr<SocketReader> reader;
    std::atomic<pid_t> lastDrainer{0};
};

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

TEST_F(SocketReaderTest, WaitingConsumerTakesTheDatagramInItsOwnThread)
{
    startReader();
    for (int round = 0; round < 10; ++round) {
        std::atomic<pid_t> consumer{0};
        SocketReader::Wait result = SocketReader::Wait::Busy;
        std::thread waiting([&] {
            consumer.store(threadId());
            result = reader->awaitData(kWait, [this] { return queued(); });
            if (result == SocketReader::Wait::Ready)
                reader->drainNow();
        });
        while (consumer.load() == 0)
            std::this_thread::yield();
        ASSERT_TRUE(waitUntilSleeping(consumer.load()));
        ASSERT_TRUE(sendByte(std::uint8_t(round)));
        waiting.join();
        EXPECT_EQ(result, SocketReader::Wait::Ready);
        EXPECT_EQ(lastDrainer.load(), consumer.load()) << "the reader thread was woken instead, round " << round;
        std::uint8_t got = 0xFF;
        ASSERT_TRUE(queue.pop(got, std::chrono::microseconds(0)));
        EXPECT_EQ(got, round);
    }
}

TEST_F(SocketReaderTest, ReaderDrainsWhenNoConsumerWaits)
{
    startReader();
    const pid_t self = threadId();
    ASSERT_TRUE(sendByte(7));
    std::uint8_t got = 0;
    ASSERT_TRUE(queue.pop(got, kWait));
    EXPECT_NE(lastDrainer.load(), self);
    EXPECT_NE(lastDrainer.load(), 0);
}

TEST_F(SocketReaderTest, ConsumerWaitEndsOnItsWakeDescriptorAndOnTimeOut)
{
    startReader();
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ASSERT_GE(wake, 0);
    ASSERT_EQ(reader->setWakeFd(wake), 0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(reader->awaitData(std::chrono::microseconds(3000), [this] { return queued(); }),
              SocketReader::Wait::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::microseconds(3000));

    std::thread waker([wake] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::uint64_t one = 1;
        EXPECT_EQ(write(wake, &one, sizeof one), ssize_t(sizeof one));
    });
    EXPECT_EQ(reader->awaitData(kWait, [this] { return queued(); }), SocketReader::Wait::Woken);
    waker.join();
    ASSERT_EQ(reader->setWakeFd(-1), 0);
    EXPECT_EQ(reader->awaitData(std::chrono::microseconds(1000), [this] { return queued(); }),
              SocketReader::Wait::TimedOut)
        << "a descriptor taken away wakes no more";
    close(wake);
}

TEST_F(SocketReaderTest, OneConsumerWaitsOnTheSocketAtATime)
{
    startReader();
    std::atomic<pid_t> first{0};
    std::thread waiting([&] {
        first.store(threadId());
        reader->awaitData(kWait, [this] { return queued(); });
    });
    while (first.load() == 0)
        std::this_thread::yield();
    ASSERT_TRUE(waitUntilSleeping(first.load()));
    EXPECT_EQ(reader->awaitData(kWait, [this] { return queued(); }), SocketReader::Wait::Busy);
    ASSERT_TRUE(sendByte(1));
    waiting.join();
}

TEST_F(SocketReaderTest, ConsumerDoesNotSleepOverWhatIsQueued)
{
    startReader();
    queue.push(std::uint8_t(3));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(reader->awaitData(kWait, [this] { return queued(); }), SocketReader::Wait::Ready);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
}

}  // namespace
