// CManualMode: the logic of the manual page (CWndManualMode) - the check
// box "Simulated Manual Mode via CAN &Bus", which takes the drive back to
// the manual mode of its MAN-P / MAN-N inputs when it is cleared, and the
// jog start of its two jog buttons in the simulated manual mode.
#pragma once

#include <cstdint>

#include "operation/MotionPage.h"

namespace ovro {

class CManualMode : public CMotionPage {
public:
    enum class Direction { Positive = 0, Negative = 1 };

    CManualMode(IDriveDocument& doc, IUserInterface& ui);

    // Page opening: the box is set unless the drive is in manual mode (-1).
    void Open();
    bool Simulated() const { return simulated_; }
    // The jog buttons are enabled exactly while the box is set.
    bool JogEnabled() const { return simulated_; }
    std::int8_t Mode() const { return mode_; }

    // The user set or cleared the box; afterwards Simulated() tells how it
    // stands (set again when the drive refused the manual mode, unchanged
    // while another command runs).
    void SetSimulated(bool checked);

    // Enable sequence, simulated manual mode, controlword 31 (positive) or
    // 47 (negative); false after its message.
    bool StartJog(Direction direction);
    // Halt (271), result ignored.
    void StopJog();

private:
    void Remember();

    bool simulated_ = true;
    std::int8_t mode_ = 0;
};

} // namespace ovro
