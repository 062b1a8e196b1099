#include "CommunicationObjects.h"

#include "ObjectIndex.h"

std::string CommunicationObjects::deviceName(DriveModel model)
{
    return model == DriveModel::K315 ? "Ovro K315" : "Ovro H315";
}

std::string CommunicationObjects::lmtProductName(DriveModel model)
{
    return model == DriveModel::K315 ? "OvK315" : "OvH315";
}

void CommunicationObjects::add(ObjectDictionary& od, DriveModel model, uint8_t nodeId, uint64_t serial)
{
    using namespace ObjectIndex;
    const bool k315 = model == DriveModel::K315;
    od.add(DeviceType, 0, DataType::Unsigned32, Access::Const, kDeviceType, "Device type");
    od.add(StatusRegister, 0, DataType::Unsigned32, Access::ReadOnly, 0, "Manufacturer status register");
    od.add(SyncCobId, 0, DataType::Unsigned32, Access::ReadWrite, 0x80, "COB-ID SYNC").storage = Storage::Parameter;
    od.addString(DeviceName, 0, Access::Const, deviceName(model), "Manufacturer device name");
    od.addString(HardwareVersion, 0, Access::Const, k315 ? "K315-HW 1.2" : "H315-HW 1.1",
                 "Manufacturer hardware version");
    od.addString(SoftwareVersion, 0, Access::Const, k315 ? "V2.013" : "V1.407", "Manufacturer software version");

    od.add(StoreParameters, 0, DataType::Unsigned8, Access::Const, 3, "Highest sub-index");
    od.add(RestoreDefaults, 0, DataType::Unsigned8, Access::Const, 3, "Highest sub-index");
    for (uint8_t sub = 1; sub <= 3; ++sub) {
        // Reads give 1: the drive saves on command only / restores on command.
        od.add(StoreParameters, sub, DataType::Unsigned32, Access::ReadWrite, 1, "Save parameters").storeWrites = false;
        od.add(RestoreDefaults, sub, DataType::Unsigned32, Access::ReadWrite, 1, "Restore default parameters")
            .storeWrites = false;
    }
    od.add(ProducerHeartbeat, 0, DataType::Unsigned16, Access::ReadWrite, 0, "Producer heartbeat time").storage =
        Storage::Parameter;

    od.add(Identity, 0, DataType::Unsigned8, Access::Const, 4, "Highest sub-index");
    od.add(Identity, 1, DataType::Unsigned32, Access::Const, kVendorId, "Vendor-ID");
    od.add(Identity, 2, DataType::Unsigned32, Access::Const, k315 ? 0x00315002 : 0x00315001, "Product code");
    od.add(Identity, 3, DataType::Unsigned32, Access::Const, k315 ? 0x00020013 : 0x00010407, "Revision number");
    od.add(Identity, 4, DataType::Unsigned32, Access::Const, int64_t(serial & 0xFFFFFFFFu), "Serial number");

    od.add(ObjectIndex::SdoServer, 0, DataType::Unsigned8, Access::Const, 2, "Highest sub-index");
    od.add(ObjectIndex::SdoServer, 1, DataType::Unsigned32, Access::ReadOnly, 0, "COB-ID client to server");
    od.add(ObjectIndex::SdoServer, 2, DataType::Unsigned32, Access::ReadOnly, 0, "COB-ID server to client");
    setNodeId(od, nodeId);

    if (k315)
        od.add(ModelProbe, 0, DataType::Unsigned8, Access::Const, 2, "Model");
    else
        od.remove(ModelProbe);
}

void CommunicationObjects::setNodeId(ObjectDictionary& od, uint8_t nodeId)
{
    using namespace ObjectIndex;
    for (uint8_t sub = 1; sub <= 2; ++sub) {
        if (ObjectEntry* e = od.find(ObjectIndex::SdoServer, sub)) {
            const uint32_t base = sub == 1 ? 0x600 : 0x580;
            e->factoryValue = ObjectDictionary::encode(e->type, nodeId ? base + nodeId : 0x80000000u);
            e->value = e->factoryValue;
        }
    }
}

