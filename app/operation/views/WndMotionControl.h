// CWndMotionControl: the property sheet inside the Motion Control window
// with its pages in the order Position, Velocity, Homing, Manual; the
// velocity page is left out for model 1 (Ovro H315). Each page opens when
// it is first shown. The sheet passes on the pages' "?" buttons.
#pragma once

#include <QTabWidget>

class CWndHomingMode;
class CWndManualMode;
class CWndPositionMode;
class CWndVelocityMode;
class IUserInterface;

namespace ovro {
class IDriveDocument;
}

class CWndMotionControl : public QTabWidget {
    Q_OBJECT
public:
    CWndMotionControl(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    CWndPositionMode* PositionPage() const { return position_; }
    CWndVelocityMode* VelocityPage() const { return velocity_; } // null for model 1
    CWndHomingMode* HomingPage() const { return homing_; }
    CWndManualMode* ManualPage() const { return manual_; }

signals:
    void motionProfileLimitsRequested();
    void softwarePositionLimitsRequested();

private:
    CWndPositionMode* position_ = nullptr;
    CWndVelocityMode* velocity_ = nullptr;
    CWndHomingMode* homing_ = nullptr;
    CWndManualMode* manual_ = nullptr;
};
