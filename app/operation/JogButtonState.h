// CJogButtonState: the two states of a jog button (CJogButton) and its
// caption: idle (">>" positive, "<<" negative) and jogging ("MAN-P",
// "MAN-N"). A press starts a jog through the manual page unless one runs;
// the release halts the drive only when the press had started a jog.
#pragma once

#include "operation/ManualMode.h"

namespace ovro {

class CJogButtonState {
public:
    using Direction = CManualMode::Direction;

    // A new button jogs in the negative direction.
    explicit CJogButtonState(Direction direction = Direction::Negative) : direction_(direction) {}

    void SetDirection(Direction direction) { direction_ = direction; }
    Direction GetDirection() const { return direction_; }
    bool Jogging() const { return jogging_; }
    const char* Caption() const;

    // Left button down; page may be null (no window bound). True when a
    // jog started.
    bool Press(CManualMode* page, bool nodeConnected);
    // Left button up: halts a running jog, then idle in any case.
    void Release(CManualMode* page);

private:
    Direction direction_;
    bool jogging_ = false;
};

} // namespace ovro
