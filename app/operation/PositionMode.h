// CPositionMode: the logic of the Motion Control window's position page
// (CWndPositionMode) - its fields, their values when the page opens, the
// Start sequence of a profile or user-defined positioning and the Stop.
//
//   CPositionMode page(drive, ui);
//   page.Open();                    // fields from MotionMemory or the drive
//   page.Values().targetPosition = 4000;
//   page.Start();                   // enable, mode, profile, target, 31/95, 15
//   page.Stop();                    // quick stop
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "operation/MotionPage.h"

namespace ovro {

class CPositionMode : public CMotionPage {
public:
    static constexpr int kProfileCount = 10;

    struct Fields {
        std::int32_t targetPosition = 0;  // inc
        bool relative = false;            // "Relative Position" (1), else "Absolute Position" (0)
        std::uint32_t velocity = 0;       // inc/sec
        std::uint32_t acceleration = 0;   // inc/sec²
        std::uint32_t deceleration = 0;   // inc/sec²
        std::uint16_t maxCurrent = 0;     // per thousand of the rated current
        bool userProfile = false;         // "User-defined Profile:"
        std::uint8_t profileNumber = 1;   // 1...10
        int profileSelection = -1;        // entry of the profile list, -1: none
        std::int8_t mode = 0;             // the mode last read
    };

    CPositionMode(IDriveDocument& doc, IUserInterface& ui);

    // The profile list: "1" ... "10".
    static std::vector<std::string> ProfileList();

    // Page opening: values from MotionMemory, or from the drive when the
    // page's read-from-drive flag is set; never reports.
    void Open();
    // The fields after Open, and as the user changes them.
    Fields& Values() { return fields_; }
    const Fields& Values() const { return fields_; }
    // With a user-defined profile the profile list is enabled and the
    // velocity, acceleration, deceleration and max-current fields are not.
    bool ProfileFieldsEnabled() const { return !fields_.userProfile; }
    bool ProfileListEnabled() const { return fields_.userProfile; }
    // The list entry of the profile number.
    int ProfileListEntry() const { return fields_.profileNumber - 1; }

    // Start with the fields as they are; false after its message (or
    // without a node).
    bool Start();
    // Quick stop (controlword 2), result ignored.
    void Stop();

private:
    Fields fields_;
};

} // namespace ovro
