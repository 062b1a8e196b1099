// The replay: timing, the mapping of interfaces to buses, and the replay in
// step with a live side.
#include "Player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

LogFormat::Record rec(int64_t us, const char* interface, uint32_t id, std::initializer_list<uint8_t> data)
{
    LogFormat::Record r;
    r.microseconds = 1700000000000000LL + us;
    r.interface = interface;
    r.frame.id = id;
    r.frame.len = static_cast<uint8_t>(data.size());
    std::size_t i = 0;
    for (uint8_t b : data)
        r.frame.data[i++] = b;
    return r;
}

// Records what is sent when; live frames come from a script, each once the
// frame sent before it (or the start) is there.
class RecordingPort : public Player::Port {
public:
    struct Sent {
        std::string bus;
        canbus_frame frame;
        Clock::duration at;
    };

    bool send(const std::string& bus, const canbus_frame& frame, std::string&) override
    {
        sent.push_back({bus, frame, Clock::now() - start});
        return true;
    }

    bool receive(const std::string& bus, canbus_frame& frame, int64_t) override
    {
        buses.push_back(bus);
        if (live.empty() || sent.size() < live.front().first) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return false;
        }
        frame = live.front().second;
        live.pop_front();
        return true;
    }

    Clock::time_point start = Clock::now();
    std::vector<Sent> sent;
    // (frames sent before it comes, the live frame)
    std::deque<std::pair<std::size_t, canbus_frame>> live;
    std::vector<std::string> buses;
    volatile std::sig_atomic_t* stop = nullptr;
};

TEST(Player, KeepsTheLoggedGapsBetweenFrames)
{
    std::vector<LogFormat::Record> log = {rec(0, "can0", 0x181, {1}), rec(30000, "can0", 0x181, {2}),
                                          rec(80000, "can0", 0x181, {3})};
    Player player({});
    RecordingPort port;
    volatile std::sig_atomic_t stop = 0;
    std::string error;
    ASSERT_TRUE(player.play(log, port, stop, error)) << error;
    ASSERT_EQ(port.sent.size(), 3u);
    using std::chrono::milliseconds;
    EXPECT_LT(port.sent[0].at, milliseconds(20));
    EXPECT_GE(port.sent[1].at, milliseconds(30));
    EXPECT_GE(port.sent[2].at, milliseconds(80));
    EXPECT_LT(port.sent[2].at, milliseconds(400));  // no needless waiting
    EXPECT_EQ(port.sent[2].frame.data[0], 3);
    EXPECT_EQ(player.stats().sent, 3u);
}

TEST(Player, MapsInterfacesToBuses)
{
    Player::Options byName;
    EXPECT_EQ(Player(byName).target("can0"), "can0");

    Player::Options all;
    all.bus = "demo";
    EXPECT_EQ(Player(all).target("can0"), "demo");
    EXPECT_EQ(Player(all).target("can1"), "demo");

    Player::Options assigned;
    assigned.assignments = {{"demo", "can0"}, {"lab", "can1"}};
    Player player(assigned);
    EXPECT_EQ(player.target("can0"), "demo");
    EXPECT_EQ(player.target("can1"), "lab");
    EXPECT_EQ(player.target("can2"), "");  // not played

    std::vector<LogFormat::Record> log = {rec(0, "can0", 0x100, {}), rec(0, "can2", 0x200, {}),
                                          rec(0, "can1", 0x300, {})};
    RecordingPort port;
    volatile std::sig_atomic_t stop = 0;
    std::string error;
    ASSERT_TRUE(player.play(log, port, stop, error));
    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0].bus, "demo");
    EXPECT_EQ(port.sent[1].bus, "lab");
    EXPECT_EQ(port.sent[1].frame.id, 0x300u);
}

