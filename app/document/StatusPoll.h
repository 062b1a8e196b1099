// CStatusPoll: the document's status poll. The parameter view's timer
// calls Tick every 55 ms; each tick reads a batch of the drive's actual
// values by SDO, one object after the other along a cycle of 72 steps, into
// the device's ActualValues. The batch size follows the bus's baud rate;
// after a failed read the poll rests for 7 ticks.
#pragma once

#include <cstdint>

class CCANopenNode;

namespace ovro {

class CQVTDevice;

class CStatusPoll {
public:
    static constexpr int kCycleLength = 72;
    static constexpr int kRestTicks = 7;

    // What the document shares with its poll.
    struct State {
        bool transferIdle = true;        // false while a download runs
        int pollPause = 0;               // ticks to skip
        bool pollFailed = false;         // the drive did not answer lately
        bool errorHistoryValid = false;  // the whole error history has been read
    };

    // One tick: reads nothing unless transfers are idle, node and device are
    // set and no pause is pending (then a pending pause is counted down).
    // baudRate is the master's present baud-rate code.
    void Tick(State& state, CCANopenNode* node, CQVTDevice* device, std::uint8_t baudRate);

    // Batch size for a baud-rate code; 4, 5 and 6 keep the present one.
    static int BatchSize(std::uint8_t baudRate, int present);

    int Step() const { return step_; }
    int RestTicks() const { return rest_; }
    int Batch() const { return batch_; }

private:
    bool ReadStep(int step, CCANopenNode& node, CQVTDevice& device, State& state);

    int step_ = 0;
    int rest_ = 0;
    int batch_ = 2;
};

}  // namespace ovro