void CommunicationObjects::addMissingProfileObjects(ObjectDictionary& od)
{
    struct Default {
        uint16_t index;
        uint8_t sub;
        DataType type;
        Access access;
        int64_t value;
        const char* name;
    };
    using namespace ObjectIndex;
    using T = DataType;
    using A = Access;
    static const Default defaults[] = {
        {0x2007, 0, T::Unsigned8, A::ReadWrite, 1, "User profile number"},
        {0x2008, 1, T::Integer32, A::ReadWrite, -2147483647 - 1, "Position safety limit min"},
        {0x2008, 2, T::Integer32, A::ReadWrite, 2147483647, "Position safety limit max"},
        {0x2009, 1, T::Integer32, A::ReadWrite, -2147483647 - 1, "Position drive limit min"},
        {0x2009, 2, T::Integer32, A::ReadWrite, 2147483647, "Position drive limit max"},
        {0x200B, 0, T::Integer32, A::ReadWrite, 0, "Position assignment value"},
        {0x200D, 0, T::Integer8, A::ReadOnly, 31, "Drive temperature"},
        {0x200E, 1, T::Unsigned32, A::ReadOnly, 0, "Power-on time"},
        {0x200E, 2, T::Unsigned32, A::ReadOnly, 0, "Turn-on time"},
        {0x200E, 3, T::Unsigned32, A::ReadOnly, 0, "Number of positionings"},
        {ErrorCode, 0, T::Unsigned16, A::ReadOnly, 0, "Error code"},
        {Controlword, 0, T::Unsigned16, A::ReadWrite, 0, "Controlword"},
        {Statusword, 0, T::Unsigned16, A::ReadOnly, 0x0250, "Statusword"},
        {ModesOfOperation, 0, T::Integer8, A::ReadWrite, 1, "Modes of operation"},
        {ModesOfOperationDisplay, 0, T::Integer8, A::ReadOnly, 1, "Modes of operation display"},
        {PositionDemand, 0, T::Integer32, A::ReadOnly, 0, "Position demand value"},
        {PositionActualInternal, 0, T::Integer32, A::ReadOnly, 0, "Position actual internal value"},
        {PositionActual, 0, T::Integer32, A::ReadOnly, 0, "Position actual value"},
        {VelocityDemand, 0, T::Integer32, A::ReadOnly, 0, "Velocity demand value"},
        {VelocityActual, 0, T::Integer32, A::ReadOnly, 0, "Velocity actual value"},
        {0x6073, 0, T::Unsigned16, A::ReadWrite, 1000, "Max current"},
        {CurrentActual, 0, T::Integer16, A::ReadOnly, 0, "Current actual value"},
        {DcLinkVoltage, 0, T::Unsigned32, A::ReadOnly, 24000, "DC link circuit voltage"},
        {TargetPosition, 0, T::Integer32, A::ReadWrite, 0, "Target position"},
        {0x607D, 0, T::Unsigned8, A::Const, 2, "Highest sub-index"},
        {0x607D, 1, T::Integer32, A::ReadWrite, -2147483647 - 1, "Min position limit"},
        {0x607D, 2, T::Integer32, A::ReadWrite, 2147483647, "Max position limit"},
        {0x6081, 0, T::Unsigned32, A::ReadWrite, 1000, "Profile velocity"},
        {0x6083, 0, T::Unsigned32, A::ReadWrite, 10000, "Profile acceleration"},
        {0x6084, 0, T::Unsigned32, A::ReadWrite, 10000, "Profile deceleration"},
        {0x6098, 0, T::Integer8, A::ReadWrite, 0, "Homing method"},
        {DigitalInputs, 0, T::Unsigned32, A::ReadOnly, 0, "Digital inputs"},
        {TargetVelocity, 0, T::Integer32, A::ReadWrite, 0, "Target velocity"},
        {MotorData, 3, T::Unsigned16, A::ReadWrite, 2000, "Rated current"},
        {MotorData, 4, T::Unsigned16, A::ReadWrite, 4000, "Peak current"},
        {MotorData, 5, T::Unsigned32, A::ReadWrite, 1, "Motor data 5"},
        {MotorData, 6, T::Unsigned32, A::ReadWrite, 1, "Motor data 6"},
        {MotorData, 8, T::Unsigned16, A::ReadWrite, 1000, "Motor data 8"},
        {MotorData, 0x0B, T::Unsigned8, A::ReadWrite, 0, "Motor data 11"},
        {DriveData, 0x0A, T::Unsigned8, A::ReadOnly, 1, "Homing methods supported"},
    };
    for (const Default& d : defaults) {
        if (od.has(d.index, d.sub))
            continue;
        ObjectEntry& e = od.add(d.index, d.sub, d.type, d.access, d.value, d.name);
        if (d.access == Access::ReadWrite && d.index >= 0x2000 && d.index != Controlword && d.index != TargetPosition &&
            d.index != TargetVelocity)
            e.storage = Storage::Parameter;
    }
    // Sub-index 0 of a record that lacks one.
    for (uint16_t index : {MotorData, DriveData, uint16_t(0x2008), uint16_t(0x2009), uint16_t(0x200E)}) {
        if (od.has(index, 0))
            continue;
        uint8_t highest = 0;
        for (const auto& [key, e] : od.entries()) {
            if (e.index == index)
                highest = e.subIndex;
        }
        od.add(index, 0, DataType::Unsigned8, Access::Const, highest, "Highest sub-index");
    }
}
