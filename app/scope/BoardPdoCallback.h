// CBoardPdoCallback: the PDO-received callback that the board master calls
// in its receive thread. It is handed to the board master once per run
// and opening of the board;
// while a recording is attached and collecting, it drains the board's
// received PDOs and puts those of the recording's node into its ring
// (the others are dropped).
//
//   CBoardPdoCallback::Register(master);                   // window opens
//   CBoardPdoCallback::Attach(&collector, nodeId, &flag);  // Start
//   CBoardPdoCallback::Detach(&collector);                 // window closes
#pragma once

#include <atomic>
#include <cstdint>

class CCANopenMaster;
class CSampleCollector;

class CBoardPdoCallback {
public:
    // Hands the callback to the board master unless that was done before
    // for the board as it is open now (once per run while the interface
    // stays the same; again after Interface > Initialize, since the board
    // forgets its callbacks when it closes); false when the board master
    // refused it.
    static bool Register(CCANopenMaster& master);
    static bool Registered(const CCANopenMaster& master);

    // The recording the callback collects for: the node's PDOs go into the
    // collector while *collecting is true.
    static void Attach(CSampleCollector* collector, std::uint8_t nodeId, const std::atomic<bool>* collecting);
    // Nothing is collected for that collector any more; returns once a
    // callback that is running has let go of it.
    static void Detach(CSampleCollector* collector);

    // What the board master calls (its three arguments are not used).
    static void OnPdoReceived(std::uint32_t, std::uint32_t, std::uint32_t);
};
