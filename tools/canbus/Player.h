// Player - replays a log with its timing, as canplayer does: each frame
// goes out as long after the first as the log shows, on the virtual bus
// that its interface name maps to.
//
// Mapping: by default a frame logged on interface X goes to the bus X;
// --bus NAME sends every frame to NAME; assignments BUS=IFACE (canplayer's
// syntax) send the frames of IFACE to BUS and skip all other interfaces.
//
// Frames of the identifiers to wait for are the live side's (for example
// a master's SDO requests, 600-67F): they are not played; the player waits
// until the same frame (identifier, length and data) comes along the bus
// and plays what follows it with the log's timing from there. A live frame
// that the log holds further on moves the replay forward to it at once
// (also while a frame waits for its time); one that the log does not hold
// is ignored. So the drive's side of a trace answers a
// live master in step with it.
//
//   Player player(options);
//   BusPorts ports(bitrate);            // or any Player::Port
//   player.play(records, ports, stopFlag, error);
#ifndef CANBUS_TOOL_PLAYER_H
#define CANBUS_TOOL_PLAYER_H

#include "LogFormat.h"

#include <canbus/canbus.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Player {
public:
    struct IdRange {
        uint32_t first = 0;
        uint32_t last = 0;
    };

    struct Options {
        std::string bus;  // every frame to this bus, when not empty
        std::vector<std::pair<std::string, std::string>> assignments;  // (bus, interface)
        bool loop = false;
        std::vector<IdRange> waitFor;
    };

    // Where frames go, and where the live side's frames come from.
    class Port {
    public:
        virtual ~Port() = default;
        // False with a message in `error` when the bus cannot be used.
        virtual bool send(const std::string& bus, const canbus_frame& frame, std::string& error) = 0;
        // The next frame heard on the bus, waiting up to timeoutUs.
        virtual bool receive(const std::string& bus, canbus_frame& frame, int64_t timeoutUs) = 0;
    };

    struct Stats {
        uint64_t sent = 0;
        uint64_t matched = 0;  // live frames the replay went along with
        uint64_t skipped = 0;  // frames passed over to keep in step
    };

    explicit Player(Options options) : options_(std::move(options)) {}

    // The bus for a logged interface; empty when its frames are not played.
    std::string target(const std::string& interface) const;
    // True for a frame of the live side.
    bool awaited(const canbus_frame& frame) const;

    // Plays to the end of the log (again and again with loop) or until
    // stop is set. False with a message in `error` when a bus fails.
    bool play(const std::vector<LogFormat::Record>& records, Port& port,
              const volatile std::sig_atomic_t& stop, std::string& error);

    const Stats& stats() const { return stats_; }

    // "600-67F", "605", "18FF0001": hexadecimal identifiers, one or a range.
    static bool parseRange(const std::string& text, IdRange& range);

private:
    using Clock = std::chrono::steady_clock;

    // Waits until `until` or stop; false on stop.
    static bool sleepUntil(Clock::time_point until, const volatile std::sig_atomic_t& stop);
    // The first record from `from` on that is the live frame, or npos.
    std::size_t findLive(const std::vector<LogFormat::Record>& records, std::size_t from,
                         const std::string& bus, const canbus_frame& live) const;
    // Listens for live frames until `until` (Clock::time_point::max(): no
    // limit). Returns the index of the record a live frame matched, npos
    // when `until` came first, records.size() on stop.
    std::size_t listen(const std::vector<LogFormat::Record>& records, std::size_t from, Port& port,
                       Clock::time_point until, const volatile std::sig_atomic_t& stop);

    Options options_;
    Stats stats_;
};

#endif
