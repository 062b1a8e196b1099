#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

canbus_frame dataFrame(uint32_t id, uint8_t len, uint8_t first = 0)
{
    canbus_frame frame{};
    frame.id = id;
    frame.len = len;
    for (int i = 0; i < len; ++i)
        frame.data[i] = static_cast<uint8_t>(first + i);
    return frame;
}

class Endpoint : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/canbus-test.XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        // The bus root is one level below the temporary folder, to see it made.
        setenv("OVRO_CANBUS_DIR", (root_ + "/root").c_str(), 1);
    }
    void TearDown() override
    {
        for (canbus_endpoint* ep : open_)
            canbus_close(ep);
        unsetenv("OVRO_CANBUS_DIR");
        fs::remove_all(root_);
    }
    canbus_endpoint* open(uint32_t bitrate = 0, const char* bus = "test")
    {
        int err = -1;
        canbus_endpoint* ep = canbus_open(bus, bitrate, &err);
        EXPECT_NE(ep, nullptr) << std::strerror(err);
        if (ep)
            open_.push_back(ep);
        return ep;
    }
    std::string busDir(const char* bus = "test") { return root_ + "/root/" + bus; }
    std::vector<std::string> socketFiles()
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(busDir()))
            if (entry.path().extension() == ".sock")
                files.push_back(entry.path().filename().string());
        return files;
    }

    std::string root_;
    std::vector<canbus_endpoint*> open_;
};

