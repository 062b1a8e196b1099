#include "DriveDictionary.h"

#include "DriveObjects.h"
#include "DriveStateMachine.h"
#include "FirmwareLoader.h"
#include "ObjectIndex.h"

namespace {
uint16_t u16(const std::vector<uint8_t>& v) { return static_cast<uint16_t>(v.size() >= 2 ? v[0] | v[1] << 8 : 0); }
uint32_t u32(const std::vector<uint8_t>& v)
{
    return v.size() >= 4 ? uint32_t(v[0]) | uint32_t(v[1]) << 8 | uint32_t(v[2]) << 16 | uint32_t(v[3]) << 24 : 0;
}
}  // namespace

ObjectEntry& DriveDictionary::object(uint16_t index, uint8_t sub, DataType type, Access access, int64_t value,
                                     const char* name, Storage storage)
{
    if (ObjectEntry* e = m_od.find(index, sub))
        return *e;  // described by the device description: keep its values
    ObjectEntry& e = m_od.add(index, sub, type, access, value, name);
    e.storage = storage;
    return e;
}

void DriveDictionary::live(uint16_t index, uint8_t sub, DataType type, const char* name,
                           std::function<int64_t()> value)
{
    ObjectEntry& e = object(index, sub, type, Access::ReadOnly, 0, name);
    e.pdoMappable = true;
    e.onRead = [value = std::move(value)](ObjectEntry& entry) {
        entry.value = ObjectDictionary::encode(entry.type, value());
        return uint32_t(0);
    };
}

