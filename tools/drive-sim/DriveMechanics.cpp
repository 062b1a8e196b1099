#include "DriveMechanics.h"

#include <cmath>

bool DriveMechanics::indexBetween(double a, double b, double& at) const
{
    if (indexPitch <= 0 || a == b)
        return false;
    if (b > a) {
        // first multiple of the pitch in (a, b]
        const double k = std::floor(a / indexPitch) + 1;
        at = k * indexPitch;
        return at <= b;
    }
    const double k = std::ceil(a / indexPitch) - 1;  // first multiple in [b, a)
    at = k * indexPitch;
    return at >= b;
}

uint32_t DriveMechanics::inputs(double x, bool manualPositive, bool manualNegative) const
{
    using namespace DriveInput;
    uint32_t bits = EmergencyStop | Guard1 | Guard2;
    if (limitNegative(x))
        bits |= LimitNegative;
    if (limitPositive(x))
        bits |= LimitPositive;
    if (home(x))
        bits |= HomeSwitch;
    if (manualPositive)
        bits |= ManualPositive;
    if (manualNegative)
        bits |= ManualNegative;

    const auto step = static_cast<int64_t>(std::floor(x));
    if (hasEncoder) {
        // quadrature: A leads B by a quarter period of four increments
        const int64_t q = ((step % 4) + 4) % 4;
        if (q < 2)
            bits |= EncoderA;
        if (q == 1 || q == 2)
            bits |= EncoderB;
    }
    if (hallPeriod > 0) {
        static constexpr uint32_t kHall[6] = {HallU | HallW, HallU, HallU | HallV, HallV, HallV | HallW, HallW};
        const double phase = std::fmod(x, hallPeriod);
        const double p = phase < 0 ? phase + hallPeriod : phase;
        const auto sector = static_cast<int>(p * 6 / hallPeriod) % 6;
        bits |= kHall[sector];
    }
    return bits;
}
