#include "operation/StatusViewModel.h"

#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "ui/MessageTexts.h"
#include "ui/OperationMessages.h"

namespace ovro {

StatusViewTexts CStatusViewModel::Initial()
{
    StatusViewTexts t;
    t.modeCaption = kModeCaption;
    t.position = "0";
    t.velocity = "0";
    t.status.statusword = "0";
    t.status.state = MessageText(kMsgStatusOffline);
    t.status.errorCode = "0";
    t.status.errorText = MessageText(kMsgStatusNoDevice);
    return t;
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
    t.status = DriveStatusText::Of(doc, kMsgStatusOffline, kMsgStatusNoDevice);
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
        ErrorListRow row{i + 1, {}, {}};
        if (code != 0) {
            row.emergency = StringPrintf("%04Xh", static_cast<unsigned>(code));
            row.meaning = device->GetEmergencyText(code);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace ovro
