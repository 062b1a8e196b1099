#include "Player.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

namespace {

bool sameFrame(const canbus_frame& a, const canbus_frame& b)
{
    return a.id == b.id && a.len == b.len && std::memcmp(a.data, b.data, a.len > 8 ? 8 : a.len) == 0;
}

bool parseHex(const std::string& text, uint32_t& value)
{
    if (text.empty() || text.size() > 8)
        return false;
    value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        value = value << 4 |
                static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                          ? c - '0'
                                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    return value <= CANBUS_EFF_MASK;
}

}  // namespace

bool Player::parseRange(const std::string& text, IdRange& range)
{
    const std::size_t dash = text.find('-');
    uint32_t first = 0, last = 0;
    if (dash == std::string::npos) {
        if (!parseHex(text, first))
            return false;
        last = first;
    } else if (!parseHex(text.substr(0, dash), first) || !parseHex(text.substr(dash + 1), last) ||
               last < first) {
        return false;
    }
    range = {first, last};
    return true;
}

std::string Player::target(const std::string& interface) const
{
    if (!options_.bus.empty())
        return options_.bus;
    if (options_.assignments.empty())
        return interface;
    for (const auto& [bus, logged] : options_.assignments) {
        if (logged == interface)
            return bus;
    }
    return {};
}

bool Player::awaited(const canbus_frame& frame) const
{
    if (frame.id & CANBUS_ERR_FLAG)
        return false;
    const uint32_t id = frame.id & CANBUS_EFF_MASK;
    for (const IdRange& range : options_.waitFor) {
        if (id >= range.first && id <= range.last)
            return true;
    }
    return false;
}

bool Player::sleepUntil(Clock::time_point until, const volatile std::sig_atomic_t& stop)
{
    // In slices, so that a stop request is seen soon.
    constexpr auto kSlice = std::chrono::milliseconds(100);
    for (;;) {
        if (stop)
            return false;
        const auto now = Clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_until(until - now > kSlice ? now + kSlice : until);
    }
}

std::size_t Player::findLive(const std::vector<LogFormat::Record>& records, std::size_t from,
                             const std::string& bus, const canbus_frame& live) const
{
    for (std::size_t i = from; i < records.size(); ++i) {
        const LogFormat::Record& record = records[i];
        if (awaited(record.frame) && sameFrame(record.frame, live) && target(record.interface) == bus)
            return i;
    }
    return std::string::npos;
}

std::size_t Player::listen(const std::vector<LogFormat::Record>& records, std::size_t from, Port& port,
                           Clock::time_point until, const volatile std::sig_atomic_t& stop)
{
    const std::string bus = target(records[from].interface);
    constexpr int64_t kSliceUs = 100000;
    while (!stop) {
        const auto now = Clock::now();
        if (now >= until)
            return std::string::npos;
        int64_t timeout = kSliceUs;
        if (until != Clock::time_point::max())
            timeout = std::min<int64_t>(
                kSliceUs, std::chrono::duration_cast<std::chrono::microseconds>(until - now).count() + 1);
        canbus_frame live;
        if (!port.receive(bus, live, timeout) || !awaited(live))
            continue;
        const std::size_t found = findLive(records, from, bus, live);
        if (found == std::string::npos)
            continue;  // not in the log: the replay cannot answer it
        for (std::size_t j = from; j < found; ++j)
            stats_.skipped += !awaited(records[j].frame) && !target(records[j].interface).empty();
        ++stats_.matched;
        return found;
    }
    return records.size();
}

bool Player::play(const std::vector<LogFormat::Record>& records, Port& port,
                  const volatile std::sig_atomic_t& stop, std::string& error)
{
    if (records.empty())
        return true;
    const bool inStep = !options_.waitFor.empty();
    do {
        // Each frame is due as long after `base` as it was logged after
        // `origin`; a live frame the replay goes along with moves both.
        Clock::time_point base = Clock::now();
        int64_t origin = records.front().microseconds;
        for (std::size_t i = 0; i < records.size() && !stop; ++i) {
            const LogFormat::Record& record = records[i];
            const std::string bus = target(record.interface);
            if (bus.empty())
                continue;
            // A log whose clock went back plays that frame at once.
            const int64_t offset = std::max<int64_t>(0, record.microseconds - origin);
            const auto due = awaited(record.frame) ? Clock::time_point::max()
                                                   : base + std::chrono::microseconds(offset);
            if (inStep) {
                const std::size_t matched = listen(records, i, port, due, stop);
                if (matched >= records.size() && matched != std::string::npos)
                    break;  // stopped
                if (matched != std::string::npos) {
                    i = matched;
                    base = Clock::now();
                    origin = records[i].microseconds;
                    continue;
                }
            } else if (!sleepUntil(due, stop)) {
                break;
            }
            if (!port.send(bus, record.frame, error))
                return false;
            ++stats_.sent;
        }
    } while (options_.loop && !stop);
    return true;
}
