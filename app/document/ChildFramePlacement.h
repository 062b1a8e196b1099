// CChildFramePlacement: where a document window opens - its placement
// record "ChildFrame" in the settings when there is one, else a size by the
// screen: maximised on screens up to 640 x 480, 777 x 444 on screens larger
// than 800 x 600, 640 x 400 otherwise.
#pragma once

#include "settings/ISettingsStore.h"

struct ChildFrameGeometry {
    bool maximised = false;
    bool positioned = false;  // x and y apply
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ChildFrameGeometry&) const = default;
};

class CChildFramePlacement {
public:
    static constexpr const char* kRecord = "ChildFrame";

    static ChildFrameGeometry Default(int screenWidth, int screenHeight);
    // The stored placement, or the default when none is stored or it holds
    // no usable size.
    static ChildFrameGeometry Restore(const ISettingsStore& store, int screenWidth, int screenHeight);
    static bool Save(ISettingsStore& store, const ChildFrameGeometry& geometry);
};
