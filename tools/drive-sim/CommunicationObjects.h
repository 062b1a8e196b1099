// CommunicationObjects.h - the fixed objects of the drive: identity,
// communication objects, the model probe, and factory values for the
// drive-profile objects that neither the description nor a drive module
// provides.
#pragma once

#include "DriveContext.h"
#include "ObjectDictionary.h"

#include <cstdint>
#include <string>

class CommunicationObjects {
public:
    static constexpr uint32_t kVendorId = 0x000004A7;
    static constexpr uint32_t kDeviceType = 0x00040192;  // CiA 402 stepper drive

    static std::string deviceName(DriveModel model);
    static std::string lmtProductName(DriveModel model);
    static constexpr const char* kLmtManufacturer = "Kelvane";

    // Identity, SYNC, heartbeat, SDO server, store and restore (without
    // their actions), model probe.
    static void add(ObjectDictionary& od, DriveModel model, uint8_t nodeId, uint64_t serial);
    // COB-IDs that follow the node-id (SDO server).
    static void setNodeId(ObjectDictionary& od, uint8_t nodeId);
    // Objects the program reads or writes, added with factory values when
    // nothing else has created them.
    static void addMissingProfileObjects(ObjectDictionary& od);
};
