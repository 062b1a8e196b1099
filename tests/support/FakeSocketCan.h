// FakeSocketCan.h - SocketCAN interfaces without a kernel CAN stack. While
// an object lives, libs/socketcan hands out one end of a
// socketpair(AF_UNIX, SOCK_SEQPACKET) for each opened interface, which
// carries struct can_frame records exactly as a raw CAN socket does; the
// test holds the other end (peer) and plays the bus.
//
//   ovro::test::FakeSocketCan can;
//   can.add("can0", {500000});            // at 500 kbit/s, up
//   ... the code under test opens "can0" ...
//   int bus = can.peer("can0");           // read and write can_frame here
#pragma once

#include <socketcan/socketcan.h>

#include <linux/can.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ovro::test {

class FakeSocketCan {
public:
    struct Interface {
        std::uint32_t bitrate = 0;  // 0: no bit timing (vcan)
        bool up = true;
        bool mayChangeBitrate = true;  // false: set_bitrate is refused (not root)
        bool mayBringUp = true;
    };

    FakeSocketCan();
    ~FakeSocketCan();
    FakeSocketCan(const FakeSocketCan&) = delete;
    FakeSocketCan& operator=(const FakeSocketCan&) = delete;

    void add(const std::string& name, Interface state);
    Interface state(const std::string& name) const;

    // The test's end of the socket last opened on the interface; -1 before.
    int peer(const std::string& name) const;
    // Closes the test's end, as when the interface goes away.
    void closePeer(const std::string& name);
    // The error mask asked for when it was opened.
    std::uint32_t errorMask(const std::string& name) const;
    // How many times the interface was opened, and the rates set.
    int opens(const std::string& name) const;
    std::vector<std::uint32_t> ratesSet(const std::string& name) const;

    // Helpers for the test's end.
    static bool writeFrame(int fd, const can_frame& frame);
    // Waits up to timeoutMs for a frame; false after that.
    static bool readFrame(int fd, can_frame& frame, int timeoutMs);
    static can_frame frame(std::uint32_t id, std::vector<std::uint8_t> data);

private:
    struct Entry {
        Interface state;
        int peer = -1;
        std::uint32_t mask = 0;
        int opens = 0;
        std::vector<std::uint32_t> rates;
    };

    static int open(void* context, const char* name, std::uint32_t mask);
    static int bitrate(void* context, const char* name, std::uint32_t* rate);
    static int setBitrate(void* context, const char* name, std::uint32_t rate);
    static int isUp(void* context, const char* name);
    static int bringUp(void* context, const char* name);
    static std::size_t list(void* context, char (*names)[SOCKETCAN_NAME_SIZE], std::size_t max);

    mutable std::mutex mutex_;
    std::map<std::string, Entry> interfaces_;
    socketcan_ops ops_{};
};

}  // namespace ovro::test
