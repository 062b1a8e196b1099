// DriveProfile.h - the CiA 402 drive of the simulator: device control,
// modes of operation, motion, homing, actual values, faults, logbook and
// (K315) the firmware loader, on the objects of the drive's dictionary.
#pragma once

#include "DriveContext.h"
#include "DriveElectrics.h"
#include "DriveFaults.h"
#include "DriveMechanics.h"
#include "DriveStateMachine.h"
#include "DriveValues.h"
#include "FirmwareLoader.h"
#include "HomingProcedure.h"
#include "LogbookCounters.h"
#include "MotionModel.h"

#include <cstdint>
#include <string>
#include <vector>

class DriveProfile : public IDriveModule, public DriveValues {
public:
    explicit DriveProfile(DriveContext& context);

    void tick(uint32_t elapsedMs) override;
    bool atRest() const override;
    void onEvent(DriveEvent event) override;
    // The node has sent the emergency of a fault raised through the control socket.
    void onFault(uint16_t errorCode) override { raiseFault(errorCode, false); }
    bool onControl(const std::vector<std::string>& words, std::string& reply) override;
    void describeState(std::string& out) const override;

    // Drive-side hooks for the control socket and the tests.
    // Detects a fault: fault reaction, then Fault; announce sends its emergency.
    void raiseFault(uint16_t errorCode, bool announce = true);
    void refuseNextFirmwareCommand() { m_loader.refuseNext(); }
    void setManualInputs(bool positive, bool negative);
    // Places the motor at a machine position (power-on position of the axis).
    void placeAxis(double machinePosition);

    // DriveValues: the drive's values and write handlers behind its objects.
    uint16_t statusword() const override;
    uint32_t statusRegister() const override;
    int8_t mode() const override { return m_mode; }
    uint16_t errorCode() const override { return m_faults.code(); }
    int32_t actualPosition() const override;
    int32_t actualVelocity() const override;
    int32_t demandPosition() const override;
    int32_t demandVelocity() const override;
    int16_t current() const override { return m_electrics.current(); }
    uint32_t voltage() const override { return m_electrics.voltage(); }
    int8_t temperature() const override { return m_electrics.temperature(); }
    uint32_t digitalInputs() const override;
    const FirmwareLoader& loader() const override { return m_loader; }
    uint32_t writeControlword(uint16_t cw) override;
    uint32_t writeMode(int8_t mode) override;
    uint32_t writeTargetVelocity() override;
    uint32_t firmwareCommand(uint32_t value) override;
    uint32_t firmwareBlock(const std::vector<uint8_t>& data) override;

    DriveState state() const { return m_sm.state(); }
    const DriveMechanics& axis() const { return m_axis; }
    DriveMechanics& axis() { return m_axis; }
    const LogbookCounters& logbook() const { return m_logbook; }

private:
    enum class HomingState : uint8_t { NotStarted, Running, Attained, Error };

    // parameters
    int64_t param(uint16_t index, uint8_t sub = 0) const;
    MotionRamp positionRamp() const;
    MotionRamp velocityRamp(double speed) const;
    double quickStopDeceleration() const;
    double toMachine(double actual) const { return actual + m_origin; }

    // device control and modes
    void apply(DriveAction action);
    void operate(uint16_t previous, uint16_t cw);
    void newSetPoint(uint16_t cw);
    void startHoming();
    void assignPosition();
    void faultReset();
    void stopMotion(double deceleration);
    void settle();

    // time
    void step(double dt);
    void updateSetPoints();
    void guardLimits();
    bool targetReached() const;
    bool internalLimit() const;  // limit switch or a cut set-point
    void saveLogbook();

    DriveContext& m_ctx;
    DriveStateMachine m_sm;
    MotionModel m_motion;
    DriveMechanics m_axis;
    HomingProcedure m_homing;
    DriveElectrics m_electrics;
    DriveFaults m_faults;
    LogbookCounters m_logbook;
    FirmwareLoader m_loader;

    uint16_t m_controlword = 0;
    int8_t m_mode = 0;
    double m_origin = 0;  // machine position of the actual position 0
    double m_moveTarget = 0;  // actual position of the set-point in progress
    bool m_moveActive = false;
    bool m_setPointAck = false;
    bool m_positionApproached = false;
    bool m_referenced = false;
    bool m_targetClamped = false;  // the set-point was cut to the software limits
    bool m_manualPositive = false;
    bool m_manualNegative = false;
    bool m_logbookLoaded = false;
    HomingState m_homingState = HomingState::NotStarted;
};
