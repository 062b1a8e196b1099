#include "operation/views/WndMotionControl.h"

#include "operation/DriveDocument.h"
#include "operation/VelocityMode.h"
#include "operation/views/WndHomingMode.h"
#include "operation/views/WndManualMode.h"
#include "operation/views/WndPositionMode.h"
#include "operation/views/WndVelocityMode.h"

CWndMotionControl::CWndMotionControl(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("CWndMotionControl"));
    position_ = new CWndPositionMode(doc, ui, this);
    addTab(position_, QStringLiteral("Position Mode"));
    connect(position_, &CWndPositionMode::motionProfileLimitsRequested, this,
            &CWndMotionControl::motionProfileLimitsRequested);
    connect(position_, &CWndPositionMode::softwarePositionLimitsRequested, this,
            &CWndMotionControl::softwarePositionLimitsRequested);
    if (ovro::CVelocityMode::HasPage(doc.Model())) {
        velocity_ = new CWndVelocityMode(doc, ui, this);
        addTab(velocity_, QStringLiteral("Velocity Mode"));
        connect(velocity_, &CWndVelocityMode::motionProfileLimitsRequested, this,
                &CWndMotionControl::motionProfileLimitsRequested);
    }
    homing_ = new CWndHomingMode(doc, ui, this);
    addTab(homing_, QStringLiteral("Homing Mode"));
    manual_ = new CWndManualMode(doc, ui, this);
    addTab(manual_, QStringLiteral("Manual Mode"));
}
