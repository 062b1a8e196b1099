// FramePlacement.cpp - placement records and default frame places.
#include "settings/FramePlacement.h"

namespace {

bool AtMost(int width, int height, int maxWidth, int maxHeight)
{
    return width <= maxWidth && height <= maxHeight;
}

} // namespace

WindowPlacement CFramePlacement::ToPlacement(const FrameGeometry& frame)
{
    WindowPlacement p;
    if (frame.minimised) {
        p.showCmd = kShowMinimised;
        p.flags = frame.maximised ? kRestoreToMaximised : 0;
    } else {
        p.showCmd = frame.maximised ? kShowMaximised : kShowNormal;
    }
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.left = frame.x;
    p.top = frame.y;
    p.right = frame.x + frame.width;
    p.bottom = frame.y + frame.height;
    return p;
}

FrameGeometry CFramePlacement::FromPlacement(const WindowPlacement& p)
{
    FrameGeometry f;
    f.x = p.left;
    f.y = p.top;
    f.width = p.right > p.left ? p.right - p.left : 0;
    f.height = p.bottom > p.top ? p.bottom - p.top : 0;
    f.minimised = p.showCmd == kShowMinimised;
    f.maximised = p.showCmd == kShowMaximised || (f.minimised && (p.flags & kRestoreToMaximised) != 0);
    return f;
}

InitialFrame CFramePlacement::MainFrameDefault(int screenWidth, int screenHeight)
{
    InitialFrame f;
    if (AtMost(screenWidth, screenHeight, 800, 600)) {
        f.maximised = true;
        return f;
    }
    f.width = 960;
    f.height = 720;
    if (AtMost(screenWidth, screenHeight, 1024, 768)) {
        f.positioned = true;
        f.x = 32;
        f.y = 8;
    }
    return f;
}

InitialFrame CFramePlacement::ChildFrameDefault(int screenWidth, int screenHeight)
{
    InitialFrame f;
    f.maximised = AtMost(screenWidth, screenHeight, 640, 480);
    const bool small = AtMost(screenWidth, screenHeight, 800, 600);
    f.width = small ? 640 : 777;
    f.height = small ? 400 : 444;
    return f;
}

InitialFrame CFramePlacement::SecondFrameDefault(int screenWidth, int screenHeight)
{
    InitialFrame f;
    f.maximised = AtMost(screenWidth, screenHeight, 640, 480);
    const bool small = AtMost(screenWidth, screenHeight, 800, 600);
    f.width = small ? 640 : 800;
    f.height = small ? 400 : 480;
    return f;
}
