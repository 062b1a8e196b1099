// DriveProfile's control cycle: one step of the motion with its position
// window and safety limits, the set-points the velocity and jog modes take
// from their objects in every cycle, and the limit switches.
#include "DriveProfile.h"

#include "DriveObjects.h"
#include "DriveProfileBits.h"
#include "ObjectIndex.h"

#include <algorithm>
#include <cmath>

using namespace DriveProfileBits;

void DriveProfile::step(double dt)
{
    const double before = m_motion.position();
    if (m_sm.operationEnabled())
        updateSetPoints();
    guardLimits();
    m_motion.tick(dt);

    if (m_homingState == HomingState::Running) {
        m_homing.update(before, m_motion, m_axis);
        if (m_homing.result() == HomingProcedure::Result::Attained) {
            m_origin = m_homing.home() - static_cast<double>(param(DriveObjects::HomeOffset));
            m_referenced = true;
            m_homingState = HomingState::Attained;
        } else if (m_homing.result() == HomingProcedure::Result::Error) {
            m_homingState = HomingState::Error;
            raiseFault(DriveErrorCode::HomingError);
        }
    }
    if (m_sm.powered() && !m_faults.active()) {
        // Leaving the safety range is a fault; moving back into it is not.
        const double low = static_cast<double>(param(DriveObjects::PositionSafetyLimits, 1));
        const double high = static_cast<double>(param(DriveObjects::PositionSafetyLimits, 2));
        const auto inside = [&](double machine) {
            const double x = machine - m_origin;
            return x >= low && x <= high;
        };
        if (low < high && inside(before) && !inside(m_motion.position()))
            raiseFault(DriveErrorCode::SafetyLimitExceeded);
    }
    if (m_moveActive && m_motion.mode() == MotionModel::Mode::Idle && m_motion.targetReached() &&
        !(m_controlword & kHalt)) {
        m_moveActive = false;
        m_positionApproached = true;
        m_logbook.countPositioning();
    }
    settle();
    m_electrics.update(dt, m_sm.powered(), m_motion.velocity(), m_motion.acceleration(),
                       static_cast<uint16_t>(param(DriveObjects::MaxCurrent)));
}

void DriveProfile::updateSetPoints()
{
    const bool halt = (m_controlword & kHalt) != 0;
    double speed = 0;
    bool running = false;
    switch (m_mode) {
    case DriveMode::ProfileVelocity: {
        const double vmax = static_cast<double>(param(DriveObjects::MaxProfileVelocity));
        speed = std::clamp(static_cast<double>(param(ObjectIndex::TargetVelocity)), -vmax, vmax);
        running = true;
        break;
    }
    case DriveMode::SimulatedManual:
    case DriveMode::Manual: {
        const bool pos = m_mode == DriveMode::Manual ? m_manualPositive : (m_controlword & kNewSetPoint) != 0;
        const bool neg = m_mode == DriveMode::Manual ? m_manualNegative : (m_controlword & kJogNegative) != 0;
        if (pos != neg) {
            const double v = std::min(static_cast<double>(param(DriveObjects::ProfileVelocity)),
                                      static_cast<double>(param(DriveObjects::MaxProfileVelocity)));
            speed = pos ? v : -v;
            running = true;
        }
        break;
    }
    default:
        return;
    }
    if (running && !halt)
        m_motion.runAt(speed, velocityRamp(std::fabs(speed)));
    else if (!m_motion.standing() || m_motion.mode() == MotionModel::Mode::Velocity)
        m_motion.stop(positionRamp().deceleration);
}

void DriveProfile::guardLimits()
{
    const double x = m_motion.position();
    const bool neg = m_axis.limitNegative(x);
    const bool pos = m_axis.limitPositive(x);
    if (m_homingState != HomingState::Running) {
        // A limit switch stops every movement into it.
        const double heading = m_motion.heading();
        if ((neg && heading < 0) || (pos && heading > 0)) {
            m_moveActive = false;
            m_motion.stop(quickStopDeceleration());
        }
    }
}

bool DriveProfile::internalLimit() const
{
    const double x = m_motion.position();
    return m_axis.limitNegative(x) || m_axis.limitPositive(x) || (m_targetClamped && m_moveActive);
}
