// DriveStatusText: the drive-status fields that the Motion Control and the
// Device Status windows share - statusword, device state, error code and
// its text, and whether "Reset Fault" is enabled - from the document's
// ActualValues, or the offline texts while the poll fails.
#pragma once

#include <string>

namespace ovro {

class IDriveDocument;

struct DriveStatusText {
    std::string statusword; // "%04Xh", or "0" offline
    std::string state;      // device-state name, or "Offline!"
    std::string errorCode;  // "%04Xh", or the node's last error "%i", or "0"
    std::string errorText;  // the emergency text, the master's text, or "No device connected."
    bool resetFault = false;

    // offlineText, noDeviceText: the window's message numbers of "Offline!"
    // and "No device connected.".
    static DriveStatusText Of(const IDriveDocument& doc, unsigned offlineText, unsigned noDeviceText);
};

} // namespace ovro
