#include "operation/DriveCommands.h"

#include "canopen/CANopenDrive.h"
#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "operation/DriveDocument.h"

namespace ovro {

void CDriveCommands::QuickStop(IDriveDocument& doc)
{
    const IDriveDocument::CommandScope command(doc, IDriveDocument::CommandScope::Kind::Stop);
    if (CCANopenNode* node = doc.Node())
        node->WriteU16(CANopen::Object::Controlword, 0, Controlword::QuickStop);
}

void CDriveCommands::Halt(IDriveDocument& doc)
{
    const IDriveDocument::CommandScope command(doc, IDriveDocument::CommandScope::Kind::Stop);
    if (CCANopenNode* node = doc.Node())
        node->WriteU16(CANopen::Object::Controlword, 0, Controlword::Halt);
}

void CDriveCommands::ClearErrorList(IDriveDocument& doc)
{
    const IDriveDocument::CommandScope command(doc, IDriveDocument::CommandScope::Kind::Start);
    if (!command.Entered())
        return;
    if (CCANopenNode* node = doc.Node())
        node->ClearErrorHistory();
}

} // namespace ovro
