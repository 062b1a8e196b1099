// CSecondFramePlacement: where the Motion Control and Device Status windows
// (CSecondFrame) open and what they leave in the settings when they close.
// Their placement records are named after their titles: "MotionControl"
// for "Motion Control", "DeviceStatus" for "Device Status".
#pragma once

#include <string>

#include "settings/FramePlacement.h"
#include "settings/ISettingsStore.h"

namespace ovro {

struct SecondFrameGeometry {
    bool positioned = false; // x and y apply
    bool maximised = false;
    bool minimised = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class CSecondFramePlacement {
public:
    static constexpr const char* kMotionControlTitle = "Motion Control";
    static constexpr const char* kDeviceStatusTitle = "Device Status";

    // The record of a window title; "" for another title.
    static std::string RecordOf(const std::string& title);

    // The stored normal rectangle (a stored minimised state included), else
    // 640 x 400 on screens up to 800 x 600, 800 x 480 on larger ones,
    // maximised on screens up to 640 x 480.
    static SecondFrameGeometry Restore(const ISettingsStore& store, const std::string& title, int screenWidth,
                                       int screenHeight);
    // Writes the window's record; a maximised window writes the
    // "ChildFrame" record with its maximised state instead.
    static bool Save(ISettingsStore& store, const std::string& title, const FrameGeometry& frame);
};

} // namespace ovro
