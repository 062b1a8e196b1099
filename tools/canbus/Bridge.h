// Bridge - forwards every frame both ways between a virtual bus and a
// SocketCAN interface. The interface side is a socket that carries struct
// can_frame records (a raw CAN socket from libs/socketcan, or in tests one
// end of a socketpair). Error frames of the interface (bus off, error
// passive, ...) reach the virtual bus, so its nodes see the real
// controller's state; error frames of the virtual bus describe virtual
// controllers and stay there.
//
//   canbus_endpoint* bus = canbus_open("demo", 500000, &err);
//   int fd = socketcan_open("can0", CAN_ERR_MASK);
//   Bridge bridge(bus, fd);
//   bridge.run(stopFlag);           // until stop is set
#ifndef CANBUS_TOOL_BRIDGE_H
#define CANBUS_TOOL_BRIDGE_H

#include <canbus/canbus.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <string>

class Bridge {
public:
    struct Stats {
        std::atomic<uint64_t> toInterface{0};
        std::atomic<uint64_t> toBus{0};
        std::atomic<uint64_t> dropped{0};  // the interface's transmit queue stayed full
        std::atomic<uint64_t> lost{0};     // the bus endpoint's receive queue overflowed
    };

    // Neither is owned.
    Bridge(canbus_endpoint* bus, int canSocket) : bus_(bus), socket_(canSocket) {}

    // Forwards until stop is set or the interface fails (then false with a
    // message in `error`).
    bool run(const volatile std::sig_atomic_t& stop, std::string& error);

    const Stats& stats() const { return stats_; }

private:
    void toInterface(const volatile std::sig_atomic_t& stop);
    bool writeFrame(const canbus_frame& frame);

    canbus_endpoint* bus_;
    int socket_;
    std::atomic<bool> done_{false};
    Stats stats_;
};

#endif
