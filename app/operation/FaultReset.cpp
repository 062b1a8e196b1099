#include "operation/FaultReset.h"

#include "canopen/CANopenDrive.h"
#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"

namespace ovro {

bool CFaultReset::Run(IDriveDocument& doc)
{
    const IDriveDocument::CommandScope command(doc, IDriveDocument::CommandScope::Kind::Start);
    if (!command.Entered())
        return false;
    CCANopenNode* node = doc.Node();
    CQVTDevice* device = doc.Device();
    if (node == nullptr || !node->WriteU16(CANopen::Object::Controlword, 0, Controlword::FaultReset))
        return false;
    std::uint16_t statusword = 0;
    std::uint32_t statusRegister = 0;
    const bool statuswordRead = node->ReadU16(CANopen::Object::Statusword, 0, statusword);
    if (statuswordRead && device != nullptr)
        device->actual.statusword = statusword;
    const bool registerRead = node->ReadU32(CANopen::Object::ManufacturerStatus, 0, statusRegister);
    if (registerRead && device != nullptr)
        device->actual.statusRegister = statusRegister;
    if (!statuswordRead || !registerRead || (statusword & OperationObject::kStatuswordFault) != 0 ||
        (statusRegister & OperationObject::kStatusRegisterMalfunction) != 0)
        return false;
    return node->ClearErrorHistory();
}

} // namespace ovro
