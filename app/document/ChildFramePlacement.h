// CChildFramePlacement: where a document window opens - its placement
// record "ChildFrame" in the settings when there is one, else the size
// CFramePlacement::ChildFrameDefault gives for the screen (maximised on
// screens up to 640 x 480, 777 x 444 on screens larger than 800 x 600,
// 640 x 400 otherwise).
#pragma once

#include "settings/FramePlacement.h"
#include "settings/ISettingsStore.h"

using ChildFrameGeometry = InitialFrame;

class CChildFramePlacement {
public:
    static constexpr const char* kRecord = "ChildFrame";

    // A window that opens maximised has no size of its own: it keeps the
    // one the MDI area gives it when restored.
    static ChildFrameGeometry Default(int screenWidth, int screenHeight);
    // The stored placement, or the default when none is stored or it holds
    // no usable size.
    static ChildFrameGeometry Restore(const ISettingsStore& store, int screenWidth, int screenHeight);
    static bool Save(ISettingsStore& store, const ChildFrameGeometry& geometry);
};