void DriveDictionary::addProfileObjects(bool profileVelocity)
{
    using namespace DriveObjects;
    namespace OI = ObjectIndex;
    const auto S = Storage::Parameter;
    const auto RW = Access::ReadWrite;
    DriveValues& d = m_drive;

    // device control
    ObjectEntry& cw = object(OI::Controlword, 0, DataType::Unsigned16, RW, 0, "Controlword");
    cw.pdoMappable = true;
    cw.onWrite = [&d](ObjectEntry&, const std::vector<uint8_t>& v) { return d.writeControlword(u16(v)); };
    live(OI::Statusword, 0, DataType::Unsigned16, "Statusword", [&d] { return d.statusword(); });
    ObjectEntry& mode = object(OI::ModesOfOperation, 0, DataType::Integer8, RW, DriveMode::ProfilePosition,
                               "Modes of Operation");
    mode.pdoMappable = true;
    mode.onWrite = [&d](ObjectEntry&, const std::vector<uint8_t>& v) {
        return d.writeMode(static_cast<int8_t>(v.empty() ? 0 : v[0]));
    };
    live(OI::ModesOfOperationDisplay, 0, DataType::Integer8, "Modes of Operation Display", [&d] { return d.mode(); });
    live(OI::ErrorCode, 0, DataType::Unsigned16, "Error Code", [&d] { return d.errorCode(); });
    live(OI::StatusRegister, 0, DataType::Unsigned32, "Status Register", [&d] { return d.statusRegister(); });
    object(QuickStopOption, 0, DataType::Integer16, RW, DriveStateMachine::QuickStopToDisabled,
           "Quick Stop Option Code", S);

    // actual values
    live(OI::PositionActual, 0, DataType::Integer32, "Position Actual Value", [&d] { return d.actualPosition(); });
    live(OI::PositionActualInternal, 0, DataType::Integer32, "Position Actual Internal Value",
         [&d] { return d.actualPosition(); });
    live(OI::PositionDemand, 0, DataType::Integer32, "Position Demand Value", [&d] { return d.demandPosition(); });
    live(OI::VelocityActual, 0, DataType::Integer32, "Velocity Actual Value", [&d] { return d.actualVelocity(); });
    live(OI::VelocityDemand, 0, DataType::Integer32, "Velocity Demand Value", [&d] { return d.demandVelocity(); });
    live(OI::CurrentActual, 0, DataType::Integer16, "Current Actual Value", [&d] { return d.current(); });
    live(OI::DcLinkVoltage, 0, DataType::Unsigned32, "DC Link Voltage", [&d] { return d.voltage(); });
    live(Temperature, 0, DataType::Integer8, "Drive Temperature", [&d] { return d.temperature(); });
    live(OI::DigitalInputs, 0, DataType::Unsigned32, "Digital Inputs", [&d] { return d.digitalInputs(); });

    // set-points and profile
    object(OI::TargetPosition, 0, DataType::Integer32, RW, 0, "Target Position").pdoMappable = true;
    if (profileVelocity) {
        ObjectEntry& velocity = object(OI::TargetVelocity, 0, DataType::Integer32, RW, 0, "Target Velocity");
        velocity.pdoMappable = true;
        velocity.onWrite = [&d](ObjectEntry& e, const std::vector<uint8_t>& v) {
            e.value = v;
            return d.writeTargetVelocity();
        };
    }
    object(HomeOffset, 0, DataType::Integer32, RW, 0, "Home Offset", S);
    object(SoftwarePositionLimits, 0, DataType::Unsigned8, Access::Const, 2, "Software Position Limit");
    object(SoftwarePositionLimits, 1, DataType::Integer32, RW, -1000000, "Min Position Limit", S);
    object(SoftwarePositionLimits, 2, DataType::Integer32, RW, 1000000, "Max Position Limit", S);
    object(MaxProfileVelocity, 0, DataType::Unsigned32, RW, 50000, "Max Profile Velocity", S);
    object(ProfileVelocity, 0, DataType::Unsigned32, RW, 15000, "Profile Velocity", S);
    object(ProfileAcceleration, 0, DataType::Unsigned32, RW, 100000, "Profile Acceleration", S);
    object(ProfileDeceleration, 0, DataType::Unsigned32, RW, 100000, "Profile Deceleration", S);
    object(QuickStopDeceleration, 0, DataType::Unsigned32, RW, 1000000, "Quick Stop Deceleration", S);
    object(MaxAcceleration, 0, DataType::Unsigned32, RW, 1000000, "Max Acceleration", S);
    object(MaxDeceleration, 0, DataType::Unsigned32, RW, 1000000, "Max Deceleration", S);
    object(MaxCurrent, 0, DataType::Unsigned16, RW, 1000, "Max Current", S);
    object(MotorRatedCurrent, 0, DataType::Unsigned32, RW, 2000, "Motor Rated Current", S);
    ObjectEntry& profile = object(UserProfileNumber, 0, DataType::Unsigned8, RW, 1, "User Profile Number", S);
    if (!profile.hasRange) {
        profile.hasRange = true;
        profile.minimum = 1;
        profile.maximum = 10;
    }
    object(PositionSafetyLimits, 0, DataType::Unsigned8, Access::Const, 2, "Position Safety Limits");
    object(PositionSafetyLimits, 1, DataType::Integer32, RW, -2100000, "Min Safety Limit", S);
    object(PositionSafetyLimits, 2, DataType::Integer32, RW, 2100000, "Max Safety Limit", S);
    object(PositionDriveLimits, 0, DataType::Unsigned8, Access::Const, 2, "Position Drive Limits");
    object(PositionDriveLimits, 1, DataType::Integer32, RW, -2000000, "Min Drive Limit", S);
    object(PositionDriveLimits, 2, DataType::Integer32, RW, 2000000, "Max Drive Limit", S);

    // homing
    object(HomingMethod, 0, DataType::Integer8, RW, 17, "Homing Method", S);
    object(HomingSpeeds, 0, DataType::Unsigned8, Access::Const, 2, "Homing Speeds");
    object(HomingSpeeds, 1, DataType::Unsigned32, RW, 5000, "Speed During Search for Switch", S);
    object(HomingSpeeds, 2, DataType::Unsigned32, RW, 1000, "Speed During Search for Zero", S);
    object(HomingAcceleration, 0, DataType::Unsigned32, RW, 100000, "Homing Acceleration", S);
    object(PositionAssignment, 0, DataType::Integer32, RW, 0, "Position Assignment Value");
    object(OI::DriveData, 0, DataType::Unsigned8, Access::Const, DriveDataHomingList, "Drive Data");
    object(OI::DriveData, DriveDataHomingList, DataType::Unsigned8, Access::ReadOnly, 1, "Homing Method List");

    // logbook, kept in the store file
    object(Logbook, 0, DataType::Unsigned8, Access::Const, 3, "Logbook");
    const char* names[] = {"Power-On Time", "Turn-On Time", "Number of Positionings"};
    for (uint8_t sub = 1; sub <= 3; ++sub) {
        ObjectEntry& e = object(Logbook, sub, DataType::Unsigned32, Access::ReadOnly, 0, names[sub - 1]);
        e.storage = Storage::Retained;
        e.pdoMappable = true;
    }
}

void DriveDictionary::addFirmwareObjects()
{
    using DriveObjects::FirmwareDownload;
    DriveValues& d = m_drive;
    object(FirmwareDownload, 0, DataType::Unsigned8, Access::Const, 3, "Firmware Download");
    ObjectEntry& command = object(FirmwareDownload, 1, DataType::Unsigned32, Access::WriteOnly, 0, "Loader Command");
    command.storeWrites = false;
    command.onWrite = [&d](ObjectEntry&, const std::vector<uint8_t>& v) { return d.firmwareCommand(u32(v)); };
    live(FirmwareDownload, 2, DataType::Unsigned8, "Loader Stage", [&d] { return int64_t(d.loader().stage()); });
    m_od.find(FirmwareDownload, 2)->pdoMappable = false;
    ObjectEntry* block = m_od.find(FirmwareDownload, 3);
    if (!block)
        block = &m_od.addBytes(FirmwareDownload, 3, DataType::Domain, Access::WriteOnly, {}, "Loader Page");
    block->maxSize = FirmwareLoader::kBlockSize;
    block->storeWrites = false;
    block->onWrite = [&d](ObjectEntry&, const std::vector<uint8_t>& v) { return d.firmwareBlock(v); };
}
