#include "HomingProcedure.h"

#include <cmath>

namespace {
constexpr int8_t kPlus = 1;
constexpr int8_t kMinus = -1;
}  // namespace

const HomingProcedure::Method* HomingProcedure::find(int8_t method)
{
    static constexpr Method kMethods[] = {
        {1, Switch::LimitNegative, kPlus, true},   {2, Switch::LimitPositive, kMinus, true},
        {3, Switch::HomePositive, kMinus, true},   {4, Switch::HomePositive, kPlus, true},
        {5, Switch::HomeNegative, kPlus, true},    {6, Switch::HomeNegative, kMinus, true},
        {17, Switch::LimitNegative, kPlus, false}, {18, Switch::LimitPositive, kMinus, false},
        {19, Switch::HomePositive, kMinus, false}, {20, Switch::HomePositive, kPlus, false},
        {21, Switch::HomeNegative, kPlus, false},  {22, Switch::HomeNegative, kMinus, false},
        {33, Switch::None, kMinus, true},          {34, Switch::None, kPlus, true},
        {35, Switch::None, kPlus, false},          {37, Switch::None, kPlus, false},
    };
    for (const Method& m : kMethods)
        if (m.number == method)
            return &m;
    return nullptr;
}

bool HomingProcedure::supported(int8_t method) { return find(method) != nullptr; }

bool HomingProcedure::active(double x, const DriveMechanics& axis) const
{
    switch (m_method.sw) {
    case Switch::LimitNegative: return axis.limitNegative(x);
    case Switch::LimitPositive: return axis.limitPositive(x);
    case Switch::HomePositive: return axis.home(x);
    case Switch::HomeNegative: return !axis.home(x);
    case Switch::None: return false;
    }
    return false;
}

double HomingProcedure::edge(const DriveMechanics& axis) const
{
    switch (m_method.sw) {
    case Switch::LimitNegative: return axis.negativeLimit;
    case Switch::LimitPositive: return axis.positiveLimit;
    default: return axis.homeSwitch;
    }
}

// A limit switch that is not the one searched for ends the run with an error.
bool HomingProcedure::otherLimit(double x, const DriveMechanics& axis) const
{
    const bool neg = axis.limitNegative(x) && m_method.sw != Switch::LimitNegative;
    const bool pos = axis.limitPositive(x) && m_method.sw != Switch::LimitPositive;
    return neg || pos;
}

MotionRamp HomingProcedure::ramp(double speed) const
{
    return {speed, m_speeds.acceleration, m_speeds.acceleration};
}

bool HomingProcedure::start(int8_t method, const Speeds& speeds, MotionModel& motion, const DriveMechanics& axis)
{
    const Method* m = find(method);
    if (!m) {
        m_result = Result::Error;
        m_phase = Phase::Done;
        return false;
    }
    m_method = *m;
    m_speeds = speeds;
    m_result = Result::Running;
    const double x = motion.position();
    const double d = m_method.direction;

    if (m_method.sw == Switch::None) {
        if (!m_method.index) {
            found(x, motion);  // 35, 37: here is home
            return true;
        }
        m_phase = Phase::Index;
        motion.runAt(d * m_speeds.zeroSearch, ramp(m_speeds.zeroSearch));
        return true;
    }
    // The final approach crosses the switch edge in its direction, coming
    // from the side where the switch shows m_before.
    m_before = active(edge(axis) - d, axis);
    if (active(x, axis) == m_before) {
        m_phase = Phase::Approach;
        motion.runAt(d * m_speeds.zeroSearch, ramp(m_speeds.zeroSearch));
    } else {
        m_phase = Phase::Search;
        motion.runAt(-d * m_speeds.switchSearch, ramp(m_speeds.switchSearch));
    }
    return true;
}

void HomingProcedure::found(double home, MotionModel& motion)
{
    m_home = home;
    m_phase = Phase::Return;
    motion.moveTo(home, ramp(m_speeds.zeroSearch > 0 ? m_speeds.zeroSearch : m_speeds.switchSearch));
}

void HomingProcedure::fail(MotionModel& motion)
{
    m_result = Result::Error;
    m_phase = Phase::Done;
    motion.stop(m_speeds.acceleration);
}

void HomingProcedure::update(double before, MotionModel& motion, const DriveMechanics& axis)
{
    if (m_result != Result::Running)
        return;
    const double x = motion.position();
    const double d = m_method.direction;

    switch (m_phase) {
    case Phase::Done:
        return;
    case Phase::Search:
        if (otherLimit(x, axis)) {
            fail(motion);
        } else if (active(x, axis) == m_before) {
            m_phase = Phase::Approach;
            motion.runAt(d * m_speeds.zeroSearch, ramp(m_speeds.zeroSearch));
        }
        return;
    case Phase::Approach:
        if (otherLimit(x, axis)) {
            fail(motion);
        } else if (active(x, axis) != m_before) {
            if (!m_method.index) {
                found(edge(axis), motion);
            } else {
                m_phase = Phase::Index;
                double at = 0;
                if (axis.indexBetween(edge(axis), x, at))
                    found(at, motion);
            }
        }
        return;
    case Phase::Index: {
        double at = 0;
        if (otherLimit(x, axis))
            fail(motion);
        else if ((x - before) * d > 0 && axis.indexBetween(before, x, at))
            found(at, motion);
        return;
    }
    case Phase::Return:
        if (motion.targetReached()) {
            m_result = Result::Attained;
            m_phase = Phase::Done;
        }
        return;
    }
}
