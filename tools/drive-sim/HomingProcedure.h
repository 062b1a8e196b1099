// HomingProcedure.h - one homing run: the CiA 402 homing methods on the
// simulated axis (limit switches, home switch, index pulse).
//
// Supported methods: 1..6 and 17..22 (limit switch or home switch, with or
// without the index pulse), 33 and 34 (index pulse only), 35 and 37 (the
// present position). The run drives the motion model and reports the
// machine position of the home point it found.
#pragma once

#include "DriveMechanics.h"
#include "MotionModel.h"

#include <cstdint>

class HomingProcedure {
public:
    struct Speeds {
        double switchSearch = 0;  // 0x6099:01
        double zeroSearch = 0;    // 0x6099:02
        double acceleration = 0;  // 0x609A
    };
    enum class Result : uint8_t { Idle, Running, Attained, Error };

    static bool supported(int8_t method);

    // Starts the method from the present position; false (and Error) for an
    // unsupported method.
    bool start(int8_t method, const Speeds& speeds, MotionModel& motion, const DriveMechanics& axis);
    // After each motion tick: before is the position before the tick.
    void update(double before, MotionModel& motion, const DriveMechanics& axis);
    // Halt / quick stop / power off ends the run without a home point.
    void abort() { m_result = Result::Idle; m_phase = Phase::Done; }

    Result result() const { return m_result; }
    bool running() const { return m_result == Result::Running; }
    double home() const { return m_home; }

private:
    enum class Switch : uint8_t { None, LimitNegative, LimitPositive, HomePositive, HomeNegative };
    enum class Phase : uint8_t { Done, Search, Approach, Index, Return };
    struct Method {
        int8_t number;
        Switch sw;
        int8_t direction;  // direction of the final approach
        bool index;
    };
    static const Method* find(int8_t method);

    bool active(double x, const DriveMechanics& axis) const;
    double edge(const DriveMechanics& axis) const;
    bool otherLimit(double x, const DriveMechanics& axis) const;
    void found(double home, MotionModel& motion);
    void fail(MotionModel& motion);
    MotionRamp ramp(double speed) const;

    Method m_method{};
    Speeds m_speeds;
    Phase m_phase = Phase::Done;
    Result m_result = Result::Idle;
    double m_home = 0;
    bool m_before = false;  // switch state on the side the final approach starts from
};
