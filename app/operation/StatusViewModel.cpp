#include "operation/StatusViewModel.h"

#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

namespace ovro {

StatusViewTexts CStatusViewModel::Initial()
{
    // Built, not assigned: GCC 12 warns falsely about short assignments here.
    DriveStatusText status{std::string("0"), std::string(MessageText(kMsgDeviceStatusOffline)), std::string("0"),
                           std::string(MessageText(kMsgDeviceStatusNoDevice)), false};
    return StatusViewTexts{std::string(kModeCaption), std::string("0"), std::string("0"), std::move(status)};
}

std::optional<StatusViewTexts> CStatusViewModel::Refresh(const IDriveDocument& doc)
{
    const CQVTDevice* device = doc.Device();
    if (!doc.IsReady() || device == nullptr)
        return std::nullopt;
    const ActualValues& a = device->actual;
    StatusViewTexts t;
    t.modeCaption = device->GetModeText(a.actualMode);
    t.position = StringPrintf("%li", static_cast<long>(a.actualPosition));
    t.velocity = StringPrintf("%li", static_cast<long>(a.actualVelocity));
    t.status = DriveStatusText::Of(doc, kMsgDeviceStatusOffline, kMsgDeviceStatusNoDevice);
    return t;
}

std::string CStatusViewModel::Duration(std::uint32_t s)
{
    const unsigned long seconds = s;
    return StringPrintf("T#%lud%luh%lum%lus", seconds / 86400, (seconds % 86400) / 3600, (seconds % 3600) / 60,
                        seconds % 60);
}

LogbookTexts CStatusViewModel::Logbook(const ActualValues& a)
{
    LogbookTexts t;
    t.powerOnSeconds = StringPrintf("%lu", static_cast<unsigned long>(a.powerOnTime));
    t.powerOnTime = Duration(a.powerOnTime);
    t.turnOnSeconds = StringPrintf("%lu", static_cast<unsigned long>(a.turnOnTime));
    t.turnOnTime = Duration(a.turnOnTime);
    t.positionings = StringPrintf("%lu", static_cast<unsigned long>(a.positionings));
    return t;
}

ErrorListRow CStatusViewModel::RowOf(const CQVTDevice& device, int entry)
{
    const std::uint16_t code = device.actual.errorList[static_cast<std::size_t>(entry)].Code();
    ErrorListRow row{entry + 1, {}, {}};
    if (code != 0) {
        row.emergency = StringPrintf("%04Xh", static_cast<unsigned>(code));
        row.meaning = device.GetEmergencyText(code);
    }
    return row;
}

std::vector<ErrorListRow> CStatusViewModel::ErrorRows(const IDriveDocument& doc)
{
    std::vector<ErrorListRow> rows;
    const CQVTDevice* device = doc.Device();
    if (device == nullptr || !doc.ErrorHistoryValid())
        return rows;
    for (int i = 0; i < kHistoryEntries; ++i) {
        const std::uint16_t code = device->actual.errorList[static_cast<std::size_t>(i)].Code();
        if (code == shown_[static_cast<std::size_t>(i)])
            continue;
        shown_[static_cast<std::size_t>(i)] = code;
        rows.push_back(RowOf(*device, i));
    }
    return rows;
}

} // namespace ovro
