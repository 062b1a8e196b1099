// CLimitsReader: what the two limits windows of the motion pages show -
// Motion Profile Limits (CDlgMotionProfileLimits) and Software Position
// Limits (CDlgSoftwarePositionLimits) - read from the drive each time a
// window opens or its "?" button is pressed again, and where a limits
// window is placed beside the main frame.
#pragma once

#include <string>

class CCANopenNode;

namespace ovro {

struct MotionProfileLimitsTexts {
    std::string maxVelocity;     // "Max. Profile Velocity:" 0x607F, "%lu" or "????"
    std::string maxAcceleration; // "Max. Acceleration:" 0x60C5
    std::string maxDeceleration; // "Max. Deceleration:" 0x60C6
    std::string ratedCurrent;    // "Motor Rated Current:" 0x6075 x 0.001, "%.2f" or "????"
};

struct SoftwarePositionLimitsTexts {
    // "%+li"; an unreadable lower limit "-??????????", upper "+??????????".
    std::string positionLower, positionUpper; // "Position Limits:" 0x607D
    std::string driveLower, driveUpper;       // "Position Drive Limits:" 0x2009
    std::string safetyLower, safetyUpper;     // "Position Safety Limits:" 0x2008
};

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class CLimitsReader {
public:
    // Without a node every value is unreadable.
    static MotionProfileLimitsTexts ReadMotionProfileLimits(CCANopenNode* node);
    static SoftwarePositionLimitsTexts ReadSoftwarePositionLimits(CCANopenNode* node);

    // A limits window of this size, 10 pixels inside the frame's right
    // edge, its top (height - 30) below the frame's top, or (2 x height - 25)
    // when the other limits window is open already.
    static WindowRect Place(const WindowRect& frame, int width, int height, bool otherOpen);
};

} // namespace ovro
