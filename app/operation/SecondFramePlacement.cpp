#include "operation/SecondFramePlacement.h"

#include "settings/SettingsKeys.h"
#include "settings/WindowPlacement.h"

namespace ovro {

std::string CSecondFramePlacement::RecordOf(const std::string& title)
{
    if (title == kMotionControlTitle)
        return SettingsKeys::kMotionControl;
    if (title == kDeviceStatusTitle)
        return SettingsKeys::kDeviceStatus;
    return std::string();
}

SecondFrameGeometry CSecondFramePlacement::Restore(const ISettingsStore& store, const std::string& title,
                                                   int screenWidth, int screenHeight)
{
    SecondFrameGeometry g;
    const std::string record = RecordOf(title);
    WindowPlacement placement;
    if (!record.empty() && ReadWindowPlacement(store, record, placement)) {
        const FrameGeometry f = CFramePlacement::FromPlacement(placement);
        if (f.width > 0 && f.height > 0) {
            g.positioned = true;
            g.x = f.x;
            g.y = f.y;
            g.width = f.width;
            g.height = f.height;
            g.minimised = f.minimised;
            return g;
        }
    }
    const InitialFrame d = CFramePlacement::SecondFrameDefault(screenWidth, screenHeight);
    g.maximised = d.maximised;
    g.width = d.width;
    g.height = d.height;
    return g;
}

bool CSecondFramePlacement::Save(ISettingsStore& store, const std::string& title, const FrameGeometry& frame)
{
    const std::string record = RecordOf(title);
    if (record.empty())
        return false;
    if (frame.maximised && !frame.minimised)
        return WriteWindowPlacement(store, SettingsKeys::kChildFrame, CFramePlacement::ToPlacement(frame));
    return WriteWindowPlacement(store, record, CFramePlacement::ToPlacement(frame));
}

} // namespace ovro
