#include "operation/PositionMode.h"

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "operation/DriveCommands.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"
#include "ui/MessageIds.h"

namespace ovro {

namespace {
const DriveStepMessages kPositionMessages = {kMsgPositionReadStatusword, kMsgPositionSwitchState,
                                             kMsgPositionNotEnabled,     kMsgPositionReadMode,
                                             kMsgPositionSwitchMode,     kMsgPositionStart};
}

CPositionMode::CPositionMode(IDriveDocument& doc, IUserInterface& ui)
    : CMotionPage(doc, ui, kPositionMessages, kMsgPositionWriteParameter)
{
}

std::vector<std::string> CPositionMode::ProfileList()
{
    std::vector<std::string> list;
    for (unsigned n = 1; n <= kProfileCount; ++n)
        list.push_back(std::to_string(n));
    return list;
}

void CPositionMode::Open()
{
    using namespace OperationObject;
    const MotionMemory* memory = Memory();
    if (memory == nullptr)
        return;
    const MotionMemory::PositionPage& m = memory->position;
    fields_.targetPosition = m.targetPosition;
    fields_.relative = m.relative != 0;
    fields_.velocity = m.profileVelocity;
    fields_.acceleration = m.acceleration;
    fields_.deceleration = m.deceleration;
    fields_.maxCurrent = m.maxCurrent;
    fields_.profileNumber = m.profileNumber;
    fields_.mode = m.userProfile != 0 ? ModeOfOperation::ManufacturerPosition : Device()->actual.actualMode;
    if (ReadsFromDrive(m.readFromDrive)) {
        CCANopenNode& node = *Node();
        fields_.mode = static_cast<std::int8_t>(
            ReadU8Or(node, CANopen::Object::ModesOfOperationDisplay, 0, static_cast<std::uint8_t>(-1)));
        fields_.targetPosition = static_cast<std::int32_t>(ReadU32Or(node, TargetPosition, 0, 0));
        fields_.velocity = ReadU32Or(node, ProfileVelocity, 0, 0);
        fields_.acceleration = ReadU32Or(node, ProfileAcceleration, 0, 0);
        fields_.deceleration = ReadU32Or(node, ProfileDeceleration, 0, 0);
        fields_.maxCurrent = ReadU16Or(node, MaxCurrent, 0, 0);
        fields_.profileNumber = ReadU8Or(node, UserProfileNumber, 0, 1);
    }
    fields_.userProfile = fields_.mode == ModeOfOperation::ManufacturerPosition;
    fields_.profileSelection = ProfileListEntry();
}

bool CPositionMode::Start()
{
    using namespace OperationObject;
    const CommandScope command(doc_, CommandScope::Kind::Start);
    if (!command.Entered())
        return false;
    CCANopenNode* node = Node();
    if (node == nullptr)
        return false;
    Fields& f = fields_;
    if (!Enable(*node))
        return false;
    if (f.userProfile) {
        if (f.profileSelection >= 0)
            f.profileNumber = static_cast<std::uint8_t>(f.profileSelection + 1);
        if (!SwitchMode(*node, ModeOfOperation::ManufacturerPosition) ||
            !WriteU8(*node, UserProfileNumber, f.profileNumber, "User Profile Number"))
            return false;
    } else {
        if (!SwitchMode(*node, ModeOfOperation::ProfilePosition) ||
            !WriteU32(*node, ProfileVelocity, f.velocity, "Profile Velocity") ||
            !WriteU32(*node, ProfileAcceleration, f.acceleration, "Profile Acceleration") ||
            !WriteU32(*node, ProfileDeceleration, f.deceleration, "Profile Deceleration") ||
            !WriteU16(*node, MaxCurrent, f.maxCurrent, "Max Current"))
            return false;
    }
    if (!WriteU32(*node, TargetPosition, static_cast<std::uint32_t>(f.targetPosition), "Target Position"))
        return false;
    ClearErrorHistory(*node);
    if (!StartMotion(*node, f.relative ? Controlword::StartRelative : Controlword::StartMotion))
        return false;
    if (MotionMemory* memory = Memory()) {
        MotionMemory::PositionPage& m = memory->position;
        m.targetPosition = f.targetPosition;
        m.relative = f.relative ? 1 : 0;
        m.profileVelocity = f.velocity;
        m.acceleration = f.acceleration;
        m.deceleration = f.deceleration;
        m.maxCurrent = f.maxCurrent;
        m.userProfile = f.userProfile ? 1 : 0;
        m.profileNumber = f.profileNumber;
        m.readFromDrive = false;
    }
    // Takes the new-set-point bit back.
    WriteControlword(*node, Controlword::EnableOperation);
    return true;
}

void CPositionMode::Stop()
{
    CDriveCommands::QuickStop(doc_);
}

} // namespace ovro
