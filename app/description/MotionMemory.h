// MotionMemory: the last values of the motion-control pages, kept in the
// current device's working state and saved with the commissioning document.
// A page clears its read-from-drive flag once it has stored values of its own.
#pragma once

#include <cstdint>

namespace ovro {

struct MotionMemory {
    struct PositionPage {
        bool readFromDrive = true;
        std::int32_t targetPosition = 0;
        std::int32_t relative = 0;
        std::uint32_t profileVelocity = 0;
        std::uint32_t acceleration = 0;
        std::uint32_t deceleration = 0;
        std::uint16_t maxCurrent = 0;
        std::int32_t userProfile = 0;
        std::uint8_t profileNumber = 1;
    };
    struct VelocityPage {
        bool readFromDrive = true;
        std::int32_t targetVelocity = 0;
        std::uint32_t acceleration = 0;
        std::uint32_t deceleration = 0;
        std::uint16_t maxCurrent = 0;
    };
    struct HomingPage {
        bool readFromDrive = true;
        std::int8_t homingMethod = -1;
        std::int32_t assignPosition = 0;
    };
    struct ManualPage {
        bool readFromDrive = true;
        std::int32_t simulatedMode = 1;
    };

    PositionPage position;
    VelocityPage velocity;
    HomingPage homing;
    ManualPage manual;
};

}  // namespace ovro
