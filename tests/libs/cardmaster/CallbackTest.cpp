// Notification of received messages: callbacks on the receive threads, the
// window-message alternative, defined once per board, and a release while
// the receive threads run.
#include "BoardFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// The callbacks only see plain values: the board handle and the queue.
std::atomic<int> g_pdos{0};
std::atomic<int> g_calls{0};
std::atomic<std::uint32_t> g_handle{0}, g_queue{0};

void drainPdos(std::uint32_t handle, std::uint32_t queue, std::uint32_t)
{
    g_calls++;
    g_handle = handle;
    g_queue = queue;
    std::uint8_t node, pdo, length, data[8];
    while (COP_ReadPDO(static_cast<std::uint16_t>(handle), &node, &pdo, &length, data) == CM_OK)
        g_pdos++;
}

void other(std::uint32_t, std::uint32_t, std::uint32_t) {}

class Callbacks : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        g_pdos = 0;
        g_calls = 0;
        h = openStick();
        ASSERT_NE(h, 0);
        ASSERT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_OK);
        ASSERT_EQ(COP_CreatePDO(h, kNode, 8, 0, 1, 8, 0x380 + kNode), CM_OK);
    }

    static bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 2s)
    {
        for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(1ms))
            if (done())
                return true;
        return done();
    }

    std::uint16_t h = 0;
};

TEST_F(Callbacks, APdoCallbackRunsOnItsOwnThreadAndDrainsTheQueue)
{
    ASSERT_EQ(COP_DefineCallbacks(h, drainPdos, nullptr, nullptr, nullptr), CM_OK);
    std::uint32_t ids[4] = {};
    ASSERT_EQ(COP_GetThreadIds(h, ids), CM_OK);
    EXPECT_TRUE(waitUntil([&] { COP_GetThreadIds(h, ids); return ids[0] != 0; }));
    EXPECT_NE(ids[0], static_cast<std::uint32_t>(::gettid()));
    EXPECT_EQ(ids[1], 0u) << "no emergency callback: no thread";
    EXPECT_EQ(ids[2], 0u);
    EXPECT_EQ(ids[3], 0u);

    // One at a time: a flood would overrun the virtual bus on a busy machine.
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(peer->sendFrame(0x380 + kNode, {std::uint8_t(i), 1, 2, 3, 4, 5, 6, 7}));
        ASSERT_TRUE(waitUntil([i] { return g_pdos.load() == i + 1; })) << g_pdos.load();
    }
    EXPECT_EQ(g_handle.load(), h);
    EXPECT_EQ(g_queue.load(), 2u);
    std::uint8_t node = 9, pdo = 9, length = 9, data[8];
    EXPECT_EQ(COP_ReadPDO(h, &node, &pdo, &length, data), CM_ERR_EMPTY);
    EXPECT_EQ(node, 0);
    EXPECT_EQ(pdo, 0);
    EXPECT_EQ(length, 0);
}

TEST_F(Callbacks, AreDefinedOncePerBoard)
{
    EXPECT_EQ(COP_DefineCallbacks(h, nullptr, nullptr, nullptr, nullptr), CM_ERR_CALLBACK) << "none at all";
    EXPECT_EQ(COP_DefineCallbacks(h, drainPdos, nullptr, nullptr, nullptr), CM_OK);
    EXPECT_EQ(COP_DefineCallbacks(h, drainPdos, nullptr, nullptr, nullptr), CM_ERR_GENERAL) << "the second time";
    EXPECT_EQ(COP_DefineCallbacks(h, nullptr, other, nullptr, nullptr), CM_ERR_GENERAL);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    EXPECT_EQ(COP_DefineEventMsgs(h, pipe[1], 0x400, 0, 0, 0), CM_ERR_GENERAL) << "nor messages after callbacks";
    ::close(pipe[0]);
    ::close(pipe[1]);
    // A new board starts afresh.
    releaseAll();
    h = openStick();
    EXPECT_EQ(COP_DefineCallbacks(h, drainPdos, nullptr, nullptr, nullptr), CM_OK);
}

TEST_F(Callbacks, WindowMessagesInsteadOfCallbacks)
{
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
    EXPECT_EQ(COP_DefineEventMsgs(h, -1, 0x401, 0, 0, 0), CM_ERR_CALLBACK);
    EXPECT_EQ(COP_DefineEventMsgs(h, pipe[1], 0, 0, 0, 0), CM_ERR_CALLBACK);
    ASSERT_EQ(COP_DefineEventMsgs(h, pipe[1], 0x401, 0x402, 0, 0x405), CM_OK);
    ASSERT_TRUE(peer->sendFrame(0x380 + kNode, {1, 2}));
    pollfd p{pipe[0], POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    CopWindowMessage m{};
    ASSERT_EQ(::read(pipe[0], &m, sizeof m), static_cast<ssize_t>(sizeof m));
    EXPECT_EQ(m.message, 0x401u);
    EXPECT_EQ(m.handle, h);
    EXPECT_EQ(m.queue, 2u);
    ASSERT_TRUE(peer->sendEmergency(0x8130, 0x11));
    bool emergency = false;
    for (auto end = Clock::now() + 2s; !emergency && Clock::now() < end;) {
        if (::poll(&p, 1, 100) == 1 && ::read(pipe[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m))
            emergency = m.message == 0x402u && m.queue == 3u;
    }
    EXPECT_TRUE(emergency);
    std::uint32_t ids[4];
    ASSERT_EQ(COP_GetThreadIds(h, ids), CM_OK);
    EXPECT_EQ(ids[2], 0u) << "no event message: no thread";
    releaseAll();
    ::close(pipe[0]);
    ::close(pipe[1]);
}

TEST_F(Callbacks, AReleaseWhileTheReceiveThreadsRunEndsThemAndTheBoard)
{
    ASSERT_EQ(COP_DefineCallbacks(h, drainPdos, other, other, other), CM_OK);
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        for (std::uint8_t i = 0; flooding; ++i) {
            peer->sendFrame(0x380 + kNode, {i});
            std::this_thread::sleep_for(200us);
        }
    });
    ASSERT_TRUE(waitUntil([] { return g_pdos.load() > 20; }));
    std::uint32_t ids[4];
    ASSERT_EQ(COP_GetThreadIds(h, ids), CM_OK);
    for (std::uint32_t id : ids)
        EXPECT_NE(id, 0u);
    auto start = Clock::now();
    EXPECT_EQ(COP_ReleaseBoard(h), CM_OK);
    handleCount = 0;
    EXPECT_LT(Clock::now() - start, 2s) << "the threads end at once, not after their 8888 ms";
    int calls = g_calls.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(g_calls.load(), calls) << "no callback after the release";
    flooding = false;
    flood.join();
    std::uint8_t node, pdo, length, data[8];
    EXPECT_EQ(COP_ReadPDO(h, &node, &pdo, &length, data), CM_ERR_GENERAL) << "closed";
    // The board opens again.
    h = openStick();
    EXPECT_NE(h, 0);
}

}  // namespace
