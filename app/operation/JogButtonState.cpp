#include "operation/JogButtonState.h"

namespace ovro {

const char* CJogButtonState::Caption() const
{
    if (direction_ == Direction::Positive)
        return jogging_ ? "MAN-P" : ">>";
    return jogging_ ? "MAN-N" : "<<";
}

bool CJogButtonState::Press(CManualMode* page, bool nodeConnected)
{
    if (jogging_ || page == nullptr || !nodeConnected)
        return false;
    jogging_ = page->StartJog(direction_);
    return jogging_;
}

void CJogButtonState::Release(CManualMode* page)
{
    if (jogging_ && page != nullptr)
        page->StopJog();
    jogging_ = false;
}

} // namespace ovro
