// CJogButton: a jog button of the manual page. Pressing it with the left
// mouse button starts a jog in its direction through the manual page
// (caption "MAN-P" or "MAN-N" while jogging); releasing it halts the drive
// when the press had started a jog, and the caption turns back to ">>" or
// "<<". A new button jogs in the negative direction.
#pragma once

#include <functional>

#include <QPushButton>

#include "operation/JogButtonState.h"

namespace ovro {
class CManualMode;
}

class CJogButton : public QPushButton {
    Q_OBJECT
public:
    using Direction = ovro::CJogButtonState::Direction;

    explicit CJogButton(QWidget* parent = nullptr);

    void SetDirection(Direction direction);
    // The page that runs the jog, and whether its document has a node.
    void Bind(ovro::CManualMode* page, std::function<bool()> nodeConnected);
    bool Jogging() const { return state_.Jogging(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowCaption();

    ovro::CJogButtonState state_;
    ovro::CManualMode* page_ = nullptr;
    std::function<bool()> nodeConnected_;
};
