// CMotionViewModel: the texts of the Motion Control window's actual values
// and drive status (CMotionView, every 100 ms). It reads only the
// document's record - the ActualValues of the status poll and the motor
// data of the parameter table - and causes no bus traffic.
#pragma once

#include <optional>
#include <string>

#include "operation/DriveStatusText.h"

namespace ovro {

class IDriveDocument;

struct MotionViewTexts {
    std::string position;                  // "Actual Position:", "%li"
    std::string velocity;                  // "Actual Velocity:", "%li"
    std::optional<std::string> shaftSpeed; // "Output-Shaft Speed:" (1/min); nothing: keep the old text
    std::string referencedBit;             // "Drive referenced?": bit 24 as "%u"
    std::string referenced;                // "Yes" or "No"
    std::string temperature;               // "Drive Temperature:", "%i" (°C)
    std::string current;                   // "Actual Motor Current:", "%.2f" (A)
    std::optional<std::string> torque;     // "Output-Shaft Torque:", "%.2f" (Nm); nothing: keep
    std::string voltage;                   // "DC-Link Voltage:", "%.1f" (V)
    DriveStatusText status;
};

class CMotionViewModel {
public:
    // The texts; nothing unless the document is ready and has a record.
    static std::optional<MotionViewTexts> Refresh(const IDriveDocument& doc);
};

} // namespace ovro
