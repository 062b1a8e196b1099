#include "document/ChildFramePlacement.h"

#include "settings/WindowPlacement.h"

namespace {
// Show commands of a placement record.
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMaximised = 3;
}  // namespace

ChildFrameGeometry CChildFramePlacement::Default(int screenWidth, int screenHeight)
{
    ChildFrameGeometry g;
    if (screenWidth <= 640 && screenHeight <= 480) {
        g.maximised = true;
        return g;
    }
    const bool large = !(screenWidth <= 800 && screenHeight <= 600);
    g.width = large ? 777 : 640;
    g.height = large ? 444 : 400;
    return g;
}

ChildFrameGeometry CChildFramePlacement::Restore(const ISettingsStore& store, int screenWidth, int screenHeight)
{
    WindowPlacement p;
    if (!ReadWindowPlacement(store, kRecord, p) || p.right <= p.left || p.bottom <= p.top)
        return Default(screenWidth, screenHeight);
    ChildFrameGeometry g;
    g.maximised = p.showCmd == kShowMaximised;
    g.positioned = true;
    g.x = p.left;
    g.y = p.top;
    g.width = p.right - p.left;
    g.height = p.bottom - p.top;
    return g;
}

bool CChildFramePlacement::Save(ISettingsStore& store, const ChildFrameGeometry& g)
{
    WindowPlacement p;
    p.showCmd = g.maximised ? kShowMaximised : kShowNormal;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.left = g.x;
    p.top = g.y;
    p.right = g.x + g.width;
    p.bottom = g.y + g.height;
    return WriteWindowPlacement(store, kRecord, p);
}
