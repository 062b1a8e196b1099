#include "operation/ManualMode.h"

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "operation/DriveCommands.h"
#include "operation/DriveDocument.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

namespace ovro {

CManualMode::CManualMode(IDriveDocument& doc, IUserInterface& ui)
    : CMotionPage(doc, ui, kManualStepMessages, 0)
{
}

void CManualMode::Open()
{
    const CQVTDevice* device = Device();
    if (device == nullptr)
        return;
    const MotionMemory::ManualPage& m = device->motion.manual;
    mode_ = m.simulatedMode != 0 ? ModeOfOperation::SimulatedManual : device->actual.actualMode;
    if (ReadsFromDrive(m.readFromDrive))
        mode_ = static_cast<std::int8_t>(ReadU8Or(*Node(), CANopen::Object::ModesOfOperationDisplay, 0, 255));
    simulated_ = mode_ != ModeOfOperation::Manual;
}

void CManualMode::SetSimulated(bool checked)
{
    // Clearing the box writes the mode and may show a message: a start.
    const CommandScope command(doc_, CommandScope::Kind::Start);
    if (!command.Entered())
        return;
    simulated_ = checked;
    CCANopenNode* node = Node();
    if (node != nullptr && !checked) {
        std::uint8_t shown = 0;
        if (!node->ReadU8(CANopen::Object::ModesOfOperationDisplay, 0, shown)) {
            simulated_ = true;
            ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                            FormatMessage(kMsgCantReadOperationMode, node->ErrorText().c_str()));
        } else if (static_cast<std::int8_t>(shown) != ModeOfOperation::Manual &&
                   !node->WriteU8(CANopen::Object::ModesOfOperation, 0,
                                  static_cast<std::uint8_t>(ModeOfOperation::Manual))) {
            simulated_ = true;
            ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                            FormatMessage(kMsgCantSwitchMode, ModeOfOperationName(ModeOfOperation::Manual),
                                          node->ErrorText().c_str()));
        }
    }
    Remember();
}

bool CManualMode::StartJog(Direction direction)
{
    const CommandScope command(doc_, CommandScope::Kind::Start);
    if (!command.Entered())
        return false;
    CCANopenNode* node = Node();
    if (node == nullptr)
        return false;
    if (!Enable(*node) || !SwitchMode(*node, ModeOfOperation::SimulatedManual))
        return false;
    ClearErrorHistory(*node);
    if (!StartMotion(*node, direction == Direction::Negative ? Controlword::JogNegative : Controlword::StartMotion))
        return false;
    simulated_ = true;
    Remember();
    return true;
}

void CManualMode::StopJog()
{
    CDriveCommands::Halt(doc_);
}

void CManualMode::Remember()
{
    if (MotionMemory* memory = Memory()) {
        memory->manual.simulatedMode = simulated_ ? 1 : 0;
        memory->manual.readFromDrive = false;
    }
}

} // namespace ovro
