#include "operation/DriveStatusText.h"

#include "canopen/CANopenDrive.h"
#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"
#include "ui/MessageTexts.h"

namespace ovro {

DriveStatusText DriveStatusText::Of(const IDriveDocument& doc, unsigned offlineText, unsigned noDeviceText)
{
    // Each text built whole: GCC 12 warns falsely about short assignments.
    const CQVTDevice* device = doc.Device();
    if (device == nullptr)
        return DriveStatusText{};
    if (!doc.PollFailed() || doc.IsOffline()) {
        const ActualValues& a = device->actual;
        return DriveStatusText{StringPrintf("%04Xh", static_cast<unsigned>(a.statusword)),
                               std::string(DeviceStateName(a.statusword)),
                               StringPrintf("%04Xh", static_cast<unsigned>(a.errorCode)),
                               device->GetEmergencyText(a.errorCode),
                               (a.statusword & OperationObject::kStatuswordFault) != 0 ||
                                   (a.statusRegister & OperationObject::kStatusRegisterMalfunction) != 0};
    }
    if (const CCANopenNode* node = doc.Node())
        return DriveStatusText{std::string("0"), std::string(MessageText(offlineText)),
                               StringPrintf("%i", static_cast<int>(node->LastError())),
                               doc.ErrorText(node->LastError()), false};
    return DriveStatusText{std::string("0"), std::string(MessageText(offlineText)), std::string("0"),
                           std::string(MessageText(noDeviceText)), false};
}

} // namespace ovro
