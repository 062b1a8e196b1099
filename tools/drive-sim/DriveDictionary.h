// DriveDictionary.h - the drive-profile, manufacturer and loader objects of
// the drive in its dictionary, wired to the drive's values and handlers.
// Objects the device description already brought keep their type, factory
// value and range; they only get the drive's hooks.
#pragma once

#include "DriveValues.h"
#include "ObjectDictionary.h"

#include <cstdint>
#include <functional>

class DriveDictionary {
public:
    DriveDictionary(ObjectDictionary& od, DriveValues& drive) : m_od(od), m_drive(drive) {}

    void addProfileObjects(bool profileVelocity);
    void addFirmwareObjects();

private:
    ObjectEntry& object(uint16_t index, uint8_t sub, DataType type, Access access, int64_t value, const char* name,
                        Storage storage = Storage::Volatile);
    // A read-only, mappable actual value that is fetched when it is read.
    void live(uint16_t index, uint8_t sub, DataType type, const char* name, std::function<int64_t()> value);

    ObjectDictionary& m_od;
    DriveValues& m_drive;
};
