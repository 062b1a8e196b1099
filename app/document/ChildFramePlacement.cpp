#include "document/ChildFramePlacement.h"

#include "settings/WindowPlacement.h"

ChildFrameGeometry CChildFramePlacement::Default(int screenWidth, int screenHeight)
{
    ChildFrameGeometry g = CFramePlacement::ChildFrameDefault(screenWidth, screenHeight);
    if (g.maximised)
        g.width = g.height = 0;
    return g;
}

ChildFrameGeometry CChildFramePlacement::Restore(const ISettingsStore& store, int screenWidth, int screenHeight)
{
    WindowPlacement p;
    if (!ReadWindowPlacement(store, kRecord, p) || p.right <= p.left || p.bottom <= p.top)
        return Default(screenWidth, screenHeight);
    ChildFrameGeometry g;
    g.maximised = p.showCmd == CFramePlacement::kShowMaximised;
    g.positioned = true;
    g.x = p.left;
    g.y = p.top;
    g.width = p.right - p.left;
    g.height = p.bottom - p.top;
    return g;
}

bool CChildFramePlacement::Save(ISettingsStore& store, const ChildFrameGeometry& g)
{
    FrameGeometry frame;
    frame.x = g.x;
    frame.y = g.y;
    frame.width = g.width;
    frame.height = g.height;
    frame.maximised = g.maximised;
    return WriteWindowPlacement(store, kRecord, CFramePlacement::ToPlacement(frame));
}