TEST_F(Endpoint, CreatesPrivateBusFolderWithParentsAndRemovesItsSocketOnClose)
{
    canbus_endpoint* ep = open();
    ASSERT_NE(ep, nullptr);
    struct stat st {};
    ASSERT_EQ(stat(busDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((root_ + "/root").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(socketFiles().size(), 1u);
    EXPECT_NE(socketFiles()[0].find(".sock"), std::string::npos);

    canbus_endpoint* second = open();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(socketFiles().size(), 2u);  // unique names
    canbus_close(ep);
    open_.erase(open_.begin());
    EXPECT_EQ(socketFiles().size(), 1u);
}

TEST_F(Endpoint, RefusesBadBusNames)
{
    int err = 0;
    EXPECT_EQ(canbus_open("a/b", 0, &err), nullptr);
    EXPECT_EQ(err, EINVAL);
    EXPECT_EQ(canbus_open("..", 0, nullptr), nullptr);
}

TEST_F(Endpoint, TwoEndpointsExchangeFramesInOrderAndDoNotHearThemselves)
{
    canbus_endpoint* a = open(250000);
    canbus_endpoint* b = open(250000);
    ASSERT_TRUE(a && b);
    for (uint8_t i = 0; i < 5; ++i)
        ASSERT_EQ(canbus_send(a, &(const canbus_frame&)dataFrame(0x600 + i, i, i)), 0);
    canbus_frame rtr{};
    rtr.id = CANBUS_RTR_FLAG | 0x181;
    rtr.len = 2;
    ASSERT_EQ(canbus_send(b, &rtr), 0);

    for (uint8_t i = 0; i < 5; ++i) {
        canbus_frame got{};
        ASSERT_EQ(canbus_receive(b, &got, 1000), 1);
        EXPECT_EQ(got.id, 0x600u + i);
        EXPECT_EQ(got.len, i);
        EXPECT_EQ(got.bitrate, 250000u);
        if (i > 0) {
            EXPECT_EQ(got.data[0], i);
        }
    }
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(a, &got, 1000), 1);
    EXPECT_EQ(got.id, CANBUS_RTR_FLAG | 0x181);
    EXPECT_EQ(got.len, 2);
    EXPECT_EQ(canbus_receive(a, &got, 20), 0);  // not its own frames
    EXPECT_EQ(canbus_receive(b, &got, 0), 0);
}

TEST_F(Endpoint, RejectsLengthAboveEight)
{
    canbus_endpoint* a = open();
    canbus_frame frame = dataFrame(1, 0);
    frame.len = 9;
    EXPECT_EQ(canbus_send(a, &frame), -EINVAL);
}

TEST_F(Endpoint, DifferentRatesDoNotHearEachOtherButRateZeroHearsAll)
{
    canbus_endpoint* slow = open(125000);
    canbus_endpoint* fast = open(500000);
    canbus_endpoint* any = open(0);
    ASSERT_TRUE(slow && fast && any);
    ASSERT_EQ(canbus_send(slow, &(const canbus_frame&)dataFrame(0x111, 1)), 0);
    ASSERT_EQ(canbus_send(fast, &(const canbus_frame&)dataFrame(0x222, 1)), 0);
    ASSERT_EQ(canbus_send(any, &(const canbus_frame&)dataFrame(0x333, 1)), 0);

    canbus_frame got{};
    ASSERT_EQ(canbus_receive(any, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x111u);
    ASSERT_EQ(canbus_receive(any, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x222u);
    ASSERT_EQ(canbus_receive(slow, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x333u);  // rate 0 is heard by everyone
    EXPECT_EQ(got.bitrate, 0u);
    ASSERT_EQ(canbus_receive(fast, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x333u);
    EXPECT_EQ(canbus_receive(slow, &got, 30), 0);
    EXPECT_EQ(canbus_receive(fast, &got, 0), 0);

    canbus_set_bitrate(fast, 125000);
    EXPECT_EQ(canbus_bitrate(fast), 125000u);
    ASSERT_EQ(canbus_send(slow, &(const canbus_frame&)dataFrame(0x444, 0)), 0);
    ASSERT_EQ(canbus_receive(fast, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x444u);
}

TEST_F(Endpoint, RemovesTheFileOfADeadPeerAndLeavesOtherFilesAlone)
{
    canbus_endpoint* a = open();
    ASSERT_NE(a, nullptr);
    // A socket file whose owner has gone: bound, then closed without unlink.
    std::string dead = busDir() + "/99999-0.sock";
    int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, dead.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);
    std::string other = busDir() + "/notes.txt";
    { FILE* f = fopen(other.c_str(), "w"); ASSERT_NE(f, nullptr); fclose(f); }
    ASSERT_TRUE(fs::exists(dead));

    canbus_endpoint* b = open();
    ASSERT_EQ(canbus_send(a, &(const canbus_frame&)dataFrame(0x77, 0)), 0);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(other));
    canbus_frame got{};
    EXPECT_EQ(canbus_receive(b, &got, 1000), 1);  // the live peer still got it
}

TEST_F(Endpoint, DropsDatagramsOfTheWrongSize)
{
    canbus_endpoint* a = open();
    ASSERT_NE(a, nullptr);
    std::string target = busDir() + "/" + socketFiles().at(0);
    int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, target.c_str());
    uint8_t good[CANBUS_FRAME_SIZE] = {0x23, 0x01, 0, 0, 1, 0, 0, 0, 0x5A};
    uint8_t big[64] = {0x11, 0x01, 0, 0, 1};
    auto to = reinterpret_cast<sockaddr*>(&addr);
    ASSERT_EQ(sendto(fd, good, 19, 0, to, sizeof addr), 19);
    ASSERT_EQ(sendto(fd, big, 21, 0, to, sizeof addr), 21);
    ASSERT_EQ(sendto(fd, big, sizeof big, 0, to, sizeof addr), 64);
    ASSERT_EQ(sendto(fd, good, sizeof good, 0, to, sizeof addr), CANBUS_FRAME_SIZE);
    close(fd);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(a, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x123u);
    EXPECT_EQ(got.data[0], 0x5A);
    EXPECT_EQ(canbus_receive(a, &got, 20), 0);
    EXPECT_EQ(canbus_take_lost(a), 0u);
}

TEST_F(Endpoint, FullQueueCountsLostFramesAndFlushEmptiesIt)
{
    canbus_endpoint* tx = open();
    canbus_endpoint* rx = open();
    ASSERT_TRUE(tx && rx);
    // A frame may also be missed at the sender when the reader thread is held
    // off for longer than the retry time on a busy machine; with this many
    // extra frames the queue still fills.
    const int extra = 200;
    for (int i = 0; i < CANBUS_QUEUE_FRAMES + extra; ++i)
        ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(i & 0x7FF, 2)), 0);
    // The reader thread drains the socket on its own; give it the last frames.
    for (int i = 0; i < 200 && canbus_pending(rx) < CANBUS_QUEUE_FRAMES; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(canbus_pending(rx), size_t(CANBUS_QUEUE_FRAMES));
    const uint64_t lost = canbus_take_lost(rx);
    EXPECT_GE(lost, 1u);
    EXPECT_LE(lost, uint64_t(extra));
    EXPECT_EQ(canbus_take_lost(rx), 0u);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(rx, &got, 0), 1);
    EXPECT_EQ(got.id, 0u);  // the oldest frames are kept
    canbus_flush(rx);
    EXPECT_EQ(canbus_pending(rx), 0u);
    EXPECT_EQ(canbus_receive(rx, &got, 0), 0);
}

TEST_F(Endpoint, ReceiveWaitsForAFrameAndTimesOut)
{
    canbus_endpoint* tx = open();
    canbus_endpoint* rx = open();
    ASSERT_TRUE(tx && rx);
    canbus_frame got{};
    EXPECT_EQ(canbus_receive_us(rx, &got, 2000), 0);
    std::thread sender([tx] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        canbus_send(tx, &(const canbus_frame&)dataFrame(0x585, 8));
    });
    EXPECT_EQ(canbus_receive(rx, &got, -1), 1);
    EXPECT_EQ(got.id, 0x585u);
    sender.join();
}

TEST_F(Endpoint, SeveralSendingThreadsDeliverIntactFrames)
{
    canbus_endpoint* tx = open();
    canbus_endpoint* rx = open();
    ASSERT_TRUE(tx && rx);
    const int threads = 4, perThread = 200;
    std::vector<std::thread> senders;
    for (int t = 0; t < threads; ++t)
        senders.emplace_back([tx, t] {
            for (int i = 0; i < perThread; ++i)
                canbus_send(tx, &(const canbus_frame&)dataFrame(0x100 + t, 8, static_cast<uint8_t>(i)));
        });
    // Endpoints opening and closing meanwhile must not disturb anyone.
    for (int i = 0; i < 20; ++i)
        canbus_close(canbus_open("test", 0, nullptr));
    for (auto& s : senders)
        s.join();
    std::vector<int> next(threads, 0);
    int received = 0;
    canbus_frame got{};
    while (canbus_receive(rx, &got, 100) == 1) {
        ASSERT_GE(got.id, 0x100u);
        ASSERT_LT(got.id, 0x100u + threads);
        int t = static_cast<int>(got.id - 0x100);
        // Each thread's frames arrive in order, bytes unmixed.
        ASSERT_GE(got.data[0], static_cast<uint8_t>(next[t]));
        for (int b = 1; b < 8; ++b)
            ASSERT_EQ(got.data[b], static_cast<uint8_t>(got.data[0] + b));
        next[t] = got.data[0] + 1;
        ++received;
    }
    EXPECT_GT(received, 0);
    EXPECT_LE(received, threads * perThread);
    EXPECT_EQ(socketFiles().size(), 2u);
}

TEST_F(Endpoint, ClosesWhileItsReaderWaitsAndWhileFramesArrive)
{
    canbus_endpoint* tx = open();
    ASSERT_NE(tx, nullptr);
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (!stop)
            canbus_send(tx, &(const canbus_frame&)dataFrame(0x1, 1));
    });
    for (int i = 0; i < 30; ++i) {
        canbus_endpoint* ep = canbus_open("test", 0, nullptr);
        ASSERT_NE(ep, nullptr);
        if (i % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        canbus_close(ep);
    }
    stop = true;
    sender.join();
    EXPECT_EQ(socketFiles().size(), 1u);
}