TEST(Player, IdentifierRanges)
{
    Player::IdRange range;
    ASSERT_TRUE(Player::parseRange("600-67F", range));
    EXPECT_EQ(range.first, 0x600u);
    EXPECT_EQ(range.last, 0x67Fu);
    ASSERT_TRUE(Player::parseRange("605", range));
    EXPECT_EQ(range.first, 0x605u);
    EXPECT_EQ(range.last, 0x605u);
    EXPECT_FALSE(Player::parseRange("67F-600", range));
    EXPECT_FALSE(Player::parseRange("6x5", range));
    EXPECT_FALSE(Player::parseRange("", range));
    EXPECT_FALSE(Player::parseRange("20000000", range));  // beyond 29 bits
}

TEST(Player, AnswersALiveSideInStepWithIt)
{
    // A master asked twice and the drive answered; a heartbeat came between.
    std::vector<LogFormat::Record> log = {
        rec(0, "can0", 0x605, {0x40, 0x41, 0x60, 0}),      // request (live side)
        rec(1500, "can0", 0x585, {0x4B, 0x41, 0x60, 0, 0x37, 0x02}),
        rec(500000, "can0", 0x705, {0x05}),                // heartbeat, skipped below
        rec(900000, "can0", 0x605, {0x40, 0x64, 0x60, 0}),  // request
        rec(901000, "can0", 0x585, {0x43, 0x64, 0x60, 0, 0x39, 0x30, 0, 0}),
    };
    Player::Options options;
    options.bus = "demo";
    options.waitFor = {{0x600, 0x67F}};
    Player player(options);
    RecordingPort port;
    volatile std::sig_atomic_t stop = 0;
    port.stop = &stop;
    // The live master: a stray request the log does not hold, then the
    // first request; later the second one, at once after the first answer
    // (so the replay jumps over the heartbeat instead of waiting 0.9 s).
    port.live.push_back({0, rec(0, "", 0x605, {0x40, 0x00, 0x10, 0}).frame});
    port.live.push_back({0, log[0].frame});
    port.live.push_back({1, log[3].frame});
    std::string error;
    ASSERT_TRUE(player.play(log, port, stop, error)) << error;

    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0].frame.id, 0x585u);
    EXPECT_EQ(port.sent[0].frame.data[4], 0x37);
    EXPECT_EQ(port.sent[1].frame.id, 0x585u);
    EXPECT_EQ(port.sent[1].frame.data[4], 0x39);
    EXPECT_LT(port.sent[1].at, std::chrono::milliseconds(300));
    EXPECT_GE(port.sent[1].at - port.sent[0].at, std::chrono::microseconds(1000));
    EXPECT_EQ(player.stats().matched, 2u);
    EXPECT_EQ(player.stats().skipped, 1u);
    for (const std::string& bus : port.buses)
        EXPECT_EQ(bus, "demo");
}

TEST(Player, StopsAtOnceWhenAsked)
{
    std::vector<LogFormat::Record> log = {rec(0, "can0", 0x181, {1}), rec(60000000, "can0", 0x181, {2})};
    Player::Options options;
    options.loop = true;
    Player player(options);
    RecordingPort port;
    volatile std::sig_atomic_t stop = 0;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop = 1;
    });
    const auto begin = Clock::now();
    std::string error;
    EXPECT_TRUE(player.play(log, port, stop, error));
    stopper.join();
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(2));
    EXPECT_EQ(port.sent.size(), 1u);
}

TEST(Player, LoopsUntilStopped)
{
    std::vector<LogFormat::Record> log = {rec(0, "can0", 0x181, {1}), rec(1000, "can0", 0x181, {2})};
    Player::Options options;
    options.loop = true;
    Player player(options);
    class CountingPort : public RecordingPort {
    public:
        bool send(const std::string& bus, const canbus_frame& frame, std::string& error) override
        {
            RecordingPort::send(bus, frame, error);
            if (sent.size() == 7)
                *stop = 1;
            return true;
        }
    } port;
    volatile std::sig_atomic_t stop = 0;
    port.stop = &stop;
    std::string error;
    EXPECT_TRUE(player.play(log, port, stop, error));
    ASSERT_EQ(port.sent.size(), 7u);
    EXPECT_EQ(port.sent[6].frame.data[0], 1);  // the seventh is the first again
}

}  // namespace
