// PeerList - the other endpoints of a bus as send addresses. The bus folder
// is read once and again only after it changed, so that a send neither
// lists the folder nor allocates, nor makes a system call to find out:
//   - endpoints of this library count every bind and removal in the bus
//     record, which the sender compares: a new endpoint is in the very
//     next frame sent after its canbus_open() returned;
//   - sockets of other programs, which do not count themselves, are found
//     by reading the folder again every 50 ms while frames are sent.
// Without the record the folder is read before every send.
//
// The list also tells whether the bus is wire-timed: it is while one of its
// sockets (this endpoint's own included) is named "*-wire.sock".
#ifndef CANBUS_PEERLIST_H
#define CANBUS_PEERLIST_H

#include "BusRecord.h"

#include <sys/un.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ovro::canbus {

class PeerList {
public:
    explicit PeerList(std::string dir) : dir_(std::move(dir)) {}

    // Reads the folder again when something changed since the last call.
    // own: the file name left out. True when the list was read anew.
    bool refresh(const std::string& own, const BusRecord* record);

    std::size_t size() const { return peers_.size(); }
    bool wireTimed() const { return wireTimed_; }
    const sockaddr_un& address(std::size_t i) const { return peers_[i]; }

    // How often the folder is read for sockets of other programs.
    static constexpr std::chrono::milliseconds kForeignPeers{50};
    // The ending of the socket name of an endpoint that wants wire time.
    static constexpr const char* kWireTimeEnding = "-wire.sock";

private:
    void scan(const std::string& own);

    std::string dir_;
    bool scanned_ = false;
    std::uint64_t seenChanges_ = 0;
    bool wireTimed_ = false;
    std::chrono::steady_clock::time_point scannedAt_;
    std::vector<sockaddr_un> peers_;
};

}  // namespace ovro::canbus

#endif