TEST_F(Endpoint, AFrameSentRightAfterANewEndpointBindsReachesIt)
{
    canbus_endpoint* tx = open();
    ASSERT_NE(tx, nullptr);
    // The sender knows its peers from earlier sends; each newcomer must be
    // seen by the very next frame, and each leaver dropped.
    ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x100, 1)), 0);
    for (int i = 0; i < 20; ++i) {
        canbus_endpoint* rx = canbus_open("test", 0, nullptr);
        ASSERT_NE(rx, nullptr);
        ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x200 + i, 1)), 0);
        canbus_frame got{};
        ASSERT_EQ(canbus_receive(rx, &got, 1000), 1) << "newcomer " << i;
        EXPECT_EQ(got.id, 0x200u + i);
        canbus_close(rx);
        ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x300, 1)), 0) << "after a leaver";
    }
    EXPECT_EQ(socketFiles().size(), 1u);
}

TEST_F(Endpoint, ReceiveAlsoEndsWhenTheWakeDescriptorIsReadable)
{
    canbus_endpoint* tx = open();
    canbus_endpoint* rx = open();
    ASSERT_TRUE(tx && rx);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    ASSERT_EQ(canbus_set_wake_fd(rx, pipeFds[0]), 0);
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(write(pipeFds[1], "x", 1), 1);
    });
    canbus_frame got{};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(canbus_receive(rx, &got, 5000), 0) << "no frame, but woken";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    waker.join();
    // A frame that waits is still delivered while the descriptor is readable.
    ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x181, 2)), 0);
    EXPECT_EQ(canbus_receive(rx, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x181u);
    EXPECT_EQ(canbus_set_wake_fd(rx, -1), 0);
    close(pipeFds[0]);
    close(pipeFds[1]);
}

TEST_F(Endpoint, ASocketOfAnotherProgramIsSeenSoonAfterItBinds)
{
    // Not an endpoint of this library: it does not count itself in the bus
    // record, so the sender finds it when it reads the folder again.
    canbus_endpoint* tx = open();
    ASSERT_NE(tx, nullptr);
    ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x100, 1)), 0);
    const std::string path = busDir() + "/tool.sock";
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    uint8_t wire[64];
    ssize_t n = -1;
    for (int i = 0; i < 1000 && n < 0; ++i) {
        ASSERT_EQ(canbus_send(tx, &(const canbus_frame&)dataFrame(0x123, 2)), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        n = recv(fd, wire, sizeof wire, MSG_DONTWAIT);
    }
    ASSERT_EQ(n, CANBUS_FRAME_SIZE);
    canbus_frame got{};
    ASSERT_EQ(canbus_decode(wire, size_t(n), &got), 1);
    EXPECT_EQ(got.id, 0x123u);
    close(fd);
    unlink(path.c_str());
}

TEST_F(Endpoint, SharedBusRecordIsARegularFileBesideTheSockets)
{
    canbus_endpoint* ep = open();
    ASSERT_NE(ep, nullptr);
    struct stat st {};
    ASSERT_EQ(lstat((busDir() + "/bus.state").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(socketFiles().size(), 1u) << "it is not taken for a peer";
}

}  // namespace
