// MotionModel.h - the drive's set-point generator: trapezoidal position
// moves, velocity ramps and stops, advanced in fixed ticks.
//
// Units are increments, increments/s and increments/s². A position move
// never passes its target on the way in: it brakes along the discrete
// deceleration curve and lands on the target. Only a target set too close
// for the deceleration makes the drive brake past it and come back.
#pragma once

#include <cstdint>

struct MotionRamp {
    double velocity = 0;      // largest speed of a position move (inc/s)
    double acceleration = 0;  // inc/s²
    double deceleration = 0;  // inc/s²
};

class MotionModel {
public:
    enum class Mode : uint8_t { Idle, Position, Velocity, Stop };

    // Stand still at the position (power-on, reference set).
    void reset(double position);

    void moveTo(double target, const MotionRamp& ramp);
    void runAt(double velocity, const MotionRamp& ramp);
    // Brakes to stand-still with the given deceleration.
    void stop(double deceleration);
    // Stands still at once (power stage off, blocked motor).
    void halt();

    void tick(double dt);

    Mode mode() const { return m_mode; }
    double position() const { return m_position; }
    double velocity() const { return m_velocity; }
    double acceleration() const { return m_acceleration; }
    // Where the motor is going: sign of the speed, else of the set-point.
    double heading() const;
    // Position move done and standing at the target / velocity ramp done.
    bool targetReached() const { return m_reached; }
    bool standing() const { return m_velocity == 0.0; }

private:
    void tickPosition(double dt);
    void tickVelocity(double dt, double targetVelocity, double acc, double dec);

    Mode m_mode = Mode::Idle;
    double m_position = 0;
    double m_velocity = 0;
    double m_acceleration = 0;
    double m_target = 0;
    double m_targetVelocity = 0;
    MotionRamp m_ramp;
    bool m_reached = true;
};
