#include "operation/LimitsReader.h"

#include "canopen/CANopenNode.h"
#include "operation/OperationObjects.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {

constexpr const char* kUnreadable = "????";
constexpr const char* kUnreadableLower = "-??????????";
constexpr const char* kUnreadableUpper = "+??????????";

bool Read(CCANopenNode* node, std::uint16_t index, std::uint8_t sub, std::uint32_t& value)
{
    value = 0;
    return node != nullptr && node->ReadU32(index, sub, value);
}

std::string Unsigned(CCANopenNode* node, std::uint16_t index)
{
    std::uint32_t value = 0;
    return Read(node, index, 0, value) ? StringPrintf("%lu", static_cast<unsigned long>(value)) : kUnreadable;
}

std::string Signed(CCANopenNode* node, std::uint16_t index, std::uint8_t sub, const char* unreadable)
{
    std::uint32_t value = 0;
    return Read(node, index, sub, value)
               ? StringPrintf("%+li", static_cast<long>(static_cast<std::int32_t>(value)))
               : unreadable;
}

} // namespace

MotionProfileLimitsTexts CLimitsReader::ReadMotionProfileLimits(CCANopenNode* node)
{
    using namespace OperationObject;
    MotionProfileLimitsTexts t;
    t.maxVelocity = Unsigned(node, MaxProfileVelocity);
    t.maxAcceleration = Unsigned(node, MaxAcceleration);
    t.maxDeceleration = Unsigned(node, MaxDeceleration);
    std::uint32_t rated = 0;
    t.ratedCurrent = Read(node, MotorRatedCurrentLimit, 0, rated)
                         ? StringPrintf("%.2f", static_cast<double>(rated) * 0.001)
                         : kUnreadable;
    return t;
}

SoftwarePositionLimitsTexts CLimitsReader::ReadSoftwarePositionLimits(CCANopenNode* node)
{
    using namespace OperationObject;
    SoftwarePositionLimitsTexts t;
    t.positionLower = Signed(node, SoftwarePositionLimits, LowerLimit, kUnreadableLower);
    t.positionUpper = Signed(node, SoftwarePositionLimits, UpperLimit, kUnreadableUpper);
    t.driveLower = Signed(node, PositionDriveLimits, LowerLimit, kUnreadableLower);
    t.driveUpper = Signed(node, PositionDriveLimits, UpperLimit, kUnreadableUpper);
    t.safetyLower = Signed(node, PositionSafetyLimits, LowerLimit, kUnreadableLower);
    t.safetyUpper = Signed(node, PositionSafetyLimits, UpperLimit, kUnreadableUpper);
    return t;
}

WindowRect CLimitsReader::Place(const WindowRect& frame, int width, int height, bool otherOpen)
{
    WindowRect r;
    r.width = width;
    r.height = height;
    r.x = frame.x + frame.width - 10 - width;
    r.y = frame.y + (otherOpen ? 2 * height - 25 : height - 30);
    return r;
}

} // namespace ovro
