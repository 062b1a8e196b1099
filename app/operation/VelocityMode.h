// CVelocityMode: the logic of the velocity page (CWndVelocityMode) - its
// fields, their values when the page opens, Start (profile velocity mode,
// ramps, max current, target velocity, controlword 15) and Stop (halt).
// Model 1 (Ovro H315) has no velocity mode; its window leaves the page out.
#pragma once

#include <cstdint>

#include "operation/MotionPage.h"

namespace ovro {

class CVelocityMode : public CMotionPage {
public:
    struct Fields {
        std::int32_t targetVelocity = 0;  // inc/sec
        std::uint32_t acceleration = 0;   // inc/sec²
        std::uint32_t deceleration = 0;   // inc/sec²
        std::uint16_t maxCurrent = 0;     // per thousand of the rated current
        std::int8_t mode = 0;             // the mode last read
    };

    CVelocityMode(IDriveDocument& doc, IUserInterface& ui);

    // Whether a drive of this model has the page.
    static bool HasPage(int model);

    void Open();
    Fields& Values() { return fields_; }
    const Fields& Values() const { return fields_; }

    bool Start();
    // Halt: enable operation with the halt bit (271), result ignored.
    void Stop();

private:
    Fields fields_;
};

} // namespace ovro
