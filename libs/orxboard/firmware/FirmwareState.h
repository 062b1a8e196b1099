// FirmwareState - what the firmware's threads share: the master engine,
// the board's queues, the settings the board booted with, and the state of
// the SYNC and time-stamp producers and of the nodes. The producer and
// node records change only with the engine's lock held; the SDO flags are
// atomics that the bus pump reads without it.
#ifndef ORXBOARD_FIRMWARESTATE_H
#define ORXBOARD_FIRMWARESTATE_H

#include "BoardQueues.h"
#include "MasterEngine.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace orx {

using Clock = std::chrono::steady_clock;

struct FirmwareSettings {
    std::uint32_t pcanType = 0;   // the controller's PCAN-Light board type
    std::string channel;          // the registry's CHANNEL, "" for the environment's
    std::uint16_t version = 0;    // firmware version the board reports
    std::uint16_t sdoTimeout = 400;
    std::uint16_t timeInterval = 3;  // seconds between time stamps
    bool silent = false;          // answers the version query only
    bool silentSdo = false;       // answers no SDO request
};

// NMT states the firmware keeps per node (CANopen state codes).
enum : std::uint8_t {
    kNodeUnknown = 0x00,
    kNodeStopped = 0x04,
    kNodeOperational = 0x05,
    kNodePreOperational = 0x7F,
    kNodeDisconnected = 0xFF,
};

struct NodeRecord {
    std::uint8_t state = kNodeUnknown;
    std::uint8_t mode = 0;
    std::uint16_t guardTime = 0;
    std::uint8_t lifeFactor = 0;
};

struct SyncProducer {
    bool enabled = false;
    std::uint16_t period = 2;  // ms
    std::uint16_t window = 2;
    std::uint16_t remaining = 0;  // SYNCs still to send; 0 with enabled: without end
    bool endless = false;
    std::uint16_t number = 0;
    Clock::time_point next{};
};

struct TimeProducer {
    bool defined = false;
    bool active = false;
    std::uint16_t cobId = 0x100;
    std::uint16_t interval = 3;  // s
    Clock::time_point next{};
};

// Node 0's PDO that carries the time stamp.
constexpr std::uint8_t kTimePdo = 10;

struct FirmwareState {
    FirmwareState(std::shared_ptr<BoardQueues> q, FirmwareSettings s)
        : queues(std::move(q)), settings(std::move(s)), engine(settings.pcanType, settings.channel),
          sdoTimeout(settings.sdoTimeout)
    {
    }

    std::shared_ptr<BoardQueues> queues;
    const FirmwareSettings settings;
    MasterEngine engine;

    // With the engine's lock held:
    SyncProducer sync;
    TimeProducer time;
    std::map<std::uint8_t, NodeRecord> nodes;

    std::atomic<std::uint16_t> sdoTimeout;
    std::atomic<bool> sdoBusy{false};        // a host transfer is being worked on
    std::atomic<std::uint16_t> sdoTransfer{0};
    std::atomic<std::uint32_t> cancelled{0};  // 0x10000 | transfer number of the cancelled one
    std::atomic<bool> stop{false};

    void cancel(std::uint16_t transfer) { cancelled = 0x10000u | transfer; }
    bool isCancelled(std::uint16_t transfer) const { return cancelled.load() == (0x10000u | transfer); }
};

}  // namespace orx

#endif
