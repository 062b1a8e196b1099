// CNodeSettingsChange: gives the connected drive a new node-id and baud
// rate during a download. The drive must be the only node on the bus: it
// is removed from the master and configured by LMT, then connected again
// under its new node-id.
#pragma once

#include <cstdint>
#include <string>

#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

class CCANopenMaster;
class CCANopenNode;

namespace ovro {

class CCommissioning;

class CNodeSettingsChange {
public:
    // Warns that only one node may be on the bus (kMsgOnlyOneNode), logs the step
    // (kMsgChangingNodeSettings, then "OK!" or "ERROR!") and reconfigures the drive. Returns
    // the node object under the new node-id, or null when the drive was
    // lost; node is removed from the master either way unless removing it
    // failed (then it stays connected).
    static CCANopenNode* Run(CCANopenMaster& master, IUserInterface& ui, IProgress& progress,
                             CCANopenNode*& node, std::uint8_t newNodeId, std::uint8_t newBaudRate);

    // "ERROR:\tcan´t configure node settings. Node #%i was lost!..." with the
    // old node-id and the master's error text.
    static std::string FailureText(const CCANopenMaster& master, const CCommissioning& commissioning,
                                   std::uint8_t oldNodeId);
};

}  // namespace ovro
