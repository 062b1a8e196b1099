// The board master's path: the PDO callback registered once per run, called
// from a receive thread of the board while the user-interface thread reads
// the ring. The board master's three ORX_ entry points are stood in for
// here; they take precedence over those of libmastergate.so.
#include "canopen/CANopenMaster.h"
#include "scope/BoardPdoCallback.h"
#include "scope/RecordingPdos.h"
#include "scope/SampleCollector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct BoardPdo {
    std::uint8_t node;
    std::uint8_t pdo;
    std::vector<std::uint8_t> data;
};

std::mutex boardLock;
std::deque<BoardPdo> boardQueue;
ORX_CALLBACK boardCallback = nullptr;
int defineCalls = 0;

void Receive(std::uint8_t node, std::int32_t position)
{
    const std::uint32_t p = static_cast<std::uint32_t>(position);
    const std::lock_guard<std::mutex> lock(boardLock);
    boardQueue.push_back({node, RecordingPdo::kPosition,
                          {0x37, 0x02, std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16),
                           std::uint8_t(p >> 24)}});
}

} // namespace

extern "C" {
COP_BOOL ORX_Library(void)
{
    return 1;
}
COP_BOOL ORX_DefineCallbacks(ORX_CALLBACK cb1, ORX_CALLBACK, ORX_CALLBACK, ORX_CALLBACK)
{
    ++defineCalls;
    boardCallback = cb1;
    return 1;
}
COP_BOOL ORX_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* length, uint8_t* data)
{
    const std::lock_guard<std::mutex> lock(boardLock);
    if (boardQueue.empty())
        return 0;
    const BoardPdo pdo = boardQueue.front();
    boardQueue.pop_front();
    *node = pdo.node;
    *pdoNumber = pdo.pdo;
    *length = static_cast<std::uint8_t>(pdo.data.size());
    std::copy(pdo.data.begin(), pdo.data.end(), data);
    return 1;
}
}

namespace {

TEST(BoardPdoCallback, CollectsTheNodesPdosInTheBoardsThreadWhileTheRingIsRead)
{
    CCANopenMaster master;
    ASSERT_TRUE(CBoardPdoCallback::Register(master));
    ASSERT_TRUE(CBoardPdoCallback::Register(master));
    EXPECT_EQ(defineCalls, 1) << "once per run";
    ASSERT_NE(boardCallback, nullptr);

    SampleRing ring;
    CSampleCollector collector(ring);
    CTrigger none;
    collector.Arm(none, RecordingPdo::kPosition, Sample{});
    std::atomic<bool> collecting{true};
    CBoardPdoCallback::Attach(&collector, 5, &collecting);

    constexpr int kSamples = 20000;
    std::atomic<bool> done{false};
    std::thread board([&] {
        for (int i = 1; i <= kSamples; ++i) {
            Receive(5, i);
            if (i % 7 == 0)
                Receive(6, -i);  // another node's PDO
            if (i % 16 == 0)
                boardCallback(0, 0, 0);
        }
        boardCallback(0, 0, 0);
        done = true;
    });
    // The user-interface thread plots from D up to W - 1 meanwhile.
    std::int64_t seen = 0;
    std::int32_t last = 0;
    bool ordered = true;
    while (!done || ring.D() != ring.W()) {
        const std::int32_t w = ring.W();
        for (std::int32_t d = ring.D(); d != w; d = SampleRing::Wrap(d + 1)) {
            const std::int32_t position = ring.At(d).position;
            ordered = ordered && position == last + 1;
            last = position;
            ++seen;
        }
        ring.SetD(w);
    }
    board.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(seen, kSamples);
    EXPECT_EQ(ring.Count(), kSamples);

    collecting = false;
    Receive(5, 99);
    boardCallback(0, 0, 0);
    EXPECT_EQ(ring.Count(), kSamples) << "nothing collected once the recording stopped";
    collecting = true;
    CBoardPdoCallback::Detach(&collector);
    Receive(5, 100);
    boardCallback(0, 0, 0);
    EXPECT_EQ(ring.Count(), kSamples) << "nor after the window closed";
    EXPECT_TRUE(boardQueue.empty()) << "the callback still drains the board";
}

} // namespace
