#include "MotionModel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMinimumRate = 1.0;  // inc/s²: a ramp of 0 would never move

double positive(double v) { return std::max(std::fabs(v), kMinimumRate); }
double sign(double v) { return v < 0 ? -1.0 : 1.0; }

// Largest speed from which braking by a = dec * dt per tick stops within
// distance d, with the position advancing by v * dt each tick before the
// speed drops: d = dt * a * k (k + 1) / 2 for v = a * k.
double brakingSpeed(double d, double dec, double dt)
{
    const double a = dec * dt;
    const double k = std::sqrt(0.25 + 2.0 * d / (dt * a)) - 0.5;
    return a * std::max(k, 0.0);
}
}  // namespace

void MotionModel::reset(double position)
{
    m_mode = Mode::Idle;
    m_position = position;
    m_target = position;
    m_velocity = 0;
    m_acceleration = 0;
    m_reached = true;
}

void MotionModel::moveTo(double target, const MotionRamp& ramp)
{
    m_mode = Mode::Position;
    m_target = target;
    m_ramp = {std::fabs(ramp.velocity), positive(ramp.acceleration), positive(ramp.deceleration)};
    m_reached = false;
}

void MotionModel::runAt(double velocity, const MotionRamp& ramp)
{
    m_mode = Mode::Velocity;
    m_targetVelocity = velocity;
    m_ramp = {std::fabs(velocity), positive(ramp.acceleration), positive(ramp.deceleration)};
    m_reached = (m_velocity == velocity);
}

void MotionModel::stop(double deceleration)
{
    if (m_mode == Mode::Idle && m_velocity == 0.0)
        return;
    m_mode = Mode::Stop;
    m_ramp.deceleration = positive(deceleration);
    m_reached = false;
}

void MotionModel::halt()
{
    m_mode = Mode::Idle;
    m_velocity = 0;
    m_acceleration = 0;
    m_target = m_position;
    m_reached = true;
}

double MotionModel::heading() const
{
    if (m_velocity != 0.0)
        return m_velocity;
    if (m_mode == Mode::Position)
        return m_target - m_position;
    if (m_mode == Mode::Velocity)
        return m_targetVelocity;
    return 0.0;
}

void MotionModel::tick(double dt)
{
    if (dt <= 0)
        return;
    const double before = m_velocity;
    switch (m_mode) {
    case Mode::Idle:
        break;
    case Mode::Position:
        tickPosition(dt);
        break;
    case Mode::Velocity:
        tickVelocity(dt, m_targetVelocity, m_ramp.acceleration, m_ramp.deceleration);
        m_reached = (m_velocity == m_targetVelocity);
        break;
    case Mode::Stop:
        tickVelocity(dt, 0.0, m_ramp.deceleration, m_ramp.deceleration);
        if (m_velocity == 0.0) {
            m_mode = Mode::Idle;
            m_target = m_position;
            m_reached = true;
        }
        break;
    }
    m_acceleration = (m_velocity - before) / dt;
}

void MotionModel::tickVelocity(double dt, double targetVelocity, double acc, double dec)
{
    const double v = m_velocity;
    // Speeding up away from zero uses the acceleration, everything else the deceleration.
    const bool speedingUp = (v == 0.0 || (v > 0) == (targetVelocity > 0)) && std::fabs(targetVelocity) > std::fabs(v);
    const double step = (speedingUp ? acc : dec) * dt;
    const double dv = targetVelocity - v;
    double next = std::fabs(dv) <= step ? targetVelocity : v + sign(dv) * step;
    // Crossing zero: brake to zero with dec first, then accelerate with acc.
    if (v != 0.0 && next != 0.0 && (v > 0) != (next > 0))
        next = 0.0;
    m_velocity = next;
    m_position += 0.5 * (v + next) * dt;
}

void MotionModel::tickPosition(double dt)
{
    const double d = m_target - m_position;
    if (d == 0.0 && m_velocity == 0.0) {
        m_reached = true;
        m_mode = Mode::Idle;
        return;
    }
    const double dir = sign(d);
    const double a = m_ramp.deceleration * dt;
    double v = m_velocity;
    if (v != 0.0 && sign(v) != dir) {
        // Moving away from the target: brake first.
        const double speed = std::max(std::fabs(v) - a, 0.0);
        v = sign(v) * speed;
    } else {
        const double speed = std::fabs(v);
        double up = speed > m_ramp.velocity ? std::max(speed - a, m_ramp.velocity)
                                            : std::min(speed + m_ramp.acceleration * dt, m_ramp.velocity);
        const double brake = brakingSpeed(std::fabs(d), m_ramp.deceleration, dt);
        double next = std::min(up, brake);
        // Never brake harder than the deceleration; a target too close is passed.
        next = std::max(next, speed - a);
        const double stepLength = next * dt;
        if (stepLength >= std::fabs(d) && next <= 2.0 * a + 1e-9) {
            m_position = m_target;
            m_velocity = 0;
            m_reached = true;
            m_mode = Mode::Idle;
            return;
        }
        v = dir * next;
    }
    m_velocity = v;
    m_position += v * dt;
}
