#include "operation/VelocityMode.h"

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "operation/DriveCommands.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"
#include "ui/MessageIds.h"

namespace ovro {

namespace {
const DriveStepMessages kVelocityMessages = {kMsgVelocityReadStatusword, kMsgVelocitySwitchState,
                                             kMsgVelocityNotEnabled,     kMsgVelocityReadMode,
                                             kMsgVelocitySwitchMode,     kMsgVelocityStart};
}

CVelocityMode::CVelocityMode(IDriveDocument& doc, IUserInterface& ui)
    : CMotionPage(doc, ui, kVelocityMessages, kMsgVelocityWriteParameter)
{
}

bool CVelocityMode::HasPage(int model)
{
    return model != CCommissioning::ModelH315;
}

void CVelocityMode::Open()
{
    using namespace OperationObject;
    const MotionMemory* memory = Memory();
    if (memory == nullptr)
        return;
    const MotionMemory::VelocityPage& m = memory->velocity;
    fields_.targetVelocity = m.targetVelocity;
    fields_.acceleration = m.acceleration;
    fields_.deceleration = m.deceleration;
    fields_.maxCurrent = m.maxCurrent;
    fields_.mode = Device()->actual.actualMode;
    if (ReadsFromDrive(m.readFromDrive)) {
        CCANopenNode& node = *Node();
        fields_.mode = static_cast<std::int8_t>(ReadU8Or(node, CANopen::Object::ModesOfOperationDisplay, 0, 255));
        fields_.targetVelocity = static_cast<std::int32_t>(ReadU32Or(node, TargetVelocity, 0, 0));
        fields_.acceleration = ReadU32Or(node, ProfileAcceleration, 0, 0);
        fields_.deceleration = ReadU32Or(node, ProfileDeceleration, 0, 0);
        fields_.maxCurrent = ReadU16Or(node, MaxCurrent, 0, 0);
        // The page reads the user profile as the position page does; it has
        // no field for it.
        ReadU8Or(node, UserProfileNumber, 0, 1);
    }
}

bool CVelocityMode::Start()
{
    using namespace OperationObject;
    const CommandScope command(doc_, CommandScope::Kind::Start);
    if (!command.Entered())
        return false;
    CCANopenNode* node = Node();
    if (node == nullptr)
        return false;
    const Fields& f = fields_;
    if (!Enable(*node) || !SwitchMode(*node, ModeOfOperation::ProfileVelocity) ||
        !WriteU32(*node, ProfileAcceleration, f.acceleration, "Profile Acceleration") ||
        !WriteU32(*node, ProfileDeceleration, f.deceleration, "Profile Deceleration") ||
        !WriteU16(*node, MaxCurrent, f.maxCurrent, "Max Current") ||
        !WriteU32(*node, TargetVelocity, static_cast<std::uint32_t>(f.targetVelocity), "Target Velocity"))
        return false;
    ClearErrorHistory(*node);
    if (!StartMotion(*node, Controlword::EnableOperation))
        return false;
    if (MotionMemory* memory = Memory()) {
        MotionMemory::VelocityPage& m = memory->velocity;
        m.targetVelocity = f.targetVelocity;
        m.acceleration = f.acceleration;
        m.deceleration = f.deceleration;
        m.maxCurrent = f.maxCurrent;
        m.readFromDrive = false;
    }
    return true;
}

void CVelocityMode::Stop()
{
    CDriveCommands::Halt(doc_);
}

} // namespace ovro
