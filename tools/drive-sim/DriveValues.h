// DriveValues.h - what the drive's objects read and write on the drive
// (DriveDictionary wires them, DriveProfile serves them): the values behind
// the read-only objects and the handlers of the writable ones. Handlers
// return 0 or an SDO abort code.
#pragma once

#include "FirmwareLoader.h"

#include <cstdint>
#include <vector>

class DriveValues {
public:
    virtual uint16_t statusword() const = 0;
    virtual uint32_t statusRegister() const = 0;
    virtual int8_t mode() const = 0;
    virtual uint16_t errorCode() const = 0;
    virtual int32_t actualPosition() const = 0;
    virtual int32_t actualVelocity() const = 0;
    virtual int32_t demandPosition() const = 0;
    virtual int32_t demandVelocity() const = 0;
    virtual int16_t current() const = 0;
    virtual uint32_t voltage() const = 0;
    virtual int8_t temperature() const = 0;
    virtual uint32_t digitalInputs() const = 0;
    virtual const FirmwareLoader& loader() const = 0;

    virtual uint32_t writeControlword(uint16_t cw) = 0;
    virtual uint32_t writeMode(int8_t mode) = 0;
    virtual uint32_t writeTargetVelocity() = 0;  // after the new value is in the dictionary
    virtual uint32_t firmwareCommand(uint32_t value) = 0;
    virtual uint32_t firmwareBlock(const std::vector<uint8_t>& data) = 0;

protected:
    ~DriveValues() = default;
};
