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
    DriveStatusText t;
    const CQVTDevice* device = doc.Device();
    if (device == nullptr)
        return t;
    if (!doc.PollFailed() || doc.IsOffline()) {
        const ActualValues& a = device->actual;
        t.statusword = StringPrintf("%04Xh", static_cast<unsigned>(a.statusword));
        t.state = DeviceStateName(a.statusword);
        t.errorCode = StringPrintf("%04Xh", static_cast<unsigned>(a.errorCode));
        t.errorText = device->GetEmergencyText(a.errorCode);
        t.resetFault = (a.statusword & OperationObject::kStatuswordFault) != 0 ||
                       (a.statusRegister & OperationObject::kStatusRegisterMalfunction) != 0;
        return t;
    }
    t.statusword = "0";
    t.state = MessageText(offlineText);
    if (const CCANopenNode* node = doc.Node()) {
        t.errorCode = StringPrintf("%i", static_cast<int>(node->LastError()));
        t.errorText = doc.ErrorText(node->LastError());
    } else {
        t.errorCode = "0";
        t.errorText = MessageText(noDeviceText);
    }
    return t;
}

} // namespace ovro
