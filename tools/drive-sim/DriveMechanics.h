// DriveMechanics.h - the simulated axis around the motor: limit switches,
// home switch, index pulse, encoder and Hall signals, all as functions of
// the motor's position in machine increments.
#pragma once

#include <cstdint>

// Bits of the digital inputs 0x60FD.
namespace DriveInput {
constexpr uint32_t LimitNegative = 1u << 0;   // LIM-N
constexpr uint32_t LimitPositive = 1u << 1;   // LIM-P
constexpr uint32_t HomeSwitch = 1u << 2;      // REF
constexpr uint32_t ManualNegative = 1u << 16; // MAN-N
constexpr uint32_t ManualPositive = 1u << 17; // MAN-P
constexpr uint32_t EncoderA = 1u << 20;
constexpr uint32_t EncoderB = 1u << 21;
constexpr uint32_t HallU = 1u << 24;
constexpr uint32_t HallV = 1u << 25;
constexpr uint32_t HallW = 1u << 26;
constexpr uint32_t EmergencyStop = 1u << 27;  // ESTOP signal present: no emergency stop
constexpr uint32_t Guard1 = 1u << 28;
constexpr uint32_t Guard2 = 1u << 29;
}  // namespace DriveInput

class DriveMechanics {
public:
    double negativeLimit = -20000;  // LIM-N is active at and below this position
    double positiveLimit = 20000;   // LIM-P is active at and above this position
    double homeSwitch = 2500;       // REF is active at and above this position
    double indexPitch = 400;        // one index pulse per motor revolution (half steps)
    double hallPeriod = 8;          // one electrical period (50 pole pairs)
    bool hasEncoder = true;          // K315 with encoder

    bool limitNegative(double x) const { return x <= negativeLimit; }
    bool limitPositive(double x) const { return x >= positiveLimit; }
    bool home(double x) const { return x >= homeSwitch; }

    // The index pulse position passed when moving from a to b, if any:
    // returns true and sets at to the first pulse after a in the direction of b.
    bool indexBetween(double a, double b, double& at) const;

    // The digital inputs 0x60FD at position x with the manual inputs.
    uint32_t inputs(double x, bool manualPositive, bool manualNegative) const;
};
