// FramePlacement.h - a frame window's place on the screen as the settings
// keep it ("Windows" placement records), and the default places of the
// main window by screen size.
#pragma once

#include "settings/WindowPlacement.h"

// The normal (restored) rectangle of a frame and its state.
struct FrameGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximised = false;
    bool minimised = false;
};

// Where the main window opens without a stored placement.
struct InitialFrame {
    bool maximised = false;
    bool positioned = false; // x and y apply
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const InitialFrame&) const = default;
};

class CFramePlacement {
public:
    // Show commands and flags of a placement record.
    static constexpr unsigned kShowNormal = 1;
    static constexpr unsigned kShowMinimised = 2;
    static constexpr unsigned kShowMaximised = 3;
    static constexpr unsigned kRestoreToMaximised = 2; // flag: a minimised window was maximised

    static WindowPlacement ToPlacement(const FrameGeometry& frame);
    // The rectangle of the record's normal position; a minimised window
    // that was maximised before comes back maximised.
    static FrameGeometry FromPlacement(const WindowPlacement& placement);

    // Up to 800 x 600: maximised; larger: 960 x 720, placed at (32, 8) on
    // screens up to 1024 x 768.
    static InitialFrame MainFrameDefault(int screenWidth, int screenHeight);
    // The document's parameter window without a record: maximised up to
    // 640 x 480, 777 x 444 above 800 x 600, else 640 x 400.
    static InitialFrame ChildFrameDefault(int screenWidth, int screenHeight);
    // The motion-control and device-status windows without a record:
    // 640 x 400 up to 800 x 600, else 800 x 480; maximised up to 640 x 480.
    static InitialFrame SecondFrameDefault(int screenWidth, int screenHeight);
};
